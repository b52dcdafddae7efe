// SPDX-License-Identifier: MIT
#include "tools/jobs/ProgressLine.h"

#include "support/Files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using namespace std::chrono_literals;
using Clock = ProgressLine::Clock;

TEST(ProgressLine, TextFitsTheTerminalAndKeepsTheNamesEnd)
{
	const struct {
		size_t current;
		size_t total;
		std::string name;
		int percent;
		size_t columns;
		std::string text;
	} rows[] = {
		{12, 58, "icons/save.png", 18, 80, "quillpix-export: 12/58 icons/save.png 18%"},
		{1, 1, "standard input", 0, 80, "quillpix-export: 1/1 standard input 0%"},
		// 17 + 6 + 4 = 27 fixed columns and the last column left free: 12 for
		// the name, "..." and its last 9 characters.
		{12, 58, "a/long/folder/leaf.png", 18, 40, "quillpix-export: 12/58 .../leaf.png 18%"},
		{12, 58, "a/long/folder/leaf.png", 18, 50,
			"quillpix-export: 12/58 a/long/folder/leaf.png 18%"},
		{12, 58, "a/long/folder/leaf.png", 18, 49,
			"quillpix-export: 12/58 ...ng/folder/leaf.png 18%"},
		// Characters, not bytes: an accented name is cut between characters.
		{1, 2, "\xc3\xa9t\xc3\xa9-\xc3\xa9t\xc3\xa9.png", 50, 36,
			"quillpix-export: 1/2 ...\xc3\xa9t\xc3\xa9.png 50%"},
		// No room for a name at all: the count and the share stay.
		{3, 9, "name.png", 22, 20, "quillpix-export: 3/9 22%"},
	};
	for (const auto& row : rows) {
		const std::string text = ProgressLine::Text(
			row.current, row.total, row.name, row.percent, row.columns);
		EXPECT_EQ(text, row.text) << row.columns;
	}
}

// What the line writes, at the moments a test gives it.
class ProgressLineDrawing : public testing::Test {
protected:
	void SetUp() override
	{
		fStream = fopen((fScratch / "err").c_str(), "w+");
		ASSERT_NE(fStream, nullptr);
	}
	void TearDown() override { fclose(fStream); }
	std::string Written()
	{
		fflush(fStream);
		return testsupport::ReadWhole(fScratch / "err");
	}

	testsupport::ScratchDirectory fScratch;
	FILE* fStream = nullptr;
	const Clock::time_point fStart = Clock::now();
};

TEST_F(ProgressLineDrawing, DrawsAfterASecondOnlyWhatChangedAtMostTenTimesASecond)
{
	{
		ProgressLine line(fStream, fStart, 80);
		line.Show(fStart + 999ms, 1, 4, "a.png", 0);
		EXPECT_EQ(Written(), "") << "a run of less than a second shows nothing";
		line.Show(fStart + 1000ms, 1, 4, "a.png", 0);
		line.Show(fStart + 1050ms, 2, 4, "b.png", 25); // too soon after the last
		line.Show(fStart + 1100ms, 2, 4, "b.png", 25);
		line.Show(fStart + 1300ms, 2, 4, "b.png", 25); // the same text
		line.Show(fStart + 1400ms, 2, 4, "b.png", 30);
		line.Erase();
		line.Erase();
		line.Show(fStart + 1450ms, 3, 4, "c.png", 50); // too soon after the last
		line.Show(fStart + 1500ms, 3, 4, "c.png", 50);
	}
	EXPECT_EQ(Written(),
		"\rquillpix-export: 1/4 a.png 0%\033[K"
		"\rquillpix-export: 2/4 b.png 25%\033[K"
		"\rquillpix-export: 2/4 b.png 30%\033[K"
		"\r\033[K"
		"\rquillpix-export: 3/4 c.png 50%\033[K"
		"\r\033[K");
}

TEST_F(ProgressLineDrawing, NothingDrawnNothingErased)
{
	{
		ProgressLine line(fStream, fStart, 80);
		line.Erase();
	}
	EXPECT_EQ(Written(), "");
}
