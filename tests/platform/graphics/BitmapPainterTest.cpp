// SPDX-License-Identifier: MIT
#include <BitmapPainter.h>

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

using BPrivate::DrawBitmap;
using BPrivate::FillRect;

namespace {

uint32
PixelAt(const BBitmap& bitmap, int32 x, int32 y)
{
	uint32 value;
	std::memcpy(
		&value, static_cast<const uint8*>(bitmap.Bits()) + y * bitmap.BytesPerRow() + 4 * x, 4);
	return value;
}

void
SetPixel(BBitmap& bitmap, int32 x, int32 y, uint32 value)
{
	std::memcpy(static_cast<uint8*>(bitmap.Bits()) + y * bitmap.BytesPerRow() + 4 * x, &value, 4);
}

uint8
IndexAt(const BBitmap& bitmap, int32 x, int32 y)
{
	return static_cast<const uint8*>(bitmap.Bits())[y * bitmap.BytesPerRow() + x];
}

// One character per pixel of a B_CMAP8 bitmap: '.' for 0, else 'a' + index - 1
// for the small indices the tests use.
std::string
Picture(const BBitmap& bitmap)
{
	std::string picture;
	for (int32 y = 0; y < bitmap.Height(); y++) {
		for (int32 x = 0; x < bitmap.Width(); x++) {
			uint8 index = IndexAt(bitmap, x, y);
			picture += index == 0 ? '.' : char('a' + index - 1);
		}
		picture += '\n';
	}
	return picture;
}

// A B_CMAP8 source whose pixel (x, y) holds index 1 + y * width + x.
BBitmap*
NumberedSource(int32 width, int32 height)
{
	BBitmap* source = new BBitmap(BRect(0, 0, width - 1, height - 1), B_CMAP8);
	for (int32 y = 0; y < height; y++) {
		for (int32 x = 0; x < width; x++)
			static_cast<uint8*>(source->Bits())[y * source->BytesPerRow() + x] = uint8(
				1 + y * width + x);
	}
	return source;
}

const BRect kEverywhere(-1e6f, -1e6f, 1e6f, 1e6f);

} // namespace

TEST(BitmapPainterTest, FillRectStaysInsideRectClipAndTarget)
{
	BBitmap target(BRect(0, 0, 5, 3), B_CMAP8);
	FillRect(&target, BRect(1, 1, 9, 9), {255, 255, 255, 255}, BRect(0, 0, 3, 2));
	// White is index 63 ('a' + 62 = 0x80 would not print; check indices).
	for (int32 y = 0; y < 4; y++) {
		for (int32 x = 0; x < 6; x++) {
			bool inside = x >= 1 && x <= 3 && y >= 1 && y <= 2;
			EXPECT_EQ(IndexAt(target, x, y), inside ? 63 : 0) << x << "," << y;
		}
	}
}

TEST(BitmapPainterTest, FillRectConvertsTheColorLikeSetBits)
{
	struct Case {
		color_space space;
		rgb_color color;
		uint32 expected; // the first pixel's bytes as a little-endian value
	};
	const Case cases[] = {
		{B_RGB32, {0x30, 0x20, 0x10, 0x00}, B_TRANSPARENT_MAGIC_RGBA32},
		{B_RGB32, {0x30, 0x20, 0x10, 0x80}, 0xff302010},
		{B_RGBA32, {0x30, 0x20, 0x10, 0x40}, 0x40302010},
		{B_CMAP8, {0, 152, 51, 255}, 62},
		{B_CMAP8, {0, 152, 51, 10}, B_TRANSPARENT_MAGIC_CMAP8},
	};
	for (const Case& c : cases) {
		BBitmap target(BRect(10, 10, 13, 13), c.space);
		FillRect(&target, BRect(10, 10, 10, 10), c.color, kEverywhere);
		uint32 first = 0;
		std::memcpy(&first, target.Bits(), size_t(bits_per_pixel_for(c.space) / 8));
		EXPECT_EQ(first, c.expected) << "space " << std::hex << c.space;
		const uint8* bits = static_cast<const uint8*>(target.Bits());
		EXPECT_EQ(bits[target.BytesPerRow()], 0) << "bounds start at 10, so only (10, 10)";
	}
}

TEST(BitmapPainterTest, UnscaledDrawingIntoCmap8MatchesSetBits)
{
	std::mt19937 random(99);
	for (color_space space : {B_RGB32, B_RGBA32, B_GRAY8}) {
		SCOPED_TRACE(testing::Message() << "source space 0x" << std::hex << space);
		BBitmap source(BRect(0, 0, 36, 22), space);
		uint8* bits = static_cast<uint8*>(source.Bits());
		for (int32 i = 0; i < source.BitsLength(); i++)
			bits[i] = uint8(random());
		if (space == B_RGB32) {
			SetPixel(source, 3, 4, B_TRANSPARENT_MAGIC_RGBA32);
			SetPixel(source, 5, 4, 0x00102030);
		}

		BBitmap byDrawing(source.Bounds(), B_CMAP8);
		DrawBitmap(&byDrawing, source, source.Bounds(), source.Bounds(), source.Bounds());
		BBitmap bySetBits(source.Bounds(), B_CMAP8);
		bySetBits.SetBits(source.Bits(), source.BitsLength(), 0, space);
		EXPECT_EQ(
			std::memcmp(byDrawing.Bits(), bySetBits.Bits(), size_t(bySetBits.BitsLength())), 0);
		if (space == B_RGB32) {
			EXPECT_EQ(IndexAt(byDrawing, 3, 4), B_TRANSPARENT_MAGIC_CMAP8);
			EXPECT_NE(IndexAt(byDrawing, 5, 4), B_TRANSPARENT_MAGIC_CMAP8)
				<< "a B_RGB32 alpha byte means nothing";
		}
	}
}

