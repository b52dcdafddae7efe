// SPDX-License-Identifier: MIT
#pragma once

// TIFF files through libtiff, read from memory: the first image, in every
// photometric kind libtiff's RGBA interface knows (grey, RGB, palette, YCbCr,
// CMYK, ...), strips or tiles, 1 to 16 bits a sample. Unassociated alpha is
// kept straight, associated alpha made straight; CMYK becomes RGB by the kit's
// rule; 16-bit samples are rounded; the orientation tag is not applied.
// The library's messages go into the failure, never to a stream. Private to
// the translation kit; any thread.

#include "ImageReader.h"

namespace BPrivate {

class TiffReader : public ImageReader {
public:
	const char* FormatName() const override { return "TIFF"; }
	bool Recognizes(const ImageData& image) const override;
	BitmapResult Read(const ImageData& image) const override;
};

} // namespace BPrivate
