// SPDX-License-Identifier: MIT
#pragma once

// Reading an image file into memory before any decoder sees it, so that a
// decoder never waits on a FIFO, a device or a directory. Private to the
// translation kit.

#include "ImageReaderList.h"
#include "Refusal.h"

#include <TranslationUtils.h>

#include <PageMemory.h>
#include <Result.h>
#include <SupportDefs.h>

#include <cstddef>
#include <new>

namespace BPrivate {

// The bytes of a whole file: `size` of them at `data`, whose block may be
// longer.
struct FileBytes {
	PageMemory data;
	size_t size = 0;
};

// Reads the whole regular file at `path`. Fails without blocking for
// anything but a regular file (B_IS_A_DIRECTORY, B_BAD_TYPE), with the
// refusal of a file longer than `limit` (B_NO_MEMORY), of memory not given
// (B_NO_MEMORY), and with the system's error for a missing or unreadable
// one, each made by Refusal. Runs on the caller's thread.
Result<FileBytes> ReadImageFile(const char* path, size_t limit);

// Decodes the bytes `readBytes()` gives, read from `path` (null for a
// stream), with the kit's reader list: the refusal of no bytes at all, and
// of memory that runs out while reading or decoding (a file or image too
// large for the memory there is). `facts`, when given, learns what the read
// found besides the bitmap.
template <typename ReadBytes>
BitmapResult
DecodeWholeImage(ReadBytes&& readBytes, const char* path, ReadFacts* facts)
{
	try {
		Result<FileBytes> bytes = readBytes();
		if (!bytes)
			return bytes.TakeError();
		if (bytes.Value().size == 0)
			return Refusal::Empty();
		const ImageReader* reader = nullptr;
		BitmapResult bitmap = ImageReaderList::Default().Read(
			ImageData{bytes.Value().data.get(), bytes.Value().size, path}, &reader);
		if (facts != nullptr)
			facts->namesColorSpace = bitmap && reader != nullptr && reader->NamesColorSpace();
		return bitmap;
	} catch (const std::bad_alloc&) {
		return Refusal::NoMemory();
	}
}

} // namespace BPrivate