TEST(BitmapPainterTest, ScalingPicksTheNearestSourcePixel)
{
	struct Case {
		const char* what;
		int32 sourceWidth, sourceHeight;
		BRect destination;
		const char* picture; // of a 6 by 4 target
	};
	const Case cases[] = {
		{"doubled", 2, 2, BRect(0, 0, 3, 3),
			"aabb..\n"
			"aabb..\n"
			"ccdd..\n"
			"ccdd..\n"},
		{"halved", 4, 4, BRect(1, 1, 2, 2),
			"......\n"
			".fh...\n"
			".np...\n"
			"......\n"},
		{"three into six, stretched only across", 3, 1, BRect(0, 1, 5, 1),
			"......\n"
			"aabbcc\n"
			"......\n"
			"......\n"},
		{"partly off the target", 2, 2, BRect(-2, -2, 1, 1),
			"dd....\n"
			"dd....\n"
			"......\n"
			"......\n"},
	};
	for (const Case& c : cases) {
		SCOPED_TRACE(c.what);
		std::unique_ptr<BBitmap> source(NumberedSource(c.sourceWidth, c.sourceHeight));
		BBitmap target(BRect(0, 0, 5, 3), B_CMAP8);
		DrawBitmap(&target, *source, source->Bounds(), c.destination, kEverywhere);
		EXPECT_EQ(Picture(target), c.picture);
	}
}

TEST(BitmapPainterTest, DrawingIsClippedAndSkipsSourceOutsideTheBitmap)
{
	std::unique_ptr<BBitmap> source(NumberedSource(3, 3));
	BBitmap target(BRect(0, 0, 5, 3), B_CMAP8);
	// The source rectangle starts one pixel left of and above the source, so
	// the destination's first row and column have nothing to draw.
	DrawBitmap(&target, *source, BRect(-1, -1, 2, 2), BRect(1, 0, 4, 3), BRect(0, 0, 3, 2));
	EXPECT_EQ(Picture(target),
		"......\n"
		"..ab..\n"
		"..de..\n"
		"......\n");
}

TEST(BitmapPainterTest, TransparentPixelsAreCopiedAsTheTargetsTransparentValue)
{
	BBitmap source(BRect(0, 0, 1, 0), B_CMAP8);
	static_cast<uint8*>(source.Bits())[0] = B_TRANSPARENT_MAGIC_CMAP8;
	static_cast<uint8*>(source.Bits())[1] = 63;
	BBitmap backBuffer(BRect(0, 0, 1, 0), B_RGB32);
	FillRect(&backBuffer, backBuffer.Bounds(), {0, 0, 255, 255}, kEverywhere);
	DrawBitmap(&backBuffer, source, source.Bounds(), source.Bounds(), kEverywhere);
	EXPECT_EQ(PixelAt(backBuffer, 0, 0), B_TRANSPARENT_MAGIC_RGBA32);
	EXPECT_EQ(PixelAt(backBuffer, 1, 0), 0xffffffffu);
}

TEST(BitmapPainterTest, DrawingABitmapIntoItselfReadsTheOldPixels)
{
	std::unique_ptr<BBitmap> bitmap(NumberedSource(4, 1));
	DrawBitmap(bitmap.get(), *bitmap, BRect(0, 0, 2, 0), BRect(1, 0, 3, 0), kEverywhere);
	EXPECT_EQ(Picture(*bitmap), "aabc\n");
}

TEST(BitmapPainterTest, SameSpaceDrawingCopiesIndicesExactly)
{
	// Index 136 holds the same colour as 19; a copy must keep it.
	BBitmap source(BRect(0, 0, 0, 0), B_CMAP8);
	static_cast<uint8*>(source.Bits())[0] = 136;
	BBitmap target(BRect(0, 0, 0, 0), B_CMAP8);
	DrawBitmap(&target, source, source.Bounds(), target.Bounds(), kEverywhere);
	EXPECT_EQ(IndexAt(target, 0, 0), 136);
}

TEST(BitmapPainterTest, NonsenseRectanglesDrawNothing)
{
	std::unique_ptr<BBitmap> source(NumberedSource(2, 2));
	BBitmap target(BRect(0, 0, 3, 3), B_CMAP8);
	const float nan = std::nanf("");
	DrawBitmap(&target, *source, BRect(), BRect(0, 0, 1, 1), kEverywhere);
	DrawBitmap(&target, *source, source->Bounds(), BRect(0, 0, nan, 1), kEverywhere);
	DrawBitmap(&target, *source, source->Bounds(), BRect(0, 0, 1, 1), BRect(5, 5, 9, 9));
	DrawBitmap(&target, *source, source->Bounds(), BRect(1e20f, 0, 3e20f, 1), kEverywhere);
	FillRect(&target, BRect(0, 0, 3, 3), {0, 0, 0, 255}, BRect());
	FillRect(nullptr, BRect(0, 0, 3, 3), {0, 0, 0, 255}, kEverywhere);
	DrawBitmap(nullptr, *source, source->Bounds(), BRect(0, 0, 1, 1), kEverywhere);
	EXPECT_EQ(Picture(target), "....\n....\n....\n....\n");
}
