// SPDX-License-Identifier: MIT
// Dithering into B_RGB16, B_RGB15, B_RGBA15 and B_GRAY1: pixels worked out
// by hand, and the rules every kind keeps (levels kept, transparency, the
// two bands of a tall image, no dithering being the nearest value, the
// big-endian twins being the same values).

#include <SpaceConversion.h>

#include <Bitmap.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr color_space kDitheredSpaces[] = {B_RGB16, B_RGB15, B_RGBA15, B_GRAY1};
constexpr DitherKind kDithering[] = {DitherKind::kFloydSteinberg, DitherKind::kOrdered};

uint32
Pixel(uint8 red, uint8 green, uint8 blue, uint8 alpha = 255)
{
	return uint32(alpha) << 24 | uint32(red) << 16 | uint32(green) << 8 | blue;
}

uint32
Grey(uint8 level)
{
	return Pixel(level, level, level);
}

// A B_RGBA32 bitmap of `width` x `height` whose pixels `pixelAt` gives.
template <typename PixelAt>
std::unique_ptr<BBitmap>
MakeImage(int32 width, int32 height, PixelAt pixelAt)
{
	auto bitmap = std::make_unique<BBitmap>(BRect(0, 0, width - 1, height - 1), B_RGBA32);
	for (int32 y = 0; y < height; y++) {
		uint8* row = static_cast<uint8*>(bitmap->Bits()) + y * bitmap->BytesPerRow();
		for (int32 x = 0; x < width; x++) {
			const uint32 pixel = pixelAt(x, y);
			memcpy(row + 4 * x, &pixel, 4);
		}
	}
	return bitmap;
}

std::unique_ptr<BBitmap>
Converted(const BBitmap& image, color_space space, DitherKind kind)
{
	std::unique_ptr<BBitmap> converted = BitmapInSpace(image, {space, kind});
	EXPECT_NE(converted, nullptr);
	return converted;
}

// Rows `first` to `end` − 1 of a bitmap's bytes, padding included.
std::vector<uint8>
RowBytes(const BBitmap& bitmap, int32 first, int32 end)
{
	const uint8* bits = static_cast<const uint8*>(bitmap.Bits());
	return std::vector<uint8>(
		bits + first * bitmap.BytesPerRow(), bits + end * bitmap.BytesPerRow());
}

std::vector<uint8>
BytesOf(const BBitmap& bitmap)
{
	return RowBytes(bitmap, 0, bitmap.Height());
}

// The lightness a B_GRAY1 or 16-bit pixel reads back as, summed over a row.
int64
ReadBackSum(const BBitmap& bitmap, int32 y)
{
	BBitmap grey(bitmap.Bounds(), B_RGBA32);
	grey.SetBits(bitmap.Bits(), bitmap.BitsLength(), 0, bitmap.ColorSpace());
	const uint8* row = static_cast<const uint8*>(grey.Bits()) + y * grey.BytesPerRow();
	int64 sum = 0;
	for (int32 x = 0; x < grey.Width(); x++)
		sum += row[4 * x + 1];
	return sum;
}

} // namespace

// Grey 128 in a row of four pixels, worked out by hand in sixteenths of a
// level: 2048 is white (error -2032), then 2048 - 889 black (error 1159),
// 2048 + 507 white (error -1525), 2048 - 667 black.
TEST(ChannelDither, FloydSteinbergRowByHand)
{
	auto image = MakeImage(4, 1, [](int32, int32) { return Grey(128); });
	std::unique_ptr<BBitmap> oneBit = Converted(*image, B_GRAY1, DitherKind::kFloydSteinberg);
	EXPECT_EQ(BytesOf(*oneBit), (std::vector<uint8>{0x50, 0, 0, 0}));
}

// Grey 128 against the 8x8 thresholds: the pixels whose threshold is 32 or
// more turn white, half of each cell, and the cell repeats.
TEST(ChannelDither, OrderedHalfGreyIsHalfBlackInEveryCell)
{
	auto image = MakeImage(16, 16, [](int32, int32) { return Grey(128); });
	std::unique_ptr<BBitmap> oneBit = Converted(*image, B_GRAY1, DitherKind::kOrdered);
	const uint8* bits = static_cast<const uint8*>(oneBit->Bits());
	const int32 stride = oneBit->BytesPerRow();
	int32 black = 0;
	for (int32 y = 0; y < 8; y++) {
		black += __builtin_popcount(bits[y * stride]);
		EXPECT_EQ(bits[y * stride], bits[y * stride + 1]);
		EXPECT_EQ(bits[y * stride], bits[(y + 8) * stride]);
	}
	EXPECT_EQ(black, 32);
}

