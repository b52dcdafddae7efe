#pragma once

// Helpers for tests that work on real files: a scratch directory removed
// with everything in it, whole-file reads and writes, and running a piece of
// code in a child process (for limits that must not touch the test itself).

#include <filesystem>
#include <functional>
#include <string>

namespace TestFiles {

class ScratchDirectory {
public:
	ScratchDirectory();
	~ScratchDirectory();

	ScratchDirectory(const ScratchDirectory&) = delete;
	ScratchDirectory& operator=(const ScratchDirectory&) = delete;

	const std::string& Path() const { return fPath; }
	// The path of `leaf` inside the directory.
	std::string operator/(const std::string& leaf) const { return fPath + "/" + leaf; }
	// The names of the directory's entries, sorted, separated by blanks.
	std::string Listing() const { return ListingOf(fPath); }
	static std::string ListingOf(const std::string& directory);

private:
	std::string fPath;
};

std::string ReadWhole(const std::string& path);
void WriteWhole(const std::string& path, const std::string& content);

// Runs `body` in a forked child and returns its exit code, or -1 when the
// child did not exit normally. The child ignores SIGXFSZ, so exceeding a file
// size limit shows as a short write or EFBIG.
int RunInChild(const std::function<int()>& body);

// Limits the size of files the calling process writes (the soft limit; the
// hard limit stays, so it can be raised again). For use inside RunInChild.
bool LimitFileSize(long long bytes);

} // namespace TestFiles
