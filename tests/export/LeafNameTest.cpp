// SPDX-License-Identifier: MIT
#include "export/LeafName.h"

#include <gtest/gtest.h>

TEST(LeafName, TheLeafRule)
{
	struct Row {
		const char* path;
		const char* leaf;
	};
	const Row rows[] = {
		{"/boot/home/sunset.png.h", "sunset.png.h"},
		{"Untitled 2", "Untitled 2"},
		{"/boot/home/images/", "images/"},
		{"images/", "images/"},
		{"/", "/"},
		{"", ""},
		{"/a/b/", "b/"},
		{"a//b", "b"},
		{"a//", "/"},
		{"//", "/"},
		{"dot.png.h", "dot.png.h"},
		{"./x", "x"},
	};
	for (const Row& row : rows) {
		const char* leaf = LeafName(row.path);
		EXPECT_STREQ(leaf, row.leaf) << row.path;
		// A pointer into the argument, nothing copied.
		EXPECT_EQ(leaf, row.path + strlen(row.path) - strlen(row.leaf)) << row.path;
	}
	EXPECT_EQ(LeafName(nullptr), nullptr);
}
