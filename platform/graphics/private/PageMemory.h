// SPDX-License-Identifier: MIT
#pragma once

// Zeroed memory for large buffers: bitmap pixels and image files read whole.
// Buffers of several megabytes are mapped from the system directly and asked
// for in 2 MiB pages where the system offers them, because filling a fresh
// 64 MiB buffer otherwise takes one page fault per 4 KiB (16,384 of them),
// which costs more than decoding a large part of the picture. Smaller
// buffers come from the heap. Private to the platform; any thread.

#include <SupportDefs.h>

#include <cstddef>
#include <memory>

namespace BPrivate {

struct PageMemoryDeleter {
	size_t mappedLength = 0; // 0: the block came from the heap
	void operator()(uint8* block) const;
};

using PageMemory = std::unique_ptr<uint8, PageMemoryDeleter>;

// `length` zeroed bytes (at least one), or null when there is no memory.
PageMemory AllocatePageMemory(size_t length);

} // namespace BPrivate
