// SPDX-License-Identifier: MIT
#include "ColorMapDither.h"

#include "DiffusionOrder.h"
#include "VectorDiffusion.h"

#include <BayerMatrix.h>
#include <CellCandidateTable.h>
#include <MapColorSet.h>
#include <NamedValue.h>

#include <PixelAccess.h>
#include <SystemColorMap.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <type_traits>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

using namespace BPrivate::pixel;
using BPrivate::ColorMap;

// The index of an opaque colour (red << 16 | green << 8 | blue), from the
// colour map's full table.
struct TableIndex {
	const uint8* table;
	uint8 operator()(uint32 color) const { return table[color]; }
	void Prefetch(uint32 color) const { __builtin_prefetch(table + color); }
};

// For error diffusion, whose look-ups wait on one another: the nearest map
// colour with its index (index << 24 | red << 16 | green << 8 | blue), from
// a table small enough to stay in the cache. (The vector loop reads the
// table itself.)
struct CandidateNearest {
	const CellCandidateTable* table;
	uint32 operator()(uint32 color) const { return table->NearestFor(color); }
};

// The same answers from the map's exact search, more slowly, for when the
// tables could not be had (no memory).
struct SearchedNearest {
	const ColorMap* map;
	uint32 operator()(uint32 color) const
	{
		return CellCandidateTable::AnswerOf(
			map->IndexFor(uint8(Red(color)), uint8(Green(color)), uint8(Blue(color))));
	}
};

// For ordered dithering: the index alone, from the map's exact search.
struct SearchedIndex {
	const ColorMap* map;
	uint8 operator()(uint32 color) const
	{
		return map->IndexFor(uint8(Red(color)), uint8(Green(color)), uint8(Blue(color)));
	}
	void Prefetch(uint32) const { }
};

// Where a pixel's error goes, in sixteenths: 7 to the next pixel of its row,
// and 3, 5 and 1 to the three below it (behind, under, ahead). At either end
// of a row the shares that would fall off the side go to the pixels below
// instead, so no row loses error at its ends: the first pixel passes 0, 8
// and 1 below, the last one 6 and 10 and nothing ahead, and a row of one
// pixel all 16 under it. A pixel's share below-ahead is 1 and its share
// ahead 7 wherever a pixel follows it in its row, so only the shares behind
// and under vary.
//
// A pixel's value and error are kept in sixteenths of a level, the value
// clamped to the channel's range first, so an error is at most 255 levels
// and what waits for a pixel (in 1/256 of a level) at most 16 times that: no
// sum can overflow. Values are held 8 above their sixteenths (8 to 4088),
// so that a value's level is a plain shift. A transparent pixel drops the
// error waiting for it and passes none on.
//
// `error` comes in as the previous pixel's error (0 at a row's start) and
// goes out as this one's; `under` is the part of the entry below the
// previous pixel that is still open, and `behind` that entry, completed here.
template <int32 kBehind, int32 kUnder, typename Nearest>
inline void
DiffusePixel(uint32 pixel, const int32* waiting, uint8& out, int32* behind, int32 (&error)[3],
	int32 (&under)[3], Nearest nearestOf)
{
	int32 pixelError[3] = {0, 0, 0};
	if (__builtin_expect(IsTransparent(pixel), 0)) {
		out = B_TRANSPARENT_MAGIC_CMAP8;
	} else {
		const int32 levels[3] = {int32(Red(pixel)), int32(Green(pixel)), int32(Blue(pixel))};
		int32 value[3];
		uint32 color = 0;
		for (int32 c = 0; c < 3; c++) {
			// 256 * level + 128 is a multiple of 16, so this is the value
			// 16 * level + ((waiting + ahead + 8) >> 4), plus 8.
			value[c] = std::clamp(
				(256 * levels[c] + 136 + waiting[c] + 7 * error[c]) >> 4, 8, 16 * 255 + 8);
			color = color << 8 | uint32(value[c] >> 4);
		}
		const uint32 nearest = nearestOf(color);
		out = uint8(nearest >> 24);
		for (int32 c = 0; c < 3; c++)
			pixelError[c] = value[c] - int32(16 * ((nearest >> (16 - 8 * c)) & 0xff) + 8);
	}
	for (int32 c = 0; c < 3; c++) {
		behind[c] = under[c] + kBehind * pixelError[c];
		under[c] = error[c] + kUnder * pixelError[c];
		error[c] = pixelError[c];
	}
}

