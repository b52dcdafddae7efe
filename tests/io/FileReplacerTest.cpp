// SPDX-License-Identifier: MIT
// FileReplacer on its own: the way it picks for each kind of name, and what
// Abort and Commit leave behind. The full table of situations, with owners
// and rights, is in the reliability tests.

#include "io/FileReplacer.h"
#include "support/Files.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using testsupport::ReadWhole;
using testsupport::ScratchDirectory;
using testsupport::WriteWhole;
using Way = FileReplacer::Way;

namespace {

std::set<int>
OpenDescriptors()
{
	std::set<int> open;
	for (int fd = 0; fd < 1024; fd++) {
		if (fcntl(fd, F_GETFD) != -1)
			open.insert(fd);
	}
	return open;
}

const std::string kOld = "old content\n";
const std::string kNew = "the new text, longer than the old one\n";

status_t
WriteNew(FileReplacer& replacer)
{
	PlainBufferedFile& file = replacer.TextFile();
	if (file.BufferedWrite(kNew.data(), kNew.size()) != ssize_t(kNew.size()))
		return B_ERROR;
	return file.Flush();
}

// The descriptors open now that were not in `before` and refer to the file
// `fd` refers to.
int
NewDescriptorsOf(int fd, const std::set<int>& before)
{
	struct stat file;
	if (fstat(fd, &file) != 0)
		return -1;
	int count = 0;
	for (int open : OpenDescriptors()) {
		struct stat info;
		if (before.count(open) == 0 && fstat(open, &info) == 0 && info.st_dev == file.st_dev
			&& info.st_ino == file.st_ino)
			count++;
	}
	return count;
}

ino_t
InodeOf(const std::string& path)
{
	struct stat info;
	return stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

} // namespace

TEST(FileReplacer, PicksTheWayTheNameCalls)
{
	ScratchDirectory scratch;
	WriteWhole(scratch / "plain.h", kOld);
	WriteWhole(scratch / "h1.h", kOld);
	ASSERT_EQ(link((scratch / "h1.h").c_str(), (scratch / "h2.h").c_str()), 0);
	ASSERT_EQ(symlink("plain.h", (scratch / "link.h").c_str()), 0);
	int pipeEnds[2];
	ASSERT_EQ(pipe(pipeEnds), 0);
	const std::string heldName = "/dev/fd/" + std::to_string(pipeEnds[1]);

	struct Row {
		std::string path;
		Way way;
		bool document;
	};
	const Row rows[] = {
		{scratch / "new.h", Way::kNewFile, true},
		{scratch / "plain.h", Way::kRename, true},
		{scratch / "link.h", Way::kRename, true},
		{scratch / "h1.h", Way::kInPlace, true},
		{heldName, Way::kHeldDescriptor, false},
		{"/proc/self/fd/" + std::to_string(pipeEnds[1]), Way::kHeldDescriptor, false},
		{"/dev/null", Way::kThroughName, false},
	};
	for (const Row& row : rows) {
		SCOPED_TRACE(row.path);
		FileReplacer replacer(row.path.c_str(), 4095);
		const std::set<int> before = OpenDescriptors();
		ASSERT_EQ(replacer.Begin().Status(), B_OK);
		EXPECT_EQ(replacer.HowWritten(), row.way);
		// The text file is the one descriptor the replacer holds of the file.
		EXPECT_EQ(NewDescriptorsOf(replacer.TextFile().Descriptor(), before), 1);
		EXPECT_EQ(replacer.WritesDocument(), row.document);
		ASSERT_EQ(WriteNew(replacer), B_OK);
		ASSERT_EQ(replacer.Commit().Status(), B_OK);
	}
	EXPECT_EQ(ReadWhole(scratch / "new.h"), kNew);
	EXPECT_EQ(ReadWhole(scratch / "plain.h"), kNew);
	EXPECT_EQ(ReadWhole(scratch / "h2.h"), kNew);
	char readBack[256] = {};
	close(pipeEnds[1]);
	std::string fromPipe;
	for (ssize_t got; (got = read(pipeEnds[0], readBack, sizeof(readBack))) > 0;)
		fromPipe.append(readBack, size_t(got));
	close(pipeEnds[0]);
	EXPECT_EQ(fromPipe, kNew + kNew);
	EXPECT_EQ(scratch.Listing(), "h1.h h2.h link.h new.h plain.h");
}

TEST(FileReplacer, AbortLeavesEveryFileAsItWas)
{
	ScratchDirectory scratch;
	WriteWhole(scratch / "plain.h", kOld);
	WriteWhole(scratch / "h1.h", kOld);
	ASSERT_EQ(link((scratch / "h1.h").c_str(), (scratch / "h2.h").c_str()), 0);
	const std::string listing = scratch.Listing();
	for (const char* leaf : {"plain.h", "h1.h", "new.h"}) {
		SCOPED_TRACE(leaf);
		const std::string path = scratch / leaf;
		const ino_t inode = InodeOf(path);
		{
			FileReplacer replacer(path.c_str(), 4095);
			ASSERT_EQ(replacer.Begin().Status(), B_OK);
			ASSERT_EQ(WriteNew(replacer), B_OK);
			if (std::string(leaf) == "plain.h") {
				EXPECT_EQ(replacer.Abort().Status(), B_OK);
			}
			// The others go without a Commit, which is an Abort too.
		}
		EXPECT_EQ(InodeOf(path), inode);
		if (inode != 0) {
			EXPECT_EQ(ReadWhole(path), kOld);
		}
		EXPECT_EQ(scratch.Listing(), listing);
	}
}

TEST(FileReplacer, RefusalsTouchNothing)
{
	ScratchDirectory scratch;
	ASSERT_EQ(mkdir((scratch / "dir").c_str(), 0755), 0);
	struct Row {
		std::string path;
		status_t status;
	};
	const Row rows[] = {
		{"", B_BAD_VALUE},
		{scratch / "dir", B_IS_A_DIRECTORY},
		{scratch / "plain.h/", B_IS_A_DIRECTORY},
		{scratch / "gone/new.h", B_ENTRY_NOT_FOUND},
		{"/dev/fd/987", B_ENTRY_NOT_FOUND},
	};
	for (const Row& row : rows) {
		SCOPED_TRACE(row.path);
		FileReplacer replacer(row.path.c_str(), 4095);
		EXPECT_EQ(replacer.Begin().Status(), row.status);
		EXPECT_EQ(replacer.HowWritten(), Way::kNone);
	}
	EXPECT_EQ(scratch.Listing(), "dir");
}
