#pragma once

// The plain file operations FileReplacer is made of. Each answers a status
// (or says what it found), reading errno once, where the call failed.

#include <SupportDefs.h>
#include <UniqueFd.h>

#include <string>
#include <sys/types.h>
#include <vector>

namespace FileOperations {

// How many random names are tried for a temporary file.
constexpr int kNameAttempts = 100;

// The descriptor number that /dev/stdin, /dev/stdout, /dev/stderr,
// /dev/fd/N or /proc/self/fd/N (also /proc/thread-self and the process's
// own id) stands for; -1 for any other name.
int HeldDescriptor(const std::string& path);

// Follows symbolic links from `path` to the name that is not one (which may
// not exist yet). A link on the way to a name of the process's own
// descriptors stops there: `held` gets its number (otherwise -1).
status_t ResolveLinks(std::string path, std::string* resolved, int* held);

// The whole content of `fd` from its start, of any size.
status_t ReadAll(int fd, std::string* content);
// All `size` bytes at `offset`.
status_t WriteAll(int fd, const char* data, size_t size, off_t offset);
// The first `length` bytes of `from` into `to`, both from their start.
status_t CopyContent(int from, int to, off_t length);

// A hidden name beside `leaf`, random enough not to meet another.
std::string TemporaryLeaf(const std::string& leaf);

// The names of a file's extended attributes (by path, not following a last
// symbolic link, or by descriptor); false when they cannot all be read. A
// file system without attributes has none.
bool ListAttributes(const char* path, std::vector<std::string>* names);
bool ListAttributes(int fd, std::vector<std::string>* names);

// The directory, opened for syncing, or only as a path where it may not be
// listed; none, with errno set, on failure.
BPrivate::UniqueFd OpenDirectory(const std::string& directory);

} // namespace FileOperations
