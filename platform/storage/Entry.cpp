// SPDX-License-Identifier: MIT
#include "Entry.h"

#include "Path.h"
#include "StorageChecks.h"
#include "StoragePaths.h"

#include <System.h>

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

// How many symbolic links a traversal follows before giving up, as the
// kernel's own limit for one lookup.
constexpr int kMaxLinks = 40;

char*
CopyOrNull(const char* text)
{
	return text != nullptr ? strdup(text) : nullptr;
}

// Puts a copy of `text` (or null) in `field` in place of what it held; the
// field is kept when there is no memory for the copy.
status_t
ReplaceText(char*& field, const char* text)
{
	char* copy = CopyOrNull(text);
	if (text != nullptr && copy == nullptr)
		return B_NO_MEMORY;
	free(field);
	field = copy;
	return B_OK;
}

// Whether `path` itself (not what a link there names) is of `type`
// (S_IFREG, S_IFDIR, S_IFLNK).
bool
HasType(const std::string& path, mode_t type)
{
	BPrivate::Result<struct stat> info = BPrivate::System::LinkStat(path.c_str());
	return info && (info.Value().st_mode & S_IFMT) == type;
}

bool
IsLink(const std::string& path)
{
	return HasType(path, S_IFLNK);
}

bool
SameText(const char* a, const char* b)
{
	if (a == nullptr || b == nullptr)
		return a == b;
	return strcmp(a, b) == 0;
}

} // namespace

// #pragma mark - entry_ref

entry_ref::entry_ref() : directory(nullptr), name(nullptr)
{ }

entry_ref::entry_ref(const char* directory, const char* name)
	: directory(CopyOrNull(directory)), name(CopyOrNull(name))
{ }

entry_ref::entry_ref(const entry_ref& ref)
	: directory(CopyOrNull(ref.directory)), name(CopyOrNull(ref.name))
{ }

entry_ref::entry_ref(entry_ref&& ref) noexcept : directory(ref.directory), name(ref.name)
{
	ref.directory = nullptr;
	ref.name = nullptr;
}

entry_ref::~entry_ref()
{
	free(directory);
	free(name);
}

entry_ref&
entry_ref::operator=(const entry_ref& ref)
{
	if (this == &ref)
		return *this;
	set_directory(ref.directory);
	set_name(ref.name);
	return *this;
}

entry_ref&
entry_ref::operator=(entry_ref&& ref) noexcept
{
	if (this == &ref)
		return *this;
	free(directory);
	free(name);
	directory = ref.directory;
	name = ref.name;
	ref.directory = nullptr;
	ref.name = nullptr;
	return *this;
}

status_t
entry_ref::set_name(const char* newName)
{
	return ReplaceText(name, newName);
}

status_t
entry_ref::set_directory(const char* newDirectory)
{
	return ReplaceText(directory, newDirectory);
}

bool
entry_ref::operator==(const entry_ref& ref) const
{
	return SameText(directory, ref.directory) && SameText(name, ref.name);
}

// #pragma mark - BEntry

BEntry::BEntry() : fStatus(B_NO_INIT)
{ }

BEntry::BEntry(const char* path, bool traverse) : fStatus(B_NO_INIT)
{
	SetTo(path, traverse);
}

BEntry::BEntry(const entry_ref* ref, bool traverse) : fStatus(B_NO_INIT)
{
	SetTo(ref, traverse);
}

status_t
BEntry::SetTo(const char* path, bool traverse)
{
	Unset();
	std::string current;
	status_t status = BPrivate::AbsolutePath(path, &current);
	if (status != B_OK)
		return fStatus = status;

	for (int links = 0;; links++) {
		if (current == "/") {
			fDirectory.clear();
			fName = "/";
			return fStatus = B_OK;
		}

		size_t leafOffset = BPrivate::LeafOffset(current);
		std::string leaf = current.substr(leafOffset);
		if (leaf == "." || leaf == "..") {
			// Only the file system knows what these name.
			BPrivate::Result<std::string> resolved = BPrivate::System::RealPath(current.c_str());
			if (!resolved)
				return fStatus = resolved.Status();
			current = std::move(resolved).Value();
			continue;
		}
		if (leaf.size() >= static_cast<size_t>(B_FILE_NAME_LENGTH))
			return fStatus = B_NAME_TOO_LONG;

		std::string directory = current.substr(0, leafOffset > 1 ? leafOffset - 1 : 1);
		BPrivate::Result<std::string> real = BPrivate::System::RealPath(directory.c_str());
		if (!real)
			return fStatus = real.Status();
		const std::string& resolved = real.Value();
		BPrivate::Result<struct stat> info = BPrivate::System::Stat(resolved.c_str());
		if (!info)
			return fStatus = info.Status();
		if (!S_ISDIR(info.Value().st_mode))
			return fStatus = B_NOT_A_DIRECTORY;

		std::string full = BPrivate::JoinPath(resolved, leaf);
		if (traverse && IsLink(full)) {
			if (links >= kMaxLinks)
				return fStatus = B_LINK_LIMIT;
			BPrivate::Result<std::string> target = BPrivate::System::ReadLink(full.c_str());
			if (!target)
				return fStatus = target.Status();
			// A relative target counts from the link's own directory.
			std::string next = target.Value()[0] == '/'
				? target.Value()
				: BPrivate::JoinPath(resolved, target.Value());
			status = BPrivate::AbsolutePath(next.c_str(), &current);
			if (status != B_OK)
				return fStatus = status;
			continue;
		}

		fDirectory = resolved;
		fName = leaf;
		return fStatus = B_OK;
	}
}

