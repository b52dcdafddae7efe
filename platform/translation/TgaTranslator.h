#pragma once

// Truevision TGA files through stb_image, until a reader of our own takes
// over. TGA has no signature: a file counts as TGA when its header makes
// sense (a known image type and pixel depth, a size), so the reader is asked
// after every format that has one. Private to the translation kit.

#include "ImageReader.h"

namespace BPrivate {

class TgaTranslator : public ImageReader {
public:
	const char* FormatName() const override { return "TGA"; }
	bool Recognizes(const ImageData& image) const override;
	std::unique_ptr<BBitmap> Read(const ImageData& image,
		BTranslationFailure& failure) const override;
};

} // namespace BPrivate
