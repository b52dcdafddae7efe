#include "InPlaceFile.h"

#include "FileOperations.h"

#include <RetryOnInterrupt.h>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

using namespace FileOperations;

Result<void>
InPlaceFile::Open(int directory, const std::string& leaf)
{
	BPrivate::UniqueFd fd(BPrivate::RetryOnInterrupt([&] {
		return openat(directory, leaf.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
	}));
	if (!fd.IsValid())
		return SystemFailure();
	Result<std::string> content = ReadAll(fd.Get());
	if (!content)
		return content.TakeError();
	fOldContent = std::move(content).Value();
	fFd = std::move(fd);
	return {};
}

Result<void>
InPlaceFile::Commit(off_t length)
{
	if (ftruncate(Fd(), length) != 0 || fsync(Fd()) != 0)
		return SystemFailure();
	return {};
}

Result<void>
InPlaceFile::Restore()
{
	Result<void> restored = WriteAll(Fd(), fOldContent.data(), fOldContent.size(), 0);
	if (ftruncate(Fd(), off_t(fOldContent.size())) != 0 && restored)
		restored = SystemFailure();
	if (fsync(Fd()) != 0 && restored)
		restored = SystemFailure();
	return restored;
}
