#include "SystemColorMap.h"

#include <algorithm>
#include <new>
#include <vector>

namespace BPrivate {

namespace {

// Index 255 stands for transparency and is never the answer for a colour.
constexpr int32 kOpaqueColorCount = ColorMap::kColorCount - 1;

uint32 DistanceSquared(const rgb_color& color, int32 red, int32 green, int32 blue)
{
	int32 dr = int32(color.red) - red;
	int32 dg = int32(color.green) - green;
	int32 db = int32(color.blue) - blue;
	return uint32(dr * dr + dg * dg + db * db);
}

// Smallest and largest squared distance from `value` to any value in
// [low, low + 7], for one channel.
void ChannelBounds(int32 value, int32 low, uint32& nearest, uint32& farthest)
{
	int32 high = low + 7;
	int32 inside = value < low ? low - value : (value > high ? value - high : 0);
	int32 toLow = value - low;
	int32 toHigh = value - high;
	nearest = uint32(inside * inside);
	farthest = uint32(std::max(toLow * toLow, toHigh * toHigh));
}

} // namespace

ColorMap::ColorMap()
{
	BuildCells();
}

ColorMap::~ColorMap() = default;

// A map colour can be the nearest to some colour of a cell only if its
// smallest distance to the cell is at most the largest distance of the map
// colour that is farthest-nearest, i.e. min over all of their largest
// distances. Every other colour is beaten everywhere in the cell.
void ColorMap::BuildCells()
{
	fCellIndex.reset(new uint8[kCellCount]);
	fCellStart.reset(new uint32[kCellCount + 1]);
	std::vector<uint8> candidates;
	candidates.reserve(kCellCount * 4);

	uint32 nearest[kOpaqueColorCount];
	for (int32 cell = 0; cell < kCellCount; cell++) {
		int32 lowRed = (cell >> 10) << 3;
		int32 lowGreen = ((cell >> 5) & 31) << 3;
		int32 lowBlue = (cell & 31) << 3;
		uint32 threshold = UINT32_MAX;
		for (int32 index = 0; index < kOpaqueColorCount; index++) {
			const rgb_color& color = kSystemColorMapColors[index];
			uint32 nearRed, farRed, nearGreen, farGreen, nearBlue, farBlue;
			ChannelBounds(color.red, lowRed, nearRed, farRed);
			ChannelBounds(color.green, lowGreen, nearGreen, farGreen);
			ChannelBounds(color.blue, lowBlue, nearBlue, farBlue);
			nearest[index] = nearRed + nearGreen + nearBlue;
			threshold = std::min(threshold, farRed + farGreen + farBlue);
		}
		fCellStart[cell] = uint32(candidates.size());
		for (int32 index = 0; index < kOpaqueColorCount; index++) {
			if (nearest[index] <= threshold)
				candidates.push_back(uint8(index));
		}
		uint32 count = uint32(candidates.size()) - fCellStart[cell];
		fCellIndex[cell] = count == 1 ? candidates.back() : kNoSingleIndex;
	}
	fCellStart[kCellCount] = uint32(candidates.size());
	fCandidates.reset(new uint8[candidates.size()]);
	std::copy(candidates.begin(), candidates.end(), fCandidates.get());
}

uint8 ColorMap::SearchCell(int32 cell, uint8 red, uint8 green, uint8 blue) const
{
	const uint8* candidate = fCandidates.get() + fCellStart[cell];
	const uint8* end = fCandidates.get() + fCellStart[cell + 1];
	uint8 best = *candidate;
	uint32 bestDistance = DistanceSquared(kSystemColorMapColors[best], red, green, blue);
	for (candidate++; candidate < end; candidate++) {
		uint32 distance = DistanceSquared(kSystemColorMapColors[*candidate], red, green, blue);
		// Strictly smaller: on a tie the earlier, lower index stays.
		if (distance < bestDistance) {
			bestDistance = distance;
			best = *candidate;
		}
	}
	return best;
}

uint8 ColorMap::IndexFor(uint8 red, uint8 green, uint8 blue) const
{
	int32 cell = CellOf(red, green, blue);
	uint8 index = fCellIndex[cell];
	if (index != kNoSingleIndex)
		return index;
	return SearchCell(cell, red, green, blue);
}

bool ColorMap::Contains(uint8 red, uint8 green, uint8 blue) const
{
	const rgb_color& color = ColorAt(IndexFor(red, green, blue));
	return color.red == red && color.green == green && color.blue == blue;
}

const uint8* ColorMap::FullTable() const
{
	std::call_once(fFullTableOnce, [this] { BuildFullTable(); });
	return fFullTable.get();
}

void ColorMap::BuildFullTable() const
{
	std::unique_ptr<uint8[]> table(new (std::nothrow) uint8[1 << 24]);
	if (!table)
		return;
	for (uint32 red = 0; red < 256; red++) {
		for (uint32 green = 0; green < 256; green++) {
			uint8* row = table.get() + (red << 16 | green << 8);
			for (uint32 blueCell = 0; blueCell < 32; blueCell++) {
				int32 cell = CellOf(red, green, blueCell << 3);
				uint8 single = fCellIndex[cell];
				uint8* entry = row + (blueCell << 3);
				if (single != kNoSingleIndex) {
					std::fill(entry, entry + 8, single);
					continue;
				}
				for (uint32 blue = 0; blue < 8; blue++)
					entry[blue] = SearchCell(cell, red, green, (blueCell << 3) | blue);
			}
		}
	}
	fFullTable = std::move(table);
}

const ColorMap& SystemColorMap()
{
	static const ColorMap sMap;
	return sMap;
}

} // namespace BPrivate
