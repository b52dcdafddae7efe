// SPDX-License-Identifier: MIT
// The exact rules of each colour space the export writes: one image that
// holds every edge of them (channel rounding where truncation would differ,
// alpha 127 and 128, the grey weights near the one-bit threshold, a
// transparent pixel, a width that pads rows), and its bytes in each space.

#include "export/BitmapConversion.h"
#include <SpaceConversion.h>

#include <Bitmap.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

struct Rgba {
	uint8 red, green, blue, alpha;
};

// Five pixels a row, so that no 16-bit, 8-bit or 1-bit row fills 4 bytes.
const Rgba kEdges[2][5] = {
	{
		{7, 2, 3, 255}, // 7 is level 1 of 31, where truncation gives 0
		{132, 3, 4, 255}, // 3 is level 1 of 63; 4 is level 0 of 31
		{5, 130, 255, 128}, // alpha 128: opaque for the alpha bit
		{250, 251, 252, 64}, // partly transparent: laid over the background
		{128, 127, 127, 255} // L = 127.8: grey 127, black in one bit
	},
	{
		{255, 255, 255, 127}, // alpha 127: transparent
		{0, 0, 0, 0}, // transparent black
		{100, 150, 200, 255}, // the grey weights: L = 141
		{127, 128, 128, 255}, // L = 128.2: grey 128, white in one bit
		{9, 200, 66, 1} // almost wholly transparent
	},
};

std::unique_ptr<BBitmap>
EdgeImage()
{
	auto bitmap = std::make_unique<BBitmap>(BRect(0, 0, 4, 1), B_RGBA32);
	for (int32 y = 0; y < 2; y++) {
		uint8* row = static_cast<uint8*>(bitmap->Bits()) + y * bitmap->BytesPerRow();
		for (int32 x = 0; x < 5; x++) {
			const Rgba& pixel = kEdges[y][x];
			const uint8 bytes[4] = {pixel.blue, pixel.green, pixel.red, pixel.alpha};
			memcpy(row + 4 * x, bytes, 4);
		}
	}
	return bitmap;
}

std::vector<uint8>
BytesOf(const BBitmap& bitmap)
{
	const uint8* bits = static_cast<const uint8*>(bitmap.Bits());
	return std::vector<uint8>(bits, bits + bitmap.BitsLength());
}

struct SpaceCase {
	const char* name;
	color_space space;
	rgb_color background;
	int32 bytesPerRow;
	std::vector<uint8> bytes;
};

constexpr rgb_color kWhite = {255, 255, 255, 255};
constexpr rgb_color kSlate = {0x20, 0x40, 0x60, 255};

