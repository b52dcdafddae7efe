// SPDX-License-Identifier: MIT
#include <Bitmap.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

struct LayoutCase {
	color_space space;
	int32 width;
	int32 height;
	int32 bitsPerPixel;
	int32 bytesPerRow;
};

// Rows pad to a multiple of 4 bytes in every colour space.
const LayoutCase kLayouts[] = {
	{B_CMAP8, 10, 5, 8, 12},
	{B_CMAP8, 16, 16, 8, 16},
	{B_GRAY8, 1, 1, 8, 4},
	{B_RGB32, 10, 5, 32, 40},
	{B_RGBA32, 3, 2, 32, 12},
	{B_RGB32_BIG, 1, 1, 32, 4},
	{B_RGBA32_BIG, 7, 1, 32, 28},
	{B_RGB24, 3, 2, 24, 12},
	{B_RGB24, 5, 1, 24, 16},
	{B_RGB24_BIG, 1, 1, 24, 4},
	{B_RGB16, 3, 4, 16, 8},
	{B_RGB15, 2, 1, 16, 4},
	{B_RGBA15, 5, 1, 16, 12},
	{B_RGB16_BIG, 1, 1, 16, 4},
	{B_RGB15_BIG, 3, 1, 16, 8},
	{B_RGBA15_BIG, 4, 2, 16, 8},
	{B_GRAY1, 8, 2, 1, 4},
	{B_GRAY1, 33, 3, 1, 8},
};

} // namespace

TEST(BitmapLayoutTest, RowsArePaddedToFourBytes)
{
	for (const LayoutCase& c : kLayouts) {
		SCOPED_TRACE(testing::Message()
			<< "space " << std::hex << c.space << std::dec << " width " << c.width);
		EXPECT_EQ(bits_per_pixel_for(c.space), c.bitsPerPixel);
		EXPECT_EQ(bytes_per_row_for(c.space, c.width), c.bytesPerRow);

		BBitmap bitmap(BRect(0, 0, c.width - 1, c.height - 1), c.space);
		ASSERT_EQ(bitmap.InitCheck(), B_OK);
		EXPECT_EQ(bitmap.ColorSpace(), c.space);
		EXPECT_EQ(bitmap.Width(), c.width);
		EXPECT_EQ(bitmap.Height(), c.height);
		EXPECT_EQ(bitmap.BytesPerRow(), c.bytesPerRow);
		EXPECT_EQ(bitmap.BitsLength(), c.bytesPerRow * c.height);
		const uint8* bits = static_cast<const uint8*>(bitmap.Bits());
		ASSERT_NE(bits, nullptr);
		EXPECT_TRUE(std::all_of(bits, bits + bitmap.BitsLength(), [](uint8 b) { return b == 0; }))
			<< "pixels start zeroed";
	}
}

TEST(BitmapLayoutTest, UnknownSpacesAndWidthsHaveNoLayout)
{
	EXPECT_EQ(bits_per_pixel_for(B_NO_COLOR_SPACE), 0);
	EXPECT_EQ(bits_per_pixel_for(color_space(0x1234)), 0);
	EXPECT_EQ(bytes_per_row_for(color_space(0x1234), 10), 0);
	EXPECT_EQ(bytes_per_row_for(B_RGB32, 0), 0);
	EXPECT_EQ(bytes_per_row_for(B_RGB32, -5), 0);
	EXPECT_EQ(bytes_per_row_for(B_RGB32, std::numeric_limits<int32>::max()), 0)
		<< "a row longer than int32 bytes is no row";
}

TEST(BitmapLayoutTest, BoundsNeedNotStartAtZero)
{
	BBitmap bitmap(BRect(10, 20, 19, 24), B_CMAP8);
	ASSERT_EQ(bitmap.InitCheck(), B_OK);
	EXPECT_EQ(bitmap.Width(), 10);
	EXPECT_EQ(bitmap.Height(), 5);
	EXPECT_EQ(bitmap.Bounds(), BRect(10, 20, 19, 24));
	EXPECT_EQ(bitmap.BitsLength(), 60);
}

TEST(BitmapLayoutTest, UnusableBitmapsReportAndHoldNoBits)
{
	const float nan = std::nanf("");
	const float inf = std::numeric_limits<float>::infinity();
	struct Case {
		const char* what;
		BRect bounds;
		color_space space;
		status_t status;
	};
	const Case cases[] = {
		{"default (invalid) rectangle", BRect(), B_RGB32, B_BAD_VALUE},
		{"inverted rectangle", BRect(5, 0, 4, 3), B_RGB32, B_BAD_VALUE},
		{"not a number", BRect(0, 0, nan, 3), B_CMAP8, B_BAD_VALUE},
		{"infinite", BRect(0, 0, inf, 3), B_CMAP8, B_BAD_VALUE},
		{"no colour space", BRect(0, 0, 3, 3), B_NO_COLOR_SPACE, B_BAD_VALUE},
		{"unknown colour space", BRect(0, 0, 3, 3), color_space(0x1234), B_BAD_VALUE},
		{"one pixel over the limit", BRect(0, 0, 16384, 16383), B_CMAP8, B_NO_MEMORY},
		{"huge", BRect(0, 0, 1e9f, 1e9f), B_RGB32, B_NO_MEMORY},
		{"long and thin", BRect(0, 0, 300000000.0f, 0), B_RGB32, B_NO_MEMORY},
		{"over the limit by its height", BRect(0, 0, 1, 200000000), B_GRAY1, B_NO_MEMORY},
	};
	for (const Case& c : cases) {
		BBitmap bitmap(c.bounds, c.space);
		EXPECT_EQ(bitmap.InitCheck(), c.status) << c.what;
		EXPECT_FALSE(bitmap.IsValid()) << c.what;
		EXPECT_EQ(bitmap.Bits(), nullptr) << c.what;
		EXPECT_EQ(bitmap.BitsLength(), 0) << c.what;
		EXPECT_EQ(bitmap.Width(), 0) << c.what;
		// Everything stays harmless on such a bitmap.
		const uint8 data[16] = {};
		bitmap.SetBits(data, sizeof(data), 0, B_RGB32);
	}
}
