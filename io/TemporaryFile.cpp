// SPDX-License-Identifier: MIT
#include "TemporaryFile.h"

#include "FileOperations.h"

#include <System.h>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <vector>

using namespace FileOperations;

namespace System = BPrivate::System;

TemporaryFile::TemporaryFile(int directory, const std::string& leaf)
	: fDirectory(directory), fLeaf(leaf)
{ }

TemporaryFile::~TemporaryFile()
{
	DropName();
}

Result<BPrivate::UniqueFd>
TemporaryFile::Open(mode_t mode)
{
	// Unnamed where the file system allows it, so that nothing is left
	// behind whatever happens before it is linked; /proc links it.
	static const bool canLinkUnnamed = System::Access("/proc/self/fd", X_OK).Ok();
	if (canLinkUnnamed) {
		Result<BPrivate::UniqueFd> unnamed = System::OpenAt(
			fDirectory, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, mode);
		if (unnamed) {
			fFd = unnamed.Value().Get();
			fUnnamed = true;
			return unnamed;
		}
		// Otherwise a named file is tried: where the unnamed one is refused
		// for a reason of its own (no support, or EPERM in a directory that
		// has been removed), the named one gives the reason to report.
	}
	Result<BPrivate::UniqueFd> named = CreateBeside(fDirectory, fLeaf, O_RDWR, mode, &fHiddenLeaf);
	if (!named)
		return named.TakeError();
	fFd = named.Value().Get();
	fUnnamed = false;
	return named;
}

Result<void>
TemporaryFile::CopyIdentity(const struct stat& old, const std::string& oldPath)
{
	Result<struct stat> made = System::Stat(Fd());
	if (!made)
		return made.TakeError();
	if (made.Value().st_uid != old.st_uid || made.Value().st_gid != old.st_gid) {
		Result<void> owned = System::SetOwner(Fd(), old.st_uid, old.st_gid);
		if (!owned)
			return owned;
	}
	// Attributes that cannot all be read cannot all be copied: the file
	// is not given an identity in part.
	Result<std::vector<std::string>> names = System::LinkAttributeNames(oldPath.c_str());
	if (!names)
		return Failure(B_NOT_ALLOWED);
	// What the new file got from its directory (a default ACL) and the old
	// one does not have goes.
	Result<std::vector<std::string>> inherited = System::AttributeNames(Fd());
	if (!inherited)
		return Failure(B_NOT_ALLOWED);
	const std::vector<std::string>& kept = names.Value();
	for (const std::string& name : inherited.Value()) {
		if (std::find(kept.begin(), kept.end(), name) != kept.end())
			continue;
		Result<void> removed = System::RemoveAttribute(Fd(), name.c_str());
		if (!removed)
			return removed;
	}
	for (const std::string& name : kept) {
		Result<size_t> size = System::GetLinkAttribute(oldPath.c_str(), name.c_str(), nullptr, 0);
		if (!size)
			return size.TakeError();
		std::vector<char> value(size.Value() + 1);
		size = System::GetLinkAttribute(
			oldPath.c_str(), name.c_str(), value.data(), value.size() - 1);
		if (!size)
			return size.TakeError();
		Result<void> copied = System::SetAttribute(Fd(), name.c_str(), value.data(), size.Value());
		if (!copied)
			return copied;
	}
	return {};
}

Result<void>
TemporaryFile::Link(bool replace)
{
	const char* leaf = fLeaf.c_str();
	if (fUnnamed) {
		std::string self = "/proc/self/fd/" + std::to_string(Fd());
		if (!replace)
			return System::LinkAt(AT_FDCWD, self.c_str(), fDirectory, leaf, AT_SYMLINK_FOLLOW);
		for (int attempt = 0;; attempt++) {
			std::string name = TemporaryLeaf(fLeaf);
			Result<void> linked = System::LinkAt(
				AT_FDCWD, self.c_str(), fDirectory, name.c_str(), AT_SYMLINK_FOLLOW);
			if (linked) {
				fHiddenLeaf = name;
				break;
			}
			if (linked.Error().error != EEXIST || attempt >= kNameAttempts)
				return linked;
		}
		fUnnamed = false;
	}

	Result<void> named;
	if (replace) {
		named = System::RenameAt(fDirectory, fHiddenLeaf.c_str(), fDirectory, leaf);
	} else {
		named = System::RenameAt(
			fDirectory, fHiddenLeaf.c_str(), fDirectory, leaf, RENAME_NOREPLACE);
		// A file system without the flag: a link fails as well where the
		// name is taken.
		if (!named && named.Error().error == EINVAL) {
			named = System::LinkAt(fDirectory, fHiddenLeaf.c_str(), fDirectory, leaf);
			if (named)
				(void)System::UnlinkAt(fDirectory, fHiddenLeaf.c_str());
		}
	}
	if (named) {
		fHiddenLeaf.clear();
		return {};
	}
	DropName();
	const int error = named.Error().error;
	if (replace && (error == EACCES || error == EPERM || error == EBUSY || error == EXDEV)) {
		return Failure(B_NOT_ALLOWED);
	}
	return named;
}

void
TemporaryFile::DropName()
{
	if (!fHiddenLeaf.empty() && fDirectory >= 0)
		(void)System::UnlinkAt(fDirectory, fHiddenLeaf.c_str());
	fHiddenLeaf.clear();
}
