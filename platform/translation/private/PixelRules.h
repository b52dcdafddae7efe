// SPDX-License-Identifier: MIT
#pragma once

// One set of pixel rules for every reader: how wider samples become bytes,
// how premultiplied colour becomes straight and how CMYK becomes RGB.
// Gamma and colour profiles are never applied: samples keep their raw
// values. Private to the translation kit.

#include <SupportDefs.h>

namespace BPrivate {

// A 16-bit sample as a byte: v * 255 / 65535, rounded.
inline uint8
Narrow16(uint16 value)
{
	return uint8((uint32(value) * 255 + 32767) / 65535);
}

// A sample of 0..maxValue as a byte: value * 255 / maxValue, rounded.
// Values above maxValue count as maxValue; maxValue must not be 0.
inline uint8
ScaleToByte(uint32 value, uint32 maxValue)
{
	if (value >= maxValue)
		return 255;
	return uint8((uint64(value) * 255 + maxValue / 2) / maxValue);
}

// An unsigned sample of `bits` bits (1..32) as a byte, by the same rounding:
// a 5-bit 31 is 255, not the 248 that a shift would give.
inline uint8
WidenBits(uint32 value, int bits)
{
	uint32 maxValue = bits >= 32 ? 0xffffffffu : (uint32(1) << bits) - 1;
	return ScaleToByte(value, maxValue);
}

// A straight channel as a byte from a premultiplied one and its alpha, both
// samples of the same depth (8 or 16 bits): c * 255 / alpha in one rounding
// to the nearest, halves up, kept to 255; 0 where alpha is 0. Rounding, not
// truncation: colour premultiplied by rounding (c * alpha / 255, as writers
// store it) premultiplies back from this byte to exactly what was stored,
// which a truncated quotient fails to do for about one pair in eight.
inline uint8
Unpremultiply(uint32 channel, uint32 alpha)
{
	if (alpha == 0)
		return 0;
	uint32 value = (channel * 255 + alpha / 2) / alpha;
	return uint8(value > 255 ? 255 : value);
}

// One RGB channel from a CMYK colour channel and black, both as ink
// amounts (0 none, 255 full): (255 - c) * (255 - k) / 255, rounded.
inline uint8
CmykToChannel(uint8 ink, uint8 black)
{
	return uint8(((255 - uint32(ink)) * (255 - uint32(black)) + 127) / 255);
}

} // namespace BPrivate
