// SPDX-License-Identifier: MIT
#include <Bitmap.h>
#include <SystemColorMap.h>

#include "ReferenceColorMap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

namespace {

// A pixel as it should come out of any source: straight colour and alpha.
struct Straight {
	uint8 red, green, blue, alpha;
};

// Three pixels of each source space and what they are. Alpha below 128 and
// the transparent magic values are transparent; spaces without alpha are
// opaque (a B_RGB24 pixel of the magic colour included).
struct SourceCase {
	color_space space;
	std::vector<uint8> bytes; // one row of three pixels, unpadded
	Straight pixels[3];
};

const SourceCase kSources[] = {
	{B_RGB32, {0x10, 0x20, 0x30, 0x00, 0x77, 0x74, 0x77, 0x00, 0xff, 0x00, 0x80, 0x12},
		{{0x30, 0x20, 0x10, 255}, {0x77, 0x74, 0x77, 0}, {0x80, 0x00, 0xff, 255}}},
	{B_RGBA32, {0x10, 0x20, 0x30, 0xff, 0x40, 0x50, 0x60, 0x7f, 0x01, 0x02, 0x03, 0x80},
		{{0x30, 0x20, 0x10, 255}, {0x60, 0x50, 0x40, 0x7f}, {0x03, 0x02, 0x01, 0x80}}},
	{B_RGB32_BIG, {0x00, 0x30, 0x20, 0x10, 0x00, 0x77, 0x74, 0x77, 0xff, 0x80, 0x00, 0xff},
		{{0x30, 0x20, 0x10, 255}, {0x77, 0x74, 0x77, 0}, {0x80, 0x00, 0xff, 255}}},
	{B_RGBA32_BIG, {0xff, 0x30, 0x20, 0x10, 0x7f, 0x60, 0x50, 0x40, 0x80, 0x03, 0x02, 0x01},
		{{0x30, 0x20, 0x10, 255}, {0x60, 0x50, 0x40, 0x7f}, {0x03, 0x02, 0x01, 0x80}}},
	{B_RGB24, {0x10, 0x20, 0x30, 0x77, 0x74, 0x77, 0xff, 0x00, 0x80},
		{{0x30, 0x20, 0x10, 255}, {0x77, 0x74, 0x77, 255}, {0x80, 0x00, 0xff, 255}}},
	{B_RGB24_BIG, {0x30, 0x20, 0x10, 0x77, 0x74, 0x77, 0x80, 0x00, 0xff},
		{{0x30, 0x20, 0x10, 255}, {0x77, 0x74, 0x77, 255}, {0x80, 0x00, 0xff, 255}}},
	// 5-6-5 and 5-5-5 expand by repeating their top bits.
	{B_RGB16, {0x00, 0xf8, 0xe0, 0x07, 0x41, 0x08},
		{{255, 0, 0, 255}, {0, 255, 0, 255}, {8, 8, 8, 255}}},
	{B_RGB15, {0x00, 0x7c, 0xe0, 0x83, 0x21, 0x04},
		{{255, 0, 0, 255}, {0, 255, 0, 255}, {8, 8, 8, 255}}},
	// B_RGB15's transparent value reads as B_RGB32's.
	{B_RGB15, {0xce, 0x39, 0x1f, 0x00, 0x00, 0x7c},
		{{0x77, 0x74, 0x77, 0}, {0, 0, 255, 255}, {255, 0, 0, 255}}},
	{B_RGBA15, {0x00, 0xfc, 0x00, 0x7c, 0x21, 0x84},
		{{255, 0, 0, 255}, {255, 0, 0, 0}, {8, 8, 8, 255}}},
	// The _BIG twins: the same values, most significant byte first.
	{B_RGB16_BIG, {0xf8, 0x00, 0x07, 0xe0, 0x08, 0x41},
		{{255, 0, 0, 255}, {0, 255, 0, 255}, {8, 8, 8, 255}}},
	{B_RGB15_BIG, {0x39, 0xce, 0x83, 0xe0, 0x04, 0x21},
		{{0x77, 0x74, 0x77, 0}, {0, 255, 0, 255}, {8, 8, 8, 255}}},
	{B_RGBA15_BIG, {0xfc, 0x00, 0x7c, 0x00, 0x84, 0x21},
		{{255, 0, 0, 255}, {255, 0, 0, 0}, {8, 8, 8, 255}}},
	{B_CMAP8, {62, 255, 63}, {{0, 152, 51, 255}, {0x77, 0x74, 0x77, 0}, {255, 255, 255, 255}}},
	{B_GRAY8, {0x00, 0x80, 0xff}, {{0, 0, 0, 255}, {0x80, 0x80, 0x80, 255}, {255, 255, 255, 255}}},
	{B_GRAY1, {0xa0}, {{0, 0, 0, 255}, {255, 255, 255, 255}, {0, 0, 0, 255}}},
};

uint32
PixelAt(const BBitmap& bitmap, int32 x, int32 y)
{
	uint32 value;
	std::memcpy(
		&value, static_cast<const uint8*>(bitmap.Bits()) + y * bitmap.BytesPerRow() + 4 * x, 4);
	return value;
}

uint8
IndexAt(const BBitmap& bitmap, int32 x, int32 y)
{
	return static_cast<const uint8*>(bitmap.Bits())[y * bitmap.BytesPerRow() + x];
}

uint32
Packed(const Straight& p)
{
	return p.blue | p.green << 8 | p.red << 16 | uint32(p.alpha) << 24;
}

// Fills a bitmap's worth of source data with `row` repeated on every row.
std::vector<uint8>
Rows(const std::vector<uint8>& row, color_space space, int32 width, int32 height)
{
	std::vector<uint8> data(size_t(bytes_per_row_for(space, width) * height), 0);
	for (int32 y = 0; y < height; y++)
		std::copy(row.begin(), row.end(), data.begin() + y * bytes_per_row_for(space, width));
	return data;
}

} // namespace

