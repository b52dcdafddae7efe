// SPDX-License-Identifier: MIT
#include "io/PlainBufferedFile.h"
#include "support/ChildProcess.h"
#include "support/Files.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cerrno>
#include <fcntl.h>
#include <string>
#include <unistd.h>

using testsupport::ReadWhole;
using testsupport::ScratchDirectory;
using testsupport::WriteWhole;

namespace {

constexpr uint32 kExportMode = B_WRITE_ONLY | B_CREATE_FILE | B_ERASE_FILE;

// Bytes that show their own offset, so misplaced or doubled data is visible.
std::string
Pattern(size_t length, size_t start = 0)
{
	std::string text;
	for (size_t i = 0; i < length; i++)
		text += static_cast<char>('a' + (start + i) % 23);
	return text;
}

} // namespace

TEST(PlainBufferedFile, TheFileSeesOnlyWholeBuffersUntilTheFlush)
{
	ScratchDirectory scratch;
	const std::string path = scratch / "out";
	// Write sizes in order; after each the file holds the whole buffers so far.
	const size_t sizes[] = {8, 8, 4000, 79, 1, 0, 10000, 4095, 6, 12285};
	PlainBufferedFile file(path.c_str(), kExportMode, 4095);
	ASSERT_EQ(file.InitCheck(), B_OK);
	size_t total = 0;
	for (size_t size : sizes) {
		std::string data = Pattern(size, total);
		ASSERT_EQ(file.BufferedWrite(data.data(), size), static_cast<ssize_t>(size));
		total += size;
		const size_t inFile = total / 4095 * 4095;
		EXPECT_EQ(file.Position(), static_cast<off_t>(inFile)) << "after " << total;
		EXPECT_EQ(ReadWhole(path).size(), inFile) << "after " << total;
	}
	ASSERT_EQ(file.Flush(), B_OK);
	EXPECT_EQ(file.Position(), static_cast<off_t>(total));
	EXPECT_EQ(ReadWhole(path), Pattern(total));
	ASSERT_EQ(file.Flush(), B_OK);
	EXPECT_EQ(ReadWhole(path), Pattern(total));
}

TEST(PlainBufferedFile, TenThousandBytesLeaveEighteenTenPending)
{
	ScratchDirectory scratch;
	const std::string path = scratch / "out";
	PlainBufferedFile file(path.c_str(), kExportMode, 4095);
	std::string data = Pattern(10000);
	ASSERT_EQ(file.BufferedWrite(data.data(), data.size()), 10000);
	EXPECT_EQ(file.Position(), 8190);
	EXPECT_EQ(ReadWhole(path), data.substr(0, 8190));
	ASSERT_EQ(file.Flush(), B_OK);
	EXPECT_EQ(ReadWhole(path), data);
}

TEST(PlainBufferedFile, OtherOperationsFlushFirst)
{
	ScratchDirectory scratch;
	const std::string path = scratch / "out";
	PlainBufferedFile file(path.c_str(), B_READ_WRITE | B_CREATE_FILE, 64);
	ASSERT_EQ(file.BufferedWrite("abc", 3), 3);
	ASSERT_EQ(file.Write("def", 3), 3);
	EXPECT_EQ(ReadWhole(path), "abcdef");

	ASSERT_EQ(file.BufferedWrite("gh", 2), 2);
	ASSERT_EQ(file.WriteAt(0, "A", 1), 1);
	EXPECT_EQ(ReadWhole(path), "Abcdefgh");

	ASSERT_EQ(file.BufferedWrite("ij", 2), 2);
	EXPECT_EQ(file.Seek(0, SEEK_SET), 0);
	char buffer[16] = {};
	ASSERT_EQ(file.Read(buffer, sizeof(buffer)), 10);
	EXPECT_STREQ(buffer, "Abcdefghij");

	ASSERT_EQ(file.BufferedWrite("kl", 2), 2);
	ASSERT_EQ(file.ReadAt(10, buffer, 2), 2);
	EXPECT_EQ(std::string(buffer, 2), "kl");

	ASSERT_EQ(file.BufferedWrite("mn", 2), 2);
	ASSERT_EQ(file.SetSize(13), B_OK);
	EXPECT_EQ(ReadWhole(path), "Abcdefghijklm");
}

TEST(PlainBufferedFile, DestructionDropsPendingBytes)
{
	ScratchDirectory scratch;
	const std::string path = scratch / "out";
	{
		PlainBufferedFile file(path.c_str(), kExportMode, 4095);
		std::string data = Pattern(5000);
		ASSERT_EQ(file.BufferedWrite(data.data(), data.size()), 5000);
	}
	EXPECT_EQ(ReadWhole(path), Pattern(4095));
}

TEST(PlainBufferedFile, AReadOnlyFileTakesNothingButReads)
{
	ScratchDirectory scratch;
	const std::string path = scratch / "in";
	WriteWhole(path, "content");
	PlainBufferedFile file(path.c_str(), B_READ_ONLY, 4095);
	ASSERT_EQ(file.InitCheck(), B_OK);
	EXPECT_EQ(file.BufferedWrite("xyz", 3), 0);
	EXPECT_EQ(file.Flush(), B_OK);
	char buffer[16] = {};
	EXPECT_EQ(file.Read(buffer, sizeof(buffer)), 7);
	EXPECT_STREQ(buffer, "content");
}

