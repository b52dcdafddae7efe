// SPDX-License-Identifier: MIT
#pragma once

// A node: the thing an entry names, held open by a file descriptor so that it
// stays the same object however its entries are renamed. Attributes are the
// node's extended attributes in the "user." namespace: attribute "name" is
// the extended attribute "user.name". Extended attributes carry no type, so
// the type codes of the calls are accepted and not stored.
//
// No locks are taken; an object is used by one thread at a time.

#include <StorageDefs.h>
#include <SupportDefs.h>
#include <UniqueFd.h>

#include <sys/stat.h>

class BEntry;
class BPath;
struct entry_ref;

class BNode {
public:
	BNode();
	explicit BNode(const char* path);
	explicit BNode(const entry_ref* ref);
	explicit BNode(const BEntry* entry);
	virtual ~BNode();

	BNode(const BNode&) = delete;
	BNode& operator=(const BNode&) = delete;

	status_t InitCheck() const { return fStatus; }

	// Opens the node for reading its data and attributes; a symbolic link is
	// followed.
	status_t SetTo(const char* path);
	status_t SetTo(const entry_ref* ref);
	status_t SetTo(const BEntry* entry);
	virtual void Unset();

	// Attribute access. `offset` must be 0: an attribute is written whole.
	// Results are byte counts or negative statuses; a missing attribute reads
	// as B_ENTRY_NOT_FOUND, a file system without attributes answers
	// B_UNSUPPORTED.
	ssize_t WriteAttr(
		const char* name, type_code type, off_t offset, const void* buffer, size_t size);
	ssize_t ReadAttr(
		const char* name, type_code type, off_t offset, void* buffer, size_t size) const;
	status_t RemoveAttr(const char* name);

	// Pushes the node's data to the storage device.
	status_t Sync();

	status_t GetStat(struct stat* info) const;
	status_t GetPermissions(mode_t* permissions) const;
	status_t SetPermissions(mode_t permissions);

protected:
	// Takes over `fd` (or records `status` when it holds none), closing
	// what was open before.
	void Adopt(BPrivate::UniqueFd fd, status_t status);
	int FileDescriptor() const { return fFd.Get(); }

private:
	status_t SetToPath(const BPath& path);

	BPrivate::UniqueFd fFd;
	status_t fStatus = B_NO_INIT;
};
