#pragma once

// A translator turns the bytes of an image file into a bitmap. The
// translation kit keeps a short list of them (TranslatorList.h) and tries
// the ones that recognise a file, best first. Private to the kit.

#include "DecodeLimits.h"

#include <Bitmap.h>

#include <cstddef>
#include <memory>
#include <string>

namespace BPrivate {

struct ImageSource {
	const uint8* data;
	size_t size;
	std::string extension; // of the file name, lower case, without the dot
};

// Translators keep no state between calls; any thread may use one.
class ImageTranslator {
public:
	virtual ~ImageTranslator() = default;

	// How well the translator expects to read `source`: 0 when it cannot,
	// up to 1 when the data is plainly its format.
	virtual float Identify(const ImageSource& source) const = 0;

	// The decoded image as a new bitmap, or null when the data cannot be
	// read, is empty, or is larger than kMaxImagePixels.
	virtual std::unique_ptr<BBitmap> Translate(const ImageSource& source) const = 0;
};

} // namespace BPrivate
