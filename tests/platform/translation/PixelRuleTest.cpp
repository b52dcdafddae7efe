// SPDX-License-Identifier: MIT
// Hand-made files for the pixel rules and the bounds the readers keep.

#include "Fixtures.h"
#include "support/Files.h"
#include "support/HostileImages.h"
#include "support/ReadFailure.h"

#include <PixelRules.h>

#include <gtest/gtest.h>

#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

using namespace testsupport;

namespace {

// A PNG with the given header fields, the raw rows (filter bytes included)
// and chunks placed before the image data.
std::string
PngOf(uint32_t width, uint32_t height, int depth, int colorType, const std::string& rows,
	const std::string& before = "")
{
	std::string png = "\x89PNG\r\n\x1a\n";
	std::string header;
	PutBig32(header, width);
	PutBig32(header, height);
	header += char(depth);
	header += char(colorType);
	header += std::string(3, '\0');
	PngChunk(png, "IHDR", header);
	png += before;
	PngChunk(png, "IDAT", Deflated(rows));
	PngChunk(png, "IEND", "");
	return png;
}

void
Put16(std::string& out, uint16_t value)
{
	out += char(value >> 8);
	out += char(value & 0xff);
}

class PixelRuleTest : public testing::Test {
protected:
	// Writes `bytes` and loads them, keeping why nothing came back.
	std::unique_ptr<BBitmap> Load(const std::string& bytes)
	{
		std::string path = fDirectory + "/image";
		FILE* file = std::fopen(path.c_str(), "wb");
		std::fwrite(bytes.data(), 1, bytes.size(), file);
		std::fclose(file);
		fFailure = {};
		return std::unique_ptr<BBitmap>(testsupport::GetBitmapFile(path.c_str(), &fFailure));
	}

	testsupport::ScratchDirectory fScratch;
	const std::string fDirectory = fScratch.Path();
	testsupport::ReadFailure fFailure;
};

const uint8*
Pixel(const BBitmap& bitmap, int32 x, int32 y)
{
	return static_cast<const uint8*>(bitmap.Bits()) + y * bitmap.BytesPerRow()
		+ x * bits_per_pixel_for(bitmap.ColorSpace()) / 8;
}

} // namespace

TEST(PixelRules, SixteenBitsRoundToTheNearestByte)
{
	const struct {
		uint16 wide;
		uint8 narrow;
	} kRows[] = {{0, 0}, {128, 0}, {129, 1}, {257, 1}, {385, 1}, {386, 2}, {65535, 255},
		{65407, 255}, {65406, 254}, {32767, 127}, {32896, 128}};
	for (const auto& row : kRows)
		EXPECT_EQ(BPrivate::Narrow16(row.wide), row.narrow) << row.wide;
	EXPECT_EQ(BPrivate::CmykToChannel(0, 0), 255);
	EXPECT_EQ(BPrivate::CmykToChannel(255, 0), 0);
	EXPECT_EQ(BPrivate::CmykToChannel(128, 128), 63); // 127 * 127 / 255 = 63.25
	EXPECT_EQ(BPrivate::CmykToChannel(1, 0), 254);
}

// Premultiplied colour becomes straight by rounding c * 255 / alpha once,
// from samples of 8 or 16 bits; a truncating quotient would give each
// marked row one less.
TEST(PixelRules, PremultipliedColourIsMadeStraightByRounding)
{
	const struct {
		uint32 channel, alpha;
		uint8 straight;
	} kRows[] = {
		{0, 0, 0},
		{10, 0, 0},
		{128, 255, 128},
		{1, 3, 85},
		{2, 3, 170},
		{50, 51, 250},
		{1, 2, 128}, // 127.5, halves up (truncated: 127)
		{100, 200, 128}, // 127.5
		{133, 134, 253}, // 253.1
		{200, 100, 255}, // colour above its alpha: kept to 255
		// 16-bit samples, in the same one rounding.
		{32768, 65535, 128}, // 127.502 (truncated: 127)
		{129, 257, 128}, // 127.996 (truncated: 127)
		{25700, 51400, 128}, // 127.5
		{65535, 65535, 255},
		{1, 65535, 0},
		{300, 257, 255},
	};
	for (const auto& row : kRows) {
		EXPECT_EQ(BPrivate::Unpremultiply(row.channel, row.alpha), row.straight)
			<< row.channel << " / " << row.alpha;
	}
}

