// SPDX-License-Identifier: MIT
#include "System.h"

#include <Errors.h>
#include <RetryOnInterrupt.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <stdexcept>
#include <sys/random.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace BPrivate {
namespace System {

namespace {

// The failure of system call `call` that just failed, from what it left in
// errno, concerning `path` when not null.
Failure
LastFailure(const char* call, const char* path = nullptr)
{
	return Failure::FromSystem(errno, call, path);
}

// A call answering 0 or -1, as a Result.
Result<void>
Done(int result, const char* call, const char* path = nullptr)
{
	if (result != 0)
		return LastFailure(call, path);
	return {};
}

Result<size_t>
Count(ssize_t result, const char* call, const char* path = nullptr)
{
	if (result < 0)
		return LastFailure(call, path);
	return size_t(result);
}

Result<UniqueFd>
Opened(int fd, const char* call, const char* path = nullptr)
{
	if (fd < 0)
		return LastFailure(call, path);
	return UniqueFd(fd);
}

// What a stat call, `stat(&info)` answering 0 or -1, fills in, as a Result.
template <typename Call>
Result<struct stat>
StatResult(Call stat, const char* call, const char* path = nullptr)
{
	struct stat info;
	if (stat(&info) != 0)
		return LastFailure(call, path);
	return info;
}

// The names in a list that llistxattr or flistxattr gave by `list`.
template <typename List>
Result<std::vector<std::string>>
Names(List list, const char* call, const char* path = nullptr)
{
	std::vector<std::string> names;
	for (;;) {
		ssize_t size = list(nullptr, 0);
		if (size < 0) {
			if (errno == ENOTSUP)
				return names;
			return LastFailure(call, path);
		}
		std::vector<char> buffer(size_t(size) + 1);
		ssize_t got = list(buffer.data(), buffer.size() - 1);
		// An attribute added in between: ask again.
		if (got < 0 && errno == ERANGE)
			continue;
		if (got < 0)
			return LastFailure(call, path);
		for (ssize_t at = 0; at < got; at += ssize_t(strlen(buffer.data() + at)) + 1)
			names.emplace_back(buffer.data() + at);
		return names;
	}
}

class StringTarget : public ReadTarget {
public:
	uint8* Reserve(size_t& capacity, size_t /*filled*/) override
	{
		try {
			fText.resize(capacity);
		} catch (const std::bad_alloc&) {
			return nullptr;
		} catch (const std::length_error&) {
			return nullptr;
		}
		return reinterpret_cast<uint8*>(fText.data());
	}