const SpaceCase kSpaceCases[] = {
	{"rgb16", B_RGB16, kWhite, 12,
		{0x00, 0x08, 0x20, 0x80, 0xff, 0x85, 0xff, 0xff, 0xef, 0x83, 0x00, 0x00, 0xff, 0xff, 0xff,
			0xff, 0xb8, 0x64, 0x10, 0x7c, 0xff, 0xff, 0x00, 0x00}},
	{"rgb16 over slate", B_RGB16, kSlate, 12,
		{0x00, 0x08, 0x20, 0x80, 0x15, 0x13, 0x70, 0x5b, 0xef, 0x83, 0x00, 0x00, 0xf5, 0x8c, 0x0c,
			0x22, 0xb8, 0x64, 0x10, 0x7c, 0x0c, 0x22, 0x00, 0x00}},
	{"rgb15", B_RGB15, kWhite, 12,
		{0x00, 0x04, 0x00, 0x40, 0x1f, 0x06, 0xce, 0x39, 0xef, 0x41, 0x00, 0x00, 0xce, 0x39, 0xce,
			0x39, 0x58, 0x32, 0x10, 0x3e, 0xce, 0x39, 0x00, 0x00}},
	{"rgba15", B_RGBA15, kWhite, 12,
		{0x00, 0x84, 0x00, 0xc0, 0x1f, 0x86, 0xff, 0x7b, 0xef, 0xc1, 0x00, 0x00, 0xff, 0x7f, 0x00,
			0x00, 0x58, 0xb2, 0x10, 0xbe, 0x08, 0x07, 0x00, 0x00}},
	{"gray8", B_GRAY8, kWhite, 8,
		{4, 42, 181, 254, 127, 0, 0, 0, 255, 255, 141, 128, 255, 0, 0, 0}},
	{"gray8 over slate", B_GRAY8, kSlate, 8,
		{4, 42, 82, 107, 127, 0, 0, 0, 156, 58, 141, 128, 59, 0, 0, 0}},
	{"gray1", B_GRAY1, kWhite, 4, {0xc8, 0, 0, 0, 0x00, 0, 0, 0}},
	// Over a dark background the transparent pixels turn black too.
	{"gray1 over slate", B_GRAY1, kSlate, 4, {0xf8, 0, 0, 0, 0x48, 0, 0, 0}},
	{"rgba32", B_RGBA32, kWhite, 20,
		{3, 2, 7, 255, 4, 3, 132, 255, 255, 130, 5, 128, 252, 251, 250, 64, 127, 127, 128, 255, 255,
			255, 255, 127, 0, 0, 0, 0, 200, 150, 100, 255, 128, 128, 127, 255, 66, 200, 9, 1}},
	// The _BIG twins hold the same values, most significant byte first.
	{"rgb16_big", B_RGB16_BIG, kWhite, 12,
		{0x08, 0x00, 0x80, 0x20, 0x85, 0xff, 0xff, 0xff, 0x83, 0xef, 0x00, 0x00, 0xff, 0xff, 0xff,
			0xff, 0x64, 0xb8, 0x7c, 0x10, 0xff, 0xff, 0x00, 0x00}},
	{"rgb16_big over slate", B_RGB16_BIG, kSlate, 12,
		{0x08, 0x00, 0x80, 0x20, 0x13, 0x15, 0x5b, 0x70, 0x83, 0xef, 0x00, 0x00, 0x8c, 0xf5, 0x22,
			0x0c, 0x64, 0xb8, 0x7c, 0x10, 0x22, 0x0c, 0x00, 0x00}},
	{"rgb15_big", B_RGB15_BIG, kWhite, 12,
		{0x04, 0x00, 0x40, 0x00, 0x06, 0x1f, 0x39, 0xce, 0x41, 0xef, 0x00, 0x00, 0x39, 0xce, 0x39,
			0xce, 0x32, 0x58, 0x3e, 0x10, 0x39, 0xce, 0x00, 0x00}},
	{"rgba15_big", B_RGBA15_BIG, kWhite, 12,
		{0x84, 0x00, 0xc0, 0x00, 0x86, 0x1f, 0x7b, 0xff, 0xc1, 0xef, 0x00, 0x00, 0x7f, 0xff, 0x00,
			0x00, 0xb2, 0x58, 0xbe, 0x10, 0x07, 0x08, 0x00, 0x00}},
	// B, G, R and R, G, B, laid over the background as B_RGB16 is.
	{"rgb24", B_RGB24, kWhite, 16,
		{0x03, 0x02, 0x07, 0x04, 0x03, 0x84, 0xff, 0xc0, 0x82, 0xfe, 0xfe, 0xfe, 0x7f, 0x7f, 0x80,
			0, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xc8, 0x96, 0x64, 0x80, 0x80, 0x7f, 0xfe, 0xff,
			0xfe, 0}},
	{"rgb24 over slate", B_RGB24, kSlate, 16,
		{0x03, 0x02, 0x07, 0x04, 0x03, 0x84, 0xb0, 0x61, 0x12, 0x87, 0x6f, 0x57, 0x7f, 0x7f, 0x80,
			0, 0xaf, 0x9f, 0x8f, 0x60, 0x40, 0x20, 0xc8, 0x96, 0x64, 0x80, 0x80, 0x7f, 0x60, 0x41,
			0x20, 0}},
	{"rgb24_big", B_RGB24_BIG, kWhite, 16,
		{0x07, 0x02, 0x03, 0x84, 0x03, 0x04, 0x82, 0xc0, 0xff, 0xfe, 0xfe, 0xfe, 0x80, 0x7f, 0x7f,
			0, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0x64, 0x96, 0xc8, 0x7f, 0x80, 0x80, 0xfe, 0xff,
			0xfe, 0}},
	// A, R, G, B; B_RGB32_BIG with B_RGB32's rule for alpha and its magic value.
	{"rgb32_big", B_RGB32_BIG, kSlate, 20,
		{255, 7, 2, 3, 255, 132, 3, 4, 255, 5, 130, 255, 0, 0x77, 0x74, 0x77, 255, 128, 127, 127, 0,
			0x77, 0x74, 0x77, 0, 0x77, 0x74, 0x77, 255, 100, 150, 200, 255, 127, 128, 128, 0, 0x77,
			0x74, 0x77}},
	{"rgba32_big", B_RGBA32_BIG, kWhite, 20,
		{255, 7, 2, 3, 255, 132, 3, 4, 128, 5, 130, 255, 64, 250, 251, 252, 255, 128, 127, 127, 127,
			255, 255, 255, 0, 0, 0, 0, 255, 100, 150, 200, 255, 127, 128, 128, 1, 9, 200, 66}},
};

class SpaceRules : public testing::TestWithParam<SpaceCase> { };

