// SPDX-License-Identifier: MIT
#include "DibBuilder.h"

#include <BmpReader.h>

namespace readers {
namespace {

using BmpCase = ImageCase<Dib>;

Bytes
Row(std::initializer_list<int> values)
{
	return Bytes().U8(values);
}

Dib
Make(uint32 headerSize, int32 width, int32 height, uint16 bits, uint32 compression,
	std::vector<uint32> masks, std::vector<uint32> palette, Bytes pixels)
{
	Dib dib;
	dib.headerSize = headerSize;
	dib.width = width;
	dib.height = height;
	dib.bits = bits;
	dib.compression = compression;
	dib.masks = std::move(masks);
	dib.palette = std::move(palette);
	dib.pixels = std::move(pixels);
	return dib;
}

const std::vector<BmpCase>&
Cases()
{
	static const std::vector<BmpCase> cases = {
		// 5-6-5 masks: full intensity is 255, and 32 of 63 rounds to 130.
		{"Bitfields565Rounded",
			Make(40, 3, 1, 16, 3, {0xf800, 0x07e0, 0x001f}, {},
				Row({0x00, 0xf8, 0xe0, 0x07, 0x00, 0x04, 0, 0})),
			3, 1, {Rgb(0xff0000), Rgb(0x00ff00), Rgb(0x008200)}, B_RGB32},
		// Without masks 16 bits are 5-5-5; 16 of 31 rounds to 132.
		{"Plain16Is555", Make(40, 2, 1, 16, 0, {}, {}, Row({0xff, 0x7f, 0x00, 0x02})), 2, 1,
			{Rgb(0xffffff), Rgb(0x008400)}, B_RGB32},
		{"TenBitChannels",
			Make(40, 1, 1, 32, 3, {0x3ff00000, 0x000ffc00, 0x000003ff}, {},
				Bytes().LE32(1023u << 20 | 512u << 10)),
			1, 1, {Rgb(0xff8000)}, B_RGB32},
		// 4-4-4-4 with alpha: 8 of 15 is 136, kept straight.
		{"AlphaBitfields",
			Make(40, 1, 1, 16, 6, {0x0f00, 0x00f0, 0x000f, 0xf000}, {}, Row({0x00, 0x8f, 0, 0})), 1,
			1, {PackColor(255, 0, 0, 136)}, B_RGBA32},
		{"V5HeaderHoldsMasks",
			Make(124, 1, 1, 16, 3, {0xf800, 0x07e0, 0x001f}, {}, Row({0x1f, 0x00, 0, 0})), 1, 1,
			{Rgb(0x0000ff)}, B_RGB32},
		{"Plain32ZeroAlphaIsOpaque",
			Make(40, 2, 1, 32, 0, {}, {}, Row({50, 100, 200, 0, 1, 2, 3, 0})), 2, 1,
			{Rgb(0xc86432), Rgb(0x030201)}, B_RGB32},
		{"Plain32AlphaKeptStraight",
			Make(40, 2, 1, 32, 0, {}, {}, Row({50, 100, 200, 128, 1, 2, 3, 255})), 2, 1,
			{PackColor(200, 100, 50, 128), Rgb(0x030201)}, B_RGBA32},
		{"BottomUpRows", Make(40, 1, 2, 24, 0, {}, {}, Row({1, 2, 3, 0, 4, 5, 6, 0})), 1, 2,
			{Rgb(0x060504), Rgb(0x030201)}, B_RGB32},
		{"TopDownRows", Make(40, 1, -2, 24, 0, {}, {}, Row({1, 2, 3, 0, 4, 5, 6, 0})), 1, 2,
			{Rgb(0x030201), Rgb(0x060504)}, B_RGB32},
		{"OneBitSystemColours",
			Make(40, 9, 1, 1, 0, {}, {0x000000, 0xffffff}, Row({0xb0, 0x80, 0, 0})), 9, 1,
			{Rgb(0xffffff), Rgb(0), Rgb(0xffffff), Rgb(0xffffff), Rgb(0), Rgb(0), Rgb(0), Rgb(0),
				Rgb(0xffffff)},
			B_CMAP8},
		{"TwoBitPalette",
			Make(
				40, 4, 1, 2, 0, {}, {0x123456, 0x654321, 0x0a0b0c, 0xc0b0a0}, Row({0x1b, 0, 0, 0})),
			4, 1, {Rgb(0x123456), Rgb(0x654321), Rgb(0x0a0b0c), Rgb(0xc0b0a0)}, B_RGB32},
		{"FourBitPalette",
			Make(40, 3, 1, 4, 0, {}, {0, 0x123456, 0x654321, 0x0a0b0c}, Row({0x12, 0x30, 0, 0})), 3,
			1, {Rgb(0x123456), Rgb(0x654321), Rgb(0x0a0b0c)}, B_RGB32},
		{"GreyPaletteGivesGray8", Make(40, 2, 1, 8, 0, {}, {0x010101, 0x020202}, Row({1, 0, 0, 0})),
			2, 1, {Rgb(0x020202), Rgb(0x010101)}, B_GRAY8},
		{"Os2CoreHeader", Make(12, 2, 1, 8, 0, {}, {0x123456, 0x654321}, Row({1, 0, 0, 0})), 2, 1,
			{Rgb(0x654321), Rgb(0x123456)}, B_RGB32},
		{"Os2Header64", Make(64, 1, 1, 24, 0, {}, {}, Row({1, 2, 3, 0})), 1, 1, {Rgb(0x030201)},
			B_RGB32},
		{"LastRowWithoutPadding", Make(40, 1, 2, 24, 0, {}, {}, Row({1, 2, 3, 0, 4, 5, 6})), 1, 2,
			{Rgb(0x060504), Rgb(0x030201)}, B_RGB32},
		{"Os2Header16", Make(16, 1, 1, 24, 0, {}, {}, Row({1, 2, 3, 0})), 1, 1, {Rgb(0x030201)},
			B_RGB32},
		// Bottom row first: a run, end of line, a jump to (1, 2), three
		// literal pixels (padded), end of bitmap. What it skips is clear.
		{"Rle8WithDeltaAndEnds",
			Make(40, 4, 3, 8, 1, {}, {0, 0x123456, 0x654321},
				Row({2, 1, 0, 0, 0, 2, 1, 1, 0, 3, 1, 2, 1, 0, 0, 1})),
			4, 3,
			{kTransparent, Rgb(0x123456), Rgb(0x654321), Rgb(0x123456), kTransparent, kTransparent,
				kTransparent, kTransparent, Rgb(0x123456), Rgb(0x123456), kTransparent,
				kTransparent},
			B_RGBA32},
		// A run of alternating nibbles, then three literal nibbles.
		{"Rle4RunsAndLiterals",
			Make(40, 5, 1, 4, 2, {}, {0, 0x010203, 0x040506, 0x070809, 0x0a0b0c, 0x0d0e0f},
				Row({2, 0x12, 0, 3, 0x34, 0x50, 0, 1})),
			5, 1, {Rgb(0x010203), Rgb(0x040506), Rgb(0x070809), Rgb(0x0a0b0c), Rgb(0x0d0e0f)},
			B_RGB32},
	};
	return cases;
}

TEST(BmpReader, GivesExpectedPixels)
{
	ExpectImages(BPrivate::BmpReader(), Cases(), BmpFile);
}

TEST(BmpReader, RefusesDamagedAndOversizedFiles)
{
	Bytes tall = BmpFile(Make(40, 2, 1, 8, 1, {}, {0, 0x123456}, Row({2, 1, 0, 0, 2, 1})));
	Bytes unfinished = BmpFile(Make(40, 1, 2, 8, 1, {}, {0, 0x123456}, Row({1, 1})));
	Bytes full = BmpFile(Make(40, 4, 4, 24, 0, {}, {}, Bytes().Zeros(48)));
	Bytes huge = BmpFile(Make(40, 100000, 100000, 24, 0, {}, {}, Bytes().Zeros(64)));
	Bytes empty = BmpFile(Make(40, 0, 1, 24, 0, {}, {}, Bytes().Zeros(4)));
	Bytes threeBit = BmpFile(Make(40, 1, 1, 3, 0, {}, {}, Bytes().Zeros(4)));
	Bytes inside = BmpFile(Make(40, 1, 1, 24, 0, {}, {}, Bytes().Zeros(4)));
	inside.SetLE32(10, 20);
	ExpectRefusals(BPrivate::BmpReader(),
		{
			{"rle past the image", tall, B_ILLEGAL_DATA, "RLE data runs past the image"},
			{"rle cut", unfinished, B_ILLEGAL_DATA, "is cut off"},
			{"rows cut", full.Cut(full.Size() - 10), B_ILLEGAL_DATA, "is cut off"},
			{"palette cut", BmpFile(Make(40, 1, 1, 8, 0, {}, {1, 2, 3}, Bytes())).Cut(60),
				B_ILLEGAL_DATA, "is cut off"},
			{"over the limit", huge, B_NO_MEMORY, "100000\u00d7100000"},
			{"no pixels", empty, B_ILLEGAL_DATA, "no pixels"},
			{"odd depth", threeBit, B_ILLEGAL_DATA, "bit depth"},
			{"pixels in header", inside, B_ILLEGAL_DATA, "inside its header"},
		});
}

TEST(BmpReader, RecognizesOnlyBitmapHeaders)
{
	BPrivate::BmpReader reader;
	EXPECT_TRUE(
		reader.Recognizes(BmpFile(Make(12, 1, 1, 24, 0, {}, {}, Row({0, 0, 0, 0}))).Image()));
	EXPECT_FALSE(reader.Recognizes(Bytes().Text("BM").Zeros(12).LE32(100).Zeros(40).Image()));
	EXPECT_FALSE(reader.Recognizes(Bytes().Text("BA").Zeros(12).LE32(40).Zeros(40).Image()));
	EXPECT_FALSE(reader.Recognizes(Bytes().Text("BM").Image()));
}

} // namespace
} // namespace readers