TEST(SetBitsTest, EverySourceSpaceConvertsIntoRgb32Rgba32AndCmap8)
{
	for (const SourceCase& source : kSources) {
		SCOPED_TRACE(testing::Message() << "source space 0x" << std::hex << source.space);
		std::vector<uint8> data = Rows(source.bytes, source.space, 3, 2);

		BBitmap rgb32(BRect(0, 0, 2, 1), B_RGB32);
		BBitmap rgba32(BRect(0, 0, 2, 1), B_RGBA32);
		BBitmap cmap8(BRect(0, 0, 2, 1), B_CMAP8);
		rgb32.SetBits(data.data(), int32(data.size()), 0, source.space);
		rgba32.SetBits(data.data(), int32(data.size()), 0, source.space);
		cmap8.SetBits(data.data(), int32(data.size()), 0, source.space);

		for (int32 y = 0; y < 2; y++) {
			for (int32 x = 0; x < 3; x++) {
				const Straight& p = source.pixels[x];
				bool transparent = p.alpha < 128;
				uint32 opaque = Packed({p.red, p.green, p.blue, 255});
				// B_RGB32 into B_RGB32 is a plain copy (SameSpaceIsAPlainCopy).
				if (source.space != B_RGB32) {
					EXPECT_EQ(
						PixelAt(rgb32, x, y), transparent ? B_TRANSPARENT_MAGIC_RGBA32 : opaque)
						<< "B_RGB32 pixel " << x;
				}
				EXPECT_EQ(PixelAt(rgba32, x, y), Packed(p)) << "B_RGBA32 pixel " << x;
				EXPECT_EQ(IndexAt(cmap8, x, y),
					transparent ? B_TRANSPARENT_MAGIC_CMAP8
								: test::BruteForceIndex(p.red, p.green, p.blue))
					<< "B_CMAP8 pixel " << x;
			}
		}
	}
}

