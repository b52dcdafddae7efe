#include "BuildFile.h"

#include "io/FileOperations.h"

#include <Errors.h>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace BuildFile {

namespace {

// Large enough to cost nothing per call, small enough to notice a cancel.
constexpr size_t kChunk = size_t(8) << 20;

// Opens a new file with a random name in the directory of `path`.
int
CreateBeside(const std::string& path, std::string* temporary)
{
	size_t slash = path.rfind('/');
	const std::string directory = slash == std::string::npos ? "" : path.substr(0, slash + 1);
	const std::string leaf = slash == std::string::npos ? path : path.substr(slash + 1);
	for (int attempt = 0; attempt < FileOperations::kNameAttempts; attempt++) {
		*temporary = directory + FileOperations::TemporaryLeaf(leaf);
		int fd = open(temporary->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
		if (fd >= 0 || errno != EEXIST)
			return fd;
	}
	return -1;
}

} // namespace

bool
Holds(const std::string& path, const std::string& content)
{
	int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
	if (fd < 0)
		return false;
	std::string old;
	status_t status = FileOperations::ReadAll(fd, &old);
	close(fd);
	return status == B_OK && old == content;
}

bool
HasSize(const std::string& path, int64 size)
{
	struct stat info;
	return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_size == size;
}

status_t
Write(const std::string& path, const void* data, size_t size, const std::atomic<bool>* cancel)
{
	std::string temporary;
	int fd = CreateBeside(path, &temporary);
	if (fd < 0)
		return errno_to_status(errno);
	status_t status = B_OK;
	const char* bytes = static_cast<const char*>(data);
	for (size_t done = 0; done < size && status == B_OK; done += kChunk) {
		if (cancel != nullptr && cancel->load(std::memory_order_relaxed))
			status = B_INTERRUPTED;
		else
			status = FileOperations::WriteAll(fd, bytes + done, std::min(kChunk, size - done),
				off_t(done));
	}
	if (close(fd) != 0 && status == B_OK)
		status = errno_to_status(errno);
	if (status == B_OK && rename(temporary.c_str(), path.c_str()) != 0)
		status = errno_to_status(errno);
	if (status != B_OK)
		unlink(temporary.c_str());
	return status;
}

status_t
Update(const std::string& path, const std::string& content)
{
	if (Holds(path, content))
		return B_OK;
	return Write(path, content.data(), content.size());
}

} // namespace BuildFile