// Floyd-Steinberg error diffusion, with the shares above.
//
// Each pixel waits for the one before it, so a band of rows is one long
// chain of dependent steps, and a step mostly waits for its colour's
// look-up. An image of at least kBandedFrom rows is therefore diffused as
// two bands, its top and bottom halves (the top one an even number of rows,
// so that every row keeps the direction its number gives it), whose pixels
// are taken in turn: while one band waits, the other one's work gets done.
// The bands pass each other no error; the bottom one starts afresh, as the
// image's first row does. In each band even rows go left to right and odd
// ones right to left.
//
// What passes from pixel to pixel stays in registers, the shares are
// constants of each pixel's kind (the first and last of a row are done
// apart from the rest), the row below is written once per pixel, and
// colours are looked up in a table small enough to stay in the cache
// (CellCandidateTable).
template <typename Reader, typename Nearest>
void
DiffuseErrors(const BBitmap& source, BBitmap& target, Nearest nearestOf)
{
	const int32 width = source.Bounds().IntegerWidth() + 1;
	const int32 height = source.Bounds().IntegerHeight() + 1;
	const int32 topRows = TopBandRows(height);
	// Per band two rows of three channels per pixel, with one pixel of
	// margin at either end.
	const size_t rowLength = size_t(width + 2) * 3;
	std::vector<int32> errors(4 * rowLength, 0);
	int32* currentA = errors.data();
	int32* nextA = currentA + rowLength;
	int32* currentB = nextA + rowLength;
	int32* nextB = currentB + rowLength;
	Reader reader;
	auto rowOf = [&](int32 y) {
		return static_cast<const uint8*>(source.Bits()) + int64(y) * source.BytesPerRow();
	};
	auto outOf = [&](int32 y) {
		return static_cast<uint8*>(target.Bits()) + int64(y) * target.BytesPerRow();
	};
	// Row y of the top band and, with two bands, row y of the bottom one.
	auto diffuseRows = [&](int32 y, auto bands, auto step) {
		constexpr bool kTwo = decltype(bands)::value == 2;
		constexpr int32 kStep = decltype(step)::value;
		const uint8* rowA = rowOf(y);
		uint8* outA = outOf(y);
		const uint8* rowB = kTwo ? rowOf(topRows + y) : nullptr;
		uint8* outB = kTwo ? outOf(topRows + y) : nullptr;
		int32 errorA[3] = {0, 0, 0};
		int32 underA[3] = {0, 0, 0};
		int32 errorB[3] = {0, 0, 0};
		int32 underB[3] = {0, 0, 0};
		int32 x = kStep > 0 ? 0 : width - 1;
		auto at = [&](auto shares, int32 place) {
			constexpr int32 kBehind = decltype(shares)::first_type::value;
			constexpr int32 kUnder = decltype(shares)::second_type::value;
			const int32 waiting = 3 * (place + 1);
			const int32 behind = 3 * (place + 1 - kStep);
			DiffusePixel<kBehind, kUnder>(reader.Read(rowA, place), currentA + waiting, outA[place],
				nextA + behind, errorA, underA, nearestOf);
			if constexpr (kTwo) {
				DiffusePixel<kBehind, kUnder>(reader.Read(rowB, place), currentB + waiting,
					outB[place], nextB + behind, errorB, underB, nearestOf);
			}
		};
		WalkRow<kStep>(width, x, at);
		for (int32 c = 0; c < 3; c++) {
			nextA[3 * (x + 1) + c] = underA[c];
			if constexpr (kTwo)
				nextB[3 * (x + 1) + c] = underB[c];
		}
		std::swap(currentA, nextA);
		if constexpr (kTwo)
			std::swap(currentB, nextB);
	};
	DiffuseBands(height, topRows, diffuseRows);
}

using BPrivate::kBayer;

// How far apart neighbouring levels of the map's colour cube lie (0, 51, 102,
// 152, 203, 255): the offsets spread a colour over one such step.
constexpr int32 kSpread = 51;

