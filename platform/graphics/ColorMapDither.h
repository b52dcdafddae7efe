// SPDX-License-Identifier: MIT
#pragma once

// Converting a bitmap into B_CMAP8 with dithering, for the exporter's
// --dither option. Every kind answers from the system colour map's table of
// exact nearest indices (one look-up per pixel, no search), in integer
// arithmetic only, so that the same bitmap gives the same bytes on every run
// and machine. Rules all kinds keep:
//  * a transparent pixel (alpha below 128, or B_RGB32's transparent value)
//    becomes B_TRANSPARENT_MAGIC_CMAP8, and takes and passes on no error;
//  * an image whose colours are all map colours comes out as the nearest
//    mapping gives it (kOrdered keeps every map-coloured pixel, whatever
//    its neighbours).
//
// Runs on the caller's thread; touches only the two bitmaps and the
// read-only colour map.

#include <Bitmap.h>

#include <memory>

enum class DitherKind {
	// Each pixel's exact nearest map colour, as SetBits gives it.
	kNone,
	// Floyd-Steinberg error diffusion, rows taken left to right and right to
	// left in turn. An image of 64 rows or more is diffused as two bands,
	// its top half (an even number of rows) and the rest, which pass each
	// other no error.
	kFloydSteinberg,
	// An 8x8 Bayer threshold matrix: each pixel's result depends on the pixel
	// and its place alone, so an animation's still parts stay still.
	kOrdered,
};

// The kind named "none", "floyd-steinberg" or "ordered"; false for any other
// name.
bool DitherKindNamed(const char* name, DitherKind& kind);

// A new B_CMAP8 bitmap of `source`'s bounds, every pixel mapped by `kind`;
// null when the new bitmap cannot be made. A B_CMAP8 source is copied as it
// is; a source in another colour space than B_RGB32 or B_RGBA32 is read as
// B_RGBA32 first.
std::unique_ptr<BBitmap> DitheredBitmap(const BBitmap& source, DitherKind kind);

// DitheredBitmap(source, DitherKind::kFloydSteinberg) by the plain loop,
// which processors without SSSE3 and SSE4.1 take, whatever this one has: the
// same bytes, more slowly.
std::unique_ptr<BBitmap> PlainlyDiffusedBitmap(const BBitmap& source);
