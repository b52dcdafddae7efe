// SPDX-License-Identifier: MIT
#include "ChannelDither.h"

#include "BayerMatrix.h"
#include "ColorConversion.h"
#include "ExactPixels.h"
#include "PixelAccess.h"

#include <algorithm>
#include <memory>
#include <type_traits>
#include <vector>

namespace BPrivate {

namespace {

using namespace pixel;
using namespace exact;

// A value with its error is kept in sixteenths of a level, 0 to 16·255.
constexpr int32 kTopValue = 16 * 255;

using BPrivate::kBayer;

// The answers for one channel of n bits, as tables.
struct ChannelTables {
	uint8 nearest[256]; // a value's nearest level
	uint8 ordered[64][256]; // a value's level at each Bayer threshold
	uint8 levelOf[kTopValue + 1]; // a value in sixteenths: its nearest level
	uint8 value[256]; // what a level reads back as

	explicit ChannelTables(int32 bits)
	{
		const uint32 maximum = (1u << bits) - 1;
		for (uint32 level = 0; level <= maximum; level++)
			value[level] = uint8(LevelValue(level, bits));
		for (uint32 c = 0; c < 256; c++)
			nearest[c] = uint8(Level(c, maximum));
		// floor(c·maximum/255 + (2t + 1)/128): on average the nearest level;
		// a value some level reads back exactly keeps that level.
		for (uint32 t = 0; t < 64; t++) {
			for (uint32 c = 0; c < 256; c++) {
				uint32 level = (128 * c * maximum + 255 * (2 * t + 1)) / (128 * 255);
				if (value[nearest[c]] == c)
					level = nearest[c];
				ordered[t][c] = uint8(std::min(level, maximum));
			}
		}
		// 16·c gives Level(c): (16·c·max + 2040) / 4080 rounds as Level does.
		for (int32 v = 0; v <= kTopValue; v++)
			levelOf[v] = uint8((uint32(v) * maximum + 2040) / 4080);
	}
};

// Rows of the source as straight B_RGBA32: B_RGBA32 and B_RGB32 rows read in
// place (Pixel applies B_RGB32's rule), any other converted a row at a time.
class StraightRows {
public:
	explicit StraightRows(const BBitmap& source)
		: fSource(source), fWidth(source.Width()), fRgb32(source.ColorSpace() == B_RGB32)
	{
		if (source.ColorSpace() != B_RGBA32 && !fRgb32)
			fScratch.resize(size_t(fWidth) * 4);
	}

	const uint8* Row(int32 y)
	{
		const uint8* row = static_cast<const uint8*>(fSource.Bits())
			+ int64(y) * fSource.BytesPerRow();
		if (fScratch.empty())
			return row;
		ConvertPixels(row, fSource.ColorSpace(), 0, fScratch.data(), B_RGBA32, 0, fWidth);
		return fScratch.data();
	}

