// SPDX-License-Identifier: MIT
// Hand-made TIFF files for the pixel rules: 16-bit rounding, straight and
// premultiplied alpha, CMYK and white-is-zero grey.

#include "Fixtures.h"
#include "support/Files.h"
#include "support/ReadFailure.h"

#include <PixelRules.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>
#include <string>
#include <vector>

namespace {

void
Put16(std::string& out, uint32_t value)
{
	out += char(value & 0xff);
	out += char((value >> 8) & 0xff);
}

void
Put32(std::string& out, uint32_t value)
{
	Put16(out, value & 0xffff);
	Put16(out, value >> 16);
}

struct TiffImage {
	uint32_t width;
	uint32_t height;
	uint16_t bits;
	uint16_t photometric;
	uint16_t samples;
	int extraKind; // -1: no extra sample
	std::string pixels; // little-endian samples, one strip
	uint16_t compression = 1;
	uint32_t inks = 0; // InkNames with this many names, and NumberOfInks
};

// An uncompressed little-endian TIFF: header, pixels, then the directory
// and the bits-per-sample values it points to.
std::string
TiffOf(const TiffImage& image)
{
	std::string out = "II";
	Put16(out, 42);
	Put32(out, 0); // the directory's offset, set below
	out += image.pixels;
	if (out.size() % 2 != 0)
		out += '\0';
	const uint32_t directory = uint32_t(out.size());
	for (int i = 0; i < 4; i++)
		out[4 + i] = char((directory >> (8 * i)) & 0xff);
	struct Entry {
		uint16_t tag, type;
		uint32_t count, value;
	};
	std::vector<Entry> entries = {
		{256, 4, 1, image.width},
		{257, 4, 1, image.height},
		{258, 3, image.samples, image.samples <= 2 ? uint32_t(image.bits) : 0u},
		{259, 3, 1, image.compression},
		{262, 3, 1, image.photometric},
		{273, 4, 1, 8},
		{277, 3, 1, image.samples},
		{278, 4, 1, image.height},
		{279, 4, 1, uint32_t(image.pixels.size())},
	};
	std::string inkNames;
	for (uint32_t i = 0; i < image.inks; i++)
		inkNames += std::string("ink", 4);
	if (image.inks > 0) {
		entries.push_back({333, 2, uint32_t(inkNames.size()), 0});
		entries.push_back({334, 3, 1, image.inks});
	}
	if (image.extraKind >= 0)
		entries.push_back({338, 3, 1, uint32_t(image.extraKind)});
	const uint32_t arrays = directory + 2 + 12 * uint32_t(entries.size()) + 4;
	if (image.samples > 2)
		entries[2].value = arrays;
	if (image.inks > 0)
		entries[9].value = arrays + (image.samples > 2 ? 2 * image.samples : 0);
	Put16(out, uint16_t(entries.size()));
	for (const Entry& entry : entries) {
		Put16(out, entry.tag);
		Put16(out, entry.type);
		Put32(out, entry.count);
		if (entry.type == 3 && entry.count <= 2) {
			Put16(out, entry.value);
			Put16(out, 0);
		} else {
			Put32(out, entry.value);
		}
	}
	Put32(out, 0);
	for (uint16_t i = 0; image.samples > 2 && i < image.samples; i++)
		Put16(out, image.bits);
	return out + inkNames;
}

const uint8*
Pixel(const BBitmap& bitmap, int32 x)
{
	return static_cast<const uint8*>(bitmap.Bits())
		+ x * bits_per_pixel_for(bitmap.ColorSpace()) / 8;
}

} // namespace

TEST(TiffRuleTest, SixteenBitGreyIsRoundedForEveryValue)
{
	std::string pixels;
	for (uint32_t v = 0; v < 65536; v++)
		Put16(pixels, v);
	testsupport::ReadFailure failure;
	auto bitmap = fixture::LoadBytes(TiffOf({256, 256, 16, 1, 1, -1, pixels}), failure);
	ASSERT_NE(bitmap, nullptr) << failure.Describe("grey16.tiff");
	ASSERT_EQ(bitmap->ColorSpace(), B_GRAY8);
	int wrong = 0;
	for (uint32_t v = 0; v < 65536; v++) {
		const uint8* row = static_cast<const uint8*>(bitmap->Bits())
			+ (v / 256) * bitmap->BytesPerRow();
		wrong += row[v % 256] != BPrivate::Narrow16(uint16(v));
	}
	EXPECT_EQ(wrong, 0);
}

