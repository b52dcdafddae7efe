#include "FileReplacer.h"

#include "FileOperations.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

using namespace FileOperations;

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
	fText.reset();
	CloseAll();
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
	if (fDirectoryFd < 0)
		return fStatus = ErrnoStatus();

	if (fstatat(fDirectoryFd, fLeaf.c_str(), &fOld, 0) == 0) {
		status = BeginExisting(fOld);
	} else if (errno != ENOENT) {
		status = ErrnoStatus();
	} else {
		// A new file: the rights of a new file, as the directory gives them.
		status = OpenTemporary(0666);
		if (status == B_OK)
			fWay = Way::kNewFile;
	}
	if (status == B_OK)
		status = OpenText(fFd, B_READ_WRITE);
	if (status != B_OK) {
		DropTemporaryName();
		CloseAll();
		fWay = Way::kNone;
	}
	return fStatus = status;
}

status_t
FileReplacer::BeginHeld(int held)
{
	int flags = fcntl(held, F_GETFL);
	if (flags < 0)
		return errno == EBADF ? B_ENTRY_NOT_FOUND : ErrnoStatus();
	if ((flags & O_ACCMODE) == O_RDONLY)
		return B_PERMISSION_DENIED;
	// The same open file, with its offset: what was written before stays.
	fFd = fcntl(held, F_DUPFD_CLOEXEC, 3);
	if (fFd < 0)
		return ErrnoStatus();
	fWay = Way::kHeldDescriptor;
	status_t status = OpenText(fFd, B_WRITE_ONLY);
	if (status != B_OK) {
		CloseAll();
		fWay = Way::kNone;
	}
	return status;
}

