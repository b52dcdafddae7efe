// Dithering into the system colour map: pixels worked out by hand, the rules
// every kind keeps (transparency, map colours, the nearest mapping for
// "none"), on bitmaps made here.

#include "image/BitmapConversion.h"
#include <ColorMapDither.h>

#include <Bitmap.h>
#include <SystemColorMap.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr DitherKind kDithering[] = {DitherKind::kFloydSteinberg, DitherKind::kOrdered};

const char*
NameOf(DitherKind kind)
{
	return kind == DitherKind::kFloydSteinberg ? "floyd-steinberg" : "ordered";
}

// A bitmap of `width` x `height` in `space` (B_RGB32 or B_RGBA32) whose
// pixels are B, G, R, A as `pixels` gives them, row by row.
std::unique_ptr<BBitmap>
MakeBitmap(int32 width, int32 height, const std::vector<uint32>& pixels,
	color_space space = B_RGBA32)
{
	auto bitmap = std::make_unique<BBitmap>(BRect(0, 0, width - 1, height - 1), space);
	for (int32 y = 0; y < height; y++) {
		uint8* row = static_cast<uint8*>(bitmap->Bits()) + y * bitmap->BytesPerRow();
		memcpy(row, &pixels[size_t(y) * width], size_t(width) * 4);
	}
	return bitmap;
}

uint32
Grey(uint32 level)
{
	return 0xff000000 | level << 16 | level << 8 | level;
}

uint32
MapColor(uint8 index)
{
	const rgb_color& color = BPrivate::SystemColorMap().ColorAt(index);
	return 0xff000000 | uint32(color.red) << 16 | uint32(color.green) << 8 | color.blue;
}

// The result's pixels row by row, without the rows' padding.
std::vector<uint8>
Indices(const BBitmap& bitmap)
{
	const int32 width = bitmap.Bounds().IntegerWidth() + 1;
	const int32 height = bitmap.Bounds().IntegerHeight() + 1;
	std::vector<uint8> indices;
	for (int32 y = 0; y < height; y++) {
		const uint8* row = static_cast<const uint8*>(bitmap.Bits()) + y * bitmap.BytesPerRow();
		indices.insert(indices.end(), row, row + width);
	}
	return indices;
}

std::vector<uint8>
Dithered(const BBitmap& source, DitherKind kind)
{
	std::unique_ptr<BBitmap> result = DitheredBitmap(source, kind);
	EXPECT_TRUE(result);
	if (!result)
		return {};
	EXPECT_EQ(result->ColorSpace(), B_CMAP8);
	return Indices(*result);
}

} // namespace

// Grey 3 everywhere; the greys of the map are 8 apart (index = level / 8),
// and (4, 4, 4) lies as near grey 0 as grey 8, so it takes the lower index.
// Errors in sixteenths of a level; the first pixel of a row passes the share
// that would go below-behind straight below (8/16), the last one passes
// 6/16 below-behind and 10/16 below.
//   Row 0, left to right:
//     x0  48 -> 0, error 48: ahead 336, below 384 (+48 under x1)
//     x1  48 + (336+8)/16 = 69 -> level 4 -> 0, error 69: ahead 483;
//         under x0 = 384 + 3*69 = 591
//     x2  48 + (483+8)/16 = 78 -> level 5 -> 8, error -50: ahead -350;
//         under x1 = 48 + 5*69 - 150 = 243
//     x3  48 + floor(-342/16) = 26 -> level 2 -> 0, error 26;
//         under x2 = 69 - 250 + 156 = -25, under x3 = -50 + 260 = 210
//   Row 1, right to left:
//     x3  48 + (210+8)/16 = 61 -> level 4 -> 0, error 61: ahead 427
//     x2  48 + (-25+427+8)/16 = 73 -> level 5 -> 8, error -55: ahead -385
//     x1  48 + floor((243-385+8)/16) = 39 -> level 2 -> 0, error 39: ahead 273
//     x0  48 + (591+273+8)/16 = 102 -> level 6 -> 8
TEST(ColorMapDither, FloydSteinbergRunsRowsInTurnAsWorkedByHand)
{
	auto source = MakeBitmap(4, 2, std::vector<uint32>(8, Grey(3)));
	EXPECT_EQ(Dithered(*source, DitherKind::kFloydSteinberg),
		(std::vector<uint8>{0, 0, 1, 0, 1, 0, 1, 0}));
}

