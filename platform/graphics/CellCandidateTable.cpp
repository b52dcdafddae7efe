// SPDX-License-Identifier: MIT
#include <CellCandidateTable.h>

#include <SystemColorMap.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <span>

const CellCandidateTable*
CellCandidateTable::Get()
{
	// Without memory for it there is no table, and error diffusion falls
	// back on the map's own search.
	static const std::unique_ptr<CellCandidateTable> sTable = []() {
		if (BPrivate::SystemColorMap().FullTable() == nullptr)
			return std::unique_ptr<CellCandidateTable>();
		try {
			return std::unique_ptr<CellCandidateTable>(new CellCandidateTable());
		} catch (const std::bad_alloc&) {
			return std::unique_ptr<CellCandidateTable>();
		}
	}();
	return sTable.get();
}

// Out of line, so that callers built for other processors share this one.
uint32
CellCandidateTable::NearestInCrowded(uint32 color, const uint32* answers) const
{
	return CrowdedNearest(color, answers[1]);
}

uint32
CellCandidateTable::AnswerOf(uint8 index)
{
	const rgb_color& color = BPrivate::SystemColorMap().ColorAt(index);
	return uint32(index) << 24 | uint32(color.red) << 16 | uint32(color.green) << 8 | color.blue;
}

// A cell takes the map's own candidates for it where there are at most
// four. Only the other cells (about 1 in 12) are narrowed down to the
// colours that are the full table's answer somewhere in them, read from the
// table eight blues at a time; eight that share one answer (most do) count
// once.
CellCandidateTable::CellCandidateTable() : fCells(new Cell[BPrivate::ColorMap::kCellCount])
{
	const BPrivate::ColorMap& map = BPrivate::SystemColorMap();
	const uint8* fullTable = map.FullTable();
	for (uint32 index = 0; index < 256; index++)
		fAnswers[index] = AnswerOf(uint8(index));
	for (int32 cell = 0; cell < BPrivate::ColorMap::kCellCount; cell++) {
		// Every cell has at least one answer.
		uint32 list[256];
		list[0] = 0;
		uint32 count = 0;
		const std::span<const uint8> candidates = map.CandidatesOfCell(cell);
		if (candidates.size() <= 4) {
			for (uint8 index : candidates)
				list[count++] = fAnswers[index];
			// In order of index, as the narrowed lists below come, so that a
			// search may settle ties by place.
			std::sort(list, list + count);
		} else {
			// The answers as a set of indices, four words of 64.
			uint64 answers[4] = {0, 0, 0, 0};
			const uint32 red = uint32(cell) >> 10 << 3, green = (uint32(cell) >> 5 & 31) << 3;
			const uint32 blue = (uint32(cell) & 31) << 3;
			for (uint32 r = red; r < red + 8; r++) {
				for (uint32 g = green; g < green + 8; g++) {
					const uint8* eight = fullTable + (r << 16 | g << 8 | blue);
					uint64 bytes;
					memcpy(&bytes, eight, 8);
					const int32 distinct = bytes == eight[0] * 0x0101010101010101ull ? 1 : 8;
					for (int32 i = 0; i < distinct; i++)
						answers[eight[i] >> 6] |= uint64(1) << (eight[i] & 63);
				}
			}
			for (uint32 word = 0; word < 4; word++) {
				for (uint64 bits = answers[word]; bits != 0; bits &= bits - 1)
					list[count++] = fAnswers[64 * word + uint32(__builtin_ctzll(bits))];
			}
		}
		uint32* answers = fCells[cell].answers;
		if (count > 4) {
			answers[0] = kCrowded << 24;
			answers[1] = uint32(fCrowded.size());
			answers[2] = answers[3] = 0;
			fCrowded.push_back(count);
			fCrowded.insert(fCrowded.end(), list, list + count);
			continue;
		}
		for (uint32 i = 0; i < 4; i++)
			answers[i] = list[i < count ? i : 0];
	}
}
