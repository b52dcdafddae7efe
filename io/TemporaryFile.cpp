#include "TemporaryFile.h"

#include "FileOperations.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

using namespace FileOperations;

TemporaryFile::TemporaryFile(int directory, const std::string& leaf)
	:
	fDirectory(directory),
	fLeaf(leaf)
{
}

TemporaryFile::~TemporaryFile()
{
	DropName();
}

Result<void>
TemporaryFile::Open(mode_t mode)
{
	// Unnamed where the file system allows it, so that nothing is left
	// behind whatever happens before it is linked; /proc links it.
	static const bool canLinkUnnamed = access("/proc/self/fd", X_OK) == 0;
	if (canLinkUnnamed) {
		fFd.Reset(openat(fDirectory, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, mode));
		if (fFd.IsValid()) {
			fUnnamed = true;
			return {};
		}
		// Otherwise a named file is tried: where the unnamed one is refused
		// for a reason of its own (no support, or EPERM in a directory that
		// has been removed), the named one gives the reason to report.
	}
	for (int attempt = 0; attempt < kNameAttempts; attempt++) {
		std::string leaf = TemporaryLeaf(fLeaf);
		fFd.Reset(openat(fDirectory, leaf.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, mode));
		if (fFd.IsValid()) {
			fUnnamed = false;
			fHiddenLeaf = leaf;
			return {};
		}
		if (errno != EEXIST)
			return SystemFailure();
	}
	return Failure(B_FILE_EXISTS);
}

Result<void>
TemporaryFile::CopyIdentity(const struct stat& old, const std::string& oldPath)
{
	struct stat made;
	if (fstat(Fd(), &made) != 0)
		return SystemFailure();
	if ((made.st_uid != old.st_uid || made.st_gid != old.st_gid)
		&& fchown(Fd(), old.st_uid, old.st_gid) != 0) {
		return SystemFailure();
	}
	// Attributes that cannot all be read cannot all be copied: the file
	// is not given an identity in part.
	Result<std::vector<std::string>> names = ListAttributes(oldPath.c_str());
	if (!names)
		return Failure(B_NOT_ALLOWED);
	// What the new file got from its directory (a default ACL) and the old
	// one does not have goes.
	Result<std::vector<std::string>> inherited = ListAttributes(Fd());
	if (!inherited)
		return Failure(B_NOT_ALLOWED);
	const std::vector<std::string>& kept = names.Value();
	for (const std::string& name : inherited.Value()) {
		if (std::find(kept.begin(), kept.end(), name) == kept.end()
			&& fremovexattr(Fd(), name.c_str()) != 0) {
			return SystemFailure();
		}
	}
	for (const std::string& name : kept) {
		ssize_t size = lgetxattr(oldPath.c_str(), name.c_str(), nullptr, 0);
		if (size < 0)
			return SystemFailure();
		std::vector<char> value(size_t(size) + 1);
		size = lgetxattr(oldPath.c_str(), name.c_str(), value.data(), value.size() - 1);
		if (size < 0 || fsetxattr(Fd(), name.c_str(), value.data(), size_t(size), 0) != 0)
			return SystemFailure();
	}
	return {};
}

Result<void>
TemporaryFile::Link(bool replace)
{
	const char* leaf = fLeaf.c_str();
	if (fUnnamed) {
		std::string self = "/proc/self/fd/" + std::to_string(Fd());
		if (!replace) {
			if (linkat(AT_FDCWD, self.c_str(), fDirectory, leaf, AT_SYMLINK_FOLLOW) != 0)
				return SystemFailure();
			return {};
		}
		for (int attempt = 0;; attempt++) {
			std::string name = TemporaryLeaf(fLeaf);
			if (linkat(AT_FDCWD, self.c_str(), fDirectory, name.c_str(), AT_SYMLINK_FOLLOW)
				== 0) {
				fHiddenLeaf = name;
				break;
			}
			if (errno != EEXIST || attempt >= kNameAttempts)
				return SystemFailure();
		}
		fUnnamed = false;
	}

	int result;
	if (replace) {
		result = renameat(fDirectory, fHiddenLeaf.c_str(), fDirectory, leaf);
	} else {
		result = renameat2(fDirectory, fHiddenLeaf.c_str(), fDirectory, leaf, RENAME_NOREPLACE);
		if (result != 0 && errno == EINVAL) {
			result = linkat(fDirectory, fHiddenLeaf.c_str(), fDirectory, leaf, 0);
			if (result == 0)
				unlinkat(fDirectory, fHiddenLeaf.c_str(), 0);
		}
	}
	if (result == 0) {
		fHiddenLeaf.clear();
		return {};
	}
	int error = errno;
	DropName();
	if (replace && (error == EPERM || error == EBUSY || error == EXDEV || error == EACCES))
		return Failure(B_NOT_ALLOWED);
	return SystemFailure(error);
}

void
TemporaryFile::DropName()
{
	if (!fHiddenLeaf.empty() && fDirectory >= 0)
		unlinkat(fDirectory, fHiddenLeaf.c_str(), 0);
	fHiddenLeaf.clear();
}
