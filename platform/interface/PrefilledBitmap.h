#pragma once

// A bitmap made with its pixels: the class the exported source code builds
// its bitmap with, from the byte array it declares.

#include <Bitmap.h>

class PrefilledBitmap : public BBitmap {
public:
	// Copies exactly BitsLength() bytes from `data`, which holds the pixels
	// in `colorSpace` with the bitmap's own row padding. With null data, or
	// when the bitmap cannot be made (see InitCheck), nothing is copied.
	PrefilledBitmap(BRect bounds, color_space colorSpace, const void* data,
		bool acceptsViews = false, bool needsContiguousMemory = false);
	~PrefilledBitmap() override;
};
