// SPDX-License-Identifier: MIT
#pragma once

// WebP files through libwebp and its demuxer: still images, lossy or
// lossless, with or without alpha, and the first frame of an animation
// composed on a transparent canvas of the animation's size. Alpha stays
// straight. Private to the translation kit; any thread.

#include "ImageReader.h"

namespace BPrivate {

class WebpReader : public ImageReader {
public:
	const char* FormatName() const override { return "WebP"; }
	bool Recognizes(const ImageData& image) const override;
	BitmapResult Read(const ImageData& image) const override;
};

} // namespace BPrivate
