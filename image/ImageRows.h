// SPDX-License-Identifier: MIT
#pragma once

// Reads a bitmap of any colour space one row at a time as straight
// (not premultiplied) pixels packed b | g << 8 | r << 16 | a << 24, the
// B_RGBA32 layout read as a little-endian value. Spaces without alpha read
// as opaque, except their transparent values (index
// B_TRANSPARENT_MAGIC_CMAP8, B_TRANSPARENT_MAGIC_RGBA32 in B_RGB32,
// B_TRANSPARENT_MAGIC_RGBA15 in B_RGB15 and B_RGB15_BIG), which read as alpha 0.
//
// Plain code on the caller's thread; the bitmap must outlive the reader.

#include <Bitmap.h>

#include <memory>
#include <vector>

class ImageRows {
public:
	explicit ImageRows(const BBitmap& bitmap);
	~ImageRows();

	// False when the bitmap has no pixels or the reader no memory.
	bool IsValid() const { return fValid; }
	int32 Width() const { return fWidth; }
	int32 Height() const { return fHeight; }

	// Row `y` (0 to Height() - 1): Width() pixels, valid until the next call.
	const uint32* Row(int32 y);

private:
	const BBitmap& fBitmap;
	int32 fWidth;
	int32 fHeight;
	bool fValid;
	std::vector<uint32> fRow;
	// One B_RGBA32 row that the bitmap's own conversion fills, for the
	// spaces other than B_RGB32 and B_RGBA32.
	std::unique_ptr<BBitmap> fScratch;
};
