#pragma once

// The exact nearest system-map index of every opaque colour, answered from
// 128 KiB instead of the colour map's 16 MiB full table: for each 5-5-5 cell
// (8 x 8 x 8 colours) the map colours that are the full table's answer
// somewhere in it, at most four (a few cells have more; those are answered
// by the full table). The answer is the candidate at the smallest distance,
// the lower index on a tie, which is the full table's own rule, so both
// always agree. Error diffusion looks its colours up one after another,
// each waiting for the last: a table that stays in the cache and a search
// without branches keep that chain short.
//
// Thread safety: built once from the full table, on the first call of
// Get(), and read-only afterwards; any thread may use it at any time.

#include <SupportDefs.h>

#include <algorithm>
#include <array>
#include <memory>

class CellCandidateTable {
public:
	// The table, or null when the colour map's full table could not be had.
	static const CellCandidateTable* Get();

	// Keyed as the full table: red << 16 | green << 8 | blue.
	uint8 IndexFor(uint32 color) const
	{
		const uint32 cell = ((color >> 9) & 0x7c00) | ((color >> 6) & 0x3e0)
			| ((color >> 3) & 0x1f);
		const uint32 candidates = fCells[cell];
		if ((candidates & 0xff) == kSeveral)
			return fFullTable[color];
		const uint32 red = color >> 16, green = (color >> 8) & 0xff, blue = color & 0xff;
		// Distance and index in one key: the smallest key is the nearest
		// candidate, and of equally near ones the lower index. The squared
		// distance less the colour's own square, which all candidates
		// share, is the candidate's square less twice the dot product, so a
		// key is a constant of the candidate less three products.
		auto key = [&](uint32 index) {
			const KeyParts& parts = fKeyParts[index];
			return parts.base - (red * parts.red + green * parts.green + blue * parts.blue);
		};
		const uint32 first = std::min(key(candidates & 0xff), key((candidates >> 8) & 0xff));
		const uint32 second = std::min(key((candidates >> 16) & 0xff), key(candidates >> 24));
		return uint8(std::min(first, second));
	}

private:
	// Never an answer (it stands for transparency): marks a cell with more
	// than four candidates.
	static constexpr uint8 kSeveral = 255;

	// A candidate's key for a colour k is base - k . (red, green, blue):
	// base is (3 * 255^2 + its squared length) << 8 | its index, and the
	// three are 512 times its channels. The key is its squared distance
	// from k, less k's squared length, plus 3 * 255^2, shifted by 8 and
	// with the index below: never negative, and below 2^27.
	struct KeyParts {
		uint32 base, red, green, blue;
	};

	explicit CellCandidateTable(const uint8* fullTable);

	const uint8* fFullTable;
	// Four candidate indices per cell, the first one repeated where there
	// are fewer.
	std::unique_ptr<uint32[]> fCells;
	std::array<KeyParts, 256> fKeyParts;
};
