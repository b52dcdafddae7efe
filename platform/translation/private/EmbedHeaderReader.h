// SPDX-License-Identifier: MIT
#pragma once

// The header of the build form (quillpix-export --embed), with the raw bytes
// it declares in the .bin file beside it: the header's name with .bin for
// its extension, in its folder, as the exporter and the CMake function write
// them. The header gives the size (NAME_Width, NAME_Height,
// NAME_BytesPerRow), the colour space (NAME_ColorSpace) and the length
// (NAME_MData[N]); they are checked against each other and the kit's limits,
// and the .bin's size against the length, before the bitmap is allocated.
// Comments, white space and the other declarations of the header are read
// past, so an editor's reformatting reads back too. Private to the
// translation kit; any thread.

#include "ImageReader.h"

namespace BPrivate {

class EmbedHeaderReader : public ImageReader {
public:
	const char* FormatName() const override { return "Quillpix embed header"; }
	bool Recognizes(const ImageData& image) const override;
	BitmapResult Read(const ImageData& image) const override;
	bool NamesColorSpace() const override { return true; }
};

} // namespace BPrivate
