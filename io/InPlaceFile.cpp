#include "InPlaceFile.h"

#include "FileOperations.h"

#include <RetryOnInterrupt.h>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

using namespace FileOperations;

status_t
InPlaceFile::Open(int directory, const std::string& leaf)
{
	BPrivate::UniqueFd fd(BPrivate::RetryOnInterrupt([&] {
		return openat(directory, leaf.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
	}));
	if (!fd.IsValid())
		return errno_to_status(errno);
	status_t status = ReadAll(fd.Get(), &fOldContent);
	if (status != B_OK)
		return status;
	fFd = std::move(fd);
	return B_OK;
}

status_t
InPlaceFile::Commit(off_t length)
{
	if (ftruncate(Fd(), length) != 0 || fsync(Fd()) != 0)
		return errno_to_status(errno);
	return B_OK;
}

status_t
InPlaceFile::Restore()
{
	status_t status = WriteAll(Fd(), fOldContent.data(), fOldContent.size(), 0);
	if (ftruncate(Fd(), off_t(fOldContent.size())) != 0 && status == B_OK)
		status = errno_to_status(errno);
	if (fsync(Fd()) != 0 && status == B_OK)
		status = errno_to_status(errno);
	return status;
}
