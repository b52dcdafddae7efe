// SPDX-License-Identifier: MIT
#pragma once

// The bitmap an image window's colour-space command makes from its image:
//  * B_CMAP8 through the platform's drawing (the image drawn unscaled into
//    an 8-bit offscreen bitmap, whose pixels are then copied into a plain
//    one), or, when dithered, by the exporter's dithering;
//  * B_RGB32 through the bitmap's own data conversion;
//  * any other space the export writes by the exporter's rules, dithered
//    where the space has a reduction to dither.
// So a window and quillpix-export with the same --dither give the same
// bytes.
//
// Runs on the caller's thread (the window's, with the window locked); the
// offscreen bitmap's looper is locked around the drawing only.

#include <Bitmap.h>
#include <ColorMapDither.h>

#include <memory>

// A new bitmap of `current`'s bounds in `space`; null when it cannot be
// made.
std::unique_ptr<BBitmap> SwitchedBitmap(
	const BBitmap& current, color_space space, DitherKind dither);
