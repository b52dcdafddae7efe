// SPDX-License-Identifier: MIT
#include "InPlaceFile.h"

#include "FileOperations.h"

#include <System.h>

#include <fcntl.h>
#include <utility>

using namespace FileOperations;

namespace System = BPrivate::System;

Result<BPrivate::UniqueFd>
InPlaceFile::Open(int directory, const std::string& leaf)
{
	Result<BPrivate::UniqueFd> fd = System::OpenAt(
		directory, leaf.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
	if (!fd)
		return fd.TakeError();
	Result<std::string> content = System::ReadWhole(fd.Value().Get());
	if (!content)
		return content.TakeError();
	fOldContent = std::move(content).Value();
	fFd = fd.Value().Get();
	return fd;
}

Result<void>
InPlaceFile::Commit(off_t length)
{
	Result<void> committed = System::Truncate(Fd(), length);
	if (committed)
		committed = System::Sync(Fd());
	return committed;
}

Result<void>
InPlaceFile::Restore()
{
	Result<void> restored = System::WriteAll(Fd(), fOldContent.data(), fOldContent.size(), 0);
	Result<void> truncated = System::Truncate(Fd(), off_t(fOldContent.size()));
	Result<void> synced = System::Sync(Fd());
	if (!restored)
		return restored;
	if (!truncated)
		return truncated;
	return synced;
}
