// SPDX-License-Identifier: MIT
#pragma once

// Converting pixels between colour spaces: the one road that SetBits,
// FillRect and DrawBitmap all take, so the same colour always becomes the
// same bytes. Every colour space of GraphicsDefs.h can be read and written;
// PixelAccess.h tells how each is read and written, transparency included.
//
// Rows are given as a pointer to their first byte and a pixel index within
// them, which matters for B_GRAY1 where a pixel is one bit. Conversions run
// on the caller's thread and touch nothing but the two buffers (and, for a
// B_CMAP8 target, the read-only system colour map).

#include <GraphicsDefs.h>
#include <SupportDefs.h>

namespace BPrivate {

// True for the colour spaces the converters know.
bool IsSupportedColorSpace(color_space space);

// Converts `count` pixels: source pixels `sourceFirst` onwards of the row at
// `source` into target pixels `targetFirst` onwards of the row at `target`.
// Within one colour space the pixels are copied unchanged. Does nothing for
// an unknown colour space.
void ConvertPixels(const uint8* source, color_space sourceSpace, int32 sourceFirst, uint8* target,
	color_space targetSpace, int32 targetFirst, int32 count);

// Like ConvertPixels, but target pixel targetFirst + i comes from source
// pixel sourceColumns[i], for scaling.
void ConvertMappedPixels(const uint8* source, color_space sourceSpace, const int32* sourceColumns,
	uint8* target, color_space targetSpace, int32 targetFirst, int32 count);

} // namespace BPrivate
