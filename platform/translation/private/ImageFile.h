#pragma once

// Reading an image file into memory before any decoder sees it, so that a
// decoder never waits on a FIFO, a device or a directory. Private to the
// translation kit.

#include "ImageReaderList.h"
#include "Refusal.h"

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

// Decodes the bytes `readBytes()` gives with the kit's reader list: the
// refusal of no bytes at all, and of memory that runs out while reading or
// decoding (a file or image too large for the memory there is).
template<typename ReadBytes>
BitmapResult DecodeWholeImage(ReadBytes&& readBytes)
{
	try {
		Result<FileBytes> bytes = readBytes();
		if (!bytes)
			return bytes.TakeError();
		if (bytes.Value().size == 0)
			return Refusal::Empty();
		return ImageReaderList::Default().Read(
			ImageData{bytes.Value().data.get(), bytes.Value().size});
	} catch (const std::bad_alloc&) {
		return Refusal::NoMemory();
	}
}

} // namespace BPrivate
