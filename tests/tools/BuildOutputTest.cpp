// The exporter's write side on its own: the build form's files, and the
// sentences its failures are told with.

#include "support/Files.h"
#include "tools/BuildFile.h"
#include "tools/EmbedWriter.h"
#include "tools/WriteFailures.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>
#include <fcntl.h>
#include <sys/stat.h>

using testsupport::ReadWhole;
using testsupport::ScratchDirectory;
using testsupport::WriteWhole;

namespace {

struct timespec
ModifiedAt(const std::string& path)
{
	struct stat info = {};
	stat(path.c_str(), &info);
	return info.st_mtim;
}

} // namespace

TEST(WriteFailures, SayWhatCouldNotBeWrittenAndWhy)
{
	struct Row {
		BPrivate::Failure why;
		status_t status;
		const char* sentence;
	};
	const Row rows[] = {
		{BPrivate::Failure(B_DEVICE_FULL), B_DEVICE_FULL,
			"cannot write out.h: No space left on device"},
		{BPrivate::Failure(B_ERROR, "the disk went away"), B_ERROR,
			"cannot write out.h: the disk went away"},
		{WriteFailures::StreamFailure(EPIPE), B_ERROR,
			"cannot write out.h: Broken pipe"},
		{WriteFailures::StreamFailure(ENOSPC), B_DEVICE_FULL,
			"cannot write out.h: No space left on device"},
		// A stream that failed without a reason.
		{BPrivate::Failure::FromSystem(ENXIO, "open", "out.h"), B_ERROR,
			"cannot write out.h: No such device or address"},
		{WriteFailures::StreamFailure(0), B_ERROR, "cannot write out.h: Write error"},
		{WriteFailures::StreamFailure(-1), B_ERROR, "cannot write out.h: Write error"},
	};
	for (const Row& row : rows) {
		SCOPED_TRACE(row.sentence);
		BPrivate::Failure told = WriteFailures::CannotWrite("out.h", row.why);
		EXPECT_EQ(told.status, row.status);
		EXPECT_EQ(told.detail, row.sentence);
		EXPECT_EQ(told.error, row.why.error);
	}
}

TEST(BuildFile, WritesWholeOrLeavesTheOldFile)
{
	ScratchDirectory scratch;
	const std::string path = scratch / "out.bin";
	WriteWhole(path, "old");

	std::atomic<bool> cancel{true};
	EXPECT_EQ(BuildFile::Write(path, "new", 3, &cancel).Status(), B_INTERRUPTED);
	EXPECT_EQ(ReadWhole(path), "old");
	EXPECT_EQ(BuildFile::Write(scratch / "gone/out.bin", "new", 3).Status(),
		B_ENTRY_NOT_FOUND);
	ASSERT_EQ(mkdir((scratch / "dir").c_str(), 0755), 0);
	EXPECT_EQ(BuildFile::Write(scratch / "dir", "new", 3).Status(), B_IS_A_DIRECTORY);
	// No temporary file stays behind any of these.
	EXPECT_EQ(scratch.Listing(), "dir out.bin");

	ASSERT_TRUE(BuildFile::Write(path, "new", 3).Ok());
	EXPECT_EQ(ReadWhole(path), "new");
	EXPECT_EQ(scratch.Listing(), "dir out.bin");
}

TEST(BuildFile, UpdateLeavesAFileThatHoldsTheContentUntouched)
{
	ScratchDirectory scratch;
	const std::string path = scratch / "out.h";
	WriteWhole(path, "same");
	// Long ago, so that a rewrite shows in the time stamp.
	struct timespec times[2] = {{1, 0}, {1, 0}};
	ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
	struct timespec before = ModifiedAt(path);

	EXPECT_TRUE(BuildFile::Update(path, "same").Ok());
	EXPECT_EQ(ModifiedAt(path).tv_sec, before.tv_sec);
	EXPECT_TRUE(BuildFile::Update(path, "changed").Ok());
	EXPECT_EQ(ReadWhole(path), "changed");
	EXPECT_NE(ModifiedAt(path).tv_sec, before.tv_sec);
	EXPECT_TRUE(BuildFile::Holds(path, "changed"));
	EXPECT_FALSE(BuildFile::Holds(scratch / "gone", ""));
	EXPECT_TRUE(BuildFile::HasSize(path, 7));
}

TEST(EmbedWriter, AFailureNamesTheFileItWasAbout)
{
	ScratchDirectory scratch;
	ASSERT_EQ(mkdir((scratch / "build").c_str(), 0755), 0);
	BBitmap bitmap(BRect(0, 0, 1, 1), B_CMAP8);
	ASSERT_TRUE(bitmap.IsValid());
	memset(bitmap.Bits(), 7, size_t(bitmap.BitsLength()));

	struct Row {
		const char* what;
		EmbedPaths paths;
		std::string sentence;
	};
	const Row rows[] = {
		{"the data", {scratch / "build/a.h", scratch / "build/a.s", scratch / "gone/a.bin"},
			"cannot write " + scratch / "gone/a.bin" + ": No such file or directory"},
		{"the assembly", {scratch / "build/b.h", scratch / "gone/b.s", scratch / "build/b.bin"},
			"cannot write " + scratch / "gone/b.s" + ": No such file or directory"},
		{"the header", {scratch / "gone/c.h", scratch / "build/c.s", scratch / "build/c.bin"},
			"cannot write " + scratch / "gone/c.h" + ": No such file or directory"},
	};
	for (const Row& row : rows) {
		SCOPED_TRACE(row.what);
		EmbedWriter writer({"image.png", "kImage", ""}, row.paths);
		BPrivate::Result<void> written = writer.Write(bitmap, nullptr);
		ASSERT_FALSE(written.Ok());
		EXPECT_EQ(written.Error().status, B_ENTRY_NOT_FOUND);
		EXPECT_EQ(written.Error().detail, row.sentence);
	}

	// Cancelled before it began: nothing of it is written.
	std::atomic<bool> cancel{true};
	EmbedWriter writer({"image.png", "kImage", ""},
		{scratch / "build/d.h", scratch / "build/d.s", scratch / "build/d.bin"});
	EXPECT_EQ(writer.Write(bitmap, &cancel).Status(), B_INTERRUPTED);
	EXPECT_EQ(ReadWhole(scratch / "build/d.h"), "");
	EXPECT_TRUE(writer.Write(bitmap, nullptr).Ok());
	EXPECT_NE(ReadWhole(scratch / "build/d.h"), "");
}
