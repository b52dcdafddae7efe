// SPDX-License-Identifier: MIT
#pragma once

// Entries: names in the file system. Where the platform identifies an entry
// by device, directory inode and name, an inode cannot be turned back into a
// path here, so an entry_ref holds the absolute path of the directory that
// contains the entry (symbolic links in it resolved) and the entry's leaf
// name. The entry itself need not exist: a ref can name a file yet to be
// created in an existing directory.
//
// Neither class takes locks; an object is used by one thread at a time.

#include <StorageDefs.h>
#include <SupportDefs.h>

#include <string>
#include <sys/stat.h>

class BPath;

struct entry_ref {
	entry_ref();
	// Copies both strings; either may be null.
	entry_ref(const char* directory, const char* name);
	entry_ref(const entry_ref& ref);
	entry_ref(entry_ref&& ref) noexcept;
	~entry_ref();

	entry_ref& operator=(const entry_ref& ref);
	entry_ref& operator=(entry_ref&& ref) noexcept;

	// Replace the leaf name or the directory with a copy of the argument
	// (null clears it). B_NO_MEMORY when the copy cannot be made.
	status_t set_name(const char* name);
	status_t set_directory(const char* directory);

	bool operator==(const entry_ref& ref) const;
	bool operator!=(const entry_ref& ref) const { return !(*this == ref); }

	// The absolute path of the containing directory, owned by the ref; empty
	// for the root directory, whose name is "/".
	char* directory;
	// The leaf name, owned by the ref.
	char* name;
};

class BEntry {
public:
	BEntry();
	// `traverse`: when the entry is a symbolic link, the entry becomes the
	// link's target (followed through chains of links).
	explicit BEntry(const char* path, bool traverse = false);
	explicit BEntry(const entry_ref* ref, bool traverse = false);
	BEntry(const BEntry& entry) = default;
	BEntry& operator=(const BEntry& entry) = default;
	~BEntry() = default;

	// B_OK once the entry names something in an existing directory.
	status_t SetTo(const char* path, bool traverse = false);
	status_t SetTo(const entry_ref* ref, bool traverse = false);
	void Unset();
	status_t InitCheck() const { return fStatus; }

	// Whether something (of any kind, a dangling link too) is at the entry.
	bool Exists() const;
	// What is at the entry itself; a link is not followed here.
	bool IsFile() const;
	bool IsDirectory() const;
	bool IsSymLink() const;

	status_t GetRef(entry_ref* ref) const;
	status_t GetPath(BPath* path) const;
	// The directory holding the entry; B_ENTRY_NOT_FOUND for the root.
	status_t GetParent(BEntry* entry) const;
	// Copies the leaf into `buffer`, which holds B_FILE_NAME_LENGTH bytes.
	status_t GetName(char* buffer) const;
	// What is at the entry itself (a link is not followed).
	status_t GetStat(struct stat* info) const;

	// Moves the entry to `path` (relative paths count from the entry's
	// directory). With `clobber` false an existing entry there is kept and
	// B_FILE_EXISTS returned; with it true the existing entry is replaced in
	// one step. On success the object names the new place.
	status_t Rename(const char* path, bool clobber = false);
	// Removes the entry (a file, link or empty directory).
	status_t Remove();

	bool operator==(const BEntry& entry) const;
	bool operator!=(const BEntry& entry) const { return !(*this == entry); }

private:
	std::string FullPath() const;

	std::string fDirectory;
	std::string fName;
	status_t fStatus;
};