TEST_P(SpaceRules, EdgeImageGivesExactBytes)
{
	const SpaceCase& expected = GetParam();
	std::unique_ptr<BBitmap> image = EdgeImage();
	SpaceConversion conversion;
	conversion.space = expected.space;
	conversion.background = expected.background;
	std::unique_ptr<BBitmap> converted = BitmapInSpace(*image, conversion);
	ASSERT_NE(converted, nullptr);
	EXPECT_EQ(converted->ColorSpace(), expected.space);
	EXPECT_EQ(converted->Bounds(), image->Bounds());
	EXPECT_EQ(converted->BytesPerRow(), expected.bytesPerRow);
	EXPECT_EQ(BytesOf(*converted), expected.bytes);
}

INSTANTIATE_TEST_SUITE_P(EverySpace, SpaceRules, testing::ValuesIn(kSpaceCases),
	[](const testing::TestParamInfo<SpaceCase>& info) {
		std::string name = info.param.name;
		for (char& c : name) {
			if (c == ' ')
				c = '_';
		}
		return name;
	});

// The seed's two spaces come out as the bitmap's own conversion gives them.
TEST(SpaceConversion, Rgb32AndCmap8AreTheBitmapConversion)
{
	std::unique_ptr<BBitmap> image = EdgeImage();
	for (color_space space : {B_RGB32, B_CMAP8}) {
		SpaceConversion conversion;
		conversion.space = space;
		conversion.background = kSlate;
		std::unique_ptr<BBitmap> converted = BitmapInSpace(*image, conversion);
		std::unique_ptr<BBitmap> reference = ConvertedBitmap(*image, space).Value();
		ASSERT_NE(converted, nullptr);
		EXPECT_EQ(BytesOf(*converted), BytesOf(*reference)) << space;
	}
}

// Sources in other spaces are read by their own rules first: B_RGB32's
// transparent value is transparent, a B_GRAY8 grey opaque.
TEST(SpaceConversion, ReadsEverySourceSpace)
{
	BBitmap rgb32(BRect(0, 0, 1, 0), B_RGB32);
	const uint8 rgb32Bytes[8] = {0x77, 0x74, 0x77, 0x00, 0x10, 0x80, 0xf0, 0x00};
	memcpy(rgb32.Bits(), rgb32Bytes, 8);
	struct Row {
		color_space space;
		std::vector<uint8> bytes;
	};
	const Row rows[] = {
		{B_RGBA32, {0x77, 0x74, 0x77, 0x00, 0x10, 0x80, 0xf0, 0xff}},
		{B_RGB15, {0xce, 0x39, 0x02, 0x76}},
		{B_RGB16, {0xff, 0xff, 0x02, 0xec}},
		{B_GRAY8, {255, 149, 0, 0}},
	};
	for (const Row& row : rows) {
		std::unique_ptr<BBitmap> converted = BitmapInSpace(rgb32, {row.space});
		ASSERT_NE(converted, nullptr);
		EXPECT_EQ(BytesOf(*converted), row.bytes) << row.space;
	}

	BBitmap gray(BRect(0, 0, 2, 0), B_GRAY8);
	const uint8 grays[3] = {0, 127, 255};
	memcpy(gray.Bits(), grays, 3);
	std::unique_ptr<BBitmap> oneBit = BitmapInSpace(gray, {B_GRAY1});
	ASSERT_NE(oneBit, nullptr);
	EXPECT_EQ(BytesOf(*oneBit), (std::vector<uint8>{0xc0, 0, 0, 0}));
}

TEST(SpaceConversion, NamesTheFifteenSpaces)
{
	const struct {
		const char* name;
		color_space space;
	} kNames[] = {
		{"rgb32", B_RGB32},
		{"cmap8", B_CMAP8},
		{"rgba32", B_RGBA32},
		{"rgb16", B_RGB16},
		{"rgb15", B_RGB15},
		{"rgba15", B_RGBA15},
		{"gray8", B_GRAY8},
		{"gray1", B_GRAY1},
		{"rgb24", B_RGB24},
		{"rgb24-big", B_RGB24_BIG},
		{"rgb16-big", B_RGB16_BIG},
		{"rgb15-big", B_RGB15_BIG},
		{"rgba15-big", B_RGBA15_BIG},
		{"rgb32-big", B_RGB32_BIG},
		{"rgba32-big", B_RGBA32_BIG},
	};
	for (const auto& entry : kNames) {
		color_space space = B_NO_COLOR_SPACE;
		EXPECT_TRUE(ColorSpaceNamed(entry.name, space)) << entry.name;
		EXPECT_EQ(space, entry.space) << entry.name;
	}
	color_space space = B_NO_COLOR_SPACE;
	EXPECT_FALSE(ColorSpaceNamed("RGB32", space));
	EXPECT_FALSE(ColorSpaceNamed("rgb24_big", space));
	EXPECT_FALSE(ColorSpaceNamed("rgb16-little", space));
	EXPECT_FALSE(ColorSpaceNamed("", space));
}

} // namespace
