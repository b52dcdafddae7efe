#include "ImageFile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace BPrivate {

namespace {

class FileDescriptor {
public:
	explicit FileDescriptor(int fd) : fFD(fd) {}
	~FileDescriptor()
	{
		if (fFD >= 0)
			close(fFD);
	}
	FileDescriptor(const FileDescriptor&) = delete;
	FileDescriptor& operator=(const FileDescriptor&) = delete;

	int Get() const { return fFD; }

private:
	int fFD;
};

} // namespace

status_t ReadImageFile(const char* path, size_t limit, std::vector<uint8>& data)
{
	data.clear();
	if (path == nullptr || path[0] == '\0')
		return B_BAD_VALUE;
	// Non-blocking, so that opening a FIFO with no writer returns at once.
	FileDescriptor file(open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
	if (file.Get() < 0)
		return errno_to_status(errno);
	struct stat info;
	if (fstat(file.Get(), &info) != 0)
		return errno_to_status(errno);
	if (S_ISDIR(info.st_mode))
		return B_IS_A_DIRECTORY;
	if (!S_ISREG(info.st_mode))
		return B_BAD_TYPE;
	if (info.st_size < 0 || uint64(info.st_size) > limit)
		return B_NO_MEMORY;

	// The size is a hint only: the file may change while it is read, and
	// some files report 0. One byte more than the size shows growth.
	size_t capacity = size_t(info.st_size) + 1;
	data.resize(capacity);
	size_t filled = 0;
	while (true) {
		if (filled == capacity) {
			if (capacity > limit) {
				data.clear();
				return B_NO_MEMORY;
			}
			capacity = std::min(limit + 1, capacity * 2);
			data.resize(capacity);
		}
		ssize_t count = read(file.Get(), data.data() + filled, capacity - filled);
		if (count < 0 && errno == EINTR)
			continue;
		if (count < 0) {
			status_t status = errno_to_status(errno);
			data.clear();
			return status;
		}
		if (count == 0)
			break;
		filled += size_t(count);
	}
	data.resize(filled);
	return B_OK;
}

} // namespace BPrivate
