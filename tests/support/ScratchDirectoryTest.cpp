// SPDX-License-Identifier: MIT
// The scratch directory goes with everything in it, read-only parts
// included, and touches nothing outside it on the way: its links' targets
// keep their mode (a link to a device must not open the device to all).

#include "support/Files.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

mode_t
ModeOf(const std::string& path)
{
	struct stat info;
	return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

TEST(ScratchDirectory, GoesWithReadOnlyPartsAndLeavesLinkTargetsAlone)
{
	testsupport::ScratchDirectory outside;
	const std::string target = outside / "target";
	ASSERT_TRUE(testsupport::WriteWhole(target, "kept"));
	ASSERT_EQ(chmod(target.c_str(), 0600), 0);
	ASSERT_EQ(mkdir((outside / "locked").c_str(), 0755), 0);
	ASSERT_EQ(chmod((outside / "locked").c_str(), 0700), 0);

	std::string path;
	{
		testsupport::ScratchDirectory scratch;
		path = scratch.Path();
		EXPECT_EQ(ModeOf(path), 0755u) << "others may look in";
		ASSERT_EQ(mkdir((scratch / "ro").c_str(), 0755), 0);
		ASSERT_TRUE(testsupport::WriteWhole(scratch / "ro/file", "x"));
		ASSERT_EQ(chmod((scratch / "ro").c_str(), 0555), 0);
		ASSERT_EQ(symlink(target.c_str(), (scratch / "file-link").c_str()), 0);
		ASSERT_EQ(symlink((outside / "locked").c_str(), (scratch / "dir-link").c_str()), 0);
		EXPECT_EQ(scratch.Listing(), "dir-link file-link ro");
	}
	EXPECT_NE(access(path.c_str(), F_OK), 0);
	EXPECT_EQ(ModeOf(target), 0600u);
	EXPECT_EQ(ModeOf(outside / "locked"), 0700u);
	EXPECT_EQ(testsupport::ReadWhole(target), "kept");
	EXPECT_EQ(testsupport::Listing(outside / "missing"), "");
}

} // namespace
