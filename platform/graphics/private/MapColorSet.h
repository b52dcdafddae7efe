// SPDX-License-Identifier: MIT
#pragma once

// The system map's opaque colours, each with the index the nearest mapping
// gives it (the lower of two equal colours), in a small open-addressed hash
// table behind a bit set of the red and green pairs the map has: whether a
// pixel is a map colour is answered from 13 KiB that stay in the cache,
// without touching the full table, and for nearly every pixel that is not
// one by a single bit. For ordered dithering, which keeps every map-coloured
// pixel.
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
		if (!MayHold(color))
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

	// False when `color` is certainly no map colour, which is so for nearly
	// every colour: no map colour has its red and green.
	bool MayHold(uint32 color) const
	{
		const uint32 pair = (color >> 8) & 0xffff;
		return (fPairs[pair >> 6] >> (pair & 63)) & 1;
	}

private:
	static constexpr uint32 kSlots = 1024;
	// No 24-bit colour has this key.
	static constexpr uint32 kEmpty = 0xffffffff;
	static uint32 SlotOf(uint32 color) { return (color * 2654435761u) >> 22; }

	std::array<uint32, kSlots> fKeys;
	std::array<uint8, kSlots> fIndices{};
	// Bit red << 8 | green set for every map colour's red and green.
	std::array<uint64, 1024> fPairs{};
};
