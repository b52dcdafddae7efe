// SPDX-License-Identifier: MIT
#include "File.h"

#include "Entry.h"
#include "Path.h"
#include "StorageChecks.h"

#include <System.h>

#include <algorithm>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

int
OpenFlags(uint32 openMode)
{
	int flags = O_CLOEXEC;
	uint32 access = openMode & B_ACCESS_MODE_MASK;
	if (access == B_WRITE_ONLY)
		flags |= O_WRONLY;
	else if (access == B_READ_WRITE)
		flags |= O_RDWR;
	else
		flags |= O_RDONLY;

	if ((openMode & B_CREATE_FILE) != 0) {
		flags |= O_CREAT;
		if ((openMode & B_FAIL_IF_EXISTS) != 0)
			flags |= O_EXCL;
	}
	// O_TRUNC with O_RDONLY truncates on Linux; a read-only open must not.
	if ((openMode & B_ERASE_FILE) != 0 && access != B_READ_ONLY)
		flags |= O_TRUNC;
	if ((openMode & B_OPEN_AT_END) != 0)
		flags |= O_APPEND;
	return flags;
}

// A transfer's count as the Be API answers it: the bytes moved, or the
// failure's status when none did.
ssize_t
CountOrStatus(BPrivate::Result<size_t> count)
{
	if (!count)
		return count.Status();
	return static_cast<ssize_t>(count.Value());
}

// All of `size` bytes written, or as many as reached the file before the
// system refused the rest; the failure's status when none did.
ssize_t
WrittenOrStatus(BPrivate::Result<void> written, size_t done)
{
	if (!written && done == 0)
		return written.Status();
	return static_cast<ssize_t>(done);
}

} // namespace

BFile::BFile() : fMode(0)
{ }

BFile::BFile(const char* path, uint32 openMode) : fMode(0)
{
	SetTo(path, openMode);
}

BFile::BFile(const entry_ref* ref, uint32 openMode) : fMode(0)
{
	SetTo(ref, openMode);
}

BFile::BFile(const BEntry* entry, uint32 openMode) : fMode(0)
{
	SetTo(entry, openMode);
}

BFile::~BFile()
{ }

status_t
BFile::SetTo(const char* path, uint32 openMode)
{
	Unset();
	if (path == nullptr || path[0] == '\0' || (openMode & B_ACCESS_MODE_MASK) == 3) {
		Adopt(BPrivate::UniqueFd(), B_BAD_VALUE);
		return InitCheck();
	}

	// Non-blocking while opening, so that a FIFO without a partner does not
	// hang the caller; blocking again for the transfers.
	BPrivate::Result<BPrivate::UniqueFd> fd = BPrivate::System::Open(
		path, OpenFlags(openMode) | O_NONBLOCK, 0666);
	if (!fd) {
		Adopt(BPrivate::UniqueFd(), fd.Status());
		return InitCheck();
	}

	return AdoptFile(std::move(fd).Value(), openMode, Blocking::kRestore);
}

// Takes over `fd` unless it names a directory; Blocking::kRestore clears
// the O_NONBLOCK the open used. On failure the descriptor is closed.
status_t
BFile::AdoptFile(BPrivate::UniqueFd fd, uint32 openMode, Blocking blocking)
{
	BPrivate::Result<struct stat> info = BPrivate::System::Stat(fd.Get());
	status_t status = info.Status();
	if (status == B_OK && S_ISDIR(info.Value().st_mode))
		status = B_IS_A_DIRECTORY;
	else if (status == B_OK && blocking == Blocking::kRestore)
		status = BPrivate::System::SetBlocking(fd.Get()).Status();
	if (status != B_OK) {
		Adopt(BPrivate::UniqueFd(), status);
		return status;
	}
	Adopt(std::move(fd), B_OK);
	fMode = openMode;
	return B_OK;
}

status_t
BFile::SetTo(const entry_ref* ref, uint32 openMode)
{
	return SetToPath(BPath(ref), openMode);
}

