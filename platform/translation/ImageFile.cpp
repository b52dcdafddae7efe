// SPDX-License-Identifier: MIT
#include "ImageFile.h"

#include "Refusal.h"

#include <System.h>

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>

namespace BPrivate {

namespace {

// Page memory for the whole-file read, never more than one byte past
// `limit`: a file that fills that byte is too large.
class ImageFileTarget : public System::ReadTarget {
public:
	explicit ImageFileTarget(size_t limit) : fLimit(limit) { }

	uint8* Reserve(size_t& capacity, size_t filled) override
	{
		if (filled > fLimit) {
			fTooLarge = true;
			return nullptr;
		}
		capacity = std::min(capacity, fLimit + 1);
		PageMemory larger = AllocatePageMemory(capacity);
		if (!larger)
			return nullptr;
		if (filled > 0)
			std::memcpy(larger.get(), fBlock.get(), filled);
		fBlock = std::move(larger);
		return fBlock.get();
	}

	const size_t fLimit;
	PageMemory fBlock;
	bool fTooLarge = false;
};

} // namespace

Result<FileBytes>
ReadImageFile(const char* path, size_t limit)
{
	if (path == nullptr || path[0] == '\0')
		return Refusal::Unreadable(B_BAD_VALUE);
	// Non-blocking, so that opening a FIFO with no writer returns at once.
	Result<UniqueFd> file = System::Open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
	if (!file)
		return Refusal::Unreadable(file.Status());
	Result<struct stat> info = System::Stat(file.Value().Get());
	if (!info)
		return Refusal::Unreadable(info.Status());
	if (S_ISDIR(info.Value().st_mode))
		return Refusal::Unreadable(B_IS_A_DIRECTORY);
	if (!S_ISREG(info.Value().st_mode))
		return Refusal::Unreadable(B_BAD_TYPE);
	if (info.Value().st_size < 0 || uint64(info.Value().st_size) > limit)
		return Refusal::FileTooLarge(limit);

	// The size is a hint only: the file may change while it is read, and
	// some files report 0.
	ImageFileTarget target(limit);
	Result<size_t> read = System::ReadWhole(
		file.Value().Get(), target, size_t(info.Value().st_size));
	if (target.fTooLarge)
		return Refusal::FileTooLarge(limit);
	if (!read && read.Status() == B_NO_MEMORY)
		return Refusal::NoMemory();
	if (!read)
		return Refusal::Unreadable(read.Status());
	return FileBytes{std::move(target.fBlock), read.Value()};
}

} // namespace BPrivate
