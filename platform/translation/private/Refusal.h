// SPDX-License-Identifier: MIT
#pragma once

// Every sentence with which the kit refuses an image file is made here, so
// that each is written once and every reader says the same thing the same
// way; DescribeReadFailure (TranslationUtils.h) makes the line a person reads. A refusal is a Failure (Result.h): a status and a predicate for the
// file's name ("is cut off before its first image is complete"). Text that
// comes from a library (libpng's, libtiff's, ...) may hold newlines, tabs or
// other control characters; it is folded into one line of printable text
// before it becomes part of a sentence. Private to the translation kit; any
// thread.

#include "DecodeLimits.h"

#include <Result.h>

#include <string>
#include <string_view>

namespace BPrivate {

// The factories are marked cold: a refusal is the rare way out of a
// decoder's loop, and the compiler lays the loop out for the pixels.
class Refusal {
public:
	// B_ILLEGAL_DATA: the data ends before the first image does.
	[[gnu::cold]] static Failure CutOff();
	// B_ILLEGAL_DATA: "is a damaged PNG file", with ": why" when `why`, folded
	// into one line, says something.
	[[gnu::cold]] static Failure Damaged(const char* format, std::string_view why = {});
	// B_ILLEGAL_DATA: a header whose width or height is 0 or less.
	[[gnu::cold]] static Failure NoPixels();
	// B_ILLEGAL_DATA: a file of the format that holds no image at all.
	[[gnu::cold]] static Failure WithoutImage(const char* format);
	// B_ILLEGAL_DATA: the library cannot be set up for this file.
	[[gnu::cold]] static Failure LibraryCannotRead(const char* format);

	// B_NO_TRANSLATOR: data no reader recognises ("is not an image we can
	// read" once described).
	[[gnu::cold]] static Failure NotAnImage();
	// B_NO_TRANSLATOR: data a reader was handed but does not recognise;
	// `what` names the format with its article ("a BMP file").
	[[gnu::cold]] static Failure NotA(const char* what);
	// B_NO_TRANSLATOR: a variant of the format the library does not read,
	// with the library's reason.
	[[gnu::cold]] static Failure UnsupportedKind(const char* format, std::string_view why);
	// B_NO_TRANSLATOR: a file that uses a feature of its format that is
	// not read ("Huffman compression").
	[[gnu::cold]] static Failure UnreadFeature(const char* format, std::string_view feature);
	// B_NO_TRANSLATOR: a file of no bytes.
	[[gnu::cold]] static Failure Empty();

	// B_NO_MEMORY: an image over the size limit, as its header gives it.
	[[gnu::cold]] static Failure TooLarge(int64 width, int64 height);
	// B_NO_MEMORY: a frame whose images together decode more than twice the
	// pixel limit.
	[[gnu::cold]] static Failure FrameTooLarge(const char* format);
	// B_NO_MEMORY: a colour table larger than a decode may hold.
	[[gnu::cold]] static Failure TooManyColors(int64 colors, int32 charactersEach);
	// B_NO_MEMORY: a file over `limit` bytes, the size that is read into
	// memory.
	[[gnu::cold]] static Failure FileTooLarge(size_t limit = kMaxImageFileSize);
	// B_NO_MEMORY: memory the reader asked for and was not given; `what`
	// says for what ("pixels"), or nothing.
	[[gnu::cold]] static Failure NoMemory(const char* what = nullptr);

	// Any other status (a storage one: the file could not be read at all).
	[[gnu::cold]] static Failure Unreadable(status_t status);

	// `text` as one line of printable text: each run of white space and
	// control characters becomes one space, none at either end, and bytes
	// that are not UTF-8 become '?'.
	static std::string OneLine(std::string_view text);
};

} // namespace BPrivate
