// SPDX-License-Identifier: MIT
// Dithering into the system colour map: pixels worked out by hand, the rules
// every kind keeps (transparency, map colours, the nearest mapping for
// "none"), on bitmaps made here.

#include "export/BitmapConversion.h"
#include <ColorMapDither.h>

#include <Bitmap.h>
#include <SystemColorMap.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <utility>
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
MakeBitmap(
	int32 width, int32 height, const std::vector<uint32>& pixels, color_space space = B_RGBA32)
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

// Floyd-Steinberg by both loops (the plain one, and the vector one where the
// processor has it), which must agree byte for byte.
std::vector<uint8>
Diffused(const BBitmap& source)
{
	std::vector<uint8> result = Dithered(source, DitherKind::kFloydSteinberg);
	std::unique_ptr<BBitmap> plain = PlainlyDiffusedBitmap(source);
	EXPECT_TRUE(plain && Indices(*plain) == result) << "the plain loop gives other bytes";
	return result;
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
		EXPECT_EQ(result[size_t(place.y) * 16 + place.x], place.index) << place.x << "," << place.y;
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
		auto alpha = MakeBitmap(4, 1,
			{Grey(100) & 0x7fffffff, Grey(100) & 0x80ffffff, Grey(100) & 0x00ffffff, Grey(100)});
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
	const std::vector<uint8> nearest = Indices(*ConvertedBitmap(*source, B_CMAP8).Value());
	for (DitherKind kind : kDithering)
		EXPECT_EQ(Dithered(*source, kind), nearest) << NameOf(kind);

	// A palette bitmap is copied as it is.
	auto palette = ConvertedBitmap(*source, B_CMAP8).Value();
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
	const std::vector<uint8> nearest = Indices(*ConvertedBitmap(*source, B_CMAP8).Value());
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
		std::unique_ptr<BBitmap> nearest = ConvertedBitmap(*source, B_CMAP8).Value();
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

namespace {

// Random pixels that reach every case: channels at either end of their range
// (where moving and clamping meet), map colours, colours near the greys, and
// transparent pixels (alpha below 128, or B_RGB32's transparent value).
std::vector<uint32>
MixedPixels(std::mt19937& random, int32 count, color_space space)
{
	auto channel = [&random]() {
		const uint32 kind = random() % 3;
		return kind == 0 ? random() % 24 : kind == 1 ? 255 - random() % 24 : random() % 256;
	};
	std::vector<uint32> pixels;
	for (int32 i = 0; i < count; i++) {
		const uint32 kind = random() % 16;
		if (kind == 0)
			pixels.push_back(space == B_RGB32 ? B_TRANSPARENT_MAGIC_RGBA32 : random() & 0x7fffffff);
		else if (kind == 1)
			pixels.push_back(MapColor(uint8(random() % 255)));
		else if (kind < 5) {
			// Near the greys, where the map's colours lie closest together.
			const int32 grey = int32(random() % 256);
			auto near = [&]() {
				return uint32(std::clamp(grey + int32(random() % 13) - 6, 0, 255));
			};
			pixels.push_back(0xff000000 | near() << 16 | near() << 8 | near());
		} else
			pixels.push_back(
				uint32(random() % 128 + 128) << 24 | channel() << 16 | channel() << 8 | channel());
	}
	return pixels;
}

bool
IsTransparentPixel(uint32 pixel, color_space space)
{
	return space == B_RGB32 ? pixel == B_TRANSPARENT_MAGIC_RGBA32 : pixel < 0x80000000u;
}

uint8
NearestIndex(uint32 red, uint32 green, uint32 blue)
{
	return BPrivate::SystemColorMap().IndexFor(uint8(red), uint8(green), uint8(blue));
}

// Floyd-Steinberg as plainly as it can be said, with a whole picture of
// waiting error (in 1/256 of a level) and the map's own search.
std::vector<uint8>
PlainFloydSteinberg(int32 width, int32 height, const std::vector<uint32>& pixels, color_space space)
{
	std::vector<int32> waiting(size_t(width + 2) * (height + 1) * 3, 0);
	auto at = [&](int32 x, int32 y) { return &waiting[(size_t(y) * (width + 2) + x + 1) * 3]; };
	std::vector<uint8> result(size_t(width) * height);
	for (int32 y = 0; y < height; y++) {
		const int32 step = y % 2 == 0 ? 1 : -1;
		for (int32 i = 0; i < width; i++) {
			const int32 x = step > 0 ? i : width - 1 - i;
			const uint32 pixel = pixels[size_t(y) * width + x];
			int32 error[3] = {0, 0, 0};
			if (IsTransparentPixel(pixel, space)) {
				result[size_t(y) * width + x] = B_TRANSPARENT_MAGIC_CMAP8;
			} else {
				int32 value[3];
				for (int32 c = 0; c < 3; c++) {
					const int32 level = int32(pixel >> (16 - 8 * c)) & 0xff;
					value[c] = std::clamp(16 * level + ((at(x, y)[c] + 8) >> 4), 0, 16 * 255);
				}
				const uint8 index = NearestIndex(uint32(value[0] + 8) >> 4,
					uint32(value[1] + 8) >> 4, uint32(value[2] + 8) >> 4);
				result[size_t(y) * width + x] = index;
				const rgb_color& color = BPrivate::SystemColorMap().ColorAt(index);
				const int32 chosen[3] = {color.red, color.green, color.blue};
				for (int32 c = 0; c < 3; c++)
					error[c] = value[c] - 16 * chosen[c];
			}
			// Sixteenths ahead, below behind, below, below ahead.
			int32 shares[4] = {7, 3, 5, 1};
			if (width == 1) {
				shares[0] = 0, shares[1] = 0, shares[2] = 16, shares[3] = 0;
			} else if (i == 0) {
				shares[1] = 0, shares[2] = 8;
			} else if (i == width - 1) {
				shares[0] = 0, shares[1] = 6, shares[2] = 10, shares[3] = 0;
			}
			for (int32 c = 0; c < 3; c++) {
				at(x + step, y)[c] += shares[0] * error[c];
				at(x - step, y + 1)[c] += shares[1] * error[c];
				at(x, y + 1)[c] += shares[2] * error[c];
				at(x + step, y + 1)[c] += shares[3] * error[c];
			}
		}
	}
	return result;
}

// The threshold at (x, y) of the 8x8 Bayer matrix, from its recursive
// definition rather than a copy of the table: each doubling of the matrix
// holds four copies of the smaller one, times four, plus 0, 2, 3 and 1 in its
// top-left, top-right, bottom-left and bottom-right quarters.
int32
BayerThreshold(int32 x, int32 y)
{
	const int32 quarter[2][2] = {{0, 2}, {3, 1}};
	int32 threshold = 0;
	for (int bit = 0; bit < 3; bit++)
		threshold = threshold * 4 + quarter[(y >> bit) & 1][(x >> bit) & 1];
	return threshold;
}

// Ordered dithering as plainly: a map colour keeps its index, any other
// colour moves each channel by its place's offset (clamped) and is searched.
std::vector<uint8>
PlainOrdered(int32 width, int32 height, const std::vector<uint32>& pixels, color_space space)
{
	std::vector<uint8> result;
	for (int32 y = 0; y < height; y++) {
		for (int32 x = 0; x < width; x++) {
			const uint32 pixel = pixels[size_t(y) * width + x];
			const uint32 red = (pixel >> 16) & 0xff, green = (pixel >> 8) & 0xff;
			const uint32 blue = pixel & 0xff;
			const int32 offset = (2 * BayerThreshold(x & 7, y & 7) + 1 - 64) * 51 / 128;
			auto moved = [offset](uint32 level) {
				return uint32(std::clamp(int32(level) + offset, 0, 255));
			};
			if (IsTransparentPixel(pixel, space))
				result.push_back(B_TRANSPARENT_MAGIC_CMAP8);
			else if (BPrivate::SystemColorMap().Contains(uint8(red), uint8(green), uint8(blue)))
				result.push_back(NearestIndex(red, green, blue));
			else
				result.push_back(NearestIndex(moved(red), moved(green), moved(blue)));
		}
	}
	return result;
}

} // namespace

// Both kinds against their rules said plainly, on pictures of every width
// from 1 to 19 (a row's ends, and the parts of a row done several pixels at
// a time and one at a time) and one of long rows, in both 32-bit spaces.
TEST(ColorMapDither, EveryKindFollowsItsRuleOnPicturesOfEveryWidth)
{
	std::vector<int32> widths;
	for (int32 width = 1; width <= 19; width++)
		widths.push_back(width);
	widths.push_back(301);
	std::mt19937 random(11);
	for (color_space space : {B_RGBA32, B_RGB32}) {
		for (int32 width : widths) {
			const int32 height = width > 19 ? 17 : 1 + width % 10;
			const std::vector<uint32> pixels = MixedPixels(random, width * height, space);
			auto source = MakeBitmap(width, height, pixels, space);
			EXPECT_EQ(Diffused(*source), PlainFloydSteinberg(width, height, pixels, space))
				<< width << " x " << height << (space == B_RGB32 ? " B_RGB32" : " B_RGBA32");
			EXPECT_EQ(
				Dithered(*source, DitherKind::kOrdered), PlainOrdered(width, height, pixels, space))
				<< width << " x " << height << (space == B_RGB32 ? " B_RGB32" : " B_RGBA32");
		}
	}
}

// A picture of 64 rows or more is diffused as two bands, its top half
// (rounded up to an even number of rows) and the rest, each as if it were a
// picture of its own: no error crosses from one to the other, and every row
// keeps the direction of its number. Odd heights, a bottom band shorter
// than the top one and rows of one and two pixels included; 63 rows are
// still one band.
TEST(ColorMapDither, TallPicturesAreDiffusedAsTwoBandsOfTheirOwn)
{
	std::mt19937 random(13);
	const std::pair<int32, int32> sizes[] = {{9, 63}, {10, 64}, {11, 65}, {12, 66}, {13, 67},
		{11, 130}, {12, 201}, {1, 64}, {1, 77}, {2, 65}};
	for (const auto& [width, height] : sizes) {
		const std::vector<uint32> pixels = MixedPixels(random, width * height, B_RGBA32);
		auto source = MakeBitmap(width, height, pixels);
		std::vector<uint8> expected;
		if (height < 64) {
			expected = PlainFloydSteinberg(width, height, pixels, B_RGBA32);
		} else {
			const int32 top = ((height + 1) / 2 + 1) & ~1;
			const auto split = pixels.begin() + ptrdiff_t(top) * width;
			expected = PlainFloydSteinberg(
				width, top, std::vector<uint32>(pixels.begin(), split), B_RGBA32);
			const std::vector<uint8> bottom = PlainFloydSteinberg(
				width, height - top, std::vector<uint32>(split, pixels.end()), B_RGBA32);
			expected.insert(expected.end(), bottom.begin(), bottom.end());
		}
		EXPECT_EQ(Diffused(*source), expected) << width << " x " << height;
	}
}
