// SPDX-License-Identifier: MIT
#pragma once

// Quantizing straight-alpha colour into the colour spaces whose pixels are
// channels of a few bits: B_RGB16 (5-6-5), B_RGB15 (x-5-5-5), B_RGBA15
// (1-5-5-5) and their big-endian twins, each channel on its own, and
// B_GRAY1, one bit of lightness. A _BIG space gets its twin's values, the
// two bytes of each swapped.
// Three ways, sharing one rule for the nearest level so that kNone is what
// the others give where they add nothing:
//  * kNone: each channel's nearest level, round(c·(2^n − 1)/255);
//  * kOrdered: the 8x8 Bayer threshold of the pixel's place added before
//    the level is taken, except that a value a level reads back exactly
//    keeps that level;
//  * kFloydSteinberg: each pixel's error spread over the pixels after it,
//    rows left to right and right to left in turn, as the colour-map
//    dithering spreads it. QuantizeRows' rows are one band: the first row
//    starts without error and goes left to right.
// A transparent pixel (alpha below 128) takes and passes on no error and
// becomes its nearest value (B_RGB15's transparent value, B_RGBA15 with the
// alpha bit clear). Integer arithmetic throughout. Runs on the caller's
// thread and writes only the target's rows asked for.

#include <Bitmap.h>
#include <ColorMapDither.h>

namespace BPrivate {

struct LeveledSpace {
	color_space space; // one of the 16-bit spaces or B_GRAY1
	int32 channels; // 3 (red, green, blue) or 1 (lightness)
	int32 bits[3]; // of each channel
	// The 16-bit value: red and green levels shifted by these, blue as it is,
	// `opaque` added for a pixel that is not transparent; a transparent one
	// is B_TRANSPARENT_MAGIC_RGBA15 where `magic` says so.
	int32 shifts[2];
	uint32 opaque;
	bool magic;
	bool bigEndian; // the value's bytes most significant first
	bool overBackground; // laid over `background` first (B_RGB16s, B_GRAY1)
	uint32 background[3]; // red, green, blue

	// The description of `space`, with `background` used where it applies;
	// false for other spaces.
	static bool For(color_space space, rgb_color background, LeveledSpace& leveled);
};

// Rows `first` to `end` − 1 of `target` (in `leveled.space`) from the same
// rows of `source`, any colour space, read as straight B_RGBA32.
void QuantizeRows(const BBitmap& source, BBitmap& target, const LeveledSpace& leveled,
	DitherKind kind, int32 first, int32 end);

} // namespace BPrivate
