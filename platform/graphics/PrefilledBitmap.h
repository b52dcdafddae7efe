// SPDX-License-Identifier: MIT
#pragma once

// A bitmap made with its pixels: the class the exported source code builds
// its bitmap with, from the byte array it declares. That code includes only
// this header and uses uint8, BRect, B_CMAP8 and B_RGB32, so they come from
// here.

#include <Bitmap.h>
#include <GraphicsDefs.h>
#include <Rect.h>
#include <SupportDefs.h>

class PrefilledBitmap : public BBitmap {
public:
	// Copies exactly BitsLength() bytes from `data`, which holds the pixels
	// in `colorSpace` with the bitmap's own row padding. With null data, or
	// when the bitmap cannot be made (see InitCheck), nothing is copied.
	PrefilledBitmap(BRect bounds, color_space colorSpace, const void* data,
		bool acceptsViews = false, bool needsContiguousMemory = false);
	~PrefilledBitmap() override;
};
