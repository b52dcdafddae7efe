// SPDX-License-Identifier: MIT
#include "FileReplacer.h"

#include "FileOperations.h"
#include "InPlaceFile.h"
#include "TemporaryFile.h"

#include <System.h>

#include <cerrno>
#include <fcntl.h>
#include <utility>

using namespace FileOperations;
using BPrivate::Failure;
using BPrivate::Result;
using BPrivate::UniqueFd;

namespace System = BPrivate::System;

FileReplacer::FileReplacer(const char* path, uint32 bufferSize)
	: fPath(path != nullptr ? path : ""), fBufferSize(bufferSize)
{ }

FileReplacer::~FileReplacer()
{
	if (!fDone && fWay != Way::kNone)
		(void)Abort();
}

bool
FileReplacer::WritesDocument() const
{
	return fWay == Way::kNewFile || fWay == Way::kRename || fWay == Way::kInPlace;
}

Result<void>
FileReplacer::Begin()
{
	if (fWay != Way::kNone)
		return Failure(B_NOT_ALLOWED);
	if (fPath.empty())
		return Failure(B_BAD_VALUE);
	// A name ending in '/' names a directory, which is never written.
	if (fPath.back() == '/')
		return Failure::FromSystem(EISDIR, "open", fPath.c_str());

	Result<ResolvedName> resolved = ResolveLinks(fPath);
	if (!resolved)
		return resolved.TakeError();
	if (resolved.Value().held >= 0) {
		Result<void> begun = BeginHeld(resolved.Value().held);
		// A descriptor the process does not hold names nothing, as an open
		// of the name would say.
		if (!begun && begun.Error().error == EBADF)
			return Failure::FromSystem(ENOENT, "open", fPath.c_str());
		return begun;
	}

	Result<struct stat> info = System::Stat(fPath.c_str());
	if (info && !S_ISREG(info.Value().st_mode)) {
		if (S_ISDIR(info.Value().st_mode))
			return Failure::FromSystem(EISDIR, "open", fPath.c_str());
		return BeginThroughName();
	}
	return BeginNamed(resolved.Value().path);
}

// A regular file under `resolved`, or none yet.
Result<void>
FileReplacer::BeginNamed(const std::string& resolved)
{
	size_t slash = resolved.rfind('/');
	fDirectory = slash == std::string::npos ? "." : slash == 0 ? "/" : resolved.substr(0, slash);
	fLeaf = slash == std::string::npos ? resolved : resolved.substr(slash + 1);
	Result<UniqueFd> directory = OpenDirectory(fDirectory);
	if (!directory)
		return directory.TakeError();
	fDirectoryFd = std::move(directory).Value();

	Result<UniqueFd> text = Failure(B_NO_INIT);
	Result<struct stat> old = System::StatAt(fDirectoryFd.Get(), fLeaf.c_str());
	if (old) {
		fOld = old.Value();
		text = BeginExisting(fOld);
	} else if (old.Error().error != ENOENT) {
		text = old.TakeError();
	} else {
		// A new file: the rights of a new file, as the directory gives them.
		auto temporary = std::make_unique<TemporaryFile>(fDirectoryFd.Get(), fLeaf);
		text = temporary->Open(0666);
		if (text) {
			fTemporary = std::move(temporary);
			fWay = Way::kNewFile;
		}
	}
	Result<void> begun = text ? OpenText(std::move(text).Value(), B_READ_WRITE)
							  : Result<void>(text.TakeError());
	if (!begun) {
		DropWay();
		fText.reset();
		fDirectoryFd.Reset();
		fWay = Way::kNone;
	}
	return begun;
}

Result<void>
FileReplacer::BeginHeld(int held)
{
	if (fWay != Way::kNone)
		return Failure(B_NOT_ALLOWED);
	Result<int> flags = System::StatusFlags(held);
	if (!flags) {
		Failure failure = flags.TakeError();
		failure.path = fPath;
		return failure;
	}
	if ((flags.Value() & O_ACCMODE) == O_RDONLY)
		return Failure::FromSystem(EACCES, "open", fPath.c_str());
	// The same open file, with its offset: what was written before stays.
	Result<UniqueFd> lent = System::Duplicate(held, 3);
	if (!lent)
		return lent.TakeError();
	return BeginLent(std::move(lent).Value(), Way::kHeldDescriptor);
}

Result<void>
FileReplacer::BeginLent(UniqueFd fd, Way way)
{
	fWay = way;
	Result<void> opened = OpenText(std::move(fd), B_WRITE_ONLY);
	if (!opened) {
		fText.reset();
		fWay = Way::kNone;
	}
	return opened;
}

