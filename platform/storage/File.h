// SPDX-License-Identifier: MIT
#pragma once

// A regular file opened for reading and/or writing. The open mode combines
// one access mode (B_READ_ONLY, B_WRITE_ONLY, B_READ_WRITE) with
// B_CREATE_FILE (create when missing, as 0666 less the umask),
// B_FAIL_IF_EXISTS (with B_CREATE_FILE: fail when the entry exists),
// B_ERASE_FILE (cut to zero length; only when opened for writing, so a
// read-only open never changes a file) and B_OPEN_AT_END (every write goes
// to the end). A directory is never opened as a file. Opening a FIFO does
// not wait for the other end.
//
// A read answers what the system gives at once (all of it for a regular file
// short of its end). A write goes on until the system took every byte or
// refuses: a write it takes only in part answers the count it took, and only
// a write that took nothing answers an error status. Interrupted calls are
// retried.
//
// No locks are taken; an object is used by one thread at a time.

#include <DataIO.h>
#include <Node.h>
#include <StorageDefs.h>

class BEntry;
class BPath;
struct entry_ref;

class BFile : public BNode, public BPositionIO {
public:
	BFile();
	BFile(const char* path, uint32 openMode);
	BFile(const entry_ref* ref, uint32 openMode);
	BFile(const BEntry* entry, uint32 openMode);
	~BFile() override;

	status_t SetTo(const char* path, uint32 openMode);
	status_t SetTo(const entry_ref* ref, uint32 openMode);
	status_t SetTo(const BEntry* entry, uint32 openMode);
	// Takes over `fd`, an open descriptor whose access mode is the one of
	// `openMode` (the other bits are not applied); it is closed with the
	// file. A directory is refused, and `fd` closed.
	status_t SetTo(int fd, uint32 openMode);
	void Unset() override;

	// Inline: the buffered file asks on every write.
	bool IsReadable() const
	{
		uint32 access = fMode & B_ACCESS_MODE_MASK;
		return InitCheck() == B_OK && (access == B_READ_ONLY || access == B_READ_WRITE);
	}
	bool IsWritable() const
	{
		uint32 access = fMode & B_ACCESS_MODE_MASK;
		return InitCheck() == B_OK && (access == B_WRITE_ONLY || access == B_READ_WRITE);
	}

	ssize_t Read(void* buffer, size_t size) override;
	ssize_t Write(const void* buffer, size_t size) override;
	ssize_t ReadAt(off_t position, void* buffer, size_t size) override;
	ssize_t WriteAt(off_t position, const void* buffer, size_t size) override;
	off_t Seek(off_t position, uint32 seekMode) override;
	off_t Position() const override;
	status_t SetSize(off_t size) override;
	status_t GetSize(off_t* size) const override;

private:
	enum class Blocking {
		kKeep,
		kRestore
	};
	status_t AdoptFile(BPrivate::UniqueFd fd, uint32 openMode, Blocking blocking);
	status_t SetToPath(const BPath& path, uint32 openMode);

	uint32 fMode;
};
