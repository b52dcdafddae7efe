#include "ColorMapDither.h"

#include <CellCandidateTable.h>
#include <MapColorSet.h>

#include <PixelAccess.h>
#include <SystemColorMap.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

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

// The same answers from a table small enough to stay in the cache, for
// loops whose look-ups wait on one another.
struct CandidateIndex {
	const CellCandidateTable* table;
	uint8 operator()(uint32 color) const { return table->IndexFor(color); }
	void Prefetch(uint32) const {}
};

// The same answers from the map's exact search, more slowly, for when the
// tables could not be had (no memory).
struct SearchedIndex {
	const ColorMap* map;
	uint8 operator()(uint32 color) const
	{
		return map->IndexFor(uint8(Red(color)), uint8(Green(color)), uint8(Blue(color)));
	}
	void Prefetch(uint32) const {}
};

// The map's colours packed as red << 16 | green << 8 | blue.
std::array<uint32, 256> PackedMapColors(const ColorMap& map)
{
	std::array<uint32, 256> colors{};
	for (int32 index = 0; index < 256; index++) {
		const rgb_color& color = map.ColorAt(uint8(index));
		colors[index] = Pack(color.red, color.green, color.blue, 0);
	}
	return colors;
}

// Where a pixel's error goes, in sixteenths: the next pixel of its row, and
// the three below it (behind, under, ahead). At either end of a row the
// shares that would fall off the side go to the pixels below instead, so no
// row loses error at its ends.
struct Shares {
	int32 ahead, belowBehind, below, belowAhead;
};
constexpr Shares kInside = {7, 3, 5, 1};
constexpr Shares kRowStart = {7, 0, 8, 1};
constexpr Shares kRowEnd = {0, 6, 10, 0};
constexpr Shares kLonePixel = {0, 0, 16, 0};

// Floyd-Steinberg error diffusion, even rows left to right and odd rows
// right to left. A pixel's value and error are kept in sixteenths of a level,
// the value clamped to the channel's range first, so an error is at most
// 255 levels and what waits for a pixel (in 1/256 of a level) at most 16
// times that: no sum can overflow. A transparent pixel drops the error
// waiting for it and passes none on.
//
// Each pixel waits for the one before it, so the loop is one long chain of
// dependent steps: the error for the next pixel stays in registers, the row
// below is written once per pixel, and colours are looked up in a table
// small enough to stay in the cache (CellCandidateTable).
template<typename Reader, typename Index>
void DiffuseErrors(const BBitmap& source, BBitmap& target, const std::array<uint32, 256>& colors,
	Index index)
{
	const int32 width = source.Bounds().IntegerWidth() + 1;
	const int32 height = source.Bounds().IntegerHeight() + 1;
	// Per pixel three channels, with one pixel of margin at either end.
	const size_t rowLength = size_t(width + 2) * 3;
	std::vector<int32> errors(2 * rowLength, 0);
	int32* current = errors.data();
	int32* next = current + rowLength;
	Reader reader;
	for (int32 y = 0; y < height; y++) {
		const uint8* row = static_cast<const uint8*>(source.Bits()) + int64(y) * source.BytesPerRow();
		uint8* out = static_cast<uint8*>(target.Bits()) + int64(y) * target.BytesPerRow();
		const int32 step = y % 2 == 0 ? 1 : -1;
		// What the previous pixel passes on (ahead), and the parts of the
		// two entries below that are not yet complete: under the previous
		// pixel, and under this one.
		int32 ahead[3] = {0, 0, 0};
		int32 belowPrevious[3] = {0, 0, 0};
		int32 belowThis[3] = {0, 0, 0};
		auto diffuse = [&](int32 x, const Shares& shares) {
			const uint32 pixel = reader.Read(row, x);
			int32 error[3] = {0, 0, 0};
			if (IsTransparent(pixel)) {
				out[x] = B_TRANSPARENT_MAGIC_CMAP8;
			} else {
				const int32* waiting = current + 3 * (x + 1);
				const int32 levels[3] = {int32(Red(pixel)), int32(Green(pixel)),
					int32(Blue(pixel))};
				int32 value[3];
				uint32 color = 0;
				for (int32 c = 0; c < 3; c++) {
					value[c] = std::clamp(16 * levels[c] + ((waiting[c] + ahead[c] + 8) >> 4), 0,
						16 * 255);
					color = color << 8 | uint32((value[c] + 8) >> 4);
				}
				const uint8 chosen = index(color);
				out[x] = chosen;
				const uint32 mapColor = colors[chosen];
				for (int32 c = 0; c < 3; c++)
					error[c] = value[c] - 16 * int32((mapColor >> (16 - 8 * c)) & 0xff);
			}
			// The entry under the previous pixel is complete with this
			// pixel's share.
			int32* below = next + 3 * (x + 1);
			for (int32 c = 0; c < 3; c++) {
				below[c - 3 * step] = belowPrevious[c] + shares.belowBehind * error[c];
				belowPrevious[c] = belowThis[c] + shares.below * error[c];
				belowThis[c] = shares.belowAhead * error[c];
				ahead[c] = shares.ahead * error[c];
			}
		};
		int32 x = step > 0 ? 0 : width - 1;
		if (width == 1) {
			diffuse(x, kLonePixel);
		} else {
			diffuse(x, kRowStart);
			for (int32 i = 1; i < width - 1; i++)
				diffuse(x += step, kInside);
			diffuse(x += step, kRowEnd);
		}
		int32* below = next + 3 * (x + 1);
		for (int32 c = 0; c < 3; c++)
			below[c] = belowPrevious[c];
		std::swap(current, next);
	}
}

