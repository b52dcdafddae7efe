// SPDX-License-Identifier: MIT
// The pixels the image view makes itself: an image averaged down block by
// block in every colour space it may hold, and the checkerboard that shows
// through transparent pixels. Plain code, no window.

#include "image/ImageDisplay.h"
#include "image/ShrunkImage.h"

#include <Bitmap.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

// B, G, R, A as a little-endian value, the B_RGBA32 layout.
constexpr uint32
Rgba(uint32 red, uint32 green, uint32 blue, uint32 alpha)
{
	return blue | green << 8 | red << 16 | alpha << 24;
}

std::unique_ptr<BBitmap>
MakeBitmap(int32 width, int32 height, color_space space, const std::vector<uint8>& rowBytes)
{
	auto bitmap = std::make_unique<BBitmap>(
		BRect(0, 0, float(width - 1), float(height - 1)), space);
	uint8* bits = static_cast<uint8*>(bitmap->Bits());
	size_t perRow = rowBytes.size() / size_t(height);
	for (int32 y = 0; y < height; y++)
		std::memcpy(bits + y * bitmap->BytesPerRow(), rowBytes.data() + y * perRow, perRow);
	return bitmap;
}

uint32
PixelAt(const BBitmap& bitmap, int32 x, int32 y)
{
	uint32 value;
	std::memcpy(
		&value, static_cast<const uint8*>(bitmap.Bits()) + y * bitmap.BytesPerRow() + 4 * x, 4);
	return value;
}

TEST(ShrunkImageTest, TwoByTwoBlocksAverageInEveryColourSpaceTheViewHolds)
{
	struct Row {
		const char* what;
		color_space space;
		std::vector<uint8> bytes; // 2 by 2 pixels, rows packed
		uint32 asShown; // the mean without a checkerboard
		uint32 withAlpha; // the mean weighted by alpha
	};
	const Row rows[] = {
		{"black and white", B_RGB32,
			{0, 0, 0, 255, 255, 255, 255, 255, 255, 255, 255, 255, 0, 0, 0, 255},
			Rgba(128, 128, 128, 255), Rgba(128, 128, 128, 255)},
		// B_RGB32's alpha byte counts for nothing but in the magic value.
		{"zeroed alpha bytes", B_RGB32, {0, 0, 200, 0, 0, 0, 200, 0, 0, 0, 100, 0, 0, 0, 100, 0},
			Rgba(150, 0, 0, 255), Rgba(150, 0, 0, 255)},
		{"one magic pixel", B_RGB32,
			{0x77, 0x74, 0x77, 0, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255, 255},
			Rgba((119 + 3 * 255 + 2) / 4, 29, 30, 255), Rgba(255, 0, 0, 191)},
		{"all transparent", B_RGBA32, {9, 9, 9, 0, 9, 9, 9, 0, 9, 9, 9, 0, 9, 9, 9, 0},
			Rgba(119, 116, 119, 255), 0},
		// Partial alpha: above 128 shown as its colour, weighted when counted.
		{"partly transparent", B_RGBA32,
			{0, 0, 200, 200, 0, 0, 0, 50, 0, 0, 200, 255, 0, 0, 0, 255},
			Rgba((200 + 119 + 200 + 0 + 2) / 4, 29, (119 + 2) / 4, 255),
			Rgba((200 * 200 + 200 * 255 + 380) / 760, 0, 0, (760 + 2) / 4)},
		{"palette with the transparent index", B_CMAP8, {255, 63, 0, 0, 63, 63, 0, 0},
			Rgba((119 + 3 * 255 + 2) / 4, (116 + 3 * 255 + 2) / 4, (119 + 3 * 255 + 2) / 4, 255),
			Rgba(255, 255, 255, 191)},
		{"B_RGB15 with its magic value", B_RGB15, {0xce, 0x39, 0x00, 0x7c, 0x00, 0x7c, 0x00, 0x7c},
			Rgba((119 + 3 * 255 + 2) / 4, 29, 30, 255), Rgba(255, 0, 0, 191)},
		{"B_RGBA15's alpha bit", B_RGBA15, {0x00, 0x7c, 0x00, 0xfc, 0x1f, 0x80, 0x1f, 0x80},
			Rgba((119 + 255 + 2) / 4, 29, (119 + 2 * 255 + 2) / 4, 255), Rgba(85, 0, 170, 191)},
		{"B_RGB15_BIG with its magic value", B_RGB15_BIG,
			{0x39, 0xce, 0x7c, 0x00, 0x7c, 0x00, 0x7c, 0x00},
			Rgba((119 + 3 * 255 + 2) / 4, 29, 30, 255), Rgba(255, 0, 0, 191)},
		{"B_RGBA15_BIG's alpha bit", B_RGBA15_BIG, {0x7c, 0x00, 0xfc, 0x00, 0x80, 0x1f, 0x80, 0x1f},
			Rgba((119 + 255 + 2) / 4, 29, (119 + 2 * 255 + 2) / 4, 255), Rgba(85, 0, 170, 191)},
		{"B_GRAY8", B_GRAY8, {0, 100, 0, 0, 50, 250, 0, 0}, Rgba(100, 100, 100, 255),
			Rgba(100, 100, 100, 255)},
		// One bit a pixel, 1 black: three of the four white.
		{"B_GRAY1", B_GRAY1, {0x80, 0, 0, 0, 0x00, 0, 0, 0}, Rgba(191, 191, 191, 255),
			Rgba(191, 191, 191, 255)},
	};
	for (const Row& row : rows) {
		SCOPED_TRACE(row.what);
		std::unique_ptr<BBitmap> source = MakeBitmap(2, 2, row.space, row.bytes);
		ASSERT_TRUE(source->IsValid());
		std::unique_ptr<BBitmap> shown = ShrinkImage(
			*source, 1, 1, TransparencyShown::kAsMagicColor);
		std::unique_ptr<BBitmap> weighted = ShrinkImage(*source, 1, 1, TransparencyShown::kAsAlpha);
		ASSERT_TRUE(shown && weighted);
		EXPECT_EQ(shown->ColorSpace(), B_RGBA32);
		EXPECT_EQ(PixelAt(*shown, 0, 0), row.asShown) << std::hex << PixelAt(*shown, 0, 0);
		EXPECT_EQ(PixelAt(*weighted, 0, 0), row.withAlpha) << std::hex << PixelAt(*weighted, 0, 0);
	}
}

