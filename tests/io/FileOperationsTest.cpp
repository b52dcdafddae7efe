// SPDX-License-Identifier: MIT
// The plain file operations under FileReplacer: what each answers when the
// system call under it fails, and where a chain of links ends.

#include "io/FileOperations.h"
#include "support/Files.h"

#include <System.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using testsupport::ReadWhole;
using testsupport::ScratchDirectory;
using testsupport::WriteWhole;

namespace FileOperations {
namespace {

TEST(FileOperations, ResolveLinksEndsAtTheFirstNameThatIsNoLink)
{
	ScratchDirectory scratch;
	WriteWhole(scratch / "target.h", "x");
	ASSERT_EQ(symlink("target.h", (scratch / "one").c_str()), 0);
	ASSERT_EQ(symlink((scratch / "one").c_str(), (scratch / "two").c_str()), 0);
	ASSERT_EQ(symlink("missing.h", (scratch / "dangling").c_str()), 0);
	ASSERT_EQ(symlink("/dev/stdout", (scratch / "out").c_str()), 0);
	ASSERT_EQ(symlink("loop-b", (scratch / "loop-a").c_str()), 0);
	ASSERT_EQ(symlink("loop-a", (scratch / "loop-b").c_str()), 0);

	struct Row {
		std::string path;
		std::string resolved;
		int held;
	};
	const Row rows[] = {
		{scratch / "two", scratch / "target.h", -1},
		{scratch / "dangling", scratch / "missing.h", -1},
		{scratch / "new.h", scratch / "new.h", -1},
		{scratch / "out", "", 1},
		{"/dev/fd/7", "", 7},
	};
	for (const Row& row : rows) {
		SCOPED_TRACE(row.path);
		Result<ResolvedName> resolved = ResolveLinks(row.path);
		ASSERT_TRUE(resolved.Ok());
		EXPECT_EQ(resolved.Value().held, row.held);
		if (row.held < 0) {
			EXPECT_EQ(resolved.Value().path, row.resolved);
		}
	}
	EXPECT_EQ(ResolveLinks(scratch / "loop-a").Status(), B_LINK_LIMIT);
}

TEST(FileOperations, ContentCallsAnswerWhyTheyFailed)
{
	ScratchDirectory scratch;
	const std::string content(3 << 20, 'c'); // more than one copy chunk
	WriteWhole(scratch / "from", content);
	int from = open((scratch / "from").c_str(), O_RDONLY | O_CLOEXEC);
	int to = open((scratch / "to").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
	ASSERT_GE(from, 0);
	ASSERT_GE(to, 0);

	Result<std::string> read = BPrivate::System::ReadWhole(from);
	ASSERT_TRUE(read.Ok());
	EXPECT_EQ(read.Value(), content);
	EXPECT_TRUE(CopyContent(from, to, off_t(content.size())).Ok());
	EXPECT_EQ(ReadWhole(scratch / "to"), content);
	// Asked for more than there is: the missing bytes are an error, not a
	// shorter copy that looks whole.
	EXPECT_EQ(CopyContent(from, to, off_t(content.size()) + 1).Status(), B_IO_ERROR);
	// Written into a descriptor opened for reading only.
	EXPECT_EQ(BPrivate::System::WriteAll(from, "x", 1, 0).Status(), errno_to_status(EBADF));
	close(from);
	close(to);
	EXPECT_FALSE(BPrivate::System::ReadWhole(from).Ok());
	EXPECT_FALSE(BPrivate::System::WriteAll(to, "x", 1, 0).Ok());
}

TEST(FileOperations, OpenDirectoryAndListAttributesSayWhy)
{
	ScratchDirectory scratch;
	Result<BPrivate::UniqueFd> directory = OpenDirectory(scratch.Path());
	ASSERT_TRUE(directory.Ok());
	EXPECT_TRUE(directory.Value().IsValid());
	EXPECT_EQ(OpenDirectory(scratch / "gone").Status(), B_ENTRY_NOT_FOUND);
	WriteWhole(scratch / "file", "x");
	EXPECT_EQ(OpenDirectory(scratch / "file").Status(), B_NOT_A_DIRECTORY);

	// A plain new file has no attributes, or only what its directory gave.
	EXPECT_TRUE(BPrivate::System::LinkAttributeNames((scratch / "file").c_str()).Ok());
	EXPECT_EQ(BPrivate::System::LinkAttributeNames((scratch / "gone").c_str()).Status(),
		B_ENTRY_NOT_FOUND);
	EXPECT_FALSE(BPrivate::System::AttributeNames(-1).Ok());
}

TEST(FileOperations, CreateBesideMakesAHiddenNewFileInTheSameDirectory)
{
	ScratchDirectory scratch;
	mkdir((scratch / "sub").c_str(), 0700);
	WriteWhole(scratch / "sub/leaf.h", "old");
	Result<BPrivate::UniqueFd> directory = OpenDirectory(scratch.Path());
	ASSERT_TRUE(directory.Ok());

	struct Row {
		int directory;
		std::string path;
		std::string folder; // what the made name starts with
	};
	const Row rows[] = {
		{directory.Value().Get(), "leaf.h", "."},
		{AT_FDCWD, scratch / "sub/leaf.h", scratch / "sub/."},
	};
	for (const Row& row : rows) {
		SCOPED_TRACE(row.path);
		std::string made;
		Result<BPrivate::UniqueFd> fd = CreateBeside(
			row.directory, row.path, O_WRONLY, 0600, &made);
		ASSERT_TRUE(fd.Ok());
		EXPECT_EQ(made.compare(0, row.folder.size(), row.folder), 0) << made;
		EXPECT_NE(made.find("leaf.h."), std::string::npos) << made;
		ASSERT_EQ(write(fd.Value().Get(), "new", 3), 3);
		const std::string full = row.directory == AT_FDCWD ? made : scratch / made;
		EXPECT_EQ(ReadWhole(full), "new");
	}
	// The file beside is untouched; a folder that is missing says so.
	EXPECT_EQ(ReadWhole(scratch / "sub/leaf.h"), "old");
	std::string made = "unchanged";
	EXPECT_EQ(CreateBeside(AT_FDCWD, scratch / "gone/leaf.h", O_WRONLY, 0600, &made).Status(),
		B_ENTRY_NOT_FOUND);
	EXPECT_EQ(made, "unchanged");
}

} // namespace
} // namespace FileOperations
