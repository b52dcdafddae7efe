// SPDX-License-Identifier: MIT
#pragma once

// An absolute path held as text. Relative paths are made absolute against
// the working directory; runs of '/' and a trailing '/' are dropped. Without
// normalisation nothing else changes: "." and ".." and symbolic links stay as
// written and the path need not exist. With normalisation the path names
// what the file system resolves it to, so its directory must exist.

#include <StorageDefs.h>
#include <SupportDefs.h>

#include <string>

class BEntry;
struct entry_ref;

class BPath {
public:
	BPath();
	// `leaf`, when given, is appended: it must be relative.
	explicit BPath(const char* path, const char* leaf = nullptr, bool normalize = false);
	explicit BPath(const entry_ref* ref);
	explicit BPath(const BEntry* entry);
	BPath(const BPath& path) = default;
	BPath& operator=(const BPath& path) = default;
	~BPath() = default;

	status_t SetTo(const char* path, const char* leaf = nullptr, bool normalize = false);
	status_t SetTo(const entry_ref* ref);
	status_t SetTo(const BEntry* entry);
	void Unset();
	status_t InitCheck() const { return fStatus; }

	// Adds one leaf below the path. A null or empty leaf, one holding '/',
	// "." or "..", or an uninitialised path give B_BAD_VALUE and change
	// nothing.
	status_t Append(const char* leaf, bool normalize = false);

	// The whole path; null when not initialised.
	const char* Path() const;
	// The last component (a pointer into Path()); empty for "/", null when
	// not initialised.
	const char* Leaf() const;
	status_t GetParent(BPath* parent) const;

	bool operator==(const BPath& path) const;
	bool operator!=(const BPath& path) const { return !(*this == path); }
	bool operator==(const char* path) const;
	bool operator!=(const char* path) const { return !(*this == path); }

private:
	std::string fPath;
	status_t fStatus;
};
