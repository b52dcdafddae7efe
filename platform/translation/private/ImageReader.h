// SPDX-License-Identifier: MIT
#pragma once

// A reader turns the bytes of one image format into a bitmap, through the
// library made for that format or, for the small formats, code of our own.
// The kit picks the reader by the file's content (Recognizes), never by its
// name, and asks no other code to read an image. Readers keep no state
// between calls, so any thread may use one. Private to the translation kit.

#include <Bitmap.h>
#include <Result.h>

#include <cstddef>
#include <memory>

namespace BPrivate {

// A whole image file in memory, with the path it was read from (null for a
// stream), for a format whose file names another beside it.
struct ImageData {
	const uint8* data;
	size_t size;
	const char* path = nullptr;
};

// A new bitmap, or why there is none.
using BitmapResult = Result<std::unique_ptr<BBitmap>>;

class ImageReader {
public:
	virtual ~ImageReader() = default;

	// The format's usual name, for messages ("PNG", "JPEG").
	virtual const char* FormatName() const = 0;

	// True when the data begins as files of this format do.
	virtual bool Recognizes(const ImageData& image) const = 0;

	// The first image of the data as a new bitmap in the closest colour space
	// (BitmapBuilder.h), never null, or the refusal made by Refusal
	// (Refusal.h) that says why: B_ILLEGAL_DATA for damaged data or data cut off
	// before the first image is complete, B_NO_MEMORY for an image over a
	// limit (DecodeLimits.h). Every limit is checked before the allocation it
	// guards. Runs on the calling thread.
	virtual BitmapResult Read(const ImageData& image) const = 0;

	// True when the file names the colour space its bitmap is in (a text
	// the export wrote), so that the bitmap comes back in that space rather
	// than in the closest one for its pixels.
	virtual bool NamesColorSpace() const { return false; }
};

} // namespace BPrivate