TEST(PlainBufferedFile, AFailedOpenLeavesAHarmlessObject)
{
	ScratchDirectory scratch;
	PlainBufferedFile file((scratch / "missing/out").c_str(), kExportMode, 4095);
	EXPECT_EQ(file.InitCheck(), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(file.BufferedWrite("xyz", 3), 0);
	EXPECT_EQ(file.Flush(), B_OK);
	EXPECT_LT(file.Write("xyz", 3), 0);

	PlainBufferedFile noBuffer((scratch / "out").c_str(), kExportMode, 0);
	EXPECT_EQ(noBuffer.InitCheck(), B_BAD_VALUE);
	EXPECT_EQ(noBuffer.BufferedWrite("xyz", 3), 0);
}

TEST(PlainBufferedFile, AFullDeviceMakesTheBufferStale)
{
	PlainBufferedFile file("/dev/full", B_WRITE_ONLY, 4095);
	if (file.InitCheck() != B_OK)
		GTEST_SKIP() << "no /dev/full";
	std::string data = Pattern(5000);
	// The first full buffer is refused: the count is the 4095 bytes copied
	// so far less the 4095 that did not arrive.
	EXPECT_EQ(file.BufferedWrite(data.data(), data.size()), 4095 - 4095);
	// The stale buffer is dropped; new bytes are buffered again.
	EXPECT_EQ(file.BufferedWrite("abc", 3), 3);
	EXPECT_EQ(file.Flush(), B_FILE_ERROR);
	EXPECT_EQ(file.Write("x", 1), 0);
	// A position cannot be 0 for a seek that did not happen: BDataIO has
	// failures answer negative.
	EXPECT_EQ(file.Seek(0, SEEK_SET), B_FILE_ERROR);
	EXPECT_EQ(file.SetSize(0), B_FILE_ERROR);
	EXPECT_EQ(file.Flush(), B_FILE_ERROR);
	// The reason stays readable, where errno would long be overwritten.
	EXPECT_EQ(file.LastError(), B_DEVICE_FULL);
}

// A write's failure reaches the caller as the system left it: errno, the
// call and the file's name, also for errno values no status stands for.
TEST(PlainBufferedFile, AWriteFailureKeepsWhatTheSystemSaid)
{
	// A pipe whose reader is gone answers EPIPE once SIGPIPE is ignored.
	int ends[2];
	ASSERT_EQ(pipe(ends), 0);
	close(ends[0]);
	struct sigaction ignore = {}, previous = {};
	ignore.sa_handler = SIG_IGN;
	sigaction(SIGPIPE, &ignore, &previous);
	struct Row {
		const char* what;
		int fd;
		uint32 mode;
		const char* path;
		int error;
		const char* words;
	} rows[] = {
		{"a full device", open("/dev/full", O_WRONLY | O_CLOEXEC), B_WRITE_ONLY, "/dev/full",
			ENOSPC, "No space left on device"},
		{"a pipe without reader", ends[1], B_WRITE_ONLY, "pipe", EPIPE, "Broken pipe"},
		{"a file open for reading", open("/dev/null", O_RDONLY | O_CLOEXEC), B_READ_ONLY,
			"/dev/null", EBADF, "Bad file descriptor"},
	};
	for (const Row& row : rows) {
		SCOPED_TRACE(row.what);
		ASSERT_GE(row.fd, 0);
		PlainBufferedFile file(row.fd, row.mode, 16, row.path);
		ASSERT_EQ(file.InitCheck(), B_OK);
		EXPECT_LT(file.BufferedWrite("0123456789abcdefXYZ", 19), 19);
		BPrivate::Failure failure = file.WriteFailure();
		EXPECT_EQ(failure.error, row.error);
		EXPECT_STREQ(failure.call, "write");
		EXPECT_EQ(failure.path, row.path);
		EXPECT_EQ(failure.Reason(), row.words);
		EXPECT_NE(failure.status, B_OK);
	}
	sigaction(SIGPIPE, &previous, nullptr);
}

TEST(PlainBufferedFile, AShortBufferWriteCountsOnlyWhatArrived)
{
	ScratchDirectory scratch;
	const std::string path = scratch / "out";
	int result = testsupport::RunInChild(
		[&]() {
			PlainBufferedFile file(path.c_str(), kExportMode, 4095);
			std::string data = Pattern(9000);
			if (file.BufferedWrite(data.data(), 3000) != 3000)
				return 11;
			// One buffer reaches the file whole, the next only up to the limit:
			// 1905 of its 4095 bytes, so 2190 of this call's 5190 did not arrive.
			if (file.BufferedWrite(data.data() + 3000, 6000) != 3000)
				return 12;
			// The short count's reason: the system took part of the buffer and
			// then refused the rest for the file's size.
			if (file.LastError() != B_DEVICE_FULL)
				return 16;
			if (!testsupport::LimitFileSize(1 << 20))
				return 13;
			// The stale buffer goes; writing resumes where the data really ends.
			std::string more = Pattern(100, 6000);
			if (file.BufferedWrite(more.data(), more.size()) != 100)
				return 14;
			if (file.Flush() != B_OK)
				return 15;
			return 0;
		},
		{.fileSize = 6000})
					 .exitCode;
	EXPECT_EQ(result, 0);
	EXPECT_EQ(ReadWhole(path), Pattern(6100));
}

TEST(PlainBufferedFile, AFlushCutShortWritesEveryByteOnce)
{
	ScratchDirectory scratch;
	const std::string path = scratch / "out";
	int result = testsupport::RunInChild(
		[&]() {
			PlainBufferedFile file(path.c_str(), kExportMode, 4095);
			std::string data = Pattern(150);
			if (file.BufferedWrite(data.data(), data.size()) != 150)
				return 11;
			if (file.Flush() != B_FILE_ERROR)
				return 12;
			if (file.Position() != 100)
				return 13;
			if (!testsupport::LimitFileSize(1 << 20))
				return 14;
			if (file.Flush() != B_OK)
				return 15;
			return 0;
		},
		{.fileSize = 100})
					 .exitCode;
	EXPECT_EQ(result, 0);
	EXPECT_EQ(ReadWhole(path), Pattern(150));
}
