// SPDX-License-Identifier: MIT
#include <PrefilledBitmap.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

TEST(PrefilledBitmapTest, TakesExactlyBitsLengthBytes)
{
	// 5 by 2 in B_CMAP8: rows of 8 bytes, 16 in all. The array is exactly
	// that long, so reading one byte more shows under the address sanitizer.
	std::vector<uint8> data(16);
	for (size_t i = 0; i < data.size(); i++)
		data[i] = uint8(i + 1);
	PrefilledBitmap bitmap(BRect(0, 0, 4, 1), B_CMAP8, data.data());
	ASSERT_EQ(bitmap.InitCheck(), B_OK);
	ASSERT_EQ(bitmap.BitsLength(), 16);
	EXPECT_EQ(std::memcmp(bitmap.Bits(), data.data(), data.size()), 0);
	EXPECT_FALSE(bitmap.AcceptsViews());
}

TEST(PrefilledBitmapTest, WithoutDataOrBoundsItStaysEmpty)
{
	PrefilledBitmap noData(BRect(0, 0, 1, 1), B_RGB32, nullptr, true);
	ASSERT_EQ(noData.InitCheck(), B_OK);
	EXPECT_TRUE(noData.AcceptsViews());
	const uint8* bits = static_cast<const uint8*>(noData.Bits());
	for (int32 i = 0; i < noData.BitsLength(); i++)
		EXPECT_EQ(bits[i], 0);

	const uint8 data[4] = {1, 2, 3, 4};
	PrefilledBitmap invalid(BRect(), B_RGB32, data);
	EXPECT_NE(invalid.InitCheck(), B_OK);
	EXPECT_EQ(invalid.Bits(), nullptr);
}