// One pixel each: what the file stores, and the B, G, R, A bytes it gives.
TEST(TiffRuleTest, OnePixelFilesFollowTheRules)
{
	auto wide = [](std::initializer_list<uint32_t> samples) {
		std::string out;
		for (uint32_t s : samples)
			Put16(out, s);
		return out;
	};
	const struct {
		const char* name;
		TiffImage image;
		uint8 bgra[4];
	} kRows[] = {
		// Straight alpha stays as stored, even where it is almost clear.
		{"unassociated", {1, 1, 8, 2, 4, 2, std::string("\xc8\x64\x0a\x01", 4)}, {10, 100, 200, 1}},
		// Premultiplied colour is made straight before it is rounded.
		{"associated 16", {1, 1, 16, 2, 4, 1, wide({16384, 8192, 0, 32768})}, {0, 64, 128, 128}},
		{"associated 8", {1, 1, 8, 2, 4, 1, std::string("\x40\x20\x00\x80", 4)}, {0, 64, 128, 128}},
		{"cmyk", {1, 1, 8, 5, 4, -1, std::string("\x80\x00\xff\x40", 4)},
			{BPrivate::CmykToChannel(255, 64), BPrivate::CmykToChannel(0, 64),
				BPrivate::CmykToChannel(128, 64), 255}},
		{"rgb 16", {1, 1, 16, 2, 3, -1, wide({65535, 385, 386})}, {2, 1, 255, 255}},
	};
	for (const auto& row : kRows) {
		SCOPED_TRACE(row.name);
		testsupport::ReadFailure failure;
		auto bitmap = fixture::LoadBytes(TiffOf(row.image), failure);
		ASSERT_NE(bitmap, nullptr) << failure.Describe(row.name);
		const uint8* p = Pixel(*bitmap, 0);
		EXPECT_EQ(std::vector<int>(p, p + 4), std::vector<int>(row.bgra, row.bgra + 4));
	}
}

TEST(TiffRuleTest, WhiteIsZeroGreyIsInverted)
{
	testsupport::ReadFailure failure;
	auto bitmap = fixture::LoadBytes(
		TiffOf({3, 1, 8, 0, 1, -1, std::string("\x00\x40\xff", 3)}), failure);
	ASSERT_NE(bitmap, nullptr) << failure.Describe("white.tiff");
	ASSERT_EQ(bitmap->ColorSpace(), B_GRAY8);
	EXPECT_EQ(*Pixel(*bitmap, 0), 255);
	EXPECT_EQ(*Pixel(*bitmap, 1), 0xbf);
	EXPECT_EQ(*Pixel(*bitmap, 2), 0);
}

// An associated-alpha strip of 8 and of 16 bits: one pixel for each alpha
// from 1 to 255, its colour premultiplied by rounding from straight 200,
// 100 and 7. Each comes back straight, as a colour that premultiplies to
// exactly what the file stores.
TEST(TiffRuleTest, AssociatedAlphaPremultipliesBackToWhatIsStored)
{
	const uint32_t kStraight[3] = {200, 100, 7};
	for (uint16_t bits : {8, 16}) {
		SCOPED_TRACE(bits);
		std::string pixels;
		for (uint32_t alpha = 1; alpha < 256; alpha++) {
			for (uint32_t sample : {kStraight[0], kStraight[1], kStraight[2], 255u}) {
				const uint32_t stored = sample == 255 ? alpha : (sample * alpha + 127) / 255;
				if (bits == 8)
					pixels += char(stored);
				else
					Put16(pixels, stored * 257);
			}
		}
		testsupport::ReadFailure failure;
		auto bitmap = fixture::LoadBytes(TiffOf({255, 1, bits, 2, 4, 1, pixels}), failure);
		ASSERT_NE(bitmap, nullptr) << failure.Describe("associated.tiff");
		ASSERT_EQ(bitmap->ColorSpace(), B_RGBA32);
		int wrong = 0;
		for (uint32_t alpha = 1; alpha < 256; alpha++) {
			const uint8* p = Pixel(*bitmap, int32(alpha - 1));
			wrong += p[3] != alpha;
			for (int c = 0; c < 3; c++) {
				const uint32_t stored = (kStraight[c] * alpha + 127) / 255;
				wrong += (p[2 - c] * alpha + 127) / 255 != stored;
			}
		}
		EXPECT_EQ(wrong, 0);
	}
}

// libtiff reports a NumberOfInks that differs from the samples per pixel in
// two lines, through its error channel though it is a warning. It does not
// stop a read, and when the read fails for another reason (here the LZW
// data is garbage) the refusal gives that reason, in one line.
TEST(TiffRuleTest, LibraryWarningsAreNotTheReasonForARefusal)
{
	TiffImage image{2, 2, 8, 5, 4, -1, std::string(16, '\xff'), 5, 32};
	testsupport::ReadFailure failure;
	EXPECT_EQ(fixture::LoadBytes(TiffOf(image), failure), nullptr);
	EXPECT_EQ(failure.status, B_ILLEGAL_DATA);
	EXPECT_EQ(
		failure.Describe("x.tif"), "x.tif is a damaged TIFF file: Using code not yet in table");

	image.compression = 1;
	std::unique_ptr<BBitmap> bitmap = fixture::LoadBytes(TiffOf(image), failure);
	ASSERT_NE(bitmap, nullptr) << failure.Describe("x.tif");
	EXPECT_EQ(bitmap->Bounds(), BRect(0, 0, 1, 1));
}