Result<void>
FileReplacer::BeginThroughName()
{
	// Non-blocking while opening, so that a FIFO without a reader does not
	// hang the caller; blocking for the writes.
	Result<UniqueFd> fd = System::Open(fPath.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
	if (!fd)
		return fd.TakeError();
	Result<void> blocking = System::SetBlocking(fd.Value().Get());
	if (!blocking)
		return blocking;
	return BeginLent(std::move(fd).Value(), Way::kThroughName);
}

Result<UniqueFd>
FileReplacer::BeginExisting(const struct stat& old)
{
	if (S_ISDIR(old.st_mode))
		return Failure::FromSystem(EISDIR, "open", fPath.c_str());
	// The right to write the file is the one an open for writing has, with
	// everything the system weighs (mode, ACLs, read-only mounts, flags).
	Result<UniqueFd> check = System::OpenAt(
		fDirectoryFd.Get(), fLeaf.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
	if (!check)
		return check.TakeError();
	check.Value().Reset();

	// Another name for the same file would keep the old text.
	if (old.st_nlink == 1) {
		auto temporary = std::make_unique<TemporaryFile>(fDirectoryFd.Get(), fLeaf);
		Result<UniqueFd> made = temporary->Open(0600);
		if (made && temporary->CopyIdentity(old, fDirectory + "/" + fLeaf)) {
			fTemporary = std::move(temporary);
			fWay = Way::kRename;
			return made;
		}
	}
	return BeginInPlace();
}

Result<UniqueFd>
FileReplacer::BeginInPlace()
{
	// The old bytes are kept to put back; a file that cannot be read is
	// not risked.
	auto inPlace = std::make_unique<InPlaceFile>();
	Result<UniqueFd> opened = inPlace->Open(fDirectoryFd.Get(), fLeaf);
	if (!opened)
		return opened;
	fInPlace = std::move(inPlace);
	fWay = Way::kInPlace;
	return opened;
}

Result<void>
FileReplacer::Commit()
{
	if (fDone || fWay == Way::kNone)
		return Failure(B_NOT_ALLOWED);
	Result<void> committed;
	switch (fWay) {
	case Way::kHeldDescriptor:
	case Way::kThroughName:
		break;
	case Way::kInPlace: {
		Result<off_t> length = System::Seek(TextFd(), 0, SEEK_CUR);
		committed = length ? fInPlace->Commit(length.Value()) : Result<void>(length.TakeError());
		break;
	}
	case Way::kNewFile:
	case Way::kRename:
		committed = CommitReplacing();
		break;
	case Way::kNone:
		break;
	}
	if (!committed) {
		// What Commit answers is why the text did not become the content;
		// the old file is put back as well as it can be.
		(void)Abort();
		return committed;
	}
	fDone = true;
	return {};
}

Result<void>
FileReplacer::CommitReplacing()
{
	int fd = TextFd();
	Result<off_t> length = System::Seek(fd, 0, SEEK_CUR);
	if (!length)
		return length.TakeError();
	Result<void> done = System::Truncate(fd, length.Value());
	// Writing cleared any set-user-ID bit; the mode goes on last.
	if (done && fWay == Way::kRename)
		done = System::SetMode(fd, fOld.st_mode & 07777);
	// The text must be on the disk before its name replaces the old one,
	// or a crash could leave neither.
	if (done)
		done = System::Sync(fd);
	if (!done)
		return done;
	Result<void> linked = fTemporary->Link(fWay == Way::kRename);
	if (!linked && linked.Error().status == B_NOT_ALLOWED && fWay == Way::kRename) {
		// The directory refused to have the file replaced (a sticky
		// directory, a file mounted on its own, another file system): the
		// text goes into the old file instead.
		Result<void> moved = MoveTextInPlace();
		if (!moved)
			return moved;
	} else if (!linked) {
		return linked;
	}
	// The new name must last as well. A directory opened only as a path
	// cannot be synced; nothing more can be done for it.
	(void)System::Sync(fDirectoryFd.Get());
	return {};
}

// The text, complete in the temporary file, copied over the old content.
Result<void>
FileReplacer::MoveTextInPlace()
{
	Result<off_t> length = System::Seek(TextFd(), 0, SEEK_CUR);
	if (!length)
		return length.TakeError();
	std::unique_ptr<TemporaryFile> temporary = std::move(fTemporary);
	Result<UniqueFd> old = BeginInPlace();
	if (!old)
		return old.TakeError();
	// From here the text file is the old file, so that a failure puts its
	// content back and the caller's type goes onto the document; the
	// complete text is read from the temporary file until it goes.
	std::unique_ptr<PlainBufferedFile> text = std::move(fText);
	Result<void> moved = OpenText(std::move(old).Value(), B_READ_WRITE);
	if (moved)
		moved = CopyContent(text->Descriptor(), TextFd(), length.Value());
	if (moved)
		moved = fInPlace->Commit(length.Value());
	return moved;
}

Result<void>
FileReplacer::Abort()
{
	Result<void> restored;
	if (!fDone && fWay == Way::kInPlace)
		restored = fInPlace->Restore();
	fDone = true;
	DropWay();
	fDirectoryFd.Reset();
	return restored;
}

Result<void>
FileReplacer::OpenText(UniqueFd fd, uint32 openMode)
{
	fText = std::make_unique<PlainBufferedFile>(fd.Release(), openMode, fBufferSize, fPath.c_str());
	if (fText->InitCheck() != B_OK)
		return fText->WriteFailure();
	return {};
}

void
FileReplacer::DropWay()
{
	fTemporary.reset();
	fInPlace.reset();
}
