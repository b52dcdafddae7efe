#include "File.h"

#include "Entry.h"
#include "Path.h"

#include <RetryOnInterrupt.h>

#include <algorithm>
#include <cerrno>
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

// Repeats `transfer(done, remaining)` (a read or write system call) until
// `size` bytes moved, the file ends or the system refuses. A refusal after
// some bytes moved answers their count; interrupted calls are retried.
template<typename Transfer>
ssize_t
TransferAll(size_t size, Transfer transfer)
{
	size = std::min(size, static_cast<size_t>(SSIZE_MAX));
	size_t done = 0;
	while (done < size) {
		ssize_t result = BPrivate::RetryOnInterrupt([&] { return transfer(done, size - done); });
		if (result < 0)
			return done > 0 ? static_cast<ssize_t>(done) : errno_to_status(errno);
		if (result == 0)
			break;
		done += static_cast<size_t>(result);
	}
	return static_cast<ssize_t>(done);
}

// One read system call, repeated only when interrupted: a read answers what
// is there (a pipe need not wait for more).
template<typename Transfer>
ssize_t
TransferOnce(size_t size, Transfer transfer)
{
	size = std::min(size, static_cast<size_t>(SSIZE_MAX));
	ssize_t result = BPrivate::RetryOnInterrupt([&] { return transfer(0, size); });
	return result < 0 ? errno_to_status(errno) : result;
}

} // namespace

BFile::BFile()
	:
	fMode(0)
{
}

BFile::BFile(const char* path, uint32 openMode)
	:
	fMode(0)
{
	SetTo(path, openMode);
}

BFile::BFile(const entry_ref* ref, uint32 openMode)
	:
	fMode(0)
{
	SetTo(ref, openMode);
}

BFile::BFile(const BEntry* entry, uint32 openMode)
	:
	fMode(0)
{
	SetTo(entry, openMode);
}

BFile::~BFile()
{
}

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
	BPrivate::UniqueFd fd(BPrivate::RetryOnInterrupt([&] {
		return open(path, OpenFlags(openMode) | O_NONBLOCK, 0666);
	}));
	if (!fd.IsValid()) {
		Adopt(BPrivate::UniqueFd(), errno_to_status(errno));
		return InitCheck();
	}

	return AdoptFile(std::move(fd), openMode, Blocking::kRestore);
}

// Takes over `fd` unless it names a directory; Blocking::kRestore clears
// the O_NONBLOCK the open used. On failure the descriptor is closed.
status_t
BFile::AdoptFile(BPrivate::UniqueFd fd, uint32 openMode, Blocking blocking)
{
	struct stat info;
	status_t status = B_OK;
	if (fstat(fd.Get(), &info) != 0)
		status = errno_to_status(errno);
	else if (S_ISDIR(info.st_mode))
		status = B_IS_A_DIRECTORY;
	else if (blocking == Blocking::kRestore) {
		int flags = fcntl(fd.Get(), F_GETFL);
		if (flags < 0 || fcntl(fd.Get(), F_SETFL, flags & ~O_NONBLOCK) != 0)
			status = errno_to_status(errno);
	}
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
	BPath path(ref);
	if (path.InitCheck() != B_OK) {
		Unset();
		Adopt(BPrivate::UniqueFd(), path.InitCheck());
		return InitCheck();
	}
	return SetTo(path.Path(), openMode);
}

status_t
BFile::SetTo(const BEntry* entry, uint32 openMode)
{
	BPath path(entry);
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
	auto* bytes = static_cast<uint8*>(buffer);
	return TransferOnce(size, [&](size_t done, size_t remaining) {
		return read(FileDescriptor(), bytes + done, remaining);
	});
}

ssize_t
BFile::Write(const void* buffer, size_t size)
{
	if (InitCheck() != B_OK)
		return InitCheck();
	if (buffer == nullptr && size > 0)
		return B_BAD_VALUE;
	auto* bytes = static_cast<const uint8*>(buffer);
	return TransferAll(size, [&](size_t done, size_t remaining) {
		return write(FileDescriptor(), bytes + done, remaining);
	});
}

ssize_t
BFile::ReadAt(off_t position, void* buffer, size_t size)
{
	if (InitCheck() != B_OK)
		return InitCheck();
	if (position < 0 || (buffer == nullptr && size > 0))
		return B_BAD_VALUE;
	auto* bytes = static_cast<uint8*>(buffer);
	return TransferOnce(size, [&](size_t done, size_t remaining) {
		return pread(FileDescriptor(), bytes + done, remaining,
			position + static_cast<off_t>(done));
	});
}

ssize_t
BFile::WriteAt(off_t position, const void* buffer, size_t size)
{
	if (InitCheck() != B_OK)
		return InitCheck();
	if (position < 0 || (buffer == nullptr && size > 0))
		return B_BAD_VALUE;
	auto* bytes = static_cast<const uint8*>(buffer);
	return TransferAll(size, [&](size_t done, size_t remaining) {
		return pwrite(FileDescriptor(), bytes + done, remaining,
			position + static_cast<off_t>(done));
	});
}

off_t
BFile::Seek(off_t position, uint32 seekMode)
{
	if (InitCheck() != B_OK)
		return InitCheck();
	if (seekMode != SEEK_SET && seekMode != SEEK_CUR && seekMode != SEEK_END)
		return B_BAD_VALUE;
	off_t result = lseek(FileDescriptor(), position, static_cast<int>(seekMode));
	if (result < 0)
		return errno_to_status(errno);
	return result;
}

off_t
BFile::Position() const
{
	if (InitCheck() != B_OK)
		return InitCheck();
	off_t result = lseek(FileDescriptor(), 0, SEEK_CUR);
	if (result < 0)
		return errno_to_status(errno);
	return result;
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
	if (BPrivate::RetryOnInterrupt([&] { return ftruncate(FileDescriptor(), size); }) != 0)
		return errno_to_status(errno);
	return B_OK;
}

status_t
BFile::GetSize(off_t* size) const
{
	if (size == nullptr)
		return B_BAD_VALUE;
	struct stat info;
	status_t status = GetStat(&info);
	if (status != B_OK)
		return status;
	*size = info.st_size;
	return B_OK;
}