	std::string fText;
};

} // namespace

Failure
ErrorFailure(int error)
{
	return Failure::FromSystem(error, nullptr);
}

Result<UniqueFd>
Open(const char* path, int flags, mode_t mode)
{
	return Opened(RetryOnInterrupt([&] { return open(path, flags, mode); }), "open", path);
}

Result<UniqueFd>
OpenAt(int directory, const char* path, int flags, mode_t mode)
{
	return Opened(
		RetryOnInterrupt([&] { return openat(directory, path, flags, mode); }), "openat", path);
}

Result<void>
Close(UniqueFd fd)
{
	if (!fd.IsValid())
		return {};
	return Done(close(fd.Release()), "close");
}

Result<UniqueFd>
Duplicate(int fd, int lowest)
{
	return Opened(fcntl(fd, F_DUPFD_CLOEXEC, lowest), "fcntl");
}

Result<size_t>
Read(int fd, void* buffer, size_t size)
{
	size = std::min(size, size_t(SSIZE_MAX));
	return Count(RetryOnInterrupt([&] { return read(fd, buffer, size); }), "read");
}

Result<size_t>
ReadAt(int fd, void* buffer, size_t size, off_t offset)
{
	size = std::min(size, size_t(SSIZE_MAX));
	return Count(RetryOnInterrupt([&] { return pread(fd, buffer, size, offset); }), "pread");
}

Result<size_t>
Write(int fd, const void* buffer, size_t size)
{
	size = std::min(size, size_t(SSIZE_MAX));
	return Count(RetryOnInterrupt([&] { return write(fd, buffer, size); }), "write");
}

Result<size_t>
WriteAt(int fd, const void* buffer, size_t size, off_t offset)
{
	size = std::min(size, size_t(SSIZE_MAX));
	return Count(RetryOnInterrupt([&] { return pwrite(fd, buffer, size, offset); }), "pwrite");
}

Result<void>
WriteAll(int fd, const void* buffer, size_t size, off_t offset, size_t* written)
{
	const uint8* bytes = static_cast<const uint8*>(buffer);
	size_t done = 0;
	Result<void> result;
	while (done < size) {
		Result<size_t> put = offset < 0
			? Write(fd, bytes + done, size - done)
			: WriteAt(fd, bytes + done, size - done, offset + off_t(done));
		if (!put) {
			result = put.TakeError();
			break;
		}
		if (put.Value() == 0) {
			result = Failure(B_IO_ERROR);
			break;
		}
		done += put.Value();
	}
	if (written != nullptr)
		*written = done;
	return result;
}

Result<off_t>
Seek(int fd, off_t offset, int whence)
{
	off_t result = lseek(fd, offset, whence);
	if (result < 0)
		return LastFailure("lseek");
	return result;
}

Result<size_t>
ReadWhole(int fd, ReadTarget& target, size_t sizeHint)
{
	// One byte more than the size shows a file that grew.
	size_t capacity = sizeHint < size_t(SSIZE_MAX) ? sizeHint + 1 : size_t(SSIZE_MAX);
	size_t filled = 0;
	uint8* block = target.Reserve(capacity, filled);
	for (;;) {
		if (block == nullptr)
			return Failure(B_NO_MEMORY);
		if (filled == capacity) {
			capacity = capacity <= size_t(SSIZE_MAX) / 2 ? capacity * 2 : size_t(SSIZE_MAX);
			block = target.Reserve(capacity, filled);
			continue;
		}
		Result<size_t> got = ReadAt(fd, block + filled, capacity - filled, off_t(filled));
		if (!got)
			return got.TakeError();
		if (got.Value() == 0)
			return filled;
		filled += got.Value();
	}
}

Result<std::string>
ReadWhole(int fd)
{
	Result<struct stat> info = Stat(fd);
	if (!info)
		return info.TakeError();
	StringTarget target;
	Result<size_t> read = ReadWhole(
		fd, target, info.Value().st_size > 0 ? size_t(info.Value().st_size) : 0);
	if (!read)
		return read.TakeError();
	target.fText.resize(read.Value());
	return std::move(target.fText);
}

Result<void>
Truncate(int fd, off_t length)
{
	return Done(RetryOnInterrupt([&] { return ftruncate(fd, length); }), "ftruncate");
}

Result<void>
Sync(int fd)
{
	return Done(RetryOnInterrupt([&] { return fsync(fd); }), "fsync");
}

Result<void>
StartWriteBack(int fd)
{
	return Done(RetryOnInterrupt([&] { return sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE); }),
		"sync_file_range");
}

Result<struct stat>
Stat(int fd)
{
	return StatResult([&](struct stat* info) { return fstat(fd, info); }, "fstat");
}

Result<struct stat>
Stat(const char* path)
{
	return StatResult([&](struct stat* info) { return stat(path, info); }, "stat", path);
}

Result<struct stat>
LinkStat(const char* path)
{
	return StatResult([&](struct stat* info) { return lstat(path, info); }, "lstat", path);
}

Result<struct stat>
StatAt(int directory, const char* path, int flags)
{
	return StatResult(
		[&](struct stat* info) { return fstatat(directory, path, info, flags); }, "fstatat", path);
}

Result<void>
SetMode(int fd, mode_t mode)
{
	return Done(fchmod(fd, mode), "fchmod");
}

Result<void>
SetOwner(int fd, uid_t owner, gid_t group)
{
	return Done(fchown(fd, owner, group), "fchown");
}

