// SPDX-License-Identifier: MIT
#pragma once

// Colours and colour spaces.

#include <SupportDefs.h>

struct rgb_color {
	uint8 red;
	uint8 green;
	uint8 blue;
	uint8 alpha;

	// Written out rather than defaulted: the header also serves C++17 code.
	constexpr bool operator==(const rgb_color& other) const
	{
		return red == other.red && green == other.green && blue == other.blue
			&& alpha == other.alpha;
	}
	constexpr bool operator!=(const rgb_color& other) const { return !(*this == other); }
};

// Pixel layouts of a bitmap. The numeric codes are part of the exported text,
// so they keep the platform's values.
enum color_space : uint32 {
	B_NO_COLOR_SPACE = 0x0000,
	B_RGB32 = 0x0008, // B, G, R, A(=255) in memory
	B_RGBA32 = 0x2008, // B, G, R, A
	B_RGB24 = 0x0003, // B, G, R
	B_RGB16 = 0x0005, // 5-6-5, little-endian
	B_RGB15 = 0x0010, // x-5-5-5, little-endian
	B_RGBA15 = 0x2010, // 1-5-5-5, little-endian
	B_CMAP8 = 0x0004, // an index into the system colour map
	B_GRAY8 = 0x0002, // one grey byte
	B_GRAY1 = 0x0001, // one bit per pixel, most significant first, 1 = black
	B_RGB32_BIG = 0x1008, // A, R, G, B
	B_RGBA32_BIG = 0x3008, // A, R, G, B
	B_RGB24_BIG = 0x1003, // R, G, B
	B_RGB16_BIG = 0x1005, // 5-6-5, big-endian
	B_RGB15_BIG = 0x1010, // x-5-5-5, big-endian
	B_RGBA15_BIG = 0x3010, // 1-5-5-5, big-endian
};

// The index of a transparent pixel in B_CMAP8.
constexpr uint8 B_TRANSPARENT_MAGIC_CMAP8 = 0xff;
// The 32-bit value of a transparent pixel in B_RGB32/B_RGBA32:
// bytes B, G, R, A = 0x77, 0x74, 0x77, 0x00.
constexpr uint32 B_TRANSPARENT_MAGIC_RGBA32 = 0x00777477;
constexpr rgb_color B_TRANSPARENT_COLOR = {0x77, 0x74, 0x77, 0x00};
// The 16-bit value of a transparent pixel in B_RGB15 and B_RGB15_BIG (red,
// green and blue 14 of 31, the top bit 0), stored in each space's byte order.
constexpr uint16 B_TRANSPARENT_MAGIC_RGBA15 = 0x39ce;
