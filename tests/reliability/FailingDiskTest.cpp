// The export on failing disks: a full disk (a file size limit in a child
// process, and /dev/full), a directory that cannot be written, a directory
// that vanished. Each export answers false, leaves no temporary file and
// leaves an existing file exactly as it was.

#include "ChildProcess.h"
#include "ReliabilityFiles.h"

#include "image/BitmapSourceExport.h"

#include <Bitmap.h>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <cstring>

namespace {

using namespace reliability;

const std::string kOldText = "// an earlier export, kept through every failure\n"
	+ std::string(5000, '#') + "\n";

// A 64 x 64 B_RGB32 bitmap, about 100 kB of text: several buffers' worth.
std::unique_ptr<BBitmap>
MakeBitmap()
{
	auto bitmap = std::make_unique<BBitmap>(BRect(0, 0, 63, 63), B_RGB32);
	uint8* bits = static_cast<uint8*>(bitmap->Bits());
	for (int32 index = 0; index < bitmap->BitsLength(); index++)
		bits[index] = uint8(index * 7);
	return bitmap;
}

// Runs one export in a child that cannot write past `fileSizeLimit` bytes
// (0: no limit) and, when asked, runs as nobody. Exit 0: the export failed
// as it should; 1: it answered true; 125: the limits could not be set.
ChildOutcome
ExportInChild(const std::string& path, long long fileSizeLimit, bool asNobody)
{
	auto bitmap = MakeBitmap();
	ChildLimits limits;
	limits.dropPrivileges = asNobody;
	return RunLimited([&] {
		if (fileSizeLimit > 0) {
			struct rlimit limit;
			getrlimit(RLIMIT_FSIZE, &limit);
			limit.rlim_cur = rlim_t(fileSizeLimit);
			if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
				return 125;
		}
		return ExportBitmapSource(bitmap.get(), path.c_str()) ? 1 : 0;
	}, limits);
}

// File size limits around the buffer's 4095 bytes: nothing at all, less than
// one buffer, exactly one, and several.
TEST(FailingDisk, AFullDiskKeepsTheOldFileAndLeavesNoTemporary)
{
	for (long long limit : {1LL, 100LL, 4095LL, 4096LL, 8190LL, 50000LL}) {
		SCOPED_TRACE(limit);
		Scratch scratch;
		ASSERT_TRUE(WriteWhole(scratch / "icon.h", kOldText));
		ChildOutcome replacing = ExportInChild(scratch / "icon.h", limit, false);
		EXPECT_EQ(replacing.exitCode, 0) << replacing.Describe();
		EXPECT_EQ(ReadWhole(scratch / "icon.h"), kOldText);
		// A new file is not left behind half written either.
		ChildOutcome creating = ExportInChild(scratch / "new.h", limit, false);
		EXPECT_EQ(creating.exitCode, 0) << creating.Describe();
		EXPECT_EQ(Listing(scratch.Path()), "icon.h");
	}
}

// A device that is always full, named directly and through a link.
TEST(FailingDisk, ADeviceThatIsAlwaysFullAnswersFalse)
{
	struct stat info;
	if (stat("/dev/full", &info) != 0 || !S_ISCHR(info.st_mode))
		GTEST_SKIP() << "no /dev/full";
	Scratch scratch;
	ASSERT_EQ(symlink("/dev/full", (scratch / "link.h").c_str()), 0);
	const std::string devBefore = Listing("/dev");
	auto bitmap = MakeBitmap();
	for (const std::string& path : {std::string("/dev/full"), scratch / "link.h"}) {
		status_t status = B_OK;
		EXPECT_FALSE(ExportBitmapSource(bitmap.get(), path.c_str(), nullptr, &status)) << path;
		EXPECT_EQ(status, B_DEVICE_FULL) << path;
	}
	EXPECT_EQ(Listing(scratch.Path()), "link.h");
	char target[64] = {};
	ASSERT_GT(readlink((scratch / "link.h").c_str(), target, sizeof(target) - 1), 0);
	EXPECT_STREQ(target, "/dev/full");
	EXPECT_EQ(Listing("/dev"), devBefore);
}

// A directory nobody may write in (the export runs as nobody when the test
// runs as root): no new file, and the files already there stay as they were,
// also a writable one that the export can only write in place and that the
// disk then has no room for.
TEST(FailingDisk, AReadOnlyDirectoryKeepsItsFiles)
{
	Scratch scratch;
	const std::string locked = scratch / "locked";
	ASSERT_EQ(mkdir(locked.c_str(), 0755), 0);
	ASSERT_TRUE(WriteWhole(locked + "/readonly.h", kOldText));
	ASSERT_TRUE(WriteWhole(locked + "/writable.h", kOldText));
	ASSERT_EQ(chmod((locked + "/readonly.h").c_str(), 0444), 0);
	ASSERT_EQ(chmod((locked + "/writable.h").c_str(), 0666), 0);
	ASSERT_EQ(chmod(locked.c_str(), 0555), 0);

	struct Row {
		const char* leaf;
		long long fileSizeLimit;
	};
	for (Row row : {Row{"new.h", 0}, Row{"readonly.h", 0}, Row{"writable.h", 4096}}) {
		SCOPED_TRACE(row.leaf);
		ChildOutcome outcome = ExportInChild(locked + "/" + row.leaf, row.fileSizeLimit, true);
		if (outcome.exitCode == 125)
			GTEST_SKIP() << "cannot drop privileges";
		EXPECT_EQ(outcome.exitCode, 0) << outcome.Describe();
		EXPECT_EQ(Listing(locked), "readonly.h writable.h");
		EXPECT_EQ(ReadWhole(locked + "/readonly.h"), kOldText);
		EXPECT_EQ(ReadWhole(locked + "/writable.h"), kOldText);
	}
}

TEST(FailingDisk, AVanishedDirectoryGetsNothing)
{
	Scratch scratch;
	ASSERT_EQ(mkdir((scratch / "gone").c_str(), 0755), 0);
	ASSERT_EQ(rmdir((scratch / "gone").c_str()), 0);
	auto bitmap = MakeBitmap();
	status_t status = B_OK;
	EXPECT_FALSE(ExportBitmapSource(bitmap.get(), (scratch / "gone/icon.h").c_str(), nullptr,
		&status));
	EXPECT_EQ(status, B_ENTRY_NOT_FOUND);
	// The working directory vanished: a relative name has nowhere to go.
	ChildOutcome outcome = RunLimited([&] {
		if (chdir((scratch / "").c_str()) != 0 || mkdir("cwd", 0755) != 0 || chdir("cwd") != 0
			|| rmdir((scratch / "cwd").c_str()) != 0) {
			return 125;
		}
		return ExportBitmapSource(bitmap.get(), "icon.h") ? 1 : 0;
	});
	EXPECT_EQ(outcome.exitCode, 0) << outcome.Describe();
	EXPECT_EQ(Listing(scratch.Path()), "");
}

} // namespace