// Every source pixel lands in exactly one block, the wider blocks where the
// sizes do not divide: a column of white among black shows in one result
// pixel only, in the share of its block.
TEST(ShrunkImageTest, BlocksPartitionTheSourceWhereTheSizesDoNotDivide)
{
	struct Row {
		int32 sourceWidth, width, whiteColumn;
		int32 expectedColumn;
		uint32 expectedGrey; // 255 divided by the block's width, rounded
	};
	const Row rows[] = {
		{5, 2, 0, 0, 85}, // blocks of 3 and 2
		{5, 2, 4, 1, 128}, {10, 3, 3, 0, 64}, // blocks of 4, 3, 3
		{10, 3, 4, 1, 85}, {10, 3, 9, 2, 85},
		{7, 7, 6, 6, 255}, // the same size: the pixels themselves
	};
	for (const Row& row : rows) {
		SCOPED_TRACE(::testing::Message()
			<< row.sourceWidth << " to " << row.width << ", white column " << row.whiteColumn);
		std::vector<uint8> bytes(size_t(row.sourceWidth) * 4, 0);
		for (int32 x = 0; x < row.sourceWidth; x++)
			bytes[size_t(x) * 4 + 3] = 255;
		std::memset(&bytes[size_t(row.whiteColumn) * 4], 255, 4);
		std::unique_ptr<BBitmap> source = MakeBitmap(row.sourceWidth, 1, B_RGB32, bytes);
		std::unique_ptr<BBitmap> result = ShrinkImage(
			*source, row.width, 1, TransparencyShown::kAsMagicColor);
		ASSERT_TRUE(result);
		for (int32 x = 0; x < row.width; x++) {
			uint32 grey = x == row.expectedColumn ? row.expectedGrey : 0;
			EXPECT_EQ(PixelAt(*result, x, 0), Rgba(grey, grey, grey, 255)) << x;
		}
	}
}

TEST(ShrunkImageTest, SizesOutsideTheSourceAreRefused)
{
	std::unique_ptr<BBitmap> source = MakeBitmap(4, 4, B_RGB32, std::vector<uint8>(64, 0));
	for (auto [width, height] : {std::pair{0, 1}, {1, 0}, {5, 4}, {4, 5}, {-1, 2}})
		EXPECT_EQ(ShrinkImage(*source, width, height, TransparencyShown::kAsAlpha), nullptr);
	BBitmap empty(BRect(0, 0, -1, -1), B_RGB32);
	EXPECT_EQ(ShrinkImage(empty, 1, 1, TransparencyShown::kAsAlpha), nullptr);
}

// A 4 by 4 image: the left half transparent, the right half opaque red,
// except pixel (3, 3), black with alpha 102.
std::unique_ptr<BBitmap>
HalfTransparent()
{
	std::vector<uint8> bytes;
	for (int32 y = 0; y < 4; y++) {
		for (int32 x = 0; x < 4; x++) {
			uint32 pixel = x < 2 ? 0 : Rgba(255, 0, 0, 255);
			if (x == 3 && y == 3)
				pixel = Rgba(0, 0, 0, 102);
			for (int shift = 0; shift < 32; shift += 8)
				bytes.push_back(uint8(pixel >> shift));
		}
	}
	return MakeBitmap(4, 4, B_RGBA32, bytes);
}

