// SPDX-License-Identifier: MIT
#include "support/ChildProcess.h"
#include "support/Files.h"

#include <Entry.h>
#include <File.h>
#include <NodeInfo.h>

#include <gtest/gtest.h>

#include <cstring>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using testsupport::ReadWhole;
using testsupport::ScratchDirectory;
using testsupport::WriteWhole;

TEST(File, OpenModesMapOntoTheFile)
{
	ScratchDirectory scratch;
	const std::string path = scratch / "f";
	struct Row {
		const char* name;
		bool exists;
		uint32 mode;
		status_t status;
		const char* write;
		const char* content; // afterwards
	};
	const Row rows[] = {
		{"missing, read only", false, B_READ_ONLY, B_ENTRY_NOT_FOUND, nullptr, nullptr},
		{"missing, create", false, B_WRITE_ONLY | B_CREATE_FILE, B_OK, "new", "new"},
		{"existing, overwrite in place", true, B_WRITE_ONLY, B_OK, "AB", "ABd"},
		{"existing, erase", true, B_WRITE_ONLY | B_ERASE_FILE, B_OK, "AB", "AB"},
		{"existing, export mode", true, 0x601, B_OK, "AB", "AB"},
		{"existing, at end", true, B_WRITE_ONLY | B_OPEN_AT_END, B_OK, "AB", "oldAB"},
		{"existing, fail if exists", true, B_WRITE_ONLY | B_CREATE_FILE | B_FAIL_IF_EXISTS,
			B_FILE_EXISTS, nullptr, "old"},
		{"existing, read only never erases", true, B_READ_ONLY | B_ERASE_FILE, B_OK, nullptr,
			"old"},
		{"bad access mode", true, 3, B_BAD_VALUE, nullptr, "old"},
	};
	for (const Row& row : rows) {
		unlink(path.c_str());
		if (row.exists)
			WriteWhole(path, "old");
		BFile file(path.c_str(), row.mode);
		EXPECT_EQ(file.InitCheck(), row.status) << row.name;
		if (row.write != nullptr) {
			EXPECT_EQ(
				file.Write(row.write, strlen(row.write)), static_cast<ssize_t>(strlen(row.write)))
				<< row.name;
		}
		file.Unset();
		if (row.content != nullptr) {
			EXPECT_EQ(ReadWhole(path), row.content) << row.name;
		}
	}
}

TEST(File, NewFilesFollowTheUmask)
{
	ScratchDirectory scratch;
	mode_t previous = umask(027);
	BFile file((scratch / "f").c_str(), B_WRITE_ONLY | B_CREATE_FILE);
	umask(previous);
	mode_t permissions = 0;
	ASSERT_EQ(file.GetPermissions(&permissions), B_OK);
	EXPECT_EQ(permissions, 0640u);
	ASSERT_EQ(file.SetPermissions(0604), B_OK);
	ASSERT_EQ(file.GetPermissions(&permissions), B_OK);
	EXPECT_EQ(permissions, 0604u);
}

TEST(File, DirectoriesAreNeverOpenedAsFiles)
{
	ScratchDirectory scratch;
	EXPECT_EQ(BFile(scratch.Path().c_str(), B_READ_ONLY).InitCheck(), B_IS_A_DIRECTORY);
	EXPECT_EQ(BFile(scratch.Path().c_str(), B_WRITE_ONLY).InitCheck(), B_IS_A_DIRECTORY);
	BFile file(scratch.Path().c_str(), B_READ_WRITE);
	EXPECT_FALSE(file.IsReadable());
	EXPECT_FALSE(file.IsWritable());
	EXPECT_EQ(file.Write("x", 1), B_IS_A_DIRECTORY);
}

