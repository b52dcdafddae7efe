// SPDX-License-Identifier: MIT
#include "PageMemory.h"

#include <cstdint>
#include <cstdlib>
#include <sys/mman.h>

namespace BPrivate {

namespace {

constexpr size_t kHugePage = size_t(2) << 20;
constexpr size_t kMappedFrom = 2 * kHugePage;

// The sanitizers watch heap blocks only, so under them every block comes
// from the heap.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kMayMap = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool kMayMap = false;
#else
constexpr bool kMayMap = true;
#endif
#else
constexpr bool kMayMap = true;
#endif

// A fresh anonymous mapping (zeroed by the system) starting on a 2 MiB
// boundary, so that every 2 MiB of it can be one huge page.
uint8*
MapAligned(size_t length)
{
	void* mapped = mmap(
		nullptr, length + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
	if (mapped == MAP_FAILED)
		return nullptr;
	uintptr_t start = (uintptr_t(mapped) + kHugePage - 1) & ~uintptr_t(kHugePage - 1);
	size_t head = start - uintptr_t(mapped);
	if (head != 0)
		munmap(mapped, head);
	if (kHugePage - head != 0)
		munmap(reinterpret_cast<void*>(start + length), kHugePage - head);
	// Only advice: without huge pages the mapping works as it is.
	madvise(reinterpret_cast<void*>(start), length, MADV_HUGEPAGE);
	return reinterpret_cast<uint8*>(start);
}

} // namespace

void
PageMemoryDeleter::operator()(uint8* block) const
{
	if (mappedLength != 0)
		munmap(block, mappedLength);
	else
		std::free(block);
}

PageMemory
AllocatePageMemory(size_t length)
{
	if (length == 0)
		length = 1;
	if (kMayMap && length >= kMappedFrom && length <= SIZE_MAX - 2 * kHugePage) {
		size_t rounded = (length + kHugePage - 1) & ~(kHugePage - 1);
		if (uint8* block = MapAligned(rounded))
			return PageMemory(block, PageMemoryDeleter{rounded});
	}
	return PageMemory(static_cast<uint8*>(std::calloc(length, 1)), PageMemoryDeleter{});
}

} // namespace BPrivate
