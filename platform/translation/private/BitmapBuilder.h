// SPDX-License-Identifier: MIT
#pragma once

// Making a bitmap from decoded pixels, in the closest colour space:
// B_CMAP8 when a palette image is exactly system-map colours (fully
// transparent pixels becoming B_TRANSPARENT_MAGIC_CMAP8), B_GRAY8 for grey,
// B_RGB32 when every pixel is opaque, B_RGBA32 otherwise. Shared by the
// translators; private to the translation kit. Runs on the caller's thread.

#include <Bitmap.h>

#include <memory>

namespace BPrivate {

// Whether the pixels came from a palette (a GIF, a colour-mapped file), which
// makes them worth checking for B_CMAP8.
enum class PixelOrigin {
	TrueColor,
	Palette
};

// Straight (not premultiplied) B, G, R, A pixels, the B_RGBA32 layout.
std::unique_ptr<BBitmap> BitmapFromTrueColor(
	const uint8* pixels, int32 bytesPerRow, int32 width, int32 height, PixelOrigin origin);

// One grey byte per pixel.
std::unique_ptr<BBitmap> BitmapFromGray(
	const uint8* pixels, int32 bytesPerRow, int32 width, int32 height);

// One palette index per pixel; the palette holds straight colours packed as
// b | g << 8 | r << 16 | a << 24. Gives B_CMAP8 or B_GRAY8 when that loses
// nothing, else null: the caller then expands the colours itself.
std::unique_ptr<BBitmap> BitmapFromIndexed(const uint8* indices, int32 bytesPerRow, int32 width,
	int32 height, const uint32* palette, int32 paletteSize);

// As BitmapFromIndexed, but never null for want of a lossless space: the
// colours are then expanded straight into a B_RGB32 bitmap (every used entry
// opaque) or a B_RGBA32 one. Indices past the palette stand for opaque black.
// Null only when there is no memory for the bitmap.
std::unique_ptr<BBitmap> BitmapFromPalette(const uint8* indices, int32 bytesPerRow, int32 width,
	int32 height, const uint32* palette, int32 paletteSize);

// True when every pixel of B, G, R, A rows has alpha 255.
bool IsOpaque(const uint8* pixels, int32 bytesPerRow, int32 width, int32 height);

} // namespace BPrivate
