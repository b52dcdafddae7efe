#pragma once

// The translator for every format of Qt's image readers and its installed
// image-format plugins (PNG, JPEG, GIF, BMP, WebP, TIFF, PNM, XPM, ICO, CUR,
// and TGA 2.0 files among others). Decoding needs Qt GUI only: no
// application object, no display. The format is found from the content, not
// the file name. Private to the translation kit.

#include "ImageTranslator.h"

namespace BPrivate {

class QtImageTranslator : public ImageTranslator {
public:
	QtImageTranslator();

	float Identify(const ImageSource& source) const override;
	// Any thread; the decoding itself runs on the kit's decoder thread.
	std::unique_ptr<BBitmap> Translate(const ImageSource& source) const override;

private:
	static std::unique_ptr<BBitmap> Decode(const ImageSource& source);
};

} // namespace BPrivate
