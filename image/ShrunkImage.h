// SPDX-License-Identifier: MIT
#pragma once

// Shrinking an image by averaging: each pixel of the result is the mean of
// the block of source pixels it covers (a box filter), so that a photograph
// shrunk to a window keeps its tones instead of the sparkle of dropped
// pixels. The blocks partition the source: with the source w pixels wide and
// the result n, result column d covers the source columns x with
// floor(x·n / w) = d; rows likewise.
//
// Runs on the caller's thread, which shares a large image's rows out to a
// few threads more; reads the source, writes a new bitmap.

#include <Bitmap.h>

#include <memory>

// How transparent pixels count in the mean.
enum class TransparencyShown {
	// As the view shows them without a checkerboard: a pixel whose alpha is
	// below 128 in the magic colour (119, 116, 119), every other in its own
	// colour; the result is opaque.
	kAsMagicColor,
	// Each colour weighted by its alpha, the result keeping the mean alpha:
	// to be laid over a background afterwards.
	kAsAlpha,
};

// `source` (any colour space) shrunk to `width` by `height` pixels, as a
// B_RGBA32 bitmap; null when either side is not between 1 and the source's,
// or there is no memory.
std::unique_ptr<BBitmap> ShrinkImage(
	const BBitmap& source, int32 width, int32 height, TransparencyShown transparency);
