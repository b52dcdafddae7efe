// SPDX-License-Identifier: MIT
#pragma once

// PNG files through libpng: every colour type and bit depth, interlaced or
// not. Palette images keep their palette for the B_CMAP8 check, tRNS gives
// transparency (for 16-bit colour too, compared at full depth), 16-bit
// samples are rounded to 8 bits. Ancillary chunks other than tRNS (text,
// profiles, gamma) are skipped unread, so none of them costs memory. Private
// to the translation kit; any thread.

#include "ImageReader.h"

namespace BPrivate {

class PngReader : public ImageReader {
public:
	const char* FormatName() const override { return "PNG"; }
	bool Recognizes(const ImageData& image) const override;
	BitmapResult Read(const ImageData& image) const override;
};

} // namespace BPrivate