status_t
BFile::SetTo(const BEntry* entry, uint32 openMode)
{
	return SetToPath(BPath(entry), openMode);
}

// Opens the file `path` names, or holds nothing with the reason the path
// could not be made.
status_t
BFile::SetToPath(const BPath& path, uint32 openMode)
{
	if (path.InitCheck() != B_OK) {
		Unset();
		Adopt(BPrivate::UniqueFd(), path.InitCheck());
		return InitCheck();
	}
	return SetTo(path.Path(), openMode);
}

status_t
BFile::SetTo(int fd, uint32 openMode)
{
	Unset();
	BPrivate::UniqueFd owned(fd);
	if (!owned.IsValid() || (openMode & B_ACCESS_MODE_MASK) == 3) {
		Adopt(BPrivate::UniqueFd(), B_BAD_VALUE);
		return InitCheck();
	}
	return AdoptFile(std::move(owned), openMode, Blocking::kKeep);
}

void
BFile::Unset()
{
	BNode::Unset();
	fMode = 0;
}

ssize_t
BFile::Read(void* buffer, size_t size)
{
	if (InitCheck() != B_OK)
		return InitCheck();
	if (buffer == nullptr && size > 0)
		return B_BAD_VALUE;
	return CountOrStatus(BPrivate::System::Read(FileDescriptor(), buffer, size));
}

ssize_t
BFile::Write(const void* buffer, size_t size)
{
	if (InitCheck() != B_OK)
		return InitCheck();
	if (buffer == nullptr && size > 0)
		return B_BAD_VALUE;
	size = std::min(size, static_cast<size_t>(SSIZE_MAX));
	size_t done = 0;
	BPrivate::Result<void> written = BPrivate::System::WriteAll(
		FileDescriptor(), buffer, size, -1, &done);
	return WrittenOrStatus(std::move(written), done);
}

ssize_t
BFile::ReadAt(off_t position, void* buffer, size_t size)
{
	if (InitCheck() != B_OK)
		return InitCheck();
	if (position < 0 || (buffer == nullptr && size > 0))
		return B_BAD_VALUE;
	return CountOrStatus(BPrivate::System::ReadAt(FileDescriptor(), buffer, size, position));
}

ssize_t
BFile::WriteAt(off_t position, const void* buffer, size_t size)
{
	if (InitCheck() != B_OK)
		return InitCheck();
	if (position < 0 || (buffer == nullptr && size > 0))
		return B_BAD_VALUE;
	size = std::min(size, static_cast<size_t>(SSIZE_MAX));
	size_t done = 0;
	BPrivate::Result<void> written = BPrivate::System::WriteAll(
		FileDescriptor(), buffer, size, position, &done);
	return WrittenOrStatus(std::move(written), done);
}

off_t
BFile::Seek(off_t position, uint32 seekMode)
{
	if (InitCheck() != B_OK)
		return InitCheck();
	if (seekMode != SEEK_SET && seekMode != SEEK_CUR && seekMode != SEEK_END)
		return B_BAD_VALUE;
	BPrivate::Result<off_t> result = BPrivate::System::Seek(
		FileDescriptor(), position, static_cast<int>(seekMode));
	return result ? result.Value() : result.Status();
}

off_t
BFile::Position() const
{
	if (InitCheck() != B_OK)
		return InitCheck();
	BPrivate::Result<off_t> result = BPrivate::System::Seek(FileDescriptor(), 0, SEEK_CUR);
	return result ? result.Value() : result.Status();
}

status_t
BFile::SetSize(off_t size)
{
	if (InitCheck() != B_OK)
		return InitCheck();
	if (size < 0)
		return B_BAD_VALUE;
	if (!IsWritable())
		return B_PERMISSION_DENIED;
	return BPrivate::System::Truncate(FileDescriptor(), size).Status();
}

status_t
BFile::GetSize(off_t* size) const
{
	return BPrivate::GetStatField(
		*this, size, [](const struct stat& info) { return off_t(info.st_size); });
}