// The offset added to each channel at a place in the cell: thresholds
// centred on zero, from -25 to +25, symmetric so that the cell's mean is 0.
constexpr std::array<std::array<int8, 8>, 8>
OrderedOffsets()
{
	std::array<std::array<int8, 8>, 8> offsets{};
	for (int32 y = 0; y < 8; y++) {
		for (int32 x = 0; x < 8; x++)
			offsets[y][x] = int8((2 * kBayer[y][x] + 1 - 64) * kSpread / 128);
	}
	return offsets;
}

constexpr auto kOffsets = OrderedOffsets();

// A colour (red << 16 | green << 8 | blue, or a pixel whose alpha is
// ignored) with `offset` added to each channel, clamped to 0..255.
inline uint32
MovedColor(uint32 pixel, int32 offset)
{
	auto moved = [offset](
					 uint32 level) { return uint32(std::clamp(int32(level) + offset, 0, 255)); };
	return moved(Red(pixel)) << 16 | moved(Green(pixel)) << 8 | moved(Blue(pixel));
}

// The moved colours of one row: `moved[x]` is pixel x's colour with the
// offset of its place added, whatever the pixel is. The offsets repeat every
// eight pixels, so with SSE2 eight pixels are moved at a time by saturating
// byte additions and subtractions, which clamp as MovedColor does.
void
MoveRow(const uint8* row, int32 width, const std::array<int8, 8>& offsets, uint32* moved)
{
	int32 x = 0;
#if defined(__SSE2__)
	// Per pixel the offset's size on its three colour bytes, as a rise or a
	// fall; the alpha byte is left as it is and masked off.
	alignas(16) uint8 rise[32] = {};
	alignas(16) uint8 fall[32] = {};
	for (int32 i = 0; i < 8; i++) {
		for (int32 c = 0; c < 3; c++) {
			rise[4 * i + c] = uint8(std::max<int32>(offsets[i], 0));
			fall[4 * i + c] = uint8(std::max<int32>(-offsets[i], 0));
		}
	}
	const __m128i riseLeft = _mm_load_si128(reinterpret_cast<const __m128i*>(rise));
	const __m128i riseRight = _mm_load_si128(reinterpret_cast<const __m128i*>(rise + 16));
	const __m128i fallLeft = _mm_load_si128(reinterpret_cast<const __m128i*>(fall));
	const __m128i fallRight = _mm_load_si128(reinterpret_cast<const __m128i*>(fall + 16));
	const __m128i colorMask = _mm_set1_epi32(int32(kColorMask));
	for (; x + 8 <= width; x += 8) {
		__m128i left = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 4 * x));
		__m128i right = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 4 * x + 16));
		left = _mm_and_si128(_mm_subs_epu8(_mm_adds_epu8(left, riseLeft), fallLeft), colorMask);
		right = _mm_and_si128(_mm_subs_epu8(_mm_adds_epu8(right, riseRight), fallRight), colorMask);
		_mm_storeu_si128(reinterpret_cast<__m128i*>(moved + x), left);
		_mm_storeu_si128(reinterpret_cast<__m128i*>(moved + x + 4), right);
	}
#endif
	for (; x < width; x++)
		moved[x] = MovedColor(Load32(row + 4 * x), offsets[x & 7]);
}

// Ordered dithering: each channel moved by the offset of the pixel's place
// and clamped, then mapped. A pixel that is a map colour keeps it, whatever
// the offset would do. Each row is done in two passes: first every pixel's
// moved colour, then the answers, the moved colour's entry fetched some
// pixels ahead so that several cache misses are in flight at once.
template <typename Reader, typename Index>
void
OrderDither(const BBitmap& source, BBitmap& target, const MapColorSet& mapColors, Index index)
{
	constexpr int32 kAhead = 64;
	const int32 width = source.Bounds().IntegerWidth() + 1;
	const int32 height = source.Bounds().IntegerHeight() + 1;
	// The fetches ahead read past the row's end into entries that stay 0.
	std::vector<uint32> moved(size_t(width) + kAhead, 0);
	Reader reader;
	for (int32 y = 0; y < height; y++) {
		const uint8* row = static_cast<const uint8*>(source.Bits())
			+ int64(y) * source.BytesPerRow();
		uint8* out = static_cast<uint8*>(target.Bits()) + int64(y) * target.BytesPerRow();
		MoveRow(row, width, kOffsets[y & 7], moved.data());
		for (int32 x = 0; x < width; x++) {
			index.Prefetch(moved[x + kAhead]);
			const uint32 pixel = reader.Read(row, x);
			uint8 answer = index(moved[x]);
			// One test, rarely true, for both kinds of pixel that keep
			// their own answer.
			if (__builtin_expect(IsTransparent(pixel) | mapColors.MayHold(pixel & kColorMask), 0)) {
				uint8 settled;
				if (IsTransparent(pixel))
					answer = B_TRANSPARENT_MAGIC_CMAP8;
				else if (mapColors.Find(pixel & kColorMask, settled))
					answer = settled;
			}
			out[x] = answer;
		}
	}
}

