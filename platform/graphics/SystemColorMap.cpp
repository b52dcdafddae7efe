// SPDX-License-Identifier: MIT
#include "SystemColorMap.h"

#include <algorithm>
#include <new>
#include <vector>

namespace BPrivate {

namespace {

// Index 255 stands for transparency and is never the answer for a colour.
constexpr int32 kOpaqueColorCount = ColorMap::kColorCount - 1;

uint32
DistanceSquared(const rgb_color& color, int32 red, int32 green, int32 blue)
{
	int32 dr = int32(color.red) - red;
	int32 dg = int32(color.green) - green;
	int32 db = int32(color.blue) - blue;
	return uint32(dr * dr + dg * dg + db * db);
}

// Smallest and largest squared distance from `value` to any value in
// [low, low + 7], for one channel.
void
ChannelBounds(int32 value, int32 low, uint32& nearest, uint32& farthest)
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
void
ColorMap::BuildCells()
{
	fCellIndex.reset(new uint8[kCellCount]);
	fCellStart.reset(new uint32[kCellCount + 1]);
	std::vector<uint8> candidates;
	candidates.reserve(kCellCount * 4);

	// A channel's bounds depend only on the colour and the cell's range in
	// that channel: taken once for each of the 32 ranges, and summed per cell
	// over all colours in a loop the compiler can run several colours wide.
	struct ChannelTable {
		uint32 nearest[32][kOpaqueColorCount];
		uint32 farthest[32][kOpaqueColorCount];
	};
	auto tables = std::make_unique<ChannelTable[]>(3);
	for (int32 range = 0; range < 32; range++) {
		for (int32 index = 0; index < kOpaqueColorCount; index++) {
			const rgb_color& color = kSystemColorMapColors[index];
			const uint8 values[3] = {color.red, color.green, color.blue};
			for (int32 channel = 0; channel < 3; channel++) {
				ChannelBounds(values[channel], range << 3, tables[channel].nearest[range][index],
					tables[channel].farthest[range][index]);
			}
		}
	}

	uint32 nearest[kOpaqueColorCount];
	for (int32 cell = 0; cell < kCellCount; cell++) {
		const int32 red = cell >> 10, green = (cell >> 5) & 31, blue = cell & 31;
		const uint32* nearRed = tables[0].nearest[red];
		const uint32* nearGreen = tables[1].nearest[green];
		const uint32* nearBlue = tables[2].nearest[blue];
		const uint32* farRed = tables[0].farthest[red];
		const uint32* farGreen = tables[1].farthest[green];
		const uint32* farBlue = tables[2].farthest[blue];
		uint32 threshold = UINT32_MAX;
		for (int32 index = 0; index < kOpaqueColorCount; index++) {
			nearest[index] = nearRed[index] + nearGreen[index] + nearBlue[index];
			threshold = std::min(threshold, farRed[index] + farGreen[index] + farBlue[index]);
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

uint8
ColorMap::SearchCell(int32 cell, uint8 red, uint8 green, uint8 blue) const
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

uint8
ColorMap::IndexFor(uint8 red, uint8 green, uint8 blue) const
{
	int32 cell = CellOf(red, green, blue);
	uint8 index = fCellIndex[cell];
	if (index != kNoSingleIndex)
		return index;
	return SearchCell(cell, red, green, blue);
}

bool
ColorMap::Contains(uint8 red, uint8 green, uint8 blue) const
{
	const rgb_color& color = ColorAt(IndexFor(red, green, blue));
	return color.red == red && color.green == green && color.blue == blue;
}

const uint8*
ColorMap::FullTable() const
{
	std::call_once(fFullTableOnce, [this] { fFullTable = AllocatePageMemory(size_t(1) << 24); });
	if (!fFullTable)
		return nullptr;
	if (fSlabsBuilt.load(std::memory_order_acquire) == kSlabCount)
		return fFullTable.get();

	for (uint32 slab = fNextSlab.fetch_add(1, std::memory_order_relaxed); slab < kSlabCount;
		 slab = fNextSlab.fetch_add(1, std::memory_order_relaxed)) {
		BuildSlab(slab);
		// Releases the slab's bytes; whoever reads kSlabCount sees all slabs.
		if (fSlabsBuilt.fetch_add(1, std::memory_order_acq_rel) + 1 == kSlabCount)
			fSlabsBuilt.notify_all();
	}
	for (uint32 built = fSlabsBuilt.load(std::memory_order_acquire); built != kSlabCount;
		 built = fSlabsBuilt.load(std::memory_order_acquire)) {
		fSlabsBuilt.wait(built, std::memory_order_acquire);
	}
	return fFullTable.get();
}

// The colours with one red value, cell by cell along blue: a cell with one
// nearest colour is filled with it; otherwise each candidate's red and green
// distance is taken once and its blue distance added for the cell's eight
// blues, keeping the first (lowest index) of equally near candidates, as
// SearchCell does.
void
ColorMap::BuildSlab(uint32 red) const
{
	for (uint32 green = 0; green < 256; green++) {
		uint8* row = fFullTable.get() + (red << 16 | green << 8);
		for (uint32 blueCell = 0; blueCell < 32; blueCell++) {
			int32 cell = CellOf(red, green, blueCell << 3);
			uint8* entry = row + (blueCell << 3);
			uint8 single = fCellIndex[cell];
			if (single != kNoSingleIndex) {
				std::fill(entry, entry + 8, single);
				continue;
			}
			uint32 bestDistance[8];
			uint8 best[8];
			std::fill(bestDistance, bestDistance + 8, UINT32_MAX);
			const uint8* candidate = fCandidates.get() + fCellStart[cell];
			const uint8* end = fCandidates.get() + fCellStart[cell + 1];
			for (; candidate < end; candidate++) {
				const rgb_color& color = kSystemColorMapColors[*candidate];
				int32 dr = int32(color.red) - int32(red);
				int32 dg = int32(color.green) - int32(green);
				int32 db = int32(color.blue) - int32(blueCell << 3);
				uint32 base = uint32(dr * dr + dg * dg);
				for (int32 blue = 0; blue < 8; blue++) {
					uint32 distance = base + uint32((db - blue) * (db - blue));
					if (distance < bestDistance[blue]) {
						bestDistance[blue] = distance;
						best[blue] = *candidate;
					}
				}
			}
			std::copy(best, best + 8, entry);
		}
	}
}

const ColorMap&
SystemColorMap()
{
	static const ColorMap sMap;
	return sMap;
}

} // namespace BPrivate
