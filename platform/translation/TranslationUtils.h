// SPDX-License-Identifier: MIT
#pragma once

// Reading image files into bitmaps through the translation kit's readers,
// and writing a bitmap as a PNG image.

#include <Bitmap.h>
#include <Result.h>

#include <memory>
#include <string>
#include <utility>

class BTranslatorRoster;

class BTranslationUtils {
public:
	// Reads the image file at `path` with the reader that its content calls
	// for and returns a new bitmap that the caller owns, in the closest colour
	// space (B_RGB32 for opaque colour, B_RGBA32 with alpha, B_GRAY8 for grey,
	// B_CMAP8 when every colour of a palette image is a system-map colour).
	// Returns null for a missing, unreadable, corrupt or unsupported file, or
	// one larger than the kit's limits. `roster` null: the default one.
	static BBitmap* GetBitmapFile(const char* path, BTranslatorRoster* roster = nullptr);
};

namespace BPrivate {

// What a read learnt of the file besides its bitmap.
struct ReadFacts {
	// The file names the colour space it was written in (a source-code text
	// Quillpix wrote): the bitmap is in that space, which is the file's
	// point, so it is to be kept in it rather than converted as a decoded
	// image's closest space is.
	bool namesColorSpace = false;
};

// What GetBitmapFile reads, for the project's own code: the bitmap, never
// null, or why not. Runs on the calling thread.
//
// The failure's `status` says what kind of failure it was:
// * a storage status (B_ENTRY_NOT_FOUND, B_PERMISSION_DENIED,
//   B_IS_A_DIRECTORY, B_BAD_TYPE for what is not a regular file, ...): the
//   file could not be read at all;
// * B_NO_TRANSLATOR: the file is not in a format the kit reads;
// * B_ILLEGAL_DATA: the file is in such a format but damaged or cut off;
// * B_NO_MEMORY: the image is larger than a limit, or than the memory there
//   is.
// Its `detail`, when not empty, is a predicate for the file's name that says
// what exactly was found ("is empty", "is 100000×100000 pixels; the limit
// is 8192×8192", "is a damaged PNG file: CRC error"); it never names the
// file itself and holds no newline.
//
// `facts`, when given, learns what the read found besides the bitmap.
Result<std::unique_ptr<BBitmap>> ReadBitmapFile(
	const char* path, BTranslatorRoster* roster = nullptr, ReadFacts* facts = nullptr);

// The same from what is left of `stream`, a descriptor the caller holds (a
// pipe, standard input): read to its end, within the bound of a file's size,
// then decoded. Blocks until the stream ends; the descriptor stays open.
Result<std::unique_ptr<BBitmap>> ReadBitmapStream(int stream, ReadFacts* facts = nullptr);

// The same from `length` bytes at `bytes` (an image file's bytes held in
// memory, as the clipboard hands them over), within the bound of a file's
// size; the bytes stay the caller's.
Result<std::unique_ptr<BBitmap>> ReadBitmapBytes(const void* bytes, size_t length);

// A PNG file's bytes (8-bit RGBA, straight alpha) showing `bitmap` in any
// colour space, its transparent pixels transparent; a failure when there
// is no image or not the memory for it.
Result<std::string> EncodePng(const BBitmap& bitmap);

// The line for a person that names the file as `name` and says why reading
// it failed, in one line without a newline: "notes.txt is not an image we
// can read", "missing.png: No such file or directory", "huge.png is
// 100000×100000 pixels; the limit is 8192×8192".
std::string DescribeReadFailure(const Failure& failure, const char* name);

} // namespace BPrivate
