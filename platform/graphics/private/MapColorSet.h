#pragma once

// The system map's opaque colours, each with the index the nearest mapping
// gives it (the lower of two equal colours), in a small open-addressed hash
// table behind a test of each channel's level: whether a pixel is a map
// colour is answered from 6 KiB that stay in the cache, without touching the
// full table. For ordered dithering, which keeps every map-coloured pixel.
//
// Read-only once constructed; any thread may use it.

#include <SupportDefs.h>

#include <array>

class MapColorSet {
public:
	MapColorSet();

	// True when `color` (red << 16 | green << 8 | blue) is a map colour;
	// `index` is then its index.
	bool Find(uint32 color, uint8& index) const
	{
		// Most colours have a channel level no map colour has.
		if ((fLevels[0][color >> 16] & fLevels[1][(color >> 8) & 0xff]
				& fLevels[2][color & 0xff]) == 0)
			return false;
		for (uint32 slot = SlotOf(color);; slot = (slot + 1) & (kSlots - 1)) {
			if (fKeys[slot] == color) {
				index = fIndices[slot];
				return true;
			}
			if (fKeys[slot] == kEmpty)
				return false;
		}
	}

private:
	static constexpr uint32 kSlots = 1024;
	// No 24-bit colour has this key.
	static constexpr uint32 kEmpty = 0xffffffff;
	static uint32 SlotOf(uint32 color) { return (color * 2654435761u) >> 22; }

	std::array<uint32, kSlots> fKeys;
	std::array<uint8, kSlots> fIndices{};
	// Per channel, 1 for the levels some map colour has in it.
	uint8 fLevels[3][256] = {};
};