Result<void>
Access(const char* path, int mode)
{
	return Done(access(path, mode), "access", path);
}

Result<int>
StatusFlags(int fd)
{
	int flags = fcntl(fd, F_GETFL);
	if (flags < 0)
		return LastFailure("fcntl");
	return flags;
}

Result<void>
SetStatusFlags(int fd, int flags)
{
	return Done(fcntl(fd, F_SETFL, flags), "fcntl");
}

Result<void>
SetBlocking(int fd)
{
	Result<int> flags = StatusFlags(fd);
	if (!flags)
		return flags.TakeError();
	if ((flags.Value() & O_NONBLOCK) == 0)
		return {};
	return SetStatusFlags(fd, flags.Value() & ~O_NONBLOCK);
}

Result<void>
Rename(const char* from, const char* to)
{
	return Done(rename(from, to), "rename", to);
}

Result<void>
RenameAt(int fromDirectory, const char* from, int toDirectory, const char* to, unsigned flags)
{
	return Done(renameat2(fromDirectory, from, toDirectory, to, flags), "renameat2", to);
}

Result<void>
LinkAt(int fromDirectory, const char* from, int toDirectory, const char* to, int flags)
{
	return Done(linkat(fromDirectory, from, toDirectory, to, flags), "linkat", to);
}

Result<void>
Unlink(const char* path)
{
	return Done(unlink(path), "unlink", path);
}

Result<void>
UnlinkAt(int directory, const char* path, int flags)
{
	return Done(unlinkat(directory, path, flags), "unlinkat", path);
}

Result<void>
RemoveDirectory(const char* path)
{
	return Done(rmdir(path), "rmdir", path);
}

Result<std::string>
ReadLink(const char* path)
{
	std::vector<char> target(PATH_MAX + 1);
	ssize_t length = readlink(path, target.data(), target.size() - 1);
	if (length < 0)
		return LastFailure("readlink", path);
	return std::string(target.data(), size_t(length));
}

Result<std::string>
RealPath(const char* path)
{
	char resolved[PATH_MAX];
	if (realpath(path, resolved) == nullptr)
		return LastFailure("realpath", path);
	return std::string(resolved);
}

Result<std::string>
CurrentDirectory()
{
	char path[PATH_MAX];
	if (getcwd(path, sizeof(path)) == nullptr)
		return LastFailure("getcwd");
	return std::string(path);
}

Result<void>
SetAttribute(int fd, const char* name, const void* value, size_t size)
{
	return Done(fsetxattr(fd, name, value, size, 0), "fsetxattr");
}

Result<size_t>
GetAttribute(int fd, const char* name, void* value, size_t size)
{
	return Count(fgetxattr(fd, name, value, size), "fgetxattr");
}

Result<size_t>
GetLinkAttribute(const char* path, const char* name, void* value, size_t size)
{
	return Count(lgetxattr(path, name, value, size), "lgetxattr", path);
}

Result<void>
RemoveAttribute(int fd, const char* name)
{
	return Done(fremovexattr(fd, name), "fremovexattr");
}

Result<std::vector<std::string>>
AttributeNames(int fd)
{
	return Names(
		[fd](char* buffer, size_t size) { return flistxattr(fd, buffer, size); }, "flistxattr");
}

Result<std::vector<std::string>>
LinkAttributeNames(const char* path)
{
	return Names([path](char* buffer, size_t size) { return llistxattr(path, buffer, size); },
		"llistxattr", path);
}

Result<void>
RandomBytes(void* buffer, size_t size)
{
	uint8* bytes = static_cast<uint8*>(buffer);
	size_t done = 0;
	while (done < size) {
		ssize_t got = RetryOnInterrupt([&] { return getrandom(bytes + done, size - done, 0); });
		if (got <= 0)
			return got < 0 ? LastFailure("getrandom") : Failure(B_IO_ERROR);
		done += size_t(got);
	}
	return {};
}

} // namespace System
} // namespace BPrivate
