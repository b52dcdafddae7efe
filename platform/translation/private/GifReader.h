// SPDX-License-Identifier: MIT
#pragma once

// GIF files through giflib, with our own LZW decoder for the image data of
// the code sizes giflib does not decode: the first image, composed on a
// transparent canvas of the file's logical screen size, with the transparent
// index of its graphic control extension. The colours come from a palette,
// so the result is checked for B_CMAP8. Private to the translation kit; any
// thread.

#include "ImageReader.h"

namespace BPrivate {

class GifReader : public ImageReader {
public:
	const char* FormatName() const override { return "GIF"; }
	bool Recognizes(const ImageData& image) const override;
	BitmapResult Read(const ImageData& image) const override;
};

} // namespace BPrivate