// Other targets, checked by reading them back into B_RGBA32.
TEST(SetBitsTest, OtherTargetSpacesKeepWhatTheyCanHold)
{
	struct Case {
		color_space space;
		Straight in[3];
		Straight back[3];
	};
	const Straight red = {255, 0, 0, 255}, green = {0, 255, 0, 255}, grey8 = {8, 8, 8, 255};
	const Straight white = {255, 255, 255, 255}, black = {0, 0, 0, 255};
	const Straight clear = {255, 0, 0, 0};
	const Case cases[] = {
		{B_RGB32_BIG, {red, clear, grey8}, {red, {0x77, 0x74, 0x77, 0}, grey8}},
		{B_RGBA32_BIG, {red, clear, grey8}, {red, clear, grey8}},
		{B_RGB24, {red, green, grey8}, {red, green, grey8}},
		{B_RGB24_BIG, {red, green, grey8}, {red, green, grey8}},
		{B_RGB16, {red, green, grey8}, {red, green, grey8}},
		{B_RGB15, {red, green, grey8}, {red, green, grey8}},
		{B_RGBA15, {red, clear, grey8}, {red, clear, grey8}},
		{B_RGB16_BIG, {red, green, grey8}, {red, green, grey8}},
		{B_RGB15_BIG, {red, clear, grey8}, {red, {0x77, 0x74, 0x77, 0}, grey8}},
		{B_RGBA15_BIG, {red, clear, grey8}, {red, clear, grey8}},
		// Grey is the Rec. 601 luma: red weighs 77/256.
		{B_GRAY8, {red, white, black}, {{77, 77, 77, 255}, white, black}},
		{B_GRAY1, {{100, 100, 100, 255}, {200, 200, 200, 255}, black}, {black, white, black}},
	};
	for (const Case& c : cases) {
		SCOPED_TRACE(testing::Message() << "target space 0x" << std::hex << c.space);
		uint8 in[12];
		for (int i = 0; i < 3; i++) {
			uint32 value = Packed(c.in[i]);
			std::memcpy(in + 4 * i, &value, 4);
		}
		BBitmap target(BRect(0, 0, 2, 0), c.space);
		target.SetBits(in, sizeof(in), 0, B_RGBA32);
		BBitmap back(BRect(0, 0, 2, 0), B_RGBA32);
		back.SetBits(target.Bits(), target.BitsLength(), 0, c.space);
		for (int x = 0; x < 3; x++)
			EXPECT_EQ(PixelAt(back, x, 0), Packed(c.back[x])) << "pixel " << x;
	}
}

TEST(SetBitsTest, MagicValuesMapOntoEachOther)
{
	BBitmap cmap8(BRect(0, 0, 255, 0), B_CMAP8);
	std::vector<uint8> indices(256);
	for (int i = 0; i < 256; i++)
		indices[i] = uint8(i);
	cmap8.SetBits(indices.data(), 256, 0, B_CMAP8);

	BBitmap rgb32(BRect(0, 0, 255, 0), B_RGB32);
	rgb32.SetBits(cmap8.Bits(), cmap8.BitsLength(), 0, B_CMAP8);
	const auto& colors = test::ReferenceColors();
	for (int i = 0; i < 255; i++) {
		EXPECT_EQ(
			PixelAt(rgb32, i, 0), Packed({colors[i].red, colors[i].green, colors[i].blue, 255}))
			<< "index " << i;
	}
	EXPECT_EQ(PixelAt(rgb32, 255, 0), B_TRANSPARENT_MAGIC_RGBA32);

	// And back: every index returns, except the second entries of a colour.
	BBitmap again(BRect(0, 0, 255, 0), B_CMAP8);
	again.SetBits(rgb32.Bits(), rgb32.BitsLength(), 0, B_RGB32);
	for (int i = 0; i < 256; i++) {
		int expected = i == 136 ? 19 : i;
		EXPECT_EQ(IndexAt(again, i, 0), expected) << "index " << i;
	}
}

