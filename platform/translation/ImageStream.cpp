// SPDX-License-Identifier: MIT
// Reading an image from a stream the process already holds (standard input,
// a pipe, a descriptor a shell handed over): read to its end into memory,
// within the same bound as a file, and decoded from there; and from bytes
// already in memory (what the clipboard held).

#include "TranslationUtils.h"

#include "DecodeLimits.h"
#include "ImageFile.h"
#include "Refusal.h"

#include <System.h>

#include <algorithm>
#include <cstring>

namespace BPrivate {

namespace {

// What is left of `stream`, or the refusal of more than `limit` bytes. The
// block grows by doubling, in page memory that costs nothing until it is
// read into.
Result<FileBytes>
ReadStream(int stream, size_t limit)
{
	size_t capacity = size_t(1) << 20;
	PageMemory block = AllocatePageMemory(capacity);
	if (!block)
		return Refusal::NoMemory();
	size_t filled = 0;
	for (;;) {
		if (filled == capacity) {
			if (capacity > limit)
				return Refusal::FileTooLarge(limit);
			capacity = std::min(limit + 1, capacity * 2);
			PageMemory larger = AllocatePageMemory(capacity);
			if (!larger)
				return Refusal::NoMemory();
			std::memcpy(larger.get(), block.get(), filled);
			block = std::move(larger);
		}
		Result<size_t> count = System::Read(stream, block.get() + filled, capacity - filled);
		if (!count)
			return Refusal::Unreadable(count.Status());
		if (count.Value() == 0)
			break;
		filled += count.Value();
	}
	return FileBytes{std::move(block), filled};
}

} // namespace

Result<std::unique_ptr<BBitmap>>
ReadBitmapStream(int stream, ReadFacts* facts)
{
	return DecodeWholeImage(
		[stream] { return ReadStream(stream, kMaxImageFileSize); }, nullptr, facts);
}

Result<std::unique_ptr<BBitmap>>
ReadBitmapBytes(const void* bytes, size_t length)
{
	if (length == 0)
		return Refusal::Empty();
	if (length > kMaxImageFileSize)
		return Refusal::FileTooLarge(kMaxImageFileSize);
	try {
		return ImageReaderList::Default().Read(ImageData{static_cast<const uint8*>(bytes), length});
	} catch (const std::bad_alloc&) {
		return Refusal::NoMemory();
	}
}

} // namespace BPrivate
