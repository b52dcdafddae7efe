// SPDX-License-Identifier: MIT
#pragma once

// Converting an image into any of the fifteen colour spaces the export
// writes, from its straight-alpha colour, by exact rules:
//  * B_RGB32: as SetBits converts (alpha below 128 becomes the transparent
//    magic value, the rest opaque); B_CMAP8: the system colour map's nearest
//    index, or dithered (ColorMapDither.h);
//  * B_RGBA32: B, G, R, A as they are, partial alpha kept;
//  * B_RGB16 (5-6-5), B_RGB15 (x-5-5-5, top bit 0), B_RGBA15 (1-5-5-5):
//    each channel c of n bits round(c·(2^n − 1)/255); B_RGBA15's alpha bit
//    is set where alpha is 128 or more; in B_RGB15 a pixel whose alpha is
//    below 128 is B_TRANSPARENT_MAGIC_RGBA15;
//  * B_RGB24 (B, G, R) and B_RGB24_BIG (R, G, B): the channels as they are;
//  * B_GRAY8: L = (299·R + 587·G + 114·B + 500) / 1000;
//  * B_GRAY1: one bit a pixel, most significant first, 1 (black) where
//    L < 128;
//  * the _BIG twins of B_RGB32, B_RGBA32, B_RGB16, B_RGB15 and B_RGBA15:
//    the twin's value with its bytes in big-endian order (A, R, G, B for
//    the 32-bit ones), dithered as the twin is.
// The B_RGB16s, B_RGB24s, B_GRAY8 and B_GRAY1 have no transparency: each
// pixel is first laid over the background, round((A·c + (255 − A)·bg)/255).
// B_CMAP8, the 16-bit spaces and B_GRAY1 can be dithered (ChannelDither.h
// tells how for the 16-bit spaces and B_GRAY1); the result depends on the
// image alone, never on the number of cores.
//
// Runs on the caller's thread, which a large image's rows are shared out
// from to a few threads more; touches only the two bitmaps.

#include <Bitmap.h>
#include <ColorMapDither.h>

#include <memory>

struct SpaceConversion {
	color_space space = B_RGB32;
	DitherKind dither = DitherKind::kNone;
	rgb_color background = {255, 255, 255, 255};
};

// The colour space named "rgb32", "cmap8", "rgba32", "rgb16", "rgb15",
// "rgba15", "gray8", "gray1", "rgb24", "rgb24-big", "rgb16-big",
// "rgb15-big", "rgba15-big", "rgb32-big" or "rgba32-big"; false for any
// other name.
bool ColorSpaceNamed(const char* name, color_space& space);
// True for the spaces that dithering applies to.
bool SpaceDithers(color_space space);
// True for the spaces whose pixels are laid over a background.
bool SpaceHasBackground(color_space space);

// A new bitmap of `source`'s bounds in `conversion.space`, from `source` in
// any colour space; null when it cannot be made or the space is not one of
// the fifteen. A source already in the space is copied as it is.
std::unique_ptr<BBitmap> BitmapInSpace(const BBitmap& source, const SpaceConversion& conversion);