template <typename Reader>
void
DitherWith(DitherKind kind, bool vectors, const BBitmap& source, BBitmap& target)
{
	const ColorMap& map = BPrivate::SystemColorMap();
	const uint8* table = map.FullTable();
	if (kind == DitherKind::kFloydSteinberg) {
		const CellCandidateTable* candidates = CellCandidateTable::Get();
		if (candidates == nullptr)
			DiffuseErrors<Reader>(source, target, SearchedNearest{&map});
		else if (vectors && VectorDiffusionUsable()) {
			DiffuseIntoMapWithVectors(
				source, target, *candidates, std::is_same_v<Reader, ReadRGBA32>);
		} else
			DiffuseErrors<Reader>(source, target, CandidateNearest{candidates});
		return;
	}
	static const MapColorSet mapColors;
	if (table != nullptr)
		OrderDither<Reader>(source, target, mapColors, TableIndex{table});
	else
		OrderDither<Reader>(source, target, mapColors, SearchedIndex{&map});
}

} // namespace

bool
DitherKindNamed(const char* name, DitherKind& kind)
{
	static const std::pair<const char*, DitherKind> kNames[] = {
		{"none", DitherKind::kNone},
		{"floyd-steinberg", DitherKind::kFloydSteinberg},
		{"ordered", DitherKind::kOrdered},
	};
	return BPrivate::ValueNamed(name, kNames, kind);
}

namespace {

// A new bitmap of `source`'s bounds in `space`, converted by SetBits as the
// nearest mapping is everywhere else; null when it cannot be made.
std::unique_ptr<BBitmap>
ConvertedBitmap(const BBitmap& source, color_space space)
{
	auto converted = std::make_unique<BBitmap>(source.Bounds(), space, false, false);
	if (!converted->IsValid())
		return nullptr;
	converted->SetBits(source.Bits(), source.BitsLength(), 0, source.ColorSpace());
	return converted;
}

// DitheredBitmap, with Floyd-Steinberg's vector loop only when `vectors`.
std::unique_ptr<BBitmap>
MappedBitmap(const BBitmap& source, DitherKind kind, bool vectors)
{
	if (!source.IsValid())
		return nullptr;
	const color_space space = source.ColorSpace();
	if (kind == DitherKind::kNone || space == B_CMAP8)
		return ConvertedBitmap(source, B_CMAP8);
	if (space != B_RGB32 && space != B_RGBA32) {
		std::unique_ptr<BBitmap> read = ConvertedBitmap(source, B_RGBA32);
		return read ? MappedBitmap(*read, kind, vectors) : nullptr;
	}
	auto target = std::make_unique<BBitmap>(source.Bounds(), B_CMAP8, false, false);
	if (!target->IsValid())
		return nullptr;
	if (space == B_RGB32)
		DitherWith<ReadRGB32>(kind, vectors, source, *target);
	else
		DitherWith<ReadRGBA32>(kind, vectors, source, *target);
	return target;
}

} // namespace

std::unique_ptr<BBitmap>
DitheredBitmap(const BBitmap& source, DitherKind kind)
{
	return MappedBitmap(source, kind, true);
}

std::unique_ptr<BBitmap>
PlainlyDiffusedBitmap(const BBitmap& source)
{
	return MappedBitmap(source, DitherKind::kFloydSteinberg, false);
}