TEST(SetBitsTest, RoundTripThroughCmap8LeavesMapColors)
{
	std::mt19937 random(7);
	BBitmap original(BRect(0, 0, 30, 20), B_RGB32);
	uint8* bits = static_cast<uint8*>(original.Bits());
	for (int32 i = 0; i < original.BitsLength(); i++)
		bits[i] = uint8(random());
	BBitmap cmap8(original.Bounds(), B_CMAP8);
	cmap8.SetBits(original.Bits(), original.BitsLength(), 0, B_RGB32);
	BBitmap back(original.Bounds(), B_RGB32);
	back.SetBits(cmap8.Bits(), cmap8.BitsLength(), 0, B_CMAP8);
	const auto& colors = test::ReferenceColors();
	for (int32 y = 0; y < 21; y++) {
		for (int32 x = 0; x < 31; x++) {
			uint32 in = PixelAt(original, x, y);
			uint8 index = test::BruteForceIndex(uint8(in >> 16), uint8(in >> 8), uint8(in));
			ASSERT_EQ(IndexAt(cmap8, x, y), index) << x << "," << y;
			const rgb_color& c = colors[index];
			ASSERT_EQ(PixelAt(back, x, y), Packed({c.red, c.green, c.blue, 255}));
		}
	}
}

// The source data lines up with the first whole target pixel at or after
// the offset; whatever lies before the offset or past the data stays.
TEST(SetBitsTest, OffsetAndLengthBoundTheConversion)
{
	struct Case {
		const char* what;
		color_space target;
		int32 offset;
		int32 length; // bytes of 32-bit source data given
		int32 firstPixel; // pixel index (row * 10 + column) the data starts at
		int32 pixelCount; // pixels converted
	};
	// Bitmaps are 10 by 3; B_CMAP8 rows are 12 bytes, 32-bit rows 40. The
	// source is B_RGB32 for B_CMAP8 targets and B_RGBA32 for B_RGB32 ones, so
	// that both convert.
	const Case cases[] = {
		{"whole second row and two more", B_CMAP8, 12, 40 + 8, 10, 12},
		{"from the middle of a row", B_CMAP8, 12 + 3, 28 + 40, 13, 17},
		{"data ends inside a pixel", B_CMAP8, 0, 4 * 3 + 2, 0, 3},
		{"offset in the row padding", B_CMAP8, 11, 40, 10, 10},
		{"offset inside a 32-bit pixel", B_RGB32, 2, 8, 1, 2},
		{"more data than the bitmap", B_RGB32, 40 * 2, 40 * 3, 20, 10},
		{"data shorter than a pixel", B_RGB32, 0, 3, 0, 0},
	};
	for (const Case& c : cases) {
		SCOPED_TRACE(c.what);
		// Every source pixel is opaque white. The vector is exactly `length`
		// long, so a read past it shows under the address sanitizer.
		std::vector<uint8> data(size_t(c.length), 0xff);
		BBitmap bitmap(BRect(0, 0, 9, 2), c.target);
		bitmap.SetBits(data.data(), c.length, c.offset, c.target == B_CMAP8 ? B_RGB32 : B_RGBA32);
		for (int32 pixel = 0; pixel < 30; pixel++) {
			bool written = pixel >= c.firstPixel && pixel < c.firstPixel + c.pixelCount;
			int32 x = pixel % 10, y = pixel / 10;
			if (c.target == B_CMAP8)
				EXPECT_EQ(IndexAt(bitmap, x, y), written ? 63 : 0) << "pixel " << pixel;
			else
				EXPECT_EQ(PixelAt(bitmap, x, y), written ? 0xffffffffu : 0u) << "pixel " << pixel;
		}
	}
}

