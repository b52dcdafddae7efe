// SPDX-License-Identifier: MIT
#include "support/Files.h"

#include <Entry.h>
#include <Path.h>

#include <gtest/gtest.h>

#include <cstring>
#include <unistd.h>

using testsupport::ScratchDirectory;

namespace {

std::string
WorkingDirectory()
{
	char buffer[4096];
	return getcwd(buffer, sizeof(buffer)) != nullptr ? buffer : "";
}

} // namespace

TEST(Path, SetToCleansWithoutNormalising)
{
	const std::string cwd = WorkingDirectory();
	struct Row {
		const char* path;
		const char* leaf;
		std::string expected;
		const char* expectedLeaf;
	};
	const Row rows[] = {
		{"/boot/home/sunset.png.h", nullptr, "/boot/home/sunset.png.h", "sunset.png.h"},
		{"//a///b/", nullptr, "/a/b", "b"},
		{"/", nullptr, "/", ""},
		{"/a/./b/../c", nullptr, "/a/./b/../c", "c"},
		{"rel/x.h", nullptr, cwd + "/rel/x.h", "x.h"},
		{"/dir", "name.h", "/dir/name.h", "name.h"},
		{"/dir/", "sub/name.h", "/dir/sub/name.h", "name.h"},
	};
	for (const Row& row : rows) {
		BPath path(row.path, row.leaf);
		ASSERT_EQ(path.InitCheck(), B_OK) << row.path;
		EXPECT_STREQ(path.Path(), row.expected.c_str()) << row.path;
		EXPECT_STREQ(path.Leaf(), row.expectedLeaf) << row.path;
	}
}

TEST(Path, RejectsMissingOrAbsoluteParts)
{
	EXPECT_EQ(BPath(static_cast<const char*>(nullptr)).InitCheck(), B_BAD_VALUE);
	EXPECT_EQ(BPath("").InitCheck(), B_BAD_VALUE);
	EXPECT_EQ(BPath("/a", "/b").InitCheck(), B_BAD_VALUE);
	BPath unset;
	EXPECT_EQ(unset.InitCheck(), B_NO_INIT);
	EXPECT_EQ(unset.Path(), nullptr);
	EXPECT_EQ(unset.Leaf(), nullptr);
}

TEST(Path, AppendJoinsOneLeafOnly)
{
	struct Row {
		const char* leaf;
		status_t status;
		const char* expected;
	};
	const Row rows[] = {
		{"pic.png.h", B_OK, "/base/pic.png.h"},
		{"with blank", B_OK, "/base/with blank"},
		{"", B_BAD_VALUE, "/base"},
		{nullptr, B_BAD_VALUE, "/base"},
		{"a/b", B_BAD_VALUE, "/base"},
		{"/abs", B_BAD_VALUE, "/base"},
		{".", B_BAD_VALUE, "/base"},
		{"..", B_BAD_VALUE, "/base"},
	};
	for (const Row& row : rows) {
		BPath path("/base");
		EXPECT_EQ(path.Append(row.leaf), row.status) << (row.leaf ? row.leaf : "(null)");
		EXPECT_STREQ(path.Path(), row.expected);
	}
	BPath root("/");
	ASSERT_EQ(root.Append("x"), B_OK);
	EXPECT_STREQ(root.Path(), "/x");

	BPath unset;
	EXPECT_EQ(unset.Append("x"), B_BAD_VALUE);
	EXPECT_EQ(unset.InitCheck(), B_NO_INIT);
}

TEST(Path, NormalisingResolvesLinksAndDots)
{
	ScratchDirectory scratch;
	ASSERT_EQ(mkdir((scratch / "real").c_str(), 0755), 0);
	ASSERT_EQ(symlink("real", (scratch / "link").c_str()), 0);

	BPath path((scratch.Path() + "/link/../link/file").c_str(), nullptr, true);
	ASSERT_EQ(path.InitCheck(), B_OK);
	EXPECT_EQ(std::string(path.Path()), scratch / "real/file");

	BPath missing((scratch.Path() + "/nowhere/file").c_str(), nullptr, true);
	EXPECT_EQ(missing.InitCheck(), B_ENTRY_NOT_FOUND);

	BPath parent;
	ASSERT_EQ(path.GetParent(&parent), B_OK);
	EXPECT_EQ(std::string(parent.Path()), scratch / "real");
	BPath root("/");
	EXPECT_EQ(root.GetParent(&parent), B_ENTRY_NOT_FOUND);
}

TEST(Entry, NamesEntriesThatDoNotExistYet)
{
	ScratchDirectory scratch;
	BEntry entry((scratch / "new.h").c_str());
	ASSERT_EQ(entry.InitCheck(), B_OK);
	EXPECT_FALSE(entry.Exists());
	EXPECT_FALSE(entry.IsFile());

	char name[B_FILE_NAME_LENGTH];
	ASSERT_EQ(entry.GetName(name), B_OK);
	EXPECT_STREQ(name, "new.h");

	BEntry missingDirectory((scratch / "nowhere/new.h").c_str());
	EXPECT_EQ(missingDirectory.InitCheck(), B_ENTRY_NOT_FOUND);
	testsupport::WriteWhole(scratch / "file", "x");
	BEntry belowFile((scratch / "file/new.h").c_str());
	EXPECT_EQ(belowFile.InitCheck(), B_NOT_A_DIRECTORY);
	EXPECT_EQ(BEntry("").InitCheck(), B_BAD_VALUE);
	EXPECT_EQ(BEntry((scratch.Path() + "/" + std::string(300, 'n')).c_str()).InitCheck(),
		B_NAME_TOO_LONG);
}

