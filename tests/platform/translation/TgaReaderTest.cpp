// SPDX-License-Identifier: MIT
#include "ReaderTestSupport.h"

#include <TgaReader.h>

namespace readers {
namespace {

struct Tga {
	uint8 imageType = 2;
	uint8 depth = 24;
	uint8 descriptor = 0;
	uint16 width = 1;
	uint16 height = 1;
	uint8 colorMapType = 0;
	uint16 mapFirst = 0;
	uint16 mapLength = 0;
	uint8 mapBits = 0;
	Bytes map;
	Bytes pixels;
	int attributeType = -1; // with a version 2 footer and extension area
};

Bytes
TgaFile(const Tga& tga)
{
	Bytes file;
	file.U8({3, tga.colorMapType, tga.imageType}).LE16(tga.mapFirst).LE16(tga.mapLength);
	file.U8({tga.mapBits}).LE16(0).LE16(0).LE16(tga.width).LE16(tga.height);
	file.U8({tga.depth, tga.descriptor}).Text("id!").Append(tga.map).Append(tga.pixels);
	if (tga.attributeType >= 0) {
		uint32 extension = uint32(file.Size());
		file.LE16(495).Zeros(492).U8({tga.attributeType});
		file.LE32(extension).LE32(0).Text("TRUEVISION-XFILE.").U8({0});
	}
	return file;
}

// Four pixels in file order, 24-bit: 1, 2, 3, 4 in blue.
Bytes
FourPixels()
{
	return Bytes().U8({1, 0, 0, 2, 0, 0, 3, 0, 0, 4, 0, 0});
}

Tga
Square(uint8 descriptor)
{
	Tga tga;
	tga.width = tga.height = 2;
	tga.descriptor = descriptor;
	tga.pixels = FourPixels();
	return tga;
}

using TgaCase = ImageCase<Tga>;

Tga
ColorMapped(uint8 type, Bytes pixels, uint16 width)
{
	Tga tga;
	tga.imageType = type;
	tga.depth = 8;
	tga.width = width;
	tga.colorMapType = 1;
	tga.mapFirst = 5;
	tga.mapLength = 2;
	tga.mapBits = 24;
	tga.map = Bytes().U8({0x56, 0x34, 0x12, 0x0c, 0x0b, 0x0a});
	tga.pixels = std::move(pixels);
	return tga;
}

std::vector<TgaCase>
Cases()
{
	std::vector<TgaCase> cases = {
		// The four pixel orders: file pixels 1 2 3 4 land where each says.
		{"BottomLeft", Square(0x00), 2, 2, {Rgb(3), Rgb(4), Rgb(1), Rgb(2)}, B_RGB32},
		{"BottomRight", Square(0x10), 2, 2, {Rgb(4), Rgb(3), Rgb(2), Rgb(1)}, B_RGB32},
		{"TopLeft", Square(0x20), 2, 2, {Rgb(1), Rgb(2), Rgb(3), Rgb(4)}, B_RGB32},
		{"TopRight", Square(0x30), 2, 2, {Rgb(2), Rgb(1), Rgb(4), Rgb(3)}, B_RGB32},
		// Indices count from the map's first entry (5 here).
		{"ColorMapFirstIndex", ColorMapped(1, Bytes().U8({6, 5}), 2), 2, 1,
			{Rgb(0x0a0b0c), Rgb(0x123456)}, B_RGB32},
		{"ColorMapRle", ColorMapped(9, Bytes().U8({0x82, 6, 0x00, 5}), 4), 4, 1,
			{Rgb(0x0a0b0c), Rgb(0x0a0b0c), Rgb(0x0a0b0c), Rgb(0x123456)}, B_RGB32},
	};

	Tga unusedMap = Square(0x20);
	unusedMap.colorMapType = 1;
	unusedMap.mapLength = 3;
	unusedMap.mapBits = 24;
	unusedMap.map = Bytes().Zeros(9);
	cases.push_back(
		{"TrueColorWithUnusedMap", unusedMap, 2, 2, {Rgb(1), Rgb(2), Rgb(3), Rgb(4)}, B_RGB32});

	// A run of 3 crossing into the second row, then a raw packet of one.
	Tga rle = Square(0x20);
	rle.imageType = 10;
	rle.pixels = Bytes().U8({0x82, 9, 8, 7, 0x00, 1, 2, 3});
	cases.push_back({"TrueColorRleAcrossRows", rle, 2, 2,
		{Rgb(0x070809), Rgb(0x070809), Rgb(0x070809), Rgb(0x030201)}, B_RGB32});

	// 5-bit channels at full intensity are 255; the top bit is alpha only
	// when the descriptor gives one alpha bit.
	Tga sixteen;
	sixteen.depth = 16;
	sixteen.width = 2;
	sixteen.descriptor = 0x01;
	sixteen.pixels = Bytes().LE16(0xfc00).LE16(0x001f);
	cases.push_back({"Sixteen1BitAlpha", sixteen, 2, 1, {Rgb(0xff0000), kTransparent}, B_RGBA32});
	Tga fifteen = sixteen;
	fifteen.depth = 15;
	fifteen.descriptor = 0;
	fifteen.pixels = Bytes().LE16(0x7c00).LE16(0x0210);
	cases.push_back({"FifteenBit", fifteen, 2, 1, {Rgb(0xff0000), Rgb(0x008484)}, B_RGB32});

	Tga zeroAlpha;
	zeroAlpha.depth = 32;
	zeroAlpha.descriptor = 0x08;
	zeroAlpha.pixels = Bytes().U8({1, 2, 3, 0});
	cases.push_back({"ZeroAlphaIsOpaque", zeroAlpha, 1, 1, {Rgb(0x030201)}, B_RGB32});
	Tga straight = zeroAlpha;
	straight.pixels = Bytes().U8({10, 20, 30, 128});
	cases.push_back({"AlphaKeptStraight", straight, 1, 1, {PackColor(30, 20, 10, 128)}, B_RGBA32});
	Tga premultiplied = straight;
	premultiplied.attributeType = 4;
	cases.push_back(
		{"PremultipliedByExtension", premultiplied, 1, 1, {PackColor(60, 40, 20, 128)}, B_RGBA32});
	Tga noAlpha = straight;
	noAlpha.attributeType = 0;
	cases.push_back({"ExtensionSaysNoAlpha", noAlpha, 1, 1, {Rgb(0x1e140a)}, B_RGB32});

	Tga grey;
	grey.imageType = 3;
	grey.depth = 8;
	grey.width = 2;
	grey.pixels = Bytes().U8({7, 200});
	cases.push_back({"Grey", grey, 2, 1, {Rgb(0x070707), Rgb(0xc8c8c8)}, B_GRAY8});
	Tga greyAlpha = grey;
	greyAlpha.imageType = 11;
	greyAlpha.depth = 16;
	greyAlpha.pixels = Bytes().U8({0x81, 50, 128});
	cases.push_back({"GreyAlphaRle", greyAlpha, 2, 1,
		{PackColor(50, 50, 50, 128), PackColor(50, 50, 50, 128)}, B_RGBA32});
	return cases;
}

TEST(TgaReader, GivesExpectedPixels)
{
	ExpectImages(BPrivate::TgaReader(), Cases(), TgaFile);
}

TEST(TgaReader, RefusesCutAndOversizedFiles)
{
	BPrivate::TgaReader reader;
	Tga rle = Square(0);
	rle.imageType = 10;
	rle.pixels = Bytes().U8({0x81, 1, 2, 3, 0x01, 1, 2, 3});
	ExpectRefusal(reader, TgaFile(rle), B_ILLEGAL_DATA, "is cut off");
	ExpectRefusal(reader, TgaFile(Square(0)).Cut(18 + 3 + 10), B_ILLEGAL_DATA, "is cut off");
	Tga huge;
	huge.width = huge.height = 60000;
	huge.pixels = Bytes().Zeros(30);
	ExpectRefusal(reader, TgaFile(huge), B_NO_MEMORY, "60000\u00d760000");
}

TEST(TgaReader, RecognizesOnlyPlausibleHeaders)
{
	BPrivate::TgaReader reader;
	EXPECT_TRUE(reader.Recognizes(TgaFile(Square(0)).Image()));
	struct Header {
		const char* name;
		Tga tga;
	};
	std::vector<Header> headers;
	Tga badType = Square(0);
	badType.imageType = 4;
	headers.push_back({"image type 4", badType});
	Tga badMapType = Square(0);
	badMapType.colorMapType = 2;
	headers.push_back({"map type 2", badMapType});
	Tga interleaved = Square(0x40);
	headers.push_back({"interleaved", interleaved});
	Tga depth = Square(0);
	depth.depth = 23;
	headers.push_back({"23 bits", depth});
	Tga noMap = ColorMapped(1, Bytes().U8({5}), 1);
	noMap.colorMapType = 0;
	noMap.map = Bytes();
	headers.push_back({"colour-mapped without a map", noMap});
	// A true-colour file may carry a map of no entries and no entry size.
	Tga emptyMap = Square(0);
	emptyMap.colorMapType = 1;
	EXPECT_TRUE(reader.Recognizes(TgaFile(emptyMap).Image()));
	Tga noWidth = Square(0);
	noWidth.width = 0;
	headers.push_back({"no width", noWidth});
	for (const Header& header : headers)
		EXPECT_FALSE(reader.Recognizes(TgaFile(header.tga).Image())) << header.name;
	EXPECT_FALSE(reader.Recognizes(Bytes().Text("just some text, not an image").Image()));
	EXPECT_FALSE(reader.Recognizes(TgaFile(Square(0)).Cut(18 + 3).Image()));
}

} // namespace
} // namespace readers
