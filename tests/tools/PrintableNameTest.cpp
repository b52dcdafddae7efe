// SPDX-License-Identifier: MIT
#include "tools/options/PrintableName.h"

#include <gtest/gtest.h>

#include <string>

TEST(PrintableName, KeepsTextAndEscapesWhatATerminalWouldActOn)
{
	const std::pair<std::string, std::string> rows[] = {
		{"plain name.png", "plain name.png"},
		{"", ""},
		{"caf\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac \xf0\x9f\x96\xbc.png",
			"caf\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac \xf0\x9f\x96\xbc.png"},
		{"new\nline", "new\\nline"},
		{"tab\there\rback", "tab\\there\\rback"},
		{"back\\slash", "back\\\\slash"},
		{"\x1b]0;owned\x07", "\\033]0;owned\\007"},
		{"\x1b[31mred", "\\033[31mred"},
		{std::string("nul\0in", 6), "nul\\000in"},
		{"del\x7f", "del\\177"},
		{"latin1 \xe9t\xe9 \xff", "latin1 \\xe9t\\xe9 \\xff"},
		// Overlong, surrogate, beyond U+10FFFF, cut short at the end.
		{"\xc0\xaf", "\\xc0\\xaf"},
		{"\xed\xa0\x80", "\\xed\\xa0\\x80"},
		{"\xf4\x90\x80\x80", "\\xf4\\x90\\x80\\x80"},
		{"euro\xe2\x82", "euro\\xe2\\x82"},
		{"\x80lead", "\\x80lead"},
		// C1 controls (CSI) and what reorders or breaks a line.
		{"c1\xc2\x9b"
		 "31m",
			"c1\\xc2\\x9b"
			"31m"},
		{"bidi\xe2\x80\xaegnp.exe", "bidi\\xe2\\x80\\xaegnp.exe"},
		{"line\xe2\x80\xa8sep", "line\\xe2\\x80\\xa8sep"},
	};
	for (const auto& [name, printed] : rows) {
		EXPECT_EQ(PrintableName(name), printed) << printed;
		for (char c : PrintableName(name)) {
			EXPECT_FALSE((c >= 0 && c < 0x20) || c == 0x7f) << printed;
		}
	}
}
