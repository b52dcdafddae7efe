#pragma once

// The translator for Truevision TGA files of every kind (uncompressed and
// RLE, true colour, colour-mapped and grey, with or without the version 2
// footer), through stb_image. TGA has no signature, so a file counts as TGA
// by its name (.tga, .icb, .vda, .vst) or its version 2 footer, and only if
// its header makes sense. Private to the translation kit.

#include "ImageTranslator.h"

namespace BPrivate {

class TgaTranslator : public ImageTranslator {
public:
	float Identify(const ImageSource& source) const override;
	std::unique_ptr<BBitmap> Translate(const ImageSource& source) const override;
};

} // namespace BPrivate
