// SPDX-License-Identifier: MIT
// Breaking a message into the lines a view shows, measured here one unit per
// character.

#include "image/MessageLines.h"

#include <gtest/gtest.h>

namespace {

struct LinesCase {
	const char* text;
	float width;
	std::vector<std::string> lines;
};

class MessageLinesTest : public testing::TestWithParam<LinesCase> { };

TEST_P(MessageLinesTest, BreaksAtTheLastSpaceThatFits)
{
	const LinesCase& row = GetParam();
	auto measure = [](const std::string& text) { return float(text.size()); };
	EXPECT_EQ(MessageLines(row.text, row.width, measure), row.lines);
}

INSTANTIATE_TEST_SUITE_P(Rows, MessageLinesTest,
	testing::Values(LinesCase{"", 10, {}}, LinesCase{"fits", 10, {"fits"}},
		LinesCase{"exactly ten", 11, {"exactly ten"}},
		LinesCase{
			"huge.png is big; the limit is small", 20, {"huge.png is big;", "the limit is small"}},
		LinesCase{"a: b c d e f g", 11, {"a:", "b c d e f g"}},
		LinesCase{"a b c d e f g; h", 11, {"a b c d e f", "g; h"}},
		// What does not fit on the second line stays there, to be cut off.
		LinesCase{"one two three four five six", 8, {"one two", "three four five six"}},
		LinesCase{"unbreakablewordhere and more", 8, {"unbreakablewordhere", "and more"}},
		LinesCase{"unbreakablewordhere", 8, {"unbreakablewordhere"}},
		LinesCase{"two  spaces here", 4, {"two", "spaces here"}},
		LinesCase{" leading", 3, {" leading"}}));

} // namespace
