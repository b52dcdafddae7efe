// SPDX-License-Identifier: MIT
#pragma once

// Replaces the content of the file a name stands for, so that whatever
// fails, the file is either the new text or the old bytes, and stays the
// file it was: its inode where other names or its identity depend on it,
// its owner, group, mode and extended attributes.
//
// How the text is written, decided in this order:
//   - /dev/stdout, /dev/stderr, /dev/fd/N and /proc/self/fd/N name a
//     descriptor the process holds, also when a symbolic link leads there:
//     the text goes into that descriptor at its offset, nothing is
//     reopened, cut or renamed (kHeldDescriptor).
//   - another name that is not a regular file (a device, a FIFO, a socket,
//     another process's descriptor): written through the name (kThroughName).
//   - no file yet: a new file that gets its name only once it is complete
//     (kNewFile).
//   - an existing file the user may not write, as open(O_WRONLY) decides:
//     refused with B_PERMISSION_DENIED, nothing touched.
//   - a file with one link whose owner, group and every extended attribute
//     (ACLs included) a new file can take: a new file, unreadable by others
//     while written, renamed over the old one; the directory is synced
//     after (kRename).
//   - otherwise, or when the directory refuses the rename: written in place,
//     with the whole old content read first and put back on any failure
//     (kInPlace). A file whose content cannot be read is refused.
//
// Use: Begin, write the text into TextFile (flushing it), Commit. Abort, or
// the destructor without a Commit, leaves the old file as it was and no
// temporary file behind.
//
// One thread uses an object. Nothing here handles signals; a caller that
// must survive them blocks them and calls Abort.

#include "PlainBufferedFile.h"

#include <Result.h>
#include <SupportDefs.h>
#include <UniqueFd.h>

#include <memory>
#include <string>
#include <sys/stat.h>

class InPlaceFile;
class TemporaryFile;

class FileReplacer {
public:
	enum class Way {
		kNone,
		kHeldDescriptor,
		kThroughName,
		kNewFile,
		kRename,
		kInPlace
	};

	// `path` is absolute or relative to the working directory; a symbolic
	// link has its target replaced.
	FileReplacer(const char* path, uint32 bufferSize);
	~FileReplacer();

	FileReplacer(const FileReplacer&) = delete;
	FileReplacer& operator=(const FileReplacer&) = delete;

	// Decides how the file is replaced and opens what the text goes into.
	// Success, or why nothing can be written (nothing was touched then).
	BPrivate::Result<void> Begin();
	// Begins on `held`, a descriptor the process holds (its standard output,
	// say), as Begin does for a name such as /dev/fd/N that leads to it: the
	// text goes into it at its offset (kHeldDescriptor). The object's path
	// is the name failures tell.
	BPrivate::Result<void> BeginHeld(int held);
	// The file the text is written into, positioned where it starts; valid
	// after a successful Begin until the object goes.
	PlainBufferedFile& TextFile() { return *fText; }
	// Makes the text written into TextFile (already flushed) the file's
	// content: success, or why not, the old file then being as it was.
	BPrivate::Result<void> Commit();
	// Gives up: the old file stays as it was, no temporary file remains.
	// Answers success, or why the old bytes could not all be put back.
	BPrivate::Result<void> Abort();

	Way HowWritten() const { return fWay; }
	// True when the text file is the document itself (new, renamed or
	// written in place), not a descriptor or a device lent to it.
	bool WritesDocument() const;
	// True when the text file starts empty and its size may be set ahead.
	bool WritesNewFile() const { return fWay == Way::kNewFile || fWay == Way::kRename; }

private:
	BPrivate::Result<void> BeginThroughName();
	// Writes the text straight into `fd`, a descriptor of the file itself,
	// the way recorded as `way`.
	BPrivate::Result<void> BeginLent(BPrivate::UniqueFd fd, Way way);
	BPrivate::Result<void> BeginNamed(const std::string& resolved);
	// Each answers the descriptor the text goes into.
	BPrivate::Result<BPrivate::UniqueFd> BeginExisting(const struct stat& old);
	BPrivate::Result<BPrivate::UniqueFd> BeginInPlace();
	BPrivate::Result<void> CommitReplacing();
	BPrivate::Result<void> MoveTextInPlace();
	// Makes the text file the one holder of `fd`.
	BPrivate::Result<void> OpenText(BPrivate::UniqueFd fd, uint32 openMode);
	// The descriptor the text goes into; -1 before Begin.
	int TextFd() const { return fText != nullptr ? fText->Descriptor() : -1; }
	// Lets go of what the way chosen made (a temporary file's name goes);
	// the way stays recorded, the text file with its descriptor stays.
	void DropWay();

	const std::string fPath;
	const uint32 fBufferSize;
	std::string fDirectory;
	std::string fLeaf;
	BPrivate::UniqueFd fDirectoryFd;
	// What the way chosen needs beside the text file: a new file's name and
	// identity, or the old content of a file written in place. The text
	// file alone holds the descriptor of the file written; these keep its
	// number.
	std::unique_ptr<TemporaryFile> fTemporary;
	std::unique_ptr<InPlaceFile> fInPlace;
	struct stat fOld = {};
	Way fWay = Way::kNone;
	bool fDone = false;
	std::unique_ptr<PlainBufferedFile> fText;
};
