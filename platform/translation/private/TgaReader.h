// SPDX-License-Identifier: MIT
#pragma once

// Truevision TGA files: colour-mapped, true-colour and grey images, plain or
// run-length encoded, 8- to 32-bit, in any of the four pixel orders, with
// the version 2 footer's extension area saying what the alpha bits mean.
// TGA has no signature, so Recognizes accepts only a header whose every
// field makes sense, and the kit asks this reader last.

#include "ImageReader.h"

namespace BPrivate {

class TgaReader : public ImageReader {
public:
	const char* FormatName() const override { return "TGA"; }
	bool Recognizes(const ImageData& image) const override;
	BitmapResult Read(const ImageData& image) const override;
};

} // namespace BPrivate