// Values some level reads back exactly are kept by every kind: there is no
// error to spread, and the thresholds leave them where they are.
TEST(ChannelDither, ExactLevelsStayAsTheNearestGivesThem)
{
	// 5-bit levels 0, 1, 16, 30, 31 read back as 0, 8, 132, 247, 255;
	// 6-bit ones 0, 4, 130, 251, 255 (levels 0, 1, 32, 62, 63).
	const uint8 levels5[] = {0, 8, 132, 247, 255};
	const uint8 levels6[] = {0, 4, 130, 251, 255};
	auto image16 = MakeImage(37, 23, [&](int32 x, int32 y) {
		return Pixel(levels5[(x + y) % 5], levels6[(x * 3 + y) % 5], levels5[(x + 2 * y) % 5]);
	});
	auto image15 = MakeImage(37, 23, [&](int32 x, int32 y) {
		return Pixel(levels5[(x + y) % 5], levels5[(x * 3 + y) % 5], levels5[(x + 2 * y) % 5]);
	});
	auto blackAndWhite = MakeImage(
		37, 23, [](int32 x, int32 y) { return Grey((x * 7 + y) % 3 == 0 ? 0 : 255); });
	for (color_space space : kDitheredSpaces) {
		const BBitmap& source = space == B_GRAY1 ? *blackAndWhite
			: space == B_RGB16                   ? *image16
												 : *image15;
		std::unique_ptr<BBitmap> nearest = Converted(source, space, DitherKind::kNone);
		for (DitherKind kind : kDithering) {
			std::unique_ptr<BBitmap> dithered = Converted(source, space, kind);
			EXPECT_EQ(BytesOf(*dithered), BytesOf(*nearest))
				<< "space " << space << " kind " << int(kind);
		}
	}
}

// A transparent pixel becomes its nearest value whatever waits for it, and
// the pixel after it starts without error: in one row, grey, transparent,
// grey gives the nearest value for the last two.
TEST(ChannelDither, TransparentPixelsTakeAndPassNoError)
{
	const uint32 grey = Pixel(100, 150, 200);
	const uint32 clear = Pixel(100, 150, 200, 100);
	auto image = MakeImage(3, 1, [&](int32 x, int32) { return x == 1 ? clear : grey; });
	for (color_space space : kDitheredSpaces) {
		std::unique_ptr<BBitmap> nearest = Converted(*image, space, DitherKind::kNone);
		std::unique_ptr<BBitmap> dithered = Converted(*image, space, DitherKind::kFloydSteinberg);
		if (space == B_GRAY1) {
			EXPECT_EQ(BytesOf(*dithered)[0] & 0x60, BytesOf(*nearest)[0] & 0x60);
			continue;
		}
		// Two bytes a pixel: the last four of the row.
		const std::vector<uint8> want = BytesOf(*nearest);
		const std::vector<uint8> got = BytesOf(*dithered);
		EXPECT_EQ(std::vector<uint8>(got.begin() + 2, got.begin() + 6),
			std::vector<uint8>(want.begin() + 2, want.begin() + 6))
			<< space;
	}

	// Two transparent rows above an image: below them it is diffused as if
	// they were not there (the third row goes left to right, as a first).
	std::mt19937 random(29);
	std::vector<uint32> content(31 * 9);
	for (uint32& pixel : content)
		pixel = 0xff000000 | (random() & 0xffffff);
	auto alone = MakeImage(31, 9, [&](int32 x, int32 y) { return content[y * 31 + x]; });
	auto below = MakeImage(31, 11, [&](int32 x, int32 y) {
		return y < 2 ? Pixel(uint8(x * 8), 0, 255, uint8(y * 127)) : content[(y - 2) * 31 + x];
	});
	for (color_space space : {B_RGB15, B_RGBA15}) {
		EXPECT_EQ(RowBytes(*Converted(*below, space, DitherKind::kFloydSteinberg), 2, 11),
			BytesOf(*Converted(*alone, space, DitherKind::kFloydSteinberg)))
			<< space;
	}
}

