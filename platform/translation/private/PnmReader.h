// SPDX-License-Identifier: MIT
#pragma once

// Netpbm files: PBM, PGM and PPM in their plain (P1-P3) and raw (P4-P6)
// forms with any maximum value up to 65535, and PAM (P7) with grey, grey
// and alpha, RGB and RGBA tuples. The first image of a file is read.

#include "ImageReader.h"

namespace BPrivate {

class PnmReader : public ImageReader {
public:
	const char* FormatName() const override { return "PNM"; }
	bool Recognizes(const ImageData& image) const override;
	BitmapResult Read(const ImageData& image) const override;
};

} // namespace BPrivate
