// SPDX-License-Identifier: MIT
#pragma once

// X PixMap files in their C-source form (XPM3): a values line, one line per
// colour with its characters and its "c" colour (#RGB to #RRRRGGGGBBBB, an
// X11 colour name or "None" for transparent), then the rows of pixels.

#include "ImageReader.h"

namespace BPrivate {

class XpmReader : public ImageReader {
public:
	const char* FormatName() const override { return "XPM"; }
	bool Recognizes(const ImageData& image) const override;
	BitmapResult Read(const ImageData& image) const override;
};

} // namespace BPrivate
