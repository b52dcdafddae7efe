// SPDX-License-Identifier: MIT
#pragma once

// A file a build makes: its new content goes under a temporary name beside
// it and is renamed into place, so that an interrupted build leaves either
// the old file or the new one, never a part. Unlike a person's file it gets
// no syncs (the build makes it again after a crash) and takes the umask's
// mode. A file that already holds the content is left untouched, time stamp
// included, so that a build tool that checks outputs again (Ninja's restat)
// rebuilds nothing after it.
//
// Runs on the calling thread; plain code.

#include <Result.h>
#include <SupportDefs.h>

#include <atomic>
#include <string>

namespace BuildFile {

// True when the file `path` holds exactly `content`.
bool Holds(const std::string& path, const std::string& content);
// True when `path` is a regular file of `size` bytes.
bool HasSize(const std::string& path, int64 size);

// Writes `size` bytes at `data` as the file `path`, or says why not (the old
// file then left as it was). B_INTERRUPTED when `cancel` became true
// meanwhile.
BPrivate::Result<void> Write(const std::string& path, const void* data, size_t size,
	const std::atomic<bool>* cancel = nullptr);
// As Write, but only when the file does not hold `content` already.
BPrivate::Result<void> Update(const std::string& path, const std::string& content);

} // namespace BuildFile