TEST(File, OpeningAFifoDoesNotWaitForThePartner)
{
	ScratchDirectory scratch;
	const std::string path = scratch / "fifo";
	ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
	// A blocking open would hang here; the alarm turns that into a failure.
	alarm(20);
	BFile reader(path.c_str(), B_READ_ONLY);
	EXPECT_EQ(reader.InitCheck(), B_OK);
	BFile writer(path.c_str(), B_WRITE_ONLY);
	ASSERT_EQ(writer.InitCheck(), B_OK);
	reader.Unset();
	BFile lonelyWriter(path.c_str(), B_WRITE_ONLY);
	EXPECT_NE(lonelyWriter.InitCheck(), B_OK);
	alarm(0);
	// Blocking again once open: the written bytes arrive whole.
	BFile second(path.c_str(), B_READ_ONLY);
	ASSERT_EQ(writer.Write("hello", 5), 5);
	char buffer[8] = {};
	EXPECT_EQ(second.Read(buffer, 5), 5);
	EXPECT_STREQ(buffer, "hello");
}

TEST(File, PositionedAccessAndSize)
{
	ScratchDirectory scratch;
	BFile file((scratch / "f").c_str(), B_READ_WRITE | B_CREATE_FILE);
	ASSERT_EQ(file.Write("0123456789", 10), 10);
	EXPECT_EQ(file.Position(), 10);
	EXPECT_EQ(file.WriteAt(2, "ab", 2), 2);
	EXPECT_EQ(file.Position(), 10);
	char buffer[16] = {};
	EXPECT_EQ(file.ReadAt(0, buffer, sizeof(buffer)), 10);
	EXPECT_STREQ(buffer, "01ab456789");
	EXPECT_EQ(file.Seek(-3, SEEK_END), 7);
	EXPECT_EQ(file.Seek(1, SEEK_CUR), 8);
	memset(buffer, 0, sizeof(buffer));
	EXPECT_EQ(file.Read(buffer, sizeof(buffer)), 2);
	EXPECT_STREQ(buffer, "89");
	EXPECT_EQ(file.Read(buffer, sizeof(buffer)), 0);
	EXPECT_EQ(file.Seek(0, 7), B_BAD_VALUE);
	EXPECT_EQ(file.Seek(-1, SEEK_SET), B_BAD_VALUE);
	EXPECT_EQ(file.ReadAt(-1, buffer, 1), B_BAD_VALUE);

	ASSERT_EQ(file.SetSize(4), B_OK);
	off_t size = 0;
	ASSERT_EQ(file.GetSize(&size), B_OK);
	EXPECT_EQ(size, 4);
	EXPECT_EQ(ReadWhole(scratch / "f"), "01ab");

	BFile reader((scratch / "f").c_str(), B_READ_ONLY);
	EXPECT_EQ(reader.SetSize(0), B_PERMISSION_DENIED);
	EXPECT_LT(reader.Write("x", 1), 0);
	EXPECT_EQ(ReadWhole(scratch / "f"), "01ab");
}

TEST(File, AFullDeviceRefusesTheWrite)
{
	BFile full("/dev/full", B_WRITE_ONLY);
	if (full.InitCheck() != B_OK)
		GTEST_SKIP() << "no /dev/full";
	EXPECT_EQ(full.Write("abc", 3), B_DEVICE_FULL);
}

TEST(File, AWriteCutShortByTheFileSizeLimitAnswersWhatWasTaken)
{
	ScratchDirectory scratch;
	const std::string path = scratch / "limited";
	int result = testsupport::RunInChild(
		[&]() {
			BFile file(path.c_str(), B_WRITE_ONLY | B_CREATE_FILE);
			if (file.InitCheck() != B_OK)
				return 11;
			std::string data(1500, 'x');
			if (file.Write(data.data(), 600) != 600)
				return 12;
			if (file.Write(data.data(), 900) != 400)
				return 13;
			if (file.Write(data.data(), 1) != B_DEVICE_FULL)
				return 14;
			return 0;
		},
		{.fileSize = 1000})
					 .exitCode;
	EXPECT_EQ(result, 0);
	EXPECT_EQ(ReadWhole(path).size(), 1000u);
}

