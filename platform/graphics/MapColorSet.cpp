// SPDX-License-Identifier: MIT
#include <MapColorSet.h>

#include <SystemColorMap.h>

MapColorSet::MapColorSet()
{
	const BPrivate::ColorMap& map = BPrivate::SystemColorMap();
	fKeys.fill(kEmpty);
	for (int32 i = 0; i < BPrivate::ColorMap::kColorCount; i++) {
		const rgb_color& color = map.ColorAt(uint8(i));
		const uint32 key = uint32(color.red) << 16 | uint32(color.green) << 8 | color.blue;
		uint32 slot = SlotOf(key);
		while (fKeys[slot] != kEmpty && fKeys[slot] != key)
			slot = (slot + 1) & (kSlots - 1);
		fKeys[slot] = key;
		fIndices[slot] = map.IndexFor(color.red, color.green, color.blue);
		const uint32 pair = key >> 8;
		fPairs[pair >> 6] |= uint64(1) << (pair & 63);
	}
}
