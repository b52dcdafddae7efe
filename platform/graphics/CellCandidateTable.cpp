#include <CellCandidateTable.h>

#include <SystemColorMap.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace {

constexpr uint32 kCellCount = 32 * 32 * 32;

} // namespace

const CellCandidateTable*
CellCandidateTable::Get()
{
	static const std::unique_ptr<CellCandidateTable> sTable = []() {
		const uint8* fullTable = BPrivate::SystemColorMap().FullTable();
		return std::unique_ptr<CellCandidateTable>(
			fullTable != nullptr ? new(std::nothrow) CellCandidateTable(fullTable) : nullptr);
	}();
	return sTable.get();
}

// The full table is read in its own order, a row of 256 blues at a time;
// eight blues that share one answer (most do) count once.
CellCandidateTable::CellCandidateTable(const uint8* fullTable)
	:
	fFullTable(fullTable),
	fCells(new uint32[kCellCount])
{
	const BPrivate::ColorMap& map = BPrivate::SystemColorMap();
	for (int32 index = 0; index < 256; index++) {
		const rgb_color& color = map.ColorAt(uint8(index));
		const uint32 red = color.red, green = color.green, blue = color.blue;
		const uint32 length = red * red + green * green + blue * blue;
		fKeyParts[index] = {(3 * 255 * 255 + length) << 8 | uint32(index), 512 * red, 512 * green,
			512 * blue};
	}
	auto candidates = std::make_unique<uint8[][4]>(kCellCount);
	auto counts = std::make_unique<uint8[]>(kCellCount);
	auto add = [&](uint32 cell, uint8 index) {
		uint8* list = candidates[cell];
		uint8& count = counts[cell];
		if (count > 4 || std::find(list, list + std::min<uint8>(count, 4), index) < list + count)
			return;
		if (count < 4)
			list[count] = index;
		count++;
	};
	for (uint32 red = 0; red < 256; red++) {
		for (uint32 green = 0; green < 256; green++) {
			const uint8* row = fullTable + (red << 16 | green << 8);
			const uint32 cellRow = (red >> 3) << 10 | (green >> 3) << 5;
			for (uint32 blueCell = 0; blueCell < 32; blueCell++) {
				const uint8* eight = row + 8 * blueCell;
				uint64 bytes;
				memcpy(&bytes, eight, 8);
				if (bytes == eight[0] * 0x0101010101010101ull) {
					add(cellRow | blueCell, eight[0]);
					continue;
				}
				for (int32 i = 0; i < 8; i++)
					add(cellRow | blueCell, eight[i]);
			}
		}
	}
	for (uint32 cell = 0; cell < kCellCount; cell++) {
		uint8* list = candidates[cell];
		if (counts[cell] > 4) {
			fCells[cell] = kSeveral;
			continue;
		}
		for (int32 i = counts[cell]; i < 4; i++)
			list[i] = list[0];
		fCells[cell] = uint32(list[0]) | uint32(list[1]) << 8 | uint32(list[2]) << 16
			| uint32(list[3]) << 24;
	}
}
