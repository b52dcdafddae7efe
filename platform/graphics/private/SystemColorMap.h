// SPDX-License-Identifier: MIT
#pragma once

// The system colour map: the 256 colours that B_CMAP8 pixels index. Index 255
// is B_TRANSPARENT_MAGIC_CMAP8; its listed colour repeats white.
//
// Colour to index is exact: the map colour at the smallest squared RGB
// distance, ties going to the lower index, and never index 255, which stands
// for transparency (so white gives 63 and grey 152 gives 19). It is answered
// from tables rather than by a search over the map:
//  * per 5-5-5 cell (8 x 8 x 8 colours), the few map colours that can be the
//    nearest to some colour of the cell, and the answer outright where the
//    whole cell has one nearest colour;
//  * for bulk conversion, a 16 MiB table holding the index of every 24-bit
//    colour, built from the cells on first use.
//
// Thread safety: the map is built on the first call of SystemColorMap(),
// exactly once, and is read-only afterwards. The full table is built in 256
// slabs (one per red value) by the threads that ask for it while it is not
// complete: each takes the slabs nobody has taken yet, then waits for the
// ones others are still building, so two workers that both need it share the
// work instead of one waiting for the other. Once complete it is read-only,
// and any thread may use both at any time.

#include <GraphicsDefs.h>
#include <PageMemory.h>
#include <SupportDefs.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <span>

namespace BPrivate {

// The 256 colours, compiled in from data/system-colormap.txt.
extern const rgb_color kSystemColorMapColors[256];

class ColorMap {
public:
	ColorMap();
	~ColorMap();

	ColorMap(const ColorMap&) = delete;
	ColorMap& operator=(const ColorMap&) = delete;

	static constexpr int32 kColorCount = 256;

	const rgb_color& ColorAt(uint8 index) const { return kSystemColorMapColors[index]; }

	// The exact nearest index of an opaque colour; never 255.
	uint8 IndexFor(uint8 red, uint8 green, uint8 blue) const;

	// The index of every colour, keyed by red << 16 | green << 8 | blue (the
	// low 24 bits of a B_RGB32 pixel read as a little-endian 32-bit value).
	// 16 MiB, built on the first calls (about a tenth of a second on one
	// core); null when the memory could not be had.
	const uint8* FullTable() const;

	// True when the colour is exactly one of the map's opaque colours.
	bool Contains(uint8 red, uint8 green, uint8 blue) const;

	static constexpr int32 kCellCount = 32 * 32 * 32;

	// The map colours that can be the nearest to some colour of the 5-5-5
	// cell (red >> 3) << 10 | (green >> 3) << 5 | blue >> 3, in ascending
	// index order: every colour of the cell has its nearest among them,
	// though some of them may be nobody's nearest.
	std::span<const uint8> CandidatesOfCell(int32 cell) const
	{
		return {fCandidates.get() + fCellStart[cell], fCandidates.get() + fCellStart[cell + 1]};
	}

private:
	static constexpr uint8 kNoSingleIndex = B_TRANSPARENT_MAGIC_CMAP8;

	static int32 CellOf(uint32 red, uint32 green, uint32 blue)
	{
		return int32((red >> 3) << 10 | (green >> 3) << 5 | (blue >> 3));
	}
	uint8 SearchCell(int32 cell, uint8 red, uint8 green, uint8 blue) const;
	void BuildCells();
	static constexpr uint32 kSlabCount = 256;
	void BuildSlab(uint32 red) const;

	// Where the whole cell has one nearest colour, its index; else 255.
	std::unique_ptr<uint8[]> fCellIndex;
	// Candidates of cell c: fCandidates[fCellStart[c] .. fCellStart[c + 1]),
	// in ascending index order so the first best one is the lower index.
	std::unique_ptr<uint32[]> fCellStart;
	std::unique_ptr<uint8[]> fCandidates;

	mutable std::once_flag fFullTableOnce;
	mutable PageMemory fFullTable;
	// Slabs handed out, and slabs written; the table is complete when the
	// second reaches kSlabCount.
	mutable std::atomic<uint32> fNextSlab{0};
	mutable std::atomic<uint32> fSlabsBuilt{0};
};

// The one system colour map of the process.
const ColorMap& SystemColorMap();

} // namespace BPrivate
