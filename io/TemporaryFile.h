// SPDX-License-Identifier: MIT
#pragma once

// The new file a replacement writes its text into, made in the directory of
// the file it replaces: unnamed where the file system allows it, otherwise
// under a hidden random name beside it. Nothing of it lasts until Link gives
// it the file's name: a hidden name goes with the object.
//
// The descriptor Open makes goes to the caller, who writes the text through
// it and holds it for as long as the object lives; the object keeps only
// its number, for the calls it makes on the file.
//
// One thread uses an object.

#include <Result.h>
#include <SupportDefs.h>
#include <UniqueFd.h>

#include <string>
#include <sys/stat.h>

class TemporaryFile {
public:
	// `directory` is a descriptor of the directory, held by the caller for
	// as long as the object lives; `leaf` the name of the file to replace.
	TemporaryFile(int directory, const std::string& leaf);
	~TemporaryFile();

	TemporaryFile(const TemporaryFile&) = delete;
	TemporaryFile& operator=(const TemporaryFile&) = delete;

	// Makes the file with the rights `mode` (less the umask) and answers its
	// descriptor.
	BPrivate::Result<BPrivate::UniqueFd> Open(mode_t mode);
	// The number of the descriptor Open answered; -1 before.
	int Fd() const { return fFd; }

	// Gives the file the owner, group and every extended attribute of the
	// file `oldPath`, described by `old`; what it inherited from its
	// directory and the old file lacks goes. The mode follows at Commit.
	BPrivate::Result<void> CopyIdentity(const struct stat& old, const std::string& oldPath);
	// Gives the file its name: replacing what is there, or only when
	// nothing is. B_NOT_ALLOWED when the directory refuses a replacement
	// that the file system could otherwise make. On failure no hidden name
	// remains.
	BPrivate::Result<void> Link(bool replace);
	// Removes the hidden name, if the file has one.
	void DropName();

private:
	const int fDirectory;
	const std::string fLeaf;
	int fFd = -1; // held by the caller
	bool fUnnamed = false;
	std::string fHiddenLeaf; // the hidden name, while the file has one
};
