// SPDX-License-Identifier: MIT
#pragma once

// Windows icon (.ico) and cursor (.cur) files: a directory of images, of
// which the largest, deepest is read. Each entry holds a PNG file, read by
// the PNG reader given at construction, or a DIB at twice its height whose
// 1-bit AND mask makes pixels transparent.

#include "ImageReader.h"

namespace BPrivate {

class IcoReader : public ImageReader {
public:
	// `pngReader` reads the entries stored as PNG; it must outlive this.
	explicit IcoReader(const ImageReader& pngReader);

	const char* FormatName() const override { return "ICO"; }
	bool Recognizes(const ImageData& image) const override;
	BitmapResult Read(const ImageData& image) const override;

private:
	const ImageReader& fPngReader;
};

} // namespace BPrivate