TEST(ShrunkImageTest, TheCheckerboardShowsWhereTheImageIsTransparentAndThroughPartialAlpha)
{
	std::unique_ptr<BBitmap> image = HalfTransparent();
	ImageDisplay display;
	display.SetImage(image.get());
	// At 4x, drawn from view pixel (16, 16): view pixels 16 to 31 across.
	std::unique_ptr<BBitmap> tile = display.CheckeredTile(BRect(16, 16, 31, 31), BPoint(16, 16), 4);
	ASSERT_TRUE(tile);
	EXPECT_EQ(tile->ColorSpace(), B_RGB32);
	struct Probe {
		int32 x, y;
		uint32 expected;
	};
	const uint32 light = Rgba(255, 255, 255, 255);
	const uint32 dark = Rgba(204, 204, 204, 255);
	const Probe probes[] = {
		{0, 0, light},
		{7, 7, light}, // the first square, under transparent pixels
		{0, 8, dark},
		{7, 15, dark}, // the square below it
		{8, 0, Rgba(255, 0, 0, 255)}, // opaque red as it is
		// Black at alpha 102 over the light square (x 8-15, y 8-15): 153 / 255
		// of its grey.
		{12, 12, Rgba(153, 153, 153, 255)},
	};
	for (const Probe& probe : probes) {
		EXPECT_EQ(PixelAt(*tile, probe.x, probe.y), probe.expected)
			<< probe.x << ", " << probe.y << ": " << std::hex << PixelAt(*tile, probe.x, probe.y);
	}
	// The squares stay eight screen pixels whatever the scale; the board is
	// fixed to the image, so a tile starting further in continues it.
	std::unique_ptr<BBitmap> part = display.CheckeredTile(BRect(16, 24, 23, 31), BPoint(16, 16), 4);
	ASSERT_TRUE(part);
	EXPECT_EQ(PixelAt(*part, 0, 0), dark);

	// At a half the 2 by 2 blocks average with alpha before the board shows
	// through: the left block is the board, the bottom-right one red and
	// black-at-102 mixed.
	std::unique_ptr<BBitmap> half = display.CheckeredTile(
		BRect(16, 16, 17, 17), BPoint(16, 16), 0.5f);
	ASSERT_TRUE(half);
	EXPECT_EQ(PixelAt(*half, 0, 0), light);
	EXPECT_EQ(PixelAt(*half, 1, 0), Rgba(255, 0, 0, 255));
	// Alpha (255 * 3 + 102) / 4 = 217; red 255 * 765 / 867 = 225.
	uint32 expectedRed = (225 * 217 + 255 * 38 + 127) / 255;
	uint32 expectedOther = (255 * 38 + 127) / 255;
	EXPECT_EQ(PixelAt(*half, 1, 1), Rgba(expectedRed, expectedOther, expectedOther, 255))
		<< std::hex << PixelAt(*half, 1, 1);
}

TEST(ShrunkImageTest, TheShrunkImageIsMadeOncePerScaleAndForgottenWithTheImage)
{
	std::unique_ptr<BBitmap> image = HalfTransparent();
	ImageDisplay display;
	EXPECT_EQ(display.Shrunk(0.5f, TransparencyShown::kAsAlpha), nullptr);
	display.SetImage(image.get());
	EXPECT_EQ(display.Shrunk(1, TransparencyShown::kAsAlpha), nullptr);
	const BBitmap* half = display.Shrunk(0.5f, TransparencyShown::kAsAlpha);
	ASSERT_NE(half, nullptr);
	EXPECT_EQ(half->Width(), 2);
	EXPECT_EQ(display.Shrunk(0.5f, TransparencyShown::kAsAlpha), half);
	const BBitmap* quarter = display.Shrunk(0.25f, TransparencyShown::kAsMagicColor);
	ASSERT_NE(quarter, nullptr);
	EXPECT_EQ(quarter->Width(), 1);
	// The magic colour on the left and for the black pixel (its alpha is
	// below 128), red for the rest.
	EXPECT_EQ(PixelAt(*quarter, 0, 0),
		Rgba((119 * 9 + 255 * 7 + 8) / 16, (116 * 9 + 8) / 16, (119 * 9 + 8) / 16, 255));

	// Another image: nothing made from the first is shown for it.
	std::unique_ptr<BBitmap> black = MakeBitmap(4, 4, B_RGB32, std::vector<uint8>(64, 0));
	display.SetImage(black.get());
	const BBitmap* again = display.Shrunk(0.25f, TransparencyShown::kAsMagicColor);
	ASSERT_NE(again, nullptr);
	EXPECT_EQ(PixelAt(*again, 0, 0), Rgba(0, 0, 0, 255));
}

} // namespace