TEST(NodeInfo, TheTypeIsTheFreeDesktopAttribute)
{
	ScratchDirectory scratch;
	BFile file((scratch / "f.h").c_str(), B_WRITE_ONLY | B_CREATE_FILE);
	BNodeInfo info(&file);
	ASSERT_EQ(info.InitCheck(), B_OK);
	status_t status = info.SetType("text/x-source-code");
	if (status == B_UNSUPPORTED)
		GTEST_SKIP() << "the scratch file system has no extended attributes";
	ASSERT_EQ(status, B_OK);

	char raw[64] = {};
	ssize_t length = getxattr((scratch / "f.h").c_str(), "user.mime_type", raw, sizeof(raw));
	EXPECT_EQ(std::string(raw, length > 0 ? length : 0), "text/x-source-code");

	char type[B_MIME_TYPE_LENGTH];
	ASSERT_EQ(info.GetType(type), B_OK);
	EXPECT_STREQ(type, "text/x-source-code");

	for (const char* bad : {"", "text", "/plain", "text/", "a/b/c", "text/with blank"})
		EXPECT_EQ(info.SetType(bad), B_BAD_VALUE) << bad;
	ASSERT_EQ(info.GetType(type), B_OK);
	EXPECT_STREQ(type, "text/x-source-code");

	ASSERT_EQ(info.SetType(nullptr), B_OK);
	EXPECT_EQ(info.GetType(type), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(info.SetType(nullptr), B_OK);

	BFile unopened((scratch / "missing/f").c_str(), B_READ_ONLY);
	EXPECT_NE(BNodeInfo(&unopened).InitCheck(), B_OK);
	EXPECT_EQ(BNodeInfo(nullptr).InitCheck(), B_BAD_VALUE);
}

// What the node's attribute calls and the entry's removal answer, for each
// way they can fail.
TEST(Node, AttributeAndRemovalFailuresHaveTheirOwnStatus)
{
	constexpr type_code kText = 'CSTR';
	ScratchDirectory scratch;
	BFile file((scratch / "f").c_str(), B_READ_WRITE | B_CREATE_FILE);
	ASSERT_EQ(file.InitCheck(), B_OK);
	ssize_t written = file.WriteAttr("note", kText, 0, "twelve bytes", 12);
	if (written == B_UNSUPPORTED)
		GTEST_SKIP() << "the scratch file system has no extended attributes";
	ASSERT_EQ(written, 12);
	mkdir((scratch / "empty").c_str(), 0700);
	mkdir((scratch / "full").c_str(), 0700);
	WriteWhole(scratch / "full/x", "x");

	char small[4];
	char large[64];
	BNode unset;
	BEntry empty((scratch / "empty").c_str());
	BEntry full((scratch / "full").c_str());
	struct Row {
		const char* what;
		ssize_t answer;
		ssize_t expected;
	};
	// In order: each row acts on what the rows before left.
	const Row rows[] = {
		{"read whole", file.ReadAttr("note", kText, 0, large, sizeof(large)), 12},
		{"read into too little room", file.ReadAttr("note", kText, 0, small, sizeof(small)),
			B_BAD_VALUE},
		{"read a missing attribute", file.ReadAttr("none", kText, 0, large, sizeof(large)),
			B_ENTRY_NOT_FOUND},
		{"remove a missing attribute", file.RemoveAttr("none"), B_ENTRY_NOT_FOUND},
		{"remove the attribute", file.RemoveAttr("note"), B_OK},
		{"read it removed", file.ReadAttr("note", kText, 0, large, sizeof(large)),
			B_ENTRY_NOT_FOUND},
		{"an unset node", unset.ReadAttr("note", kText, 0, large, sizeof(large)), B_NO_INIT},
		{"remove a directory with an entry", full.Remove(), B_DIRECTORY_NOT_EMPTY},
		{"remove an empty directory", empty.Remove(), B_OK},
	};
	for (const Row& row : rows)
		EXPECT_EQ(row.answer, row.expected) << row.what;
	EXPECT_EQ(scratch.Listing(), "f full");
}
