// SPDX-License-Identifier: MIT
#include "BuildFile.h"

#include "io/FileOperations.h"

#include <System.h>

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <utility>

namespace BuildFile {

using BPrivate::Failure;
using BPrivate::Result;
using BPrivate::UniqueFd;

namespace System = BPrivate::System;

namespace {

// Large enough to cost nothing per call, small enough to notice a cancel.
constexpr size_t kChunk = size_t(8) << 20;

} // namespace

bool
Holds(const std::string& path, const std::string& content)
{
	Result<UniqueFd> fd = System::Open(path.c_str(), O_RDONLY | O_CLOEXEC);
	if (!fd)
		return false;
	Result<std::string> old = System::ReadWhole(fd.Value().Get());
	return old && old.Value() == content;
}

bool
HasSize(const std::string& path, int64 size)
{
	Result<struct stat> info = System::Stat(path.c_str());
	return info && S_ISREG(info.Value().st_mode) && info.Value().st_size == size;
}

Result<void>
Write(const std::string& path, const void* data, size_t size, const std::atomic<bool>* cancel)
{
	std::string temporary;
	// The umask's mode, as any file the build makes.
	Result<UniqueFd> created = FileOperations::CreateBeside(
		AT_FDCWD, path, O_WRONLY, 0666, &temporary);
	if (!created)
		return created.TakeError();
	UniqueFd fd = std::move(created).Value();
	Result<void> written;
	const char* bytes = static_cast<const char*>(data);
	for (size_t done = 0; done < size && written; done += kChunk) {
		if (cancel != nullptr && cancel->load(std::memory_order_relaxed))
			written = Failure(B_INTERRUPTED);
		else
			written = System::WriteAll(
				fd.Get(), bytes + done, std::min(kChunk, size - done), off_t(done));
	}
	// The close is the last chance to hear of a write that failed late.
	Result<void> closed = System::Close(std::move(fd));
	if (written && !closed)
		written = std::move(closed);
	if (written)
		written = System::Rename(temporary.c_str(), path.c_str());
	if (!written)
		(void)System::Unlink(temporary.c_str());
	return written;
}

Result<void>
Update(const std::string& path, const std::string& content)
{
	if (Holds(path, content))
		return {};
	return Write(path, content.data(), content.size());
}

} // namespace BuildFile
