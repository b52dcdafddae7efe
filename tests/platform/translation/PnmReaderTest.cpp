// SPDX-License-Identifier: MIT
#include "ReaderTestSupport.h"

#include <PnmReader.h>

namespace readers {
namespace {

using PnmCase = ImageCase<Bytes>;

uint32
Grey(int level)
{
	return PackColor(uint8(level), uint8(level), uint8(level));
}

std::vector<PnmCase>
Cases()
{
	const uint32 white = Grey(255), black = Grey(0);
	return {
		// Plain bitmaps need no space between digits; 1 is black.
		{"PlainBitmap", Bytes().Text("P1\n# made by hand\n3 2\n010\n1 0 1\n"), 3, 2,
			{white, black, white, black, white, black}, B_GRAY8},
		// 500 of 1000 is 127.5, rounded up.
		{"PlainGreyAnyMaxval", Bytes().Text("P2 2 1 1000 500 1000"), 2, 1, {Grey(128), white},
			B_GRAY8},
		{"PlainColour", Bytes().Text("P3\n1 1\n# comment\n255\n1 2 3\n"), 1, 1, {Rgb(0x010203)},
			B_RGB32},
		{"RawBitmapPaddedRows", Bytes().Text("P4\n10 2\n").U8({0x80, 0x40, 0x00, 0x00}), 10, 2,
			{black, white, white, white, white, white, white, white, white, black, white, white,
				white, white, white, white, white, white, white, white},
			B_GRAY8},
		{"RawGrey", Bytes().Text("P5 2 1 255\n").U8({7, 200}), 2, 1, {Grey(7), Grey(200)}, B_GRAY8},
		// Two bytes a sample, most significant first, narrowed by rounding.
		{"RawGrey16", Bytes().Text("P5 2 1 65535\n").U8({0x80, 0x00, 0x01, 0x01}), 2, 1,
			{Grey(128), Grey(1)}, B_GRAY8},
		{"RawColourMaxval31", Bytes().Text("P6 1 1 31\n").U8({31, 16, 1}), 1, 1, {Rgb(0xff8408)},
			B_RGB32},
		{"PamRgbAlpha",
			Bytes()
				.Text("P7\nWIDTH 1\nHEIGHT 1\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\n"
					  "ENDHDR\n")
				.U8({10, 20, 30, 128}),
			1, 1, {PackColor(10, 20, 30, 128)}, B_RGBA32},
		{"PamGrey16",
			Bytes()
				.Text("P7\nWIDTH 2\nHEIGHT 1\nDEPTH 1\nMAXVAL 1023\nENDHDR\n")
				.U8({0x03, 0xff, 0x02, 0x00}),
			2, 1, {white, Grey(128)}, B_GRAY8},
	};
}

TEST(PnmReader, GivesExpectedPixels)
{
	ExpectImages(BPrivate::PnmReader(), Cases());
}

TEST(PnmReader, RefusesDamagedCutAndOversizedFiles)
{
	auto text = [](const char* file) { return Bytes().Text(file); };
	ExpectRefusals(BPrivate::PnmReader(),
		{
			{"maximum 0", text("P5 1 1 0\n\x01"), B_ILLEGAL_DATA, "maximum value 0"},
			{"maximum over 65535", text("P5 1 1 70000\n\x01\x01"), B_ILLEGAL_DATA,
				"maximum value 70000"},
			{"raw cut", text("P6 2 2 255\n\x01\x02\x03"), B_ILLEGAL_DATA, "is cut off"},
			{"plain not a number", text("P2 2 1 255 7 x"), B_ILLEGAL_DATA, "not a number"},
			{"plain cut", text("P3 1 1 255 7 8"), B_ILLEGAL_DATA, "is cut off"},
			{"over the limit", text("P5 100000 100000 255\n"), B_NO_MEMORY, "100000\u00d7100000"},
			{"no pixels", text("P5 0 3 255\n"), B_ILLEGAL_DATA, "no pixels"},
			{"five samples", text("P7\nWIDTH 1\nHEIGHT 1\nDEPTH 5\nMAXVAL 255\nENDHDR\n"),
				B_ILLEGAL_DATA, "5 samples"},
			{"field missing", text("P7\nWIDTH 1\nHEIGHT 1\nMAXVAL 255\nENDHDR\n"), B_ILLEGAL_DATA,
				"lacks a field"},
		});
}

TEST(PnmReader, RecognizesTheSevenMagicNumbers)
{
	BPrivate::PnmReader reader;
	for (const char* magic : {"P1 ", "P2\n", "P3\t", "P4\r", "P5 ", "P6 ", "P7\n"})
		EXPECT_TRUE(reader.Recognizes(Bytes().Text(magic).Image())) << magic;
	for (const char* other : {"P8 ", "P0 ", "P6x", "p6 ", "P6"})
		EXPECT_FALSE(reader.Recognizes(Bytes().Text(other).Image())) << other;
}

} // namespace
} // namespace readers
