// SPDX-License-Identifier: MIT
#pragma once

// The plain file operations FileReplacer is made of, on the system-call
// layer (System.h). Each answers a Result (or says what it found).

#include <Result.h>
#include <SupportDefs.h>
#include <UniqueFd.h>

#include <string>
#include <sys/types.h>

namespace FileOperations {

using BPrivate::Failure;
using BPrivate::Result;

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

// The first `length` bytes of `from` into `to`, both from their start.
Result<void> CopyContent(int from, int to, off_t length);

// A hidden name beside `leaf`, random enough not to meet another.
std::string TemporaryLeaf(const std::string& leaf);

// A new file under a hidden random name beside `path` (a leaf in the
// directory `directory`, or with AT_FDCWD a path from the working directory),
// opened with `flags` and O_CREAT | O_EXCL | O_CLOEXEC and the rights `mode`
// (less the umask). `made` gets the name it was made under, as `path` would
// name it. Names already taken are passed over; B_FILE_EXISTS after
// kNameAttempts of them.
Result<BPrivate::UniqueFd> CreateBeside(
	int directory, const std::string& path, int flags, mode_t mode, std::string* made);

// The directory, opened for syncing, or only as a path where it may not be
// listed.
Result<BPrivate::UniqueFd> OpenDirectory(const std::string& directory);

} // namespace FileOperations