status_t
FileReplacer::BeginThroughName()
{
	// Non-blocking while opening, so that a FIFO without a reader does not
	// hang the caller; blocking for the writes.
	do {
		fFd = open(fPath.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
	} while (fFd < 0 && errno == EINTR);
	if (fFd < 0)
		return ErrnoStatus();
	int flags = fcntl(fFd, F_GETFL);
	if (flags < 0 || fcntl(fFd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
		status_t status = ErrnoStatus();
		CloseAll();
		return status;
	}
	fWay = Way::kThroughName;
	status_t status = OpenText(fFd, B_WRITE_ONLY);
	if (status != B_OK) {
		CloseAll();
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
	int check = openat(fDirectoryFd, fLeaf.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
	if (check < 0)
		return ErrnoStatus();
	close(check);

	// Another name for the same file would keep the old text.
	if (old.st_nlink == 1 && OpenTemporary(0600) == B_OK) {
		if (CopyIdentity(old) == B_OK) {
			fWay = Way::kRename;
			return B_OK;
		}
		DropTemporary();
	}
	return BeginInPlace();
}

status_t
FileReplacer::BeginInPlace()
{
	// The old bytes are kept to put back; a file that cannot be read is
	// not risked.
	int fd;
	do {
		fd = openat(fDirectoryFd, fLeaf.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
	} while (fd < 0 && errno == EINTR);
	if (fd < 0)
		return ErrnoStatus();
	status_t status = ReadAll(fd, &fOldContent);
	if (status != B_OK) {
		close(fd);
		return status;
	}
	if (fFd >= 0)
		close(fFd);
	fFd = fd;
	fWay = Way::kInPlace;
	return B_OK;
}

status_t
FileReplacer::OpenTemporary(mode_t mode)
{
	// Unnamed where the file system allows it, so that nothing is left
	// behind whatever happens before it is linked; /proc links it.
	static const bool canLinkUnnamed = access("/proc/self/fd", X_OK) == 0;
	if (canLinkUnnamed) {
		fFd = openat(fDirectoryFd, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, mode);
		if (fFd >= 0) {
			fTemporaryUnnamed = true;
			return B_OK;
		}
		// Otherwise a named file is tried: where the unnamed one is refused
		// for a reason of its own (no support, or EPERM in a directory that
		// has been removed), the named one gives the reason to report.
	}
	for (int attempt = 0; attempt < kNameAttempts; attempt++) {
		std::string leaf = TemporaryLeaf(fLeaf);
		fFd = openat(fDirectoryFd, leaf.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, mode);
		if (fFd >= 0) {
			fTemporaryUnnamed = false;
			fTemporaryLeaf = leaf;
			return B_OK;
		}
		if (errno != EEXIST)
			return ErrnoStatus();
	}
	return B_FILE_EXISTS;
}

// Owner, group and every extended attribute of the old file onto the
// temporary one; the mode follows at Commit, once the text is written.
status_t
FileReplacer::CopyIdentity(const struct stat& old)
{
	struct stat made;
	if (fstat(fFd, &made) != 0)
		return ErrnoStatus();
	if ((made.st_uid != old.st_uid || made.st_gid != old.st_gid)
		&& fchown(fFd, old.st_uid, old.st_gid) != 0) {
		return ErrnoStatus();
	}
	std::string oldPath = fDirectory + "/" + fLeaf;
	std::vector<std::string> names;
	if (!ListAttributes(oldPath.c_str(), &names))
		return B_NOT_ALLOWED;
	// What the new file got from its directory (a default ACL) and the old
	// one does not have goes.
	std::vector<std::string> inherited;
	if (!ListAttributes(fFd, &inherited))
		return B_NOT_ALLOWED;
	for (const std::string& name : inherited) {
		if (std::find(names.begin(), names.end(), name) == names.end()
			&& fremovexattr(fFd, name.c_str()) != 0) {
			return ErrnoStatus();
		}
	}
	for (const std::string& name : names) {
		ssize_t size = lgetxattr(oldPath.c_str(), name.c_str(), nullptr, 0);
		if (size < 0)
			return ErrnoStatus();
		std::vector<char> value(size_t(size) + 1);
		size = lgetxattr(oldPath.c_str(), name.c_str(), value.data(), value.size() - 1);
		if (size < 0 || fsetxattr(fFd, name.c_str(), value.data(), size_t(size), 0) != 0)
			return ErrnoStatus();
	}
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
			off_t length = lseek(fFd, 0, SEEK_CUR);
			status = length < 0 ? ErrnoStatus() : CommitInPlace(length);
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
FileReplacer::CommitInPlace(off_t length)
{
	if (ftruncate(fFd, length) != 0 || fsync(fFd) != 0)
		return ErrnoStatus();
	return B_OK;
}

status_t
FileReplacer::CommitReplacing()
{
	off_t length = lseek(fFd, 0, SEEK_CUR);
	if (length < 0 || ftruncate(fFd, length) != 0)
		return ErrnoStatus();
	// Writing cleared any set-user-ID bit; the mode goes on last.
	if (fWay == Way::kRename && fchmod(fFd, fOld.st_mode & 07777) != 0)
		return ErrnoStatus();
	// The text must be on the disk before its name replaces the old one,
	// or a crash could leave neither.
	if (fsync(fFd) != 0)
		return ErrnoStatus();
	status_t status = LinkTemporary(fLeaf.c_str(), fWay == Way::kRename);
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
	fsync(fDirectoryFd);
	return B_OK;
}

// Gives the temporary file the name `leaf`: replacing what is there, or only
// when nothing is. B_NOT_ALLOWED when the directory refuses a replacement
// that the file system could otherwise make.
status_t
FileReplacer::LinkTemporary(const char* leaf, bool replace)
{
	if (fTemporaryUnnamed) {
		std::string self = "/proc/self/fd/" + std::to_string(fFd);
		if (!replace) {
			if (linkat(AT_FDCWD, self.c_str(), fDirectoryFd, leaf, AT_SYMLINK_FOLLOW) != 0)
				return ErrnoStatus();
			return B_OK;
		}
		for (int attempt = 0;; attempt++) {
			std::string name = TemporaryLeaf(fLeaf);
			if (linkat(AT_FDCWD, self.c_str(), fDirectoryFd, name.c_str(), AT_SYMLINK_FOLLOW)
				== 0) {
				fTemporaryLeaf = name;
				break;
			}
			if (errno != EEXIST || attempt >= kNameAttempts)
				return ErrnoStatus();
		}
		fTemporaryUnnamed = false;
	}

	int result;
	if (replace) {
		result = renameat(fDirectoryFd, fTemporaryLeaf.c_str(), fDirectoryFd, leaf);
	} else {
		result = renameat2(fDirectoryFd, fTemporaryLeaf.c_str(), fDirectoryFd, leaf,
			RENAME_NOREPLACE);
		if (result != 0 && errno == EINVAL) {
			result = linkat(fDirectoryFd, fTemporaryLeaf.c_str(), fDirectoryFd, leaf, 0);
			if (result == 0)
				unlinkat(fDirectoryFd, fTemporaryLeaf.c_str(), 0);
		}
	}
	if (result == 0) {
		fTemporaryLeaf.clear();
		return B_OK;
	}
	int error = errno;
	DropTemporaryName();
	if (replace && (error == EPERM || error == EBUSY || error == EXDEV || error == EACCES))
		return B_NOT_ALLOWED;
	return errno_to_status(error);
}

// The text, complete in the temporary file, copied over the old content.
status_t
FileReplacer::MoveTextInPlace()
{
	off_t length = lseek(fFd, 0, SEEK_CUR);
	if (length < 0)
		return ErrnoStatus();
	int text = fFd;
	fFd = -1;
	status_t status = BeginInPlace();
	if (status == B_OK)
		status = CopyContent(text, fFd, length);
	if (status == B_OK)
		status = CommitInPlace(length);
	if (status == B_OK) {
		// The document is now the old file, for whatever the caller does
		// with the text file after.
		int dup = fcntl(fFd, F_DUPFD_CLOEXEC, 3);
		if (dup >= 0)
			fText = std::make_unique<PlainBufferedFile>(dup, B_READ_WRITE, fBufferSize);
	}
	close(text);
	return status;
}

status_t
FileReplacer::Abort()
{
	status_t status = B_OK;
	if (!fDone) {
		if (fWay == Way::kInPlace)
			status = RestoreOld();
		else if (fWay == Way::kNewFile || fWay == Way::kRename)
			DropTemporaryName();
	}
	fDone = true;
	CloseAll();
	return status;
}

status_t
FileReplacer::RestoreOld()
{
	status_t status = WriteAll(fFd, fOldContent.data(), fOldContent.size(), 0);
	if (ftruncate(fFd, off_t(fOldContent.size())) != 0 && status == B_OK)
		status = ErrnoStatus();
	if (fsync(fFd) != 0 && status == B_OK)
		status = ErrnoStatus();
	return status;
}

status_t
FileReplacer::OpenText(int fd, uint32 openMode)
{
	int dup = fcntl(fd, F_DUPFD_CLOEXEC, 3);
	if (dup < 0)
		return ErrnoStatus();
	fText = std::make_unique<PlainBufferedFile>(dup, openMode, fBufferSize);
	return fText->InitCheck();
}

void
FileReplacer::DropTemporary()
{
	DropTemporaryName();
	if (fFd >= 0)
		close(fFd);
	fFd = -1;
	fTemporaryUnnamed = false;
}

void
FileReplacer::DropTemporaryName()
{
	if (!fTemporaryLeaf.empty() && fDirectoryFd >= 0)
		unlinkat(fDirectoryFd, fTemporaryLeaf.c_str(), 0);
	fTemporaryLeaf.clear();
}

void
FileReplacer::CloseAll()
{
	if (fFd >= 0)
		close(fFd);
	fFd = -1;
	if (fDirectoryFd >= 0)
		close(fDirectoryFd);
	fDirectoryFd = -1;
}
