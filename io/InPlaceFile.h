// SPDX-License-Identifier: MIT
#pragma once

// An existing file about to be written in place, opened for reading and
// writing with its whole old content kept, so that a failed replacement can
// put the old bytes back.
//
// One thread uses an object.

#include <Result.h>
#include <SupportDefs.h>
#include <UniqueFd.h>

#include <string>
#include <sys/types.h>

class InPlaceFile {
public:
	// Opens `leaf` in the directory `directory` and reads all of it; a file
	// whose content cannot be read is refused.
	BPrivate::Result<void> Open(int directory, const std::string& leaf);
	// The descriptor the text goes into; valid after a successful Open.
	int Fd() const { return fFd.Get(); }

	// Makes the first `length` bytes written the file's whole content, on
	// the disk.
	BPrivate::Result<void> Commit(off_t length);
	// Puts the old content back, on the disk: all of it is tried, the first
	// failure is answered.
	BPrivate::Result<void> Restore();

private:
	BPrivate::UniqueFd fFd;
	std::string fOldContent;
};