// Why rounding: every straight byte premultiplied as writers do it,
// round(s * a / 255), comes back from the rule as a byte that premultiplies
// to exactly the stored value, for every alpha.
TEST(PixelRules, UnpremultipliedColourPremultipliesBackToWhatWasStored)
{
	int wrong = 0;
	for (uint32 alpha = 1; alpha < 256; alpha++) {
		for (uint32 straight = 0; straight < 256; straight++) {
			const uint32 stored = (straight * alpha + 127) / 255;
			const uint32 back = (BPrivate::Unpremultiply(stored, alpha) * alpha + 127) / 255;
			wrong += back != stored;
		}
	}
	EXPECT_EQ(wrong, 0);
}

// Every 16-bit grey value, as libpng delivers it through the reader, is the
// kit's rounding of it.
TEST_F(PixelRuleTest, SixteenBitPngSamplesAreRounded)
{
	std::string rows;
	for (uint32_t y = 0; y < 256; y++) {
		rows += '\0';
		for (uint32_t x = 0; x < 256; x++)
			Put16(rows, uint16_t(y * 256 + x));
	}
	std::unique_ptr<BBitmap> bitmap = Load(PngOf(256, 256, 16, 0, rows));
	ASSERT_NE(bitmap, nullptr) << fFailure.Describe("grey16.png");
	ASSERT_EQ(bitmap->ColorSpace(), B_GRAY8);
	int wrong = 0;
	for (int32 y = 0; y < 256; y++) {
		for (int32 x = 0; x < 256; x++)
			wrong += *Pixel(*bitmap, x, y) != BPrivate::Narrow16(uint16(y * 256 + x));
	}
	EXPECT_EQ(wrong, 0);
}

// A 16-bit colour key matches at full depth: a colour one step away in the
// low byte stays opaque.
TEST_F(PixelRuleTest, SixteenBitRgbPngWithTrnsIsTransparentWhereTheKeyIs)
{
	std::string rows = std::string(1, '\0');
	for (uint16_t blue : {0x9abc, 0x9abd}) {
		Put16(rows, 0x1234);
		Put16(rows, 0x5678);
		Put16(rows, blue);
	}
	std::string key;
	Put16(key, 0x1234);
	Put16(key, 0x5678);
	Put16(key, 0x9abc);
	std::string trns;
	PngChunk(trns, "tRNS", key);
	std::unique_ptr<BBitmap> bitmap = Load(PngOf(2, 1, 16, 2, rows, trns));
	ASSERT_NE(bitmap, nullptr) << fFailure.Describe("key.png");
	ASSERT_EQ(bitmap->ColorSpace(), B_RGBA32);
	EXPECT_EQ(Pixel(*bitmap, 0, 0)[3], 0);
	const uint8* opaque = Pixel(*bitmap, 1, 0);
	EXPECT_EQ(opaque[3], 255);
	EXPECT_EQ(opaque[0], BPrivate::Narrow16(0x9abd));
	EXPECT_EQ(opaque[1], BPrivate::Narrow16(0x5678));
	EXPECT_EQ(opaque[2], BPrivate::Narrow16(0x1234));
}

// A grey key on an 8-bit grey image gives alpha; without one, B_GRAY8.
TEST_F(PixelRuleTest, GreyPngWithTrnsKeepsItsHoles)
{
	std::string rows = std::string(1, '\0') + "\x10\x20\x10";
	std::string trns;
	PngChunk(trns, "tRNS", std::string("\0\x10", 2));
	std::unique_ptr<BBitmap> bitmap = Load(PngOf(3, 1, 8, 0, rows, trns));
	ASSERT_NE(bitmap, nullptr) << fFailure.Describe("grey.png");
	ASSERT_EQ(bitmap->ColorSpace(), B_RGBA32);
	EXPECT_EQ(Pixel(*bitmap, 0, 0)[3], 0);
	EXPECT_EQ(Pixel(*bitmap, 1, 0)[3], 255);
	EXPECT_EQ(Pixel(*bitmap, 1, 0)[0], 0x20);
	EXPECT_EQ(Pixel(*bitmap, 2, 0)[3], 0);
}

