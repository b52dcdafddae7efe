// SPDX-License-Identifier: MIT
#pragma once

// JPEG files through libjpeg-turbo: baseline and progressive, grey, YCbCr
// and CMYK (Adobe's inverted form too), decoded straight into the bitmap.
// The library's memory is held to what the image is worth and its scans to
// a bounded number; its messages go nowhere. A file cut off before the
// image is complete is refused. Private to the translation kit; any thread.

#include "ImageReader.h"

namespace BPrivate {

class JpegReader : public ImageReader {
public:
	const char* FormatName() const override { return "JPEG"; }
	bool Recognizes(const ImageData& image) const override;
	BitmapResult Read(const ImageData& image) const override;
};

} // namespace BPrivate