TEST(Entry, KindsAreThoseOfTheEntryItself)
{
	ScratchDirectory scratch;
	testsupport::WriteWhole(scratch / "file", "x");
	ASSERT_EQ(mkdir((scratch / "dir").c_str(), 0755), 0);
	ASSERT_EQ(symlink("file", (scratch / "link").c_str()), 0);

	BEntry file((scratch / "file").c_str());
	BEntry dir((scratch / "dir").c_str());
	BEntry link((scratch / "link").c_str(), false);
	EXPECT_TRUE(file.IsFile() && !file.IsDirectory() && !file.IsSymLink());
	EXPECT_TRUE(dir.IsDirectory() && !dir.IsFile());
	EXPECT_TRUE(link.IsSymLink() && !link.IsFile());
	EXPECT_TRUE(link.Exists());
}

TEST(Entry, TraversalFollowsChainsOfLinks)
{
	ScratchDirectory scratch;
	ASSERT_EQ(mkdir((scratch / "sub").c_str(), 0755), 0);
	testsupport::WriteWhole(scratch / "sub/target", "x");
	// A relative link counts from the link's directory, not the working one.
	ASSERT_EQ(symlink("sub/target", (scratch / "first").c_str()), 0);
	ASSERT_EQ(symlink((scratch / "first").c_str(), (scratch / "second").c_str()), 0);
	ASSERT_EQ(symlink("missing", (scratch / "dangling").c_str()), 0);
	ASSERT_EQ(symlink("loop-b", (scratch / "loop-a").c_str()), 0);
	ASSERT_EQ(symlink("loop-a", (scratch / "loop-b").c_str()), 0);

	BEntry followed((scratch / "second").c_str(), true);
	BPath path;
	ASSERT_EQ(followed.GetPath(&path), B_OK);
	EXPECT_EQ(std::string(path.Path()), scratch / "sub/target");
	EXPECT_TRUE(followed.IsFile());

	BEntry dangling((scratch / "dangling").c_str(), true);
	ASSERT_EQ(dangling.InitCheck(), B_OK);
	EXPECT_FALSE(dangling.Exists());
	ASSERT_EQ(dangling.GetPath(&path), B_OK);
	EXPECT_EQ(std::string(path.Path()), scratch / "missing");

	EXPECT_EQ(BEntry((scratch / "loop-a").c_str(), true).InitCheck(), B_LINK_LIMIT);
	EXPECT_EQ(BEntry((scratch / "loop-a").c_str(), false).InitCheck(), B_OK);
}

TEST(Entry, RefsRoundTripAndCompare)
{
	ScratchDirectory scratch;
	BEntry entry((scratch.Path() + "//./pic.png").c_str());
	entry_ref ref;
	ASSERT_EQ(entry.GetRef(&ref), B_OK);
	EXPECT_STREQ(ref.name, "pic.png");
	char resolved[4096];
	ASSERT_NE(realpath(scratch.Path().c_str(), resolved), nullptr);
	EXPECT_STREQ(ref.directory, resolved);

	entry_ref copy = ref;
	EXPECT_EQ(copy, ref);
	ASSERT_EQ(copy.set_name("other.png"), B_OK);
	EXPECT_NE(copy, ref);
	entry_ref moved = std::move(copy);
	EXPECT_STREQ(moved.name, "other.png");
	EXPECT_EQ(copy.name, nullptr);

	BEntry again(&ref);
	EXPECT_EQ(again, entry);
	BPath path(&ref);
	EXPECT_EQ(std::string(path.Path()), std::string(resolved) + "/pic.png");

	entry_ref bad(resolved, "a/b");
	EXPECT_EQ(BEntry(&bad).InitCheck(), B_BAD_VALUE);
	EXPECT_EQ(BEntry(static_cast<const entry_ref*>(nullptr)).InitCheck(), B_BAD_VALUE);
}

TEST(Entry, ParentsLeadUpToTheRoot)
{
	BEntry entry("/usr/lib");
	BEntry parent;
	ASSERT_EQ(entry.GetParent(&parent), B_OK);
	BPath path;
	ASSERT_EQ(parent.GetPath(&path), B_OK);
	EXPECT_STREQ(path.Path(), "/usr");
	ASSERT_EQ(parent.GetParent(&parent), B_OK);
	ASSERT_EQ(parent.GetPath(&path), B_OK);
	EXPECT_STREQ(path.Path(), "/");
	EXPECT_EQ(parent.GetParent(&parent), B_ENTRY_NOT_FOUND);

	entry_ref rootRef;
	ASSERT_EQ(BEntry("/").GetRef(&rootRef), B_OK);
	EXPECT_EQ(BEntry(&rootRef), BEntry("/"));
}

TEST(Entry, RenameKeepsOrReplacesTheTarget)
{
	ScratchDirectory scratch;
	testsupport::WriteWhole(scratch / "a", "A");
	testsupport::WriteWhole(scratch / "b", "B");

	BEntry entry((scratch / "a").c_str());
	EXPECT_EQ(entry.Rename("b", false), B_FILE_EXISTS);
	EXPECT_EQ(testsupport::ReadWhole(scratch / "b"), "B");
	ASSERT_EQ(entry.Rename("b", true), B_OK);
	EXPECT_EQ(testsupport::ReadWhole(scratch / "b"), "A");
	EXPECT_EQ(scratch.Listing(), "b");

	char name[B_FILE_NAME_LENGTH];
	ASSERT_EQ(entry.GetName(name), B_OK);
	EXPECT_STREQ(name, "b");
	ASSERT_EQ(entry.Remove(), B_OK);
	EXPECT_EQ(scratch.Listing(), "");
	EXPECT_EQ(entry.Remove(), B_ENTRY_NOT_FOUND);
}