// The 8x8 Bayer matrix: thresholds 0..63, each 2x2 block spread as far over
// the cell as it goes.
constexpr uint8 kBayer[8][8] = {
	{0, 32, 8, 40, 2, 34, 10, 42},
	{48, 16, 56, 24, 50, 18, 58, 26},
	{12, 44, 4, 36, 14, 46, 6, 38},
	{60, 28, 52, 20, 62, 30, 54, 22},
	{3, 35, 11, 43, 1, 33, 9, 41},
	{51, 19, 59, 27, 49, 17, 57, 25},
	{15, 47, 7, 39, 13, 45, 5, 37},
	{63, 31, 55, 23, 61, 29, 53, 21},
};

// How far apart neighbouring levels of the map's colour cube lie (0, 51, 102,
// 152, 203, 255): the offsets spread a colour over one such step.
constexpr int32 kSpread = 51;

// The offset added to each channel at a place in the cell: thresholds
// centred on zero, from -25 to +25, symmetric so that the cell's mean is 0.
constexpr std::array<std::array<int8, 8>, 8> OrderedOffsets()
{
	std::array<std::array<int8, 8>, 8> offsets{};
	for (int32 y = 0; y < 8; y++) {
		for (int32 x = 0; x < 8; x++)
			offsets[y][x] = int8((2 * kBayer[y][x] + 1 - 64) * kSpread / 128);
	}
	return offsets;
}

constexpr auto kOffsets = OrderedOffsets();

// Ordered dithering: each channel moved by the offset of the pixel's place
// and clamped, then mapped. A pixel that is a map colour keeps it, whatever
// the offset would do. Each row is done in two passes: first every pixel's
// answer or the colour to look up, then the look-ups, each fetched some
// pixels ahead so that several cache misses are in flight at once.
template<typename Reader, typename Index>
void OrderDither(const BBitmap& source, BBitmap& target, const MapColorSet& mapColors,
	Index index)
{
	// A looked-up entry holds the colour; a settled one this bit and the
	// index.
	constexpr uint32 kSettled = 0x80000000;
	constexpr int32 kAhead = 64;
	const int32 width = source.Bounds().IntegerWidth() + 1;
	const int32 height = source.Bounds().IntegerHeight() + 1;
	std::vector<uint32> entries(size_t(width) + kAhead, kSettled);
	Reader reader;
	for (int32 y = 0; y < height; y++) {
		const uint8* row = static_cast<const uint8*>(source.Bits()) + int64(y) * source.BytesPerRow();
		uint8* out = static_cast<uint8*>(target.Bits()) + int64(y) * target.BytesPerRow();
		const std::array<int8, 8>& offsets = kOffsets[y & 7];
		for (int32 x = 0; x < width; x++) {
			const uint32 pixel = reader.Read(row, x);
			uint8 settled;
			if (IsTransparent(pixel)) {
				entries[x] = kSettled | B_TRANSPARENT_MAGIC_CMAP8;
			} else if (mapColors.Find(pixel & kColorMask, settled)) {
				entries[x] = kSettled | settled;
			} else {
				const int32 offset = offsets[x & 7];
				auto moved = [offset](uint32 level) {
					return uint32(std::clamp(int32(level) + offset, 0, 255));
				};
				entries[x] = moved(Red(pixel)) << 16 | moved(Green(pixel)) << 8
					| moved(Blue(pixel));
			}
		}
		for (int32 x = 0; x < width; x++) {
			index.Prefetch(entries[x + kAhead] & kColorMask);
			const uint32 entry = entries[x];
			out[x] = (entry & kSettled) != 0 ? uint8(entry) : index(entry);
		}
	}
}

template<typename Reader>
void DitherWith(DitherKind kind, const BBitmap& source, BBitmap& target)
{
	const ColorMap& map = BPrivate::SystemColorMap();
	const uint8* table = map.FullTable();
	if (kind == DitherKind::kFloydSteinberg) {
		static const std::array<uint32, 256> colors = PackedMapColors(map);
		if (const CellCandidateTable* candidates = CellCandidateTable::Get())
			DiffuseErrors<Reader>(source, target, colors, CandidateIndex{candidates});
		else
			DiffuseErrors<Reader>(source, target, colors, SearchedIndex{&map});
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
	struct Name {
		const char* name;
		DitherKind kind;
	};
	static const Name kNames[] = {
		{"none", DitherKind::kNone},
		{"floyd-steinberg", DitherKind::kFloydSteinberg},
		{"ordered", DitherKind::kOrdered},
	};
	for (const Name& entry : kNames) {
		if (strcmp(name, entry.name) == 0) {
			kind = entry.kind;
			return true;
		}
	}
	return false;
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

} // namespace

std::unique_ptr<BBitmap>
DitheredBitmap(const BBitmap& source, DitherKind kind)
{
	if (!source.IsValid())
		return nullptr;
	const color_space space = source.ColorSpace();
	if (kind == DitherKind::kNone || space == B_CMAP8)
		return ConvertedBitmap(source, B_CMAP8);
	if (space != B_RGB32 && space != B_RGBA32) {
		std::unique_ptr<BBitmap> read = ConvertedBitmap(source, B_RGBA32);
		return read ? DitheredBitmap(*read, kind) : nullptr;
	}
	auto target = std::make_unique<BBitmap>(source.Bounds(), B_CMAP8, false, false);
	if (!target->IsValid())
		return nullptr;
	if (space == B_RGB32)
		DitherWith<ReadRGB32>(kind, source, *target);
	else
		DitherWith<ReadRGBA32>(kind, source, *target);
	return target;
}
