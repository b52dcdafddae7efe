#pragma once

// A translator turns the bytes of an image file into a bitmap. The
// translation kit keeps a short list of them (TranslatorList.h) and tries
// the ones that recognise a file, best first. Private to the kit.

#include <Bitmap.h>

#include <cstddef>
#include <memory>
#include <string>

namespace BPrivate {

// Limits against hostile files: a forged header must not make the loader
// reserve more than these, and the image sizes they allow stay well above
// the 8192 x 8192 pictures the tool is meant to take.
constexpr int64 kMaxImagePixels = int64(8192) * 8192;
constexpr size_t kMaxImageFileSize = size_t(512) << 20;

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