// An image of 64 rows or more is diffused as two bands, the top half (an
// even number of rows) and the rest, each as an image of its own: what
// cores there are changes nothing.
TEST(ChannelDither, TallImagesAreDiffusedAsTwoIndependentBands)
{
	std::mt19937 random(64);
	const int32 width = 45;
	const int32 height = 100; // the top band is 50 rows
	std::vector<uint32> pixels(size_t(width) * height);
	for (uint32& pixel : pixels)
		pixel = 0xff000000 | (random() & 0xffffff);
	auto whole = MakeImage(width, height, [&](int32 x, int32 y) { return pixels[y * width + x]; });
	auto top = MakeImage(width, 50, [&](int32 x, int32 y) { return pixels[y * width + x]; });
	auto bottom = MakeImage(
		width, height - 50, [&](int32 x, int32 y) { return pixels[(y + 50) * width + x]; });
	for (color_space space : kDitheredSpaces) {
		std::unique_ptr<BBitmap> dithered = Converted(*whole, space, DitherKind::kFloydSteinberg);
		EXPECT_EQ(RowBytes(*dithered, 0, 50),
			BytesOf(*Converted(*top, space, DitherKind::kFloydSteinberg)))
			<< space;
		EXPECT_EQ(RowBytes(*dithered, 50, height),
			BytesOf(*Converted(*bottom, space, DitherKind::kFloydSteinberg)))
			<< space;
		EXPECT_EQ(
			BytesOf(*dithered), BytesOf(*Converted(*whole, space, DitherKind::kFloydSteinberg)))
			<< space;
	}
}

// Where the nearest value is off the same way for a whole field of pixels,
// dithering keeps the field's mean (over whole 8x8 cells) close to the
// colour's: two fields of eight rows, greys 42 and 79.
TEST(ChannelDither, FieldsKeepTheirMean)
{
	const int32 width = 256;
	auto greyOf = [](int32 y) { return y < 8 ? 42 : 79; };
	auto image = MakeImage(width, 16, [&](int32, int32 y) { return Grey(uint8(greyOf(y))); });
	for (color_space space : {B_RGB16, B_GRAY1}) {
		std::unique_ptr<BBitmap> nearest = Converted(*image, space, DitherKind::kNone);
		for (DitherKind kind : kDithering) {
			std::unique_ptr<BBitmap> dithered = Converted(*image, space, kind);
			int64 nearestMiss = 0;
			int64 ditheredMiss = 0;
			for (int32 field = 0; field < 2; field++) {
				int64 want = 0;
				int64 nearestSum = 0;
				int64 ditheredSum = 0;
				for (int32 y = 8 * field; y < 8 * field + 8; y++) {
					want += int64(width) * greyOf(y);
					nearestSum += ReadBackSum(*nearest, y);
					ditheredSum += ReadBackSum(*dithered, y);
				}
				nearestMiss += std::abs(nearestSum - want);
				ditheredMiss += std::abs(ditheredSum - want);
			}
			EXPECT_LT(ditheredMiss * 4, nearestMiss) << space << " kind " << int(kind);
		}
	}
}

// A _BIG space is its twin, dithered alike, each pixel's two bytes swapped:
// over a background, with partial and no alpha, in both bands of a tall
// image, and with an odd width so that rows end in padding.
TEST(ChannelDither, BigEndianTwinsAreTheirTwinsBytesSwapped)
{
	std::mt19937 random(1005);
	std::vector<uint32> pixels(size_t(37) * 70);
	for (uint32& pixel : pixels)
		pixel = random();
	auto image = MakeImage(37, 70, [&](int32 x, int32 y) { return pixels[y * 37 + x]; });
	const std::pair<color_space, color_space> twins[] = {
		{B_RGB16, B_RGB16_BIG}, {B_RGB15, B_RGB15_BIG}, {B_RGBA15, B_RGBA15_BIG}};
	for (const auto& [little, big] : twins) {
		for (DitherKind kind :
			{DitherKind::kNone, DitherKind::kFloydSteinberg, DitherKind::kOrdered}) {
			const rgb_color slate = {0x20, 0x40, 0x60, 255};
			std::vector<uint8> want = BytesOf(*BitmapInSpace(*image, {little, kind, slate}));
			for (size_t i = 0; i + 1 < want.size(); i += 2)
				std::swap(want[i], want[i + 1]);
			EXPECT_EQ(BytesOf(*BitmapInSpace(*image, {big, kind, slate})), want)
				<< big << " kind " << int(kind);
		}
	}
}
