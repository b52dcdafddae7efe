// SPDX-License-Identifier: MIT
#pragma once

// The rules by which a straight-alpha colour becomes a pixel of the reduced
// colour spaces, in integer arithmetic, shared by the plain conversion and
// the dithering so that "no dithering" is the nearest value byte for byte.

#include <SupportDefs.h>

namespace BPrivate::exact {

// A channel laid over a background channel: round((a·c + (255−a)·bg)/255).
// The numerator is never an odd multiple of 127.5, so adding 127 rounds
// halves up.
inline uint32
Over(uint32 channel, uint32 alpha, uint32 background)
{
	return (alpha * channel + (255 - alpha) * background + 127) / 255;
}

// The nearest of the 2^n levels of an n-bit channel, `maximum` = 2^n − 1:
// round(c·maximum/255), which is also the level that reads back nearest.
inline uint32
Level(uint32 channel, uint32 maximum)
{
	return (channel * maximum + 127) / 255;
}

// What a level of an n-bit channel reads back as: its bits repeated, as the
// platform's readers expand it.
inline uint32
LevelValue(uint32 level, int32 bits)
{
	if (bits == 1)
		return level != 0 ? 255 : 0;
	uint32 value = level << (8 - bits);
	for (int32 shift = bits; shift < 8; shift += bits)
		value |= value >> shift;
	return value & 0xff;
}

// Grey from red, green and blue: (299·R + 587·G + 114·B + 500) / 1000.
inline uint32
Lightness(uint32 red, uint32 green, uint32 blue)
{
	return (299 * red + 587 * green + 114 * blue + 500) / 1000;
}

} // namespace BPrivate::exact