// Grey 21 under the 8x8 Bayer matrix: each channel moves by
// (2 * threshold + 1 - 64) * 51 / 128, rounded toward zero, before mapping.
TEST(ColorMapDither, OrderedMovesEachPlaceByItsThreshold)
{
	auto source = MakeBitmap(16, 8, std::vector<uint32>(16 * 8, Grey(21)));
	const std::vector<uint8> result = Dithered(*source, DitherKind::kOrdered);
	ASSERT_EQ(result.size(), 16u * 8u);
	struct Place {
		int32 x, y;
		uint8 index;
	};
	const Place places[] = {
		{0, 0, 0}, // threshold 0: 21 - 25 -> 0 (clamped), grey 0
		{1, 0, 3}, // threshold 32: 21 + 0, grey 24
		{1, 1, 1}, // threshold 16: 21 - 12 = 9, grey 8
		{0, 7, 6}, // threshold 63: 21 + 25 = 46, grey 48
		{3, 0, 3}, // threshold 40: 21 + 6 = 27, grey 24
		{2, 4, 1}, // threshold 11: 21 - 16 = 5, grey 8
	};
	for (const Place& place : places) {
		EXPECT_EQ(result[size_t(place.y) * 16 + place.x], place.index)
			<< place.x << "," << place.y;
		// The cell repeats across the picture.
		EXPECT_EQ(result[size_t(place.y) * 16 + place.x + 8], place.index)
			<< place.x + 8 << "," << place.y;
	}
}

// Alpha below 128 (and B_RGB32's transparent value) is transparent; such a
// pixel neither takes the error of the one before it nor passes any on.
TEST(ColorMapDither, TransparentPixelsStayTransparentAndStopTheError)
{
	// Alone, 3 3 3 gives 0 0 8: the third pixel is pushed up by the error of
	// the first two.
	auto opaque = MakeBitmap(3, 1, {Grey(3), Grey(3), Grey(3)});
	EXPECT_EQ(Dithered(*opaque, DitherKind::kFloydSteinberg), (std::vector<uint8>{0, 0, 1}));

	const uint32 transparent = Grey(3) & 0x7fffffff;
	auto holed = MakeBitmap(3, 1, {Grey(3), transparent, Grey(3)});
	EXPECT_EQ(Dithered(*holed, DitherKind::kFloydSteinberg),
		(std::vector<uint8>{0, B_TRANSPARENT_MAGIC_CMAP8, 0}));
	// Under a transparent pixel nothing arrives either: row 1 is row 0 again.
	auto column = MakeBitmap(1, 3, {Grey(3), transparent, Grey(3)});
	EXPECT_EQ(Dithered(*column, DitherKind::kFloydSteinberg),
		(std::vector<uint8>{0, B_TRANSPARENT_MAGIC_CMAP8, 0}));

	for (DitherKind kind : kDithering) {
		auto alpha = MakeBitmap(4, 1, {Grey(100) & 0x7fffffff, Grey(100) & 0x80ffffff,
			Grey(100) & 0x00ffffff, Grey(100)});
		std::vector<uint8> result = Dithered(*alpha, kind);
		ASSERT_EQ(result.size(), 4u);
		EXPECT_EQ(result[0], B_TRANSPARENT_MAGIC_CMAP8) << NameOf(kind);
		EXPECT_NE(result[1], B_TRANSPARENT_MAGIC_CMAP8) << NameOf(kind);
		EXPECT_EQ(result[2], B_TRANSPARENT_MAGIC_CMAP8) << NameOf(kind);
		EXPECT_NE(result[3], B_TRANSPARENT_MAGIC_CMAP8) << NameOf(kind);

		auto magic = MakeBitmap(2, 1, {B_TRANSPARENT_MAGIC_RGBA32, Grey(100)}, B_RGB32);
		result = Dithered(*magic, kind);
		ASSERT_EQ(result.size(), 2u);
		EXPECT_EQ(result[0], B_TRANSPARENT_MAGIC_CMAP8) << NameOf(kind);
		EXPECT_NE(result[1], B_TRANSPARENT_MAGIC_CMAP8) << NameOf(kind);
	}
}