// A text chunk that claims 1 GiB in a 57-byte file: refused at once, as cut
// off, without reserving anything like it.
TEST_F(PixelRuleTest, PngTextChunkClaimingAGibibyteIsRefusedAtOnce)
{
	std::string png = "\x89PNG\r\n\x1a\n";
	std::string header;
	PutBig32(header, 1);
	PutBig32(header, 1);
	header += std::string("\x08\x02\0\0\0", 5);
	PngChunk(png, "IHDR", header);
	PutBig32(png, uint32_t(1) << 30);
	png += "tEXtComment";
	png.resize(57, 'x');
	auto start = std::chrono::steady_clock::now();
	EXPECT_EQ(Load(png), nullptr);
	EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
	EXPECT_EQ(
		fFailure.Describe("text.png"), "text.png is cut off before its first image is complete");
}

// Text, profile and unknown chunks are skipped: a 64 MiB compressed text
// does not stop a 1-pixel image from loading.
TEST_F(PixelRuleTest, PngMetadataIsSkippedUnread)
{
	std::string chunks;
	PngChunk(chunks, "zTXt", std::string("Comment\0\0", 9) + DeflatedZeros(uint64_t(64) << 20));
	PngChunk(chunks, "iCCP", std::string("icc\0\0", 5) + DeflatedZeros(uint64_t(64) << 20));
	PngChunk(chunks, "quIl", std::string(100, 'q'));
	std::unique_ptr<BBitmap> bitmap = Load(
		PngOf(1, 1, 8, 2, std::string("\0\x01\x02\x03", 4), chunks));
	ASSERT_NE(bitmap, nullptr) << fFailure.Describe("meta.png");
	EXPECT_EQ(Pixel(*bitmap, 0, 0)[2], 1);
}

// What each refusal says, in one line.
TEST_F(PixelRuleTest, RefusalsSayWhy)
{
	std::string damaged = PngOf(2, 2, 8, 2, std::string(14, '\0'));
	damaged[29] ^= 0x55; // the header's CRC
	const struct {
		std::string bytes;
		status_t status;
		const char* line;
	} kRows[] = {
		{"just some notes\n", B_NO_TRANSLATOR, "f is not an image we can read"},
		{Png(100000, 100000, DeflatedZeros(1000)), B_NO_MEMORY,
			"f is 100000\u00d7100000 pixels; the limit is 8192\u00d78192"},
		{JpegClaiming(ReadWhole(fixture::Path("colour.jpg")), 65500, 65500), B_NO_MEMORY,
			"f is 65500\u00d765500 pixels; the limit is 8192\u00d78192"},
		{Gif(9000, 9000, std::string(6, '\x7f'), {0, 1}), B_NO_MEMORY,
			"f is 9000\u00d79000 pixels; the limit is 8192\u00d78192"},
		{damaged, B_ILLEGAL_DATA, "f is a damaged PNG file: IHDR: CRC error"},
	};
	for (const auto& row : kRows) {
		SCOPED_TRACE(row.line);
		EXPECT_EQ(Load(row.bytes), nullptr);
		EXPECT_EQ(fFailure.status, row.status);
		EXPECT_EQ(fFailure.Describe("f"), row.line);
	}
}

// Every format cut in half is refused as cut off.
TEST_F(PixelRuleTest, FilesCutInHalfAreRefusedAsCutOff)
{
	for (const char* name :
		{"colour.png", "colour.jpg", "colour.gif", "colour.webp", "colour.tiff", "alpha.png"}) {
		SCOPED_TRACE(name);
		std::string whole = ReadWhole(fixture::Path(name));
		EXPECT_EQ(Load(whole.substr(0, whole.size() / 2)), nullptr);
		EXPECT_EQ(fFailure.status, B_ILLEGAL_DATA);
		EXPECT_EQ(fFailure.detail, "is cut off before its first image is complete");
	}
}
