// SPDX-License-Identifier: MIT
#pragma once

// The readers the kit knows, in the order they are asked whether they
// recognise a file: those whose formats begin with a signature first, and
// last the ones that can only judge a header's plausibility (TGA). The first
// reader that recognises the data reads it; no other is tried after it, so a
// damaged file is reported as what it claims to be. Private to the
// translation kit.

#include "ImageReader.h"

#include <memory>
#include <vector>

namespace BPrivate {

class ImageReaderList {
public:
	// The list every GetBitmapFile call uses. Made on first use; read-only
	// afterwards, so any thread may use it.
	static const ImageReaderList& Default();

	// Appends `reader` and answers it, for readers that build on another
	// (an icon's PNG entries are read by the PNG reader).
	const ImageReader& Add(std::unique_ptr<ImageReader> reader);

	// The first reader that recognises `image`, or null.
	const ImageReader* ReaderFor(const ImageData& image) const;

	// The reader of the format called `formatName`, or null.
	const ImageReader* ReaderNamed(const char* formatName) const;

	// The image as a new bitmap, never null, or why there is none
	// (B_NO_TRANSLATOR when no reader recognises the data). `used`, when
	// given, is set to the reader that recognised it (null for none).
	BitmapResult Read(const ImageData& image, const ImageReader** used = nullptr) const;

private:
	std::vector<std::unique_ptr<ImageReader>> fReaders;
};

} // namespace BPrivate
