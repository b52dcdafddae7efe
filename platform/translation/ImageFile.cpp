#include "ImageFile.h"

#include "Refusal.h"

#include <RetryOnInterrupt.h>
#include <UniqueFd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace BPrivate {

Result<FileBytes> ReadImageFile(const char* path, size_t limit)
{
	if (path == nullptr || path[0] == '\0')
		return Refusal::Unreadable(B_BAD_VALUE);
	// Non-blocking, so that opening a FIFO with no writer returns at once.
	UniqueFd file(open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
	if (file.Get() < 0)
		return Refusal::Unreadable(errno_to_status(errno));
	struct stat info;
	if (fstat(file.Get(), &info) != 0)
		return Refusal::Unreadable(errno_to_status(errno));
	if (S_ISDIR(info.st_mode))
		return Refusal::Unreadable(B_IS_A_DIRECTORY);
	if (!S_ISREG(info.st_mode))
		return Refusal::Unreadable(B_BAD_TYPE);
	if (info.st_size < 0 || uint64(info.st_size) > limit)
		return Refusal::FileTooLarge(limit);

	// The size is a hint only: the file may change while it is read, and
	// some files report 0. One byte more than the size shows growth.
	size_t capacity = size_t(info.st_size) + 1;
	PageMemory block = AllocatePageMemory(capacity);
	if (!block)
		return Refusal::NoMemory();
	size_t filled = 0;
	while (true) {
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
		ssize_t count = RetryOnInterrupt([&] {
			return read(file.Get(), block.get() + filled, capacity - filled);
		});
		if (count < 0)
			return Refusal::Unreadable(errno_to_status(errno));
		if (count == 0)
			break;
		filled += size_t(count);
	}
	return FileBytes{std::move(block), filled};
}

} // namespace BPrivate