status_t
BEntry::SetTo(const entry_ref* ref, bool traverse)
{
	Unset();
	if (ref == nullptr || ref->directory == nullptr || ref->name == nullptr
		|| ref->name[0] == '\0') {
		return fStatus = B_BAD_VALUE;
	}
	if (ref->directory[0] == '\0')
		return SetTo(ref->name, traverse);
	if (ref->directory[0] != '/' || strchr(ref->name, '/') != nullptr)
		return fStatus = B_BAD_VALUE;
	return SetTo(BPrivate::JoinPath(ref->directory, ref->name).c_str(), traverse);
}

void
BEntry::Unset()
{
	fDirectory.clear();
	fName.clear();
	fStatus = B_NO_INIT;
}

std::string
BEntry::FullPath() const
{
	return BPrivate::JoinPath(fDirectory, fName);
}

bool
BEntry::Exists() const
{
	return fStatus == B_OK && BPrivate::System::LinkStat(FullPath().c_str()).Ok();
}

bool
BEntry::IsFile() const
{
	return fStatus == B_OK && HasType(FullPath(), S_IFREG);
}

bool
BEntry::IsDirectory() const
{
	return fStatus == B_OK && HasType(FullPath(), S_IFDIR);
}

bool
BEntry::IsSymLink() const
{
	return fStatus == B_OK && HasType(FullPath(), S_IFLNK);
}

status_t
BEntry::GetRef(entry_ref* ref) const
{
	if (status_t status = BPrivate::OutputStatus(ref, fStatus); status != B_OK)
		return status;
	if (ref->set_directory(fDirectory.c_str()) != B_OK || ref->set_name(fName.c_str()) != B_OK)
		return B_NO_MEMORY;
	return B_OK;
}

status_t
BEntry::GetPath(BPath* path) const
{
	if (status_t status = BPrivate::OutputStatus(path, fStatus); status != B_OK)
		return status;
	return path->SetTo(FullPath().c_str());
}

status_t
BEntry::GetParent(BEntry* entry) const
{
	if (status_t status = BPrivate::OutputStatus(entry, fStatus); status != B_OK)
		return status;
	if (fDirectory.empty())
		return B_ENTRY_NOT_FOUND;
	// A copy: `entry` may be this very object.
	std::string directory = fDirectory;
	return entry->SetTo(directory.c_str(), false);
}

status_t
BEntry::GetName(char* buffer) const
{
	if (status_t status = BPrivate::OutputStatus(buffer, fStatus); status != B_OK)
		return status;
	// Leaves are shorter than B_FILE_NAME_LENGTH (checked in SetTo).
	memcpy(buffer, fName.c_str(), fName.size() + 1);
	return B_OK;
}

status_t
BEntry::GetStat(struct stat* info) const
{
	if (status_t status = BPrivate::OutputStatus(info, fStatus); status != B_OK)
		return status;
	BPrivate::Result<struct stat> got = BPrivate::System::LinkStat(FullPath().c_str());
	if (!got)
		return got.Status();
	*info = got.Value();
	return B_OK;
}

status_t
BEntry::Rename(const char* path, bool clobber)
{
	if (fStatus != B_OK)
		return fStatus;
	if (path == nullptr || path[0] == '\0' || fDirectory.empty())
		return B_BAD_VALUE;

	std::string target = path[0] == '/' ? std::string(path) : BPrivate::JoinPath(fDirectory, path);
	std::string source = FullPath();
	BPrivate::Result<void> renamed = clobber
		? BPrivate::System::Rename(source.c_str(), target.c_str())
		: BPrivate::System::RenameAt(
			AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE);
	if (!renamed)
		return renamed.Status();
	// The entry moved; a failure to describe the new place leaves the object
	// uninitialised rather than naming the old one.
	return SetTo(target.c_str(), false);
}

status_t
BEntry::Remove()
{
	if (fStatus != B_OK)
		return fStatus;
	std::string path = FullPath();
	BPrivate::Result<void> removed = BPrivate::System::Unlink(path.c_str());
	if (!removed && removed.Status() == B_IS_A_DIRECTORY)
		removed = BPrivate::System::RemoveDirectory(path.c_str());
	return removed.Status();
}

bool
BEntry::operator==(const BEntry& entry) const
{
	if (fStatus != B_OK || entry.fStatus != B_OK)
		return fStatus == entry.fStatus;
	return fDirectory == entry.fDirectory && fName == entry.fName;
}