TEST(SetBitsTest, PartialRowsFollowTheSourceLayout)
{
	// A 3-wide B_RGB24 source has 12-byte rows (9 bytes of pixels, 3 of
	// padding); starting at target pixel 1 the data begins with source pixel 1.
	const uint8 data[] = {
		0, 0, 1, 0, 0, 2, 9, 9, 9, // row 0: pixels 1 and 2, padding
		0, 0, 3, 0, 0, 4, 0, 0, 5, 9, 9, 9, // row 1
	};
	BBitmap bitmap(BRect(0, 0, 2, 1), B_RGBA32);
	bitmap.SetBits(data, sizeof(data), 4, B_RGB24);
	for (uint32 i = 0; i < 6; i++) {
		uint32 expected = i == 0 ? 0 : 0xff000000 | i << 16;
		EXPECT_EQ(PixelAt(bitmap, i % 3, i / 3), expected) << "pixel " << i;
	}

	// One bit per pixel: starting at pixel 3, the data's first byte holds
	// pixels 0-7 of its row and the conversion begins at its fourth bit. The
	// second row has one byte of data: pixels 0-7.
	const uint8 bits[] = {0x10, 0x00, 0x00, 0x00, 0x80};
	BBitmap gray(BRect(0, 0, 9, 1), B_GRAY8);
	std::memset(gray.Bits(), 0x55, size_t(gray.BitsLength()));
	gray.SetBits(bits, sizeof(bits), 3, B_GRAY1);
	const uint8* out = static_cast<const uint8*>(gray.Bits());
	const uint8 row0[10] = {0x55, 0x55, 0x55, 0, 255, 255, 255, 255, 255, 255};
	const uint8 row1[10] = {0, 255, 255, 255, 255, 255, 255, 255, 0x55, 0x55};
	for (int32 x = 0; x < 10; x++) {
		EXPECT_EQ(out[x], row0[x]) << "row 0 pixel " << x;
		EXPECT_EQ(out[12 + x], row1[x]) << "row 1 pixel " << x;
	}
}

TEST(SetBitsTest, SameSpaceIsAPlainCopy)
{
	BBitmap bitmap(BRect(0, 0, 2, 0), B_RGB32);
	const uint8 data[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
	bitmap.SetBits(data, sizeof(data), 2, B_RGB32);
	const uint8 expected[] = {0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
	EXPECT_EQ(std::memcmp(bitmap.Bits(), expected, sizeof(expected)), 0)
		<< "copied as is, the alpha bytes too, and cut at the end";
}

TEST(SetBitsTest, NonsenseArgumentsChangeNothing)
{
	BBitmap bitmap(BRect(0, 0, 3, 3), B_CMAP8);
	const uint8 data[64] = {0xff, 0xff, 0xff, 0xff};
	bitmap.SetBits(nullptr, 64, 0, B_RGB32);
	bitmap.SetBits(data, -1, 0, B_RGB32);
	bitmap.SetBits(data, 0, 0, B_RGB32);
	bitmap.SetBits(data, 64, -4, B_RGB32);
	bitmap.SetBits(data, 64, bitmap.BitsLength(), B_RGB32);
	bitmap.SetBits(data, 64, 0, color_space(0x4321));
	bitmap.SetBits(data, 64, 0, B_NO_COLOR_SPACE);
	const uint8* bits = static_cast<const uint8*>(bitmap.Bits());
	for (int32 i = 0; i < bitmap.BitsLength(); i++)
		EXPECT_EQ(bits[i], 0) << "byte " << i;
}

// A channel becomes the level that reads back nearest, not its top bits; a
// transparent pixel becomes B_RGB15's transparent value.
TEST(SetBitsTest, SixteenBitTargetsTakeTheNearestLevel)
{
	// (7, 3, 4) is red level 1 of 31 and green level 1 of 63, where the top
	// bits alone give 0; the second pixel is transparent.
	const uint8 in[8] = {4, 3, 7, 255, 4, 3, 7, 0};
	const struct {
		color_space space;
		std::vector<uint8> bytes;
	} cases[] = {
		{B_RGB16, {0x20, 0x08, 0x20, 0x08}},
		{B_RGB15, {0x00, 0x04, 0xce, 0x39}},
		{B_RGBA15, {0x00, 0x84, 0x00, 0x04}},
		{B_RGB16_BIG, {0x08, 0x20, 0x08, 0x20}},
		{B_RGB15_BIG, {0x04, 0x00, 0x39, 0xce}},
		{B_RGBA15_BIG, {0x84, 0x00, 0x04, 0x00}},
	};
	for (const auto& c : cases) {
		BBitmap bitmap(BRect(0, 0, 1, 0), c.space);
		bitmap.SetBits(in, sizeof(in), 0, B_RGBA32);
		const uint8* bits = static_cast<const uint8*>(bitmap.Bits());
		EXPECT_EQ(std::vector<uint8>(bits, bits + 4), c.bytes) << c.space;
	}
}
