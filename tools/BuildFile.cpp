#include "BuildFile.h"

#include "io/FileOperations.h"

#include <Errors.h>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace BuildFile {

using BPrivate::Failure;
using BPrivate::Result;
using BPrivate::UniqueFd;
using FileOperations::SystemFailure;

namespace {

// Large enough to cost nothing per call, small enough to notice a cancel.
constexpr size_t kChunk = size_t(8) << 20;

// A new file with a random name in the directory of `path`, named in
// `temporary`.
Result<UniqueFd>
CreateBeside(const std::string& path, std::string* temporary)
{
	size_t slash = path.rfind('/');
	const std::string directory = slash == std::string::npos ? "" : path.substr(0, slash + 1);
	const std::string leaf = slash == std::string::npos ? path : path.substr(slash + 1);
	for (int attempt = 0; attempt < FileOperations::kNameAttempts; attempt++) {
		*temporary = directory + FileOperations::TemporaryLeaf(leaf);
		UniqueFd fd(open(temporary->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
		if (fd.IsValid())
			return fd;
		if (errno != EEXIST)
			return SystemFailure();
	}
	return SystemFailure(EEXIST);
}

} // namespace

bool
Holds(const std::string& path, const std::string& content)
{
	UniqueFd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
	if (!fd.IsValid())
		return false;
	Result<std::string> old = FileOperations::ReadAll(fd.Get());
	return old && old.Value() == content;
}

bool
HasSize(const std::string& path, int64 size)
{
	struct stat info;
	return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_size == size;
}

Result<void>
Write(const std::string& path, const void* data, size_t size, const std::atomic<bool>* cancel)
{
	std::string temporary;
	Result<UniqueFd> created = CreateBeside(path, &temporary);
	if (!created)
		return created.TakeError();
	UniqueFd fd = std::move(created).Value();
	Result<void> written;
	const char* bytes = static_cast<const char*>(data);
	for (size_t done = 0; done < size && written; done += kChunk) {
		if (cancel != nullptr && cancel->load(std::memory_order_relaxed))
			written = Failure(B_INTERRUPTED);
		else
			written = FileOperations::WriteAll(fd.Get(), bytes + done,
				std::min(kChunk, size - done), off_t(done));
	}
	// The close is the last chance to hear of a write that failed late.
	if (close(fd.Release()) != 0 && written)
		written = SystemFailure();
	if (written && rename(temporary.c_str(), path.c_str()) != 0)
		written = SystemFailure();
	if (!written)
		unlink(temporary.c_str());
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