// A picture of map colours has no error to spread: every kind gives what the
// nearest mapping gives, the lower index for a colour the map holds twice.
TEST(ColorMapDither, APictureOfMapColoursComesOutUnchanged)
{
	std::vector<uint32> pixels;
	std::mt19937 random(22);
	for (int32 i = 0; i < 64 * 64; i++)
		pixels.push_back(MapColor(uint8(i < 255 ? i : random() % 255)));
	auto source = MakeBitmap(64, 64, pixels);
	const std::vector<uint8> nearest = Indices(*ConvertedBitmap(*source, B_CMAP8));
	for (DitherKind kind : kDithering)
		EXPECT_EQ(Dithered(*source, kind), nearest) << NameOf(kind);

	// A palette bitmap is copied as it is.
	auto palette = ConvertedBitmap(*source, B_CMAP8);
	for (DitherKind kind : kDithering)
		EXPECT_EQ(Dithered(*palette, kind), nearest) << NameOf(kind);
}

// Ordered dithering keeps a map colour wherever it stands, among colours
// that are dithered.
TEST(ColorMapDither, OrderedKeepsEveryMapColouredPixel)
{
	std::mt19937 random(7);
	std::vector<uint32> pixels;
	std::vector<bool> isMapColour;
	for (int32 i = 0; i < 32 * 32; i++) {
		const bool map = random() % 2 == 0;
		pixels.push_back(map ? MapColor(uint8(random() % 255)) : 0xff000000 | random());
		isMapColour.push_back(map);
	}
	auto source = MakeBitmap(32, 32, pixels);
	const std::vector<uint8> nearest = Indices(*ConvertedBitmap(*source, B_CMAP8));
	const std::vector<uint8> ordered = Dithered(*source, DitherKind::kOrdered);
	ASSERT_EQ(ordered.size(), nearest.size());
	int32 dithered = 0;
	for (size_t i = 0; i < nearest.size(); i++) {
		if (isMapColour[i])
			EXPECT_EQ(ordered[i], nearest[i]) << "pixel " << i;
		else
			dithered += ordered[i] != nearest[i];
	}
	EXPECT_GT(dithered, 0);
}

TEST(ColorMapDither, NoneIsTheNearestMappingByteForByte)
{
	std::mt19937 random(3);
	std::vector<uint32> pixels;
	for (int32 i = 0; i < 37 * 23; i++)
		pixels.push_back(random());
	for (color_space space : {B_RGB32, B_RGBA32}) {
		auto source = MakeBitmap(37, 23, pixels, space);
		std::unique_ptr<BBitmap> none = DitheredBitmap(*source, DitherKind::kNone);
		std::unique_ptr<BBitmap> nearest = ConvertedBitmap(*source, B_CMAP8);
		ASSERT_TRUE(none && nearest);
		ASSERT_EQ(none->BitsLength(), nearest->BitsLength());
		EXPECT_EQ(memcmp(none->Bits(), nearest->Bits(), size_t(none->BitsLength())), 0);
	}
}

// Pure noise of extreme values drives the errors as far as they go (the
// sanitizer builds watch the sums); every opaque pixel still gets a map
// index, the same on every run.
TEST(ColorMapDither, ExtremeNoiseGivesValidRepeatableIndices)
{
	std::mt19937 random(5);
	std::vector<uint32> pixels;
	for (int32 i = 0; i < 300 * 300; i++) {
		uint32 value = random();
		pixels.push_back(0xff000000 | ((value & 0x10101) * 0xff));
	}
	auto source = MakeBitmap(300, 300, pixels);
	for (DitherKind kind : kDithering) {
		const std::vector<uint8> first = Dithered(*source, kind);
		for (uint8 index : first)
			ASSERT_NE(index, B_TRANSPARENT_MAGIC_CMAP8) << NameOf(kind);
		EXPECT_EQ(Dithered(*source, kind), first) << NameOf(kind);
	}
}
