// SPDX-License-Identifier: MIT
#pragma once

// Helpers for tests that work on real files: a scratch directory removed
// with everything in it, whole-file reads and writes, and listings.

#include <string>

namespace testsupport {

// A fresh directory under the system's temporary directory, its path
// resolved (so tests can compare with paths the storage kit resolves) and
// open to others (tests that drop to nobody work in here). It goes with
// everything in it, also after a test made parts of it read-only.
class ScratchDirectory {
public:
	ScratchDirectory();
	~ScratchDirectory();

	ScratchDirectory(const ScratchDirectory&) = delete;
	ScratchDirectory& operator=(const ScratchDirectory&) = delete;

	const std::string& Path() const { return fPath; }
	// The path of `relative` inside the directory.
	std::string operator/(const std::string& relative) const { return fPath + "/" + relative; }
	// The names of the directory's entries, as Listing gives them.
	std::string Listing() const;

private:
	std::string fPath;
};

// The entries of `directory` (dot files included), sorted, one blank apart;
// empty when it cannot be read.
std::string Listing(const std::string& directory);

// The file's bytes; empty when it cannot be read.
std::string ReadWhole(const std::string& path);
// Replaces the file's content; false when that failed.
bool WriteWhole(const std::string& path, const std::string& content);

} // namespace testsupport
