// SPDX-License-Identifier: MIT
#pragma once

// An existing file about to be written in place, opened for reading and
// writing with its whole old content kept, so that a failed replacement can
// put the old bytes back.
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
#include <sys/types.h>

class InPlaceFile {
public:
	// Opens `leaf` in the directory `directory`, reads all of it and answers
	// the descriptor, for reading and writing; a file whose content cannot
	// be read is refused.
	BPrivate::Result<BPrivate::UniqueFd> Open(int directory, const std::string& leaf);
	// The number of the descriptor Open answered; -1 before.
	int Fd() const { return fFd; }

	// Makes the first `length` bytes written the file's whole content, on
	// the disk.
	BPrivate::Result<void> Commit(off_t length);
	// Puts the old content back, on the disk: all of it is tried, the first
	// failure is answered.
	BPrivate::Result<void> Restore();

private:
	int fFd = -1; // held by the caller
	std::string fOldContent;
};
