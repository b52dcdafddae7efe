// SPDX-License-Identifier: MIT
#include <PrefilledBitmap.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

TEST(PrefilledBitmap, CopiesExactlyBitsLengthBytesWithRowPadding)
{
	struct Row {
		BRect bounds;
		color_space space;
		int32 length;
	};
	// 10 pixels of B_CMAP8 are 12 bytes a row; B_RGB32 needs no padding.
	const Row rows[] = {
		{BRect(0, 0, 9, 6), B_CMAP8, 12 * 7},
		{BRect(0, 0, 9, 6), B_RGB32, 40 * 7},
		{BRect(-2, -1, 0, 0), B_RGB32, 12 * 2},
		{BRect(0, 0, 0, 0), B_CMAP8, 4},
	};
	for (const Row& row : rows) {
		// Exactly the length, on the heap, so that reading past it is caught.
		std::unique_ptr<uint8[]> data(new uint8[row.length]);
		for (int32 i = 0; i < row.length; i++)
			data[i] = uint8(i * 7 + 1);
		PrefilledBitmap bitmap(row.bounds, row.space, data.get());
		ASSERT_EQ(bitmap.InitCheck(), B_OK);
		EXPECT_EQ(bitmap.Bounds(), row.bounds);
		EXPECT_EQ(bitmap.ColorSpace(), row.space);
		ASSERT_EQ(bitmap.BitsLength(), row.length);
		EXPECT_EQ(memcmp(bitmap.Bits(), data.get(), size_t(row.length)), 0);
	}
}

TEST(PrefilledBitmap, PassesTheFlagsAndSurvivesMissingOrUnusableInput)
{
	const uint8 pixels[4] = {1, 2, 3, 4};
	PrefilledBitmap withViews(BRect(0, 0, 0, 0), B_RGB32, pixels, true, false);
	EXPECT_TRUE(withViews.AcceptsViews());
	EXPECT_FALSE(PrefilledBitmap(BRect(0, 0, 0, 0), B_RGB32, pixels).AcceptsViews());

	PrefilledBitmap empty(BRect(0, 0, 3, 0), B_CMAP8, nullptr);
	ASSERT_EQ(empty.InitCheck(), B_OK);
	EXPECT_EQ(memcmp(empty.Bits(), "\0\0\0\0", 4), 0);

	// Bounds with right before left make no bitmap; nothing is read or written.
	PrefilledBitmap invalid(BRect(5, 0, 1, 0), B_RGB32, pixels);
	EXPECT_NE(invalid.InitCheck(), B_OK);
	EXPECT_EQ(invalid.Bits(), nullptr);
}
