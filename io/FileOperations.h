#pragma once

// The plain file operations FileReplacer is made of. Each answers a Result
// (or says what it found); errno is read once, where the system call failed,
// and turned into the Failure there.

#include <Result.h>
#include <SupportDefs.h>
#include <UniqueFd.h>

#include <cerrno>
#include <string>
#include <sys/types.h>
#include <vector>

namespace FileOperations {

using BPrivate::Failure;
using BPrivate::Result;

// The failure that `error` (by default what the last failed system call
// left in errno) stands for.
Failure SystemFailure(int error = errno);

// How many random names are tried for a temporary file.
constexpr int kNameAttempts = 100;

// The descriptor number that /dev/stdin, /dev/stdout, /dev/stderr,
// /dev/fd/N or /proc/self/fd/N (also /proc/thread-self and the process's
// own id) stands for; -1 for any other name.
int HeldDescriptor(const std::string& path);

// Where a chain of symbolic links ends: the name that is not a link (which
// may not exist yet), or the number of the process's own descriptor that a
// link on the way names (otherwise -1, with `path` set).
struct ResolvedName {
	std::string path;
	int held = -1;
};

// Follows symbolic links from `path` to the name that is not one. A link on
// the way to a name of the process's own descriptors stops there.
Result<ResolvedName> ResolveLinks(std::string path);

// The whole content of `fd` from its start, of any size.
Result<std::string> ReadAll(int fd);
// All `size` bytes at `offset`.
Result<void> WriteAll(int fd, const char* data, size_t size, off_t offset);
// The first `length` bytes of `from` into `to`, both from their start.
Result<void> CopyContent(int from, int to, off_t length);

// A hidden name beside `leaf`, random enough not to meet another.
std::string TemporaryLeaf(const std::string& leaf);

// The names of a file's extended attributes (by path, not following a last
// symbolic link, or by descriptor), or why they cannot all be read. A file
// system without attributes has none.
Result<std::vector<std::string>> ListAttributes(const char* path);
Result<std::vector<std::string>> ListAttributes(int fd);

// The directory, opened for syncing, or only as a path where it may not be
// listed.
Result<BPrivate::UniqueFd> OpenDirectory(const std::string& directory);

} // namespace FileOperations
