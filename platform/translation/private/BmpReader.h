// SPDX-License-Identifier: MIT
#pragma once

// Windows and OS/2 bitmap files ("BM"): every header version, 1- to 32-bit
// pixels, channel masks, run-length encoding, either row order.

#include "ImageReader.h"

namespace BPrivate {

class BmpReader : public ImageReader {
public:
	const char* FormatName() const override { return "BMP"; }
	bool Recognizes(const ImageData& image) const override;
	BitmapResult Read(const ImageData& image) const override;
};

} // namespace BPrivate
