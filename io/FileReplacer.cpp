#include "FileReplacer.h"

#include "FileOperations.h"
#include "InPlaceFile.h"
#include "TemporaryFile.h"

#include <RetryOnInterrupt.h>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

using namespace FileOperations;
using BPrivate::RetryOnInterrupt;
using BPrivate::UniqueFd;

FileReplacer::FileReplacer(const char* path, uint32 bufferSize)
	:
	fPath(path != nullptr ? path : ""),
	fBufferSize(bufferSize)
{
}

FileReplacer::~FileReplacer()
{
	if (!fDone && fWay != Way::kNone)
		Abort();
}

bool
FileReplacer::WritesDocument() const
{
	return fWay == Way::kNewFile || fWay == Way::kRename || fWay == Way::kInPlace;
}

status_t
FileReplacer::Begin()
{
	if (fWay != Way::kNone)
		return fStatus = B_NOT_ALLOWED;
	if (fPath.empty())
		return fStatus = B_BAD_VALUE;
	// A name ending in '/' names a directory, which is never written.
	if (fPath.back() == '/')
		return fStatus = B_IS_A_DIRECTORY;

	std::string resolved;
	int held = -1;
	status_t status = ResolveLinks(fPath, &resolved, &held);
	if (status != B_OK)
		return fStatus = status;
	if (held >= 0)
		return fStatus = BeginHeld(held);

	struct stat info;
	if (stat(fPath.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
		if (S_ISDIR(info.st_mode))
			return fStatus = B_IS_A_DIRECTORY;
		return fStatus = BeginThroughName();
	}

	size_t slash = resolved.rfind('/');
	fDirectory = slash == std::string::npos ? "." : slash == 0 ? "/" : resolved.substr(0, slash);
	fLeaf = slash == std::string::npos ? resolved : resolved.substr(slash + 1);
	fDirectoryFd = OpenDirectory(fDirectory);
	if (!fDirectoryFd.IsValid())
		return fStatus = errno_to_status(errno);

	if (fstatat(fDirectoryFd.Get(), fLeaf.c_str(), &fOld, 0) == 0) {
		status = BeginExisting(fOld);
	} else if (errno != ENOENT) {
		status = errno_to_status(errno);
	} else {
		// A new file: the rights of a new file, as the directory gives them.
		auto temporary = std::make_unique<TemporaryFile>(fDirectoryFd.Get(), fLeaf);
		status = temporary->Open(0666);
		if (status == B_OK) {
			fTemporary = std::move(temporary);
			fWay = Way::kNewFile;
		}
	}
	if (status == B_OK)
		status = OpenText(TextFd(), B_READ_WRITE);
	if (status != B_OK) {
		DropWay();
		fDirectoryFd.Reset();
		fWay = Way::kNone;
	}
	return fStatus = status;
}

status_t
FileReplacer::BeginHeld(int held)
{
	int flags = fcntl(held, F_GETFL);
	if (flags < 0)
		return errno == EBADF ? B_ENTRY_NOT_FOUND : errno_to_status(errno);
	if ((flags & O_ACCMODE) == O_RDONLY)
		return B_PERMISSION_DENIED;
	// The same open file, with its offset: what was written before stays.
	fLent.Reset(fcntl(held, F_DUPFD_CLOEXEC, 3));
	if (!fLent.IsValid())
		return errno_to_status(errno);
	fWay = Way::kHeldDescriptor;
	status_t status = OpenText(TextFd(), B_WRITE_ONLY);
	if (status != B_OK) {
		DropWay();
		fWay = Way::kNone;
	}
	return status;
}

status_t
FileReplacer::BeginThroughName()
{
	// Non-blocking while opening, so that a FIFO without a reader does not
	// hang the caller; blocking for the writes.
	UniqueFd fd(RetryOnInterrupt([&] {
		return open(fPath.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
	}));
	if (!fd.IsValid())
		return errno_to_status(errno);
	int flags = fcntl(fd.Get(), F_GETFL);
	if (flags < 0 || fcntl(fd.Get(), F_SETFL, flags & ~O_NONBLOCK) != 0)
		return errno_to_status(errno);
	fLent = std::move(fd);
	fWay = Way::kThroughName;
	status_t status = OpenText(TextFd(), B_WRITE_ONLY);
	if (status != B_OK) {
		DropWay();
		fWay = Way::kNone;
	}
	return status;
}

status_t
FileReplacer::BeginExisting(const struct stat& old)
{
	if (S_ISDIR(old.st_mode))
		return B_IS_A_DIRECTORY;
	// The right to write the file is the one an open for writing has, with
	// everything the system weighs (mode, ACLs, read-only mounts, flags).
	UniqueFd check(openat(fDirectoryFd.Get(), fLeaf.c_str(),
		O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK));
	if (!check.IsValid())
		return errno_to_status(errno);
	check.Reset();

	// Another name for the same file would keep the old text.
	if (old.st_nlink == 1) {
		auto temporary = std::make_unique<TemporaryFile>(fDirectoryFd.Get(), fLeaf);
		if (temporary->Open(0600) == B_OK
			&& temporary->CopyIdentity(old, fDirectory + "/" + fLeaf) == B_OK) {
			fTemporary = std::move(temporary);
			fWay = Way::kRename;
			return B_OK;
		}
	}
	return BeginInPlace();
}

status_t
FileReplacer::BeginInPlace()
{
	// The old bytes are kept to put back; a file that cannot be read is
	// not risked.
	auto inPlace = std::make_unique<InPlaceFile>();
	status_t status = inPlace->Open(fDirectoryFd.Get(), fLeaf);
	if (status != B_OK)
		return status;
	fInPlace = std::move(inPlace);
	fWay = Way::kInPlace;
	return B_OK;
}

status_t
FileReplacer::Commit()
{
	if (fDone || fWay == Way::kNone)
		return fStatus = B_NOT_ALLOWED;
	status_t status = B_OK;
	switch (fWay) {
		case Way::kHeldDescriptor:
		case Way::kThroughName:
			break;
		case Way::kInPlace: {
			off_t length = lseek(TextFd(), 0, SEEK_CUR);
			status = length < 0 ? errno_to_status(errno) : fInPlace->Commit(length);
			break;
		}
		case Way::kNewFile:
		case Way::kRename:
			status = CommitReplacing();
			break;
		case Way::kNone:
			break;
	}
	if (status != B_OK) {
		Abort();
		return fStatus = status;
	}
	fDone = true;
	return fStatus = B_OK;
}

status_t
FileReplacer::CommitReplacing()
{
	int fd = TextFd();
	off_t length = lseek(fd, 0, SEEK_CUR);
	if (length < 0 || ftruncate(fd, length) != 0)
		return errno_to_status(errno);
	// Writing cleared any set-user-ID bit; the mode goes on last.
	if (fWay == Way::kRename && fchmod(fd, fOld.st_mode & 07777) != 0)
		return errno_to_status(errno);
	// The text must be on the disk before its name replaces the old one,
	// or a crash could leave neither.
	if (fsync(fd) != 0)
		return errno_to_status(errno);
	status_t status = fTemporary->Link(fWay == Way::kRename);
	if (status == B_NOT_ALLOWED && fWay == Way::kRename) {
		// The directory refused to have the file replaced (a sticky
		// directory, a file mounted on its own, another file system): the
		// text goes into the old file instead.
		status = MoveTextInPlace();
		if (status != B_OK)
			return status;
	} else if (status != B_OK) {
		return status;
	}
	// The new name must last as well. A directory opened only as a path
	// cannot be synced; nothing more can be done for it.
	fsync(fDirectoryFd.Get());
	return B_OK;
}

// The text, complete in the temporary file, copied over the old content.
status_t
FileReplacer::MoveTextInPlace()
{
	off_t length = lseek(TextFd(), 0, SEEK_CUR);
	if (length < 0)
		return errno_to_status(errno);
	std::unique_ptr<TemporaryFile> text = std::move(fTemporary);
	status_t status = BeginInPlace();
	if (status == B_OK)
		status = CopyContent(text->Fd(), fInPlace->Fd(), length);
	if (status == B_OK)
		status = fInPlace->Commit(length);
	if (status == B_OK) {
		// The document is now the old file, for whatever the caller does
		// with the text file after.
		int dup = fcntl(fInPlace->Fd(), F_DUPFD_CLOEXEC, 3);
		if (dup >= 0)
			fText = std::make_unique<PlainBufferedFile>(dup, B_READ_WRITE, fBufferSize);
	}
	return status;
}

status_t
FileReplacer::Abort()
{
	status_t status = B_OK;
	if (!fDone && fWay == Way::kInPlace)
		status = fInPlace->Restore();
	fDone = true;
	DropWay();
	fDirectoryFd.Reset();
	return status;
}

status_t
FileReplacer::OpenText(int fd, uint32 openMode)
{
	int dup = fcntl(fd, F_DUPFD_CLOEXEC, 3);
	if (dup < 0)
		return errno_to_status(errno);
	fText = std::make_unique<PlainBufferedFile>(dup, openMode, fBufferSize);
	return fText->InitCheck();
}

int
FileReplacer::TextFd() const
{
	switch (fWay) {
		case Way::kHeldDescriptor:
		case Way::kThroughName:
			return fLent.Get();
		case Way::kNewFile:
		case Way::kRename:
			return fTemporary != nullptr ? fTemporary->Fd() : -1;
		case Way::kInPlace:
			return fInPlace != nullptr ? fInPlace->Fd() : -1;
		case Way::kNone:
			break;
	}
	return -1;
}

void
FileReplacer::DropWay()
{
	fLent.Reset();
	fTemporary.reset();
	fInPlace.reset();
}
