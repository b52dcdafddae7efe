// SPDX-License-Identifier: MIT
#pragma once

// The system calls the project makes, one wrapper each. A wrapper makes the
// call, makes it again when a signal interrupted it before it did anything
// (where doing so is right: never for close), and answers a Result whose
// failure is made from errno in one place. The code above calls these, not
// the C library's file functions, and never reads errno.
//
// Descriptors a wrapper opens come back owned (UniqueFd); descriptors passed
// in stay the caller's. Any thread; each call is as thread-safe as the system
// call it wraps.

#include <Result.h>
#include <SupportDefs.h>
#include <UniqueFd.h>

#include <cstddef>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <vector>

namespace BPrivate {
namespace System {

// The failure that the errno value `error` stands for.
Failure ErrorFailure(int error);

// Opening and closing.
Result<UniqueFd> Open(const char* path, int flags, mode_t mode = 0);
Result<UniqueFd> OpenAt(int directory, const char* path, int flags, mode_t mode = 0);
// Closes `fd`, answering whether the system reports a failure (a write that
// failed late). Not repeated when interrupted: the descriptor is gone then.
Result<void> Close(UniqueFd fd);
// A new descriptor, the lowest free one from `lowest` on, for the same open
// file, closed on exec.
Result<UniqueFd> Duplicate(int fd, int lowest = 0);

// Transfers. Each answers the count of one system call (0 at the end of the
// file for a read); a failure only when nothing moved.
Result<size_t> Read(int fd, void* buffer, size_t size);
Result<size_t> ReadAt(int fd, void* buffer, size_t size, off_t offset);
Result<size_t> Write(int fd, const void* buffer, size_t size);
Result<size_t> WriteAt(int fd, const void* buffer, size_t size, off_t offset);
// Writes all `size` bytes, from the file's position or, when `offset` is not
// negative, from `offset`. `written`, when given, gets the count that
// reached the file also when a later call failed. A call that takes nothing
// fails with B_IO_ERROR.
Result<void> WriteAll(
	int fd, const void* buffer, size_t size, off_t offset = -1, size_t* written = nullptr);
Result<off_t> Seek(int fd, off_t offset, int whence);

// Reads the file `fd` from its start to its end (its position untouched,
// so it must be one that can be read at an offset) into memory that a
// ReadTarget gives, growing it as the file turns out longer than
// `sizeHint` (its size as fstat gave it, which may change meanwhile or be 0).
// Answers how many bytes were read, or B_NO_MEMORY when the target gave no
// memory.
class ReadTarget {
public:
	virtual ~ReadTarget() = default;
	// A block of `capacity` bytes whose first `filled` are those read so far,
	// or null to stop. The target may lower `capacity`, to no less than
	// `filled` + 1.
	virtual uint8* Reserve(size_t& capacity, size_t filled) = 0;
};
Result<size_t> ReadWhole(int fd, ReadTarget& target, size_t sizeHint);
// The same into a string.
Result<std::string> ReadWhole(int fd);

// The file's size, syncs.
Result<void> Truncate(int fd, off_t length);
Result<void> Sync(int fd);
// Starts writing the file's dirty pages to its device without waiting.
Result<void> StartWriteBack(int fd);

// Information and identity.
Result<struct stat> Stat(int fd);
Result<struct stat> Stat(const char* path);
// Of a symbolic link itself, not of what it names.
Result<struct stat> LinkStat(const char* path);
Result<struct stat> StatAt(int directory, const char* path, int flags = 0);
Result<void> SetMode(int fd, mode_t mode);
Result<void> SetOwner(int fd, uid_t owner, gid_t group);
// Whether the process may reach `path` as `mode` (X_OK, ...) says.
Result<void> Access(const char* path, int mode);

// Descriptor flags (O_NONBLOCK, O_ACCMODE, ...).
Result<int> StatusFlags(int fd);
Result<void> SetStatusFlags(int fd, int flags);
// Clears O_NONBLOCK, which an open used so as not to wait for a FIFO's
// partner, for the transfers that follow.
Result<void> SetBlocking(int fd);

// Names.
Result<void> Rename(const char* from, const char* to);
// renameat2: `flags` 0 or RENAME_NOREPLACE.
Result<void> RenameAt(
	int fromDirectory, const char* from, int toDirectory, const char* to, unsigned flags = 0);
Result<void> LinkAt(
	int fromDirectory, const char* from, int toDirectory, const char* to, int flags = 0);
Result<void> Unlink(const char* path);
Result<void> UnlinkAt(int directory, const char* path, int flags = 0);
Result<void> RemoveDirectory(const char* path);
Result<std::string> ReadLink(const char* path);
Result<std::string> RealPath(const char* path);
Result<std::string> CurrentDirectory();

// Extended attributes, by descriptor or, not following a last symbolic link,
// by path. The Get calls with `size` 0 answer the size the value needs.
Result<void> SetAttribute(int fd, const char* name, const void* value, size_t size);
Result<size_t> GetAttribute(int fd, const char* name, void* value, size_t size);
Result<size_t> GetLinkAttribute(const char* path, const char* name, void* value, size_t size);
Result<void> RemoveAttribute(int fd, const char* name);
// The names of every attribute; none where the file system has none.
Result<std::vector<std::string>> AttributeNames(int fd);
Result<std::vector<std::string>> LinkAttributeNames(const char* path);

// Random bytes from the system, for names no one guesses.
Result<void> RandomBytes(void* buffer, size_t size);

} // namespace System
} // namespace BPrivate
