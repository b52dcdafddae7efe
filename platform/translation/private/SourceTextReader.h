// SPDX-License-Identifier: MIT
#pragma once

// The source-code text the export writes ("Save as source code…",
// quillpix-export): the uint8 array of the bitmap's bytes, and the bounds
// and the colour space of the PrefilledBitmap construction, read back into a
// bitmap of that space holding those bytes. It takes exactly what the export
// writes and the same text as an editor may leave it: other white space
// (line ends included), comments outside the array, lower-case
// hexadecimal, a comma after the last byte. Anything else is refused in one line that says on which line
// what did not match. The size the bounds and the space give is checked
// against the array's declared size and the kit's limits before the bitmap
// is allocated. A file of several texts (quillpix-export -o - with several
// images) gives its first. Private to the translation kit; any thread.

#include "ImageReader.h"

namespace BPrivate {

class SourceTextReader : public ImageReader {
public:
	const char* FormatName() const override { return "Quillpix source"; }
	bool Recognizes(const ImageData& image) const override;
	BitmapResult Read(const ImageData& image) const override;
	bool NamesColorSpace() const override { return true; }
};

} // namespace BPrivate