	uint32 Pixel(const uint8* row, int32 x) const
	{
		const uint32 pixel = Load32(row + 4 * x);
		if (!fRgb32)
			return pixel;
		return pixel == kMagic ? kMagic : pixel | kOpaque;
	}

private:
	const BBitmap& fSource;
	const int32 fWidth;
	const bool fRgb32;
	std::vector<uint8> fScratch;
};

// The values a pixel is quantized from: red, green and blue, or lightness,
// laid over the background where the space has no transparency. True for a
// transparent pixel.
template <int32 K>
inline bool
Work(uint32 pixel, const LeveledSpace& space, uint32 (&work)[K])
{
	const uint32 alpha = Alpha(pixel);
	uint32 red = Red(pixel);
	uint32 green = Green(pixel);
	uint32 blue = Blue(pixel);
	if (space.overBackground && alpha != 255) {
		red = Over(red, alpha, space.background[0]);
		green = Over(green, alpha, space.background[1]);
		blue = Over(blue, alpha, space.background[2]);
	}
	if constexpr (K == 1) {
		work[0] = Lightness(red, green, blue);
	} else {
		work[0] = red;
		work[1] = green;
		work[2] = blue;
	}
	return alpha < 128;
}

template <int32 K>
inline void
Put(uint8* row, int32 x, const LeveledSpace& space, const uint32 (&level)[K], bool transparent)
{
	if constexpr (K == 1) {
		// Level 0 is black, which is the bit set.
		const uint8 bit = uint8(0x80 >> (x & 7));
		if (level[0] == 0)
			row[x >> 3] |= bit;
		else
			row[x >> 3] &= uint8(~bit);
	} else {
		uint32 value = level[0] << space.shifts[0] | level[1] << space.shifts[1] | level[2];
		if (!transparent)
			value |= space.opaque;
		else if (space.magic)
			value = B_TRANSPARENT_MAGIC_RGBA15;
		if (space.bigEndian)
			value = (value >> 8) | (value & 0xff) << 8;
		Store16(row + 2 * x, value);
	}
}

template <int32 K>
void
QuantizeEach(StraightRows& rows, BBitmap& target, const LeveledSpace& space,
	const ChannelTables* const (&tables)[K], bool ordered, int32 first, int32 end)
{
	const int32 width = target.Width();
	for (int32 y = first; y < end; y++) {
		const uint8* in = rows.Row(y);
		uint8* out = static_cast<uint8*>(target.Bits()) + int64(y) * target.BytesPerRow();
		for (int32 x = 0; x < width; x++) {
			uint32 work[K];
			uint32 level[K];
			const bool transparent = Work(rows.Pixel(in, x), space, work);
			const uint8 threshold = kBayer[y & 7][x & 7];
			for (int32 c = 0; c < K; c++) {
				level[c] = ordered && !transparent ? tables[c]->ordered[threshold][work[c]]
												   : tables[c]->nearest[work[c]];
			}
			Put(out, x, space, level, transparent);
		}
	}
}

// Where a pixel's error goes, in sixteenths: 7 to the next pixel of its row
// and 3, 5 and 1 to the three below it (behind, under, ahead). At a row's
// ends what would fall off the side goes below instead: the first pixel
// passes 0, 8 and 1 below, the last 6 and 10 and nothing ahead, a row of
// one pixel all 16 under it. Wherever a pixel follows in the row, the share
// ahead is 7 and the one below-ahead 1, so only the shares behind and under
// vary, and they are constants of each pixel's kind.
//
// Errors are in sixteenths of a level; what waits for a pixel (the shares
// of the pixels above it) in 1/256 of a level. A value is clamped to the
// channel's range before its error is taken, so an error is at most 4080
// and what waits at most 16 times that.
//
// `error` comes in as the previous pixel's error (0 at a row's start) and
// goes out as this one's; `open` is the entry below the previous pixel as
// far as it is known, completed here and written to `behind`, and goes out
// as the entry below this pixel.
template <int32 K, int32 kBehind, int32 kUnder, bool kWrite>
inline void
DiffusePixel(uint32 pixel, const LeveledSpace& space, const ChannelTables* const (&tables)[K],
	const int32* waiting, int32* behind, int32 (&error)[K], int32 (&open)[K], uint8* out, int32 x)
{
	uint32 work[K];
	uint32 level[K];
	int32 pixelError[K] = {};
	const bool transparent = Work(pixel, space, work);
	if (__builtin_expect(transparent, 0)) {
		for (int32 c = 0; c < K; c++)
			level[c] = tables[c]->nearest[work[c]];
	} else {
		for (int32 c = 0; c < K; c++) {
			const int32 value = std::clamp(
				int32(16 * work[c]) + ((waiting[c] + 7 * error[c] + 8) >> 4), 0, kTopValue);
			level[c] = tables[c]->levelOf[value];
			pixelError[c] = value - 16 * int32(tables[c]->value[level[c]]);
		}
	}
	for (int32 c = 0; c < K; c++) {
		if constexpr (kWrite)
			behind[c] = open[c] + kBehind * pixelError[c];
		open[c] = error[c] + kUnder * pixelError[c];
		error[c] = pixelError[c];
	}
	Put(out, x, space, level, transparent);
}

template <int32 K, int32 kStep>
void
DiffuseRow(const StraightRows& rows, const uint8* in, uint8* out, int32 width,
	const LeveledSpace& space, const ChannelTables* const (&tables)[K], const int32* current,
	int32* next)
{
	int32 error[K] = {};
	int32 open[K] = {};
	int32 x = kStep > 0 ? 0 : width - 1;
	auto at = [&](auto behindShare, auto underShare, auto write) {
		DiffusePixel<K, decltype(behindShare)::value, decltype(underShare)::value,
			decltype(write)::value>(rows.Pixel(in, x), space, tables, current + size_t(x + 1) * K,
			next + size_t(x + 1 - kStep) * K, error, open, out, x);
	};
	using Zero = std::integral_constant<int32, 0>;
	using Yes = std::true_type;
	if (width == 1) {
		at(Zero{}, std::integral_constant<int32, 16>{}, std::false_type{});
	} else {
		at(Zero{}, std::integral_constant<int32, 8>{}, std::false_type{});
		for (int32 i = 1; i < width - 1; i++) {
			x += kStep;
			at(std::integral_constant<int32, 3>{}, std::integral_constant<int32, 5>{}, Yes{});
		}
		x += kStep;
		at(std::integral_constant<int32, 6>{}, std::integral_constant<int32, 10>{}, Yes{});
	}
	for (int32 c = 0; c < K; c++)
		next[size_t(x + 1) * K + c] = open[c];
}

// Floyd-Steinberg error diffusion over rows `first` to `end` − 1 as one
// band: the first row starts without error and goes left to right, the
// next right to left, and so on. Every entry of the row below is written
// once, so the rows of errors need no clearing.
template <int32 K>
void
Diffuse(StraightRows& rows, BBitmap& target, const LeveledSpace& space,
	const ChannelTables* const (&tables)[K], int32 first, int32 end)
{
	const int32 width = target.Width();
	// Two rows of K values per pixel, with one pixel of margin at each end.
	const size_t rowLength = size_t(width + 2) * K;
	std::vector<int32> errors(2 * rowLength, 0);
	int32* current = errors.data();
	int32* next = current + rowLength;
	for (int32 y = first; y < end; y++) {
		const uint8* in = rows.Row(y);
		uint8* out = static_cast<uint8*>(target.Bits()) + int64(y) * target.BytesPerRow();
		if ((y - first) % 2 == 0)
			DiffuseRow<K, 1>(rows, in, out, width, space, tables, current, next);
		else
			DiffuseRow<K, -1>(rows, in, out, width, space, tables, current, next);
		std::swap(current, next);
	}
}

template <int32 K>
void
QuantizeWith(const BBitmap& source, BBitmap& target, const LeveledSpace& space, DitherKind kind,
	int32 first, int32 end)
{
	std::vector<std::unique_ptr<ChannelTables>> owned;
	const ChannelTables* tables[K];
	for (int32 c = 0; c < K; c++) {
		// Channels of the same depth share their tables.
		int32 same = 0;
		while (same < c && space.bits[same] != space.bits[c])
			same++;
		if (same < c) {
			tables[c] = tables[same];
			continue;
		}
		owned.push_back(std::make_unique<ChannelTables>(space.bits[c]));
		tables[c] = owned.back().get();
	}
	StraightRows rows(source);
	if (kind == DitherKind::kFloydSteinberg)
		Diffuse<K>(rows, target, space, tables, first, end);
	else
		QuantizeEach<K>(rows, target, space, tables, kind == DitherKind::kOrdered, first, end);
}

} // namespace

bool
LeveledSpace::For(color_space space, rgb_color background, LeveledSpace& leveled)
{
	static constexpr LeveledSpace kSpaces[] = {
		{B_RGB16, 3, {5, 6, 5}, {11, 5}, 0, false, false, true, {}},
		{B_RGB15, 3, {5, 5, 5}, {10, 5}, 0, true, false, false, {}},
		{B_RGBA15, 3, {5, 5, 5}, {10, 5}, 0x8000, false, false, false, {}},
		{B_RGB16_BIG, 3, {5, 6, 5}, {11, 5}, 0, false, true, true, {}},
		{B_RGB15_BIG, 3, {5, 5, 5}, {10, 5}, 0, true, true, false, {}},
		{B_RGBA15_BIG, 3, {5, 5, 5}, {10, 5}, 0x8000, false, true, false, {}},
		{B_GRAY1, 1, {1, 1, 1}, {0, 0}, 0, false, false, true, {}},
	};
	for (const LeveledSpace& known : kSpaces) {
		if (known.space != space)
			continue;
		leveled = known;
		const bool over = known.overBackground;
		leveled.background[0] = over ? background.red : 255;
		leveled.background[1] = over ? background.green : 255;
		leveled.background[2] = over ? background.blue : 255;
		return true;
	}
	return false;
}

void
QuantizeRows(const BBitmap& source, BBitmap& target, const LeveledSpace& leveled, DitherKind kind,
	int32 first, int32 end)
{
	if (first >= end)
		return;
	if (leveled.channels == 1)
		QuantizeWith<1>(source, target, leveled, kind, first, end);
	else
		QuantizeWith<3>(source, target, leveled, kind, first, end);
}

} // namespace BPrivate
