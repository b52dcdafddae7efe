// SPDX-License-Identifier: MIT
// Saving over every kind of file a person may have: each row prepares a
// situation in a scratch directory, saves there in a child process (as root,
// or as nobody where rights matter) and then checks what became of the file:
// its bytes, inode, link count, owner, group, mode and extended attributes,
// and that no temporary file is left. Every save ends in exactly one of two
// ways: the new text in the file, which stays the file it was, or the old
// file byte for byte with a clear error.

#include "support/ChildProcess.h"
#include "support/Files.h"
#include "support/SampleExport.h"

#include "export/BitmapSourceExport.h"
#include "export/FormatBitmapSource.h"

#include <Bitmap.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <cstring>
#include <functional>
#include <map>
#include <thread>

namespace {

using namespace testsupport;

constexpr gid_t kSharedGroup = 100; // "users" on Debian
constexpr const char* kIconName = "icon";
const std::string kOldText = "// the person's own file, kept through every failure\n"
	+ std::string(5000, '#') + "\n";

// What a file is, as far as the person can tell.
struct Snapshot {
	bool exists = false;
	std::string bytes;
	ino_t inode = 0;
	nlink_t links = 0;
	uid_t owner = 0;
	gid_t group = 0;
	mode_t mode = 0;
	std::map<std::string, std::string> attributes; // the type aside
};

Snapshot
Take(const std::string& path)
{
	Snapshot snapshot;
	struct stat info;
	if (stat(path.c_str(), &info) != 0)
		return snapshot;
	snapshot.exists = true;
	snapshot.bytes = ReadWhole(path);
	snapshot.inode = info.st_ino;
	snapshot.links = info.st_nlink;
	snapshot.owner = info.st_uid;
	snapshot.group = info.st_gid;
	snapshot.mode = info.st_mode & 07777;
	char names[4096];
	ssize_t size = listxattr(path.c_str(), names, sizeof(names));
	for (ssize_t at = 0; at < size; at += ssize_t(strlen(names + at)) + 1) {
		std::string name = names + at;
		if (name == "user.mime_type")
			continue;
		char value[4096];
		ssize_t length = getxattr(path.c_str(), name.c_str(), value, sizeof(value));
		snapshot.attributes[name] = std::string(value, size_t(std::max<ssize_t>(length, 0)));
	}
	return snapshot;
}

std::string
TypeOf(const std::string& path)
{
	char type[256];
	ssize_t length = getxattr(path.c_str(), "user.mime_type", type, sizeof(type));
	return length > 0 ? std::string(type, size_t(length)) : std::string();
}

// A POSIX access ACL as the kernel stores it: owner rw, user 1234 rw, group
// r, mask rw, others r.
std::string
AccessAcl()
{
	struct Entry {
		uint16 tag;
		uint16 permissions;
		uint32 id;
	};
	const Entry entries[] = {
		{0x01, 6, ~0u}, {0x02, 6, 1234}, {0x04, 4, ~0u}, {0x10, 6, ~0u}, {0x20, 4, ~0u}};
	std::string value("\x02\x00\x00\x00", 4);
	for (const Entry& entry : entries)
		value.append(reinterpret_cast<const char*>(&entry), sizeof(entry));
	return value;
}

enum class Who {
	kRoot,
	kNobody,
	kNobodyInGroup
};
enum class Ends {
	kNewText,
	kOldText
};

struct Context {
	std::string directory; // the scratch directory, open to everyone
	Who who;
};

// Prepares the situation; answers the name to save to, or "" when the
// situation cannot be made here (the row is skipped with `skip`).
using Prepare = std::function<std::string(const Context& context, std::string* skip)>;

struct Row {
	const char* situation;
	Who who;
	Prepare prepare;
	Ends ends;
	status_t status; // the failure expected when the old file stays
	bool sameInode; // the text must land in the very file (links, identity)
};

std::string
Owned(const std::string& path, uid_t owner, gid_t group, mode_t mode)
{
	if (!WriteWhole(path, kOldText) || chown(path.c_str(), owner, group) != 0
		|| chmod(path.c_str(), mode) != 0) {
		return std::string();
	}
	return path;
}

bool
BecomeNobody(bool inSharedGroup)
{
	gid_t groups[] = {kSharedGroup};
	return setgroups(inSharedGroup ? 1 : 0, groups) == 0 && setgid(kNobody) == 0
		&& setuid(kNobody) == 0;
}

// A file `leaf` in the scratch directory with the old text, owner, group and mode.
Prepare
File(const char* leaf, uid_t owner, gid_t group, mode_t mode)
{
	return [=](const Context& c, std::string*) {
		return Owned(c.directory + "/" + leaf, owner, group, mode);
	};
}

// A file of `owner`'s with a second hard link, h2.h, beside it.
Prepare
HardLinked(uid_t owner)
{
	return [=](const Context& c, std::string*) {
		std::string path = Owned(c.directory + "/h1.h", owner, owner, 0644);
		if (link(path.c_str(), (c.directory + "/h2.h").c_str()) != 0)
			return std::string();
		return path;
	};
}

// A file with a user attribute and an access ACL.
std::string
Tagged(const Context& c, std::string* skip)
{
	std::string path = Owned(c.directory + "/tagged.h", kNobody, kNobody, 0664);
	std::string acl = AccessAcl();
	if (setxattr(path.c_str(), "user.note", "keep", 4, 0) != 0
		|| setxattr(path.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) != 0) {
		*skip = "no extended attributes or ACLs here";
		return std::string();
	}
	return path;
}

// A file of nobody's with `mode` in a directory nobody may not write.
Prepare
InLockedDirectory(const char* leaf, mode_t mode)
{
	return [=](const Context& c, std::string*) {
		std::string locked = c.directory + "/locked";
		if (mkdir(locked.c_str(), 0755) != 0)
			return std::string();
		std::string path = Owned(locked + "/" + leaf, kNobody, kNobody, mode);
		chmod(locked.c_str(), 0555);
		return path;
	};
}

const Row kRows[] = {
	{"a new file", Who::kRoot,
		[](const Context& c, std::string*) { return c.directory + "/new.h"; }, Ends::kNewText, B_OK,
		false},
	{"a plain file keeps owner, group and mode", Who::kRoot,
		File("plain.h", kNobody, kSharedGroup, 0640), Ends::kNewText, B_OK, false},
	{"a plain file of one's own, as nobody", Who::kNobody, File("plain.h", kNobody, kNobody, 0600),
		Ends::kNewText, B_OK, false},
	{"a read-only file is refused, as nobody", Who::kNobody, File("readonly.h", 0, 0, 0444),
		Ends::kOldText, B_PERMISSION_DENIED, true},
	{"a read-only file of one's own is refused as by the shell", Who::kNobody,
		File("readonly.h", kNobody, kNobody, 0444), Ends::kOldText, B_PERMISSION_DENIED, true},
	{"a read-only file is written by root, keeping its mode", Who::kRoot,
		File("readonly.h", kNobody, kNobody, 0444), Ends::kNewText, B_OK, false},
	{"a hard link keeps the text in the one file", Who::kRoot, HardLinked(0), Ends::kNewText, B_OK,
		true},
	{"a hard link, as nobody", Who::kNobody, HardLinked(kNobody), Ends::kNewText, B_OK, true},
	{"another owner's file is written in place", Who::kNobody, File("theirs.h", 0, 0, 0666),
		Ends::kNewText, B_OK, true},
	{"a group-shared file keeps its group", Who::kNobodyInGroup,
		File("shared.h", 0, kSharedGroup, 0664), Ends::kNewText, B_OK, true},
	{"extended attributes and an ACL are kept", Who::kRoot, Tagged, Ends::kNewText, B_OK, false},
	{"extended attributes and an ACL, as the owner", Who::kNobody, Tagged, Ends::kNewText, B_OK,
		false},
	{"a directory's default ACL does not reach a file that had none", Who::kRoot,
		[](const Context& c, std::string* skip) {
			std::string inheriting = c.directory + "/inheriting";
			std::string acl = AccessAcl();
			if (mkdir(inheriting.c_str(), 0777) != 0)
				return std::string();
			std::string path = Owned(inheriting + "/plain.h", 0, 0, 0644);
			if (setxattr(inheriting.c_str(), "system.posix_acl_default", acl.data(), acl.size(), 0)
				!= 0) {
				*skip = "no ACLs here";
				return std::string();
			}
			return path;
		},
		Ends::kNewText, B_OK, false},
	{"a sticky directory", Who::kNobody,
		[](const Context& c, std::string*) {
			std::string sticky = c.directory + "/sticky";
			if (mkdir(sticky.c_str(), 0700) != 0 || chmod(sticky.c_str(), 01777) != 0)
				return std::string();
			return Owned(sticky + "/theirs.h", 0, 0, 0666);
		},
		Ends::kNewText, B_OK, true},
	{"a read-only directory: a writable file is written in place", Who::kNobody,
		InLockedDirectory("writable.h", 0644), Ends::kNewText, B_OK, true},
	{"a write-only file in a read-only directory is not risked", Who::kNobody,
		InLockedDirectory("writeonly.h", 0200), Ends::kOldText, B_PERMISSION_DENIED, true},
	{"a write-only file in a writable directory is replaced", Who::kNobody,
		File("writeonly.h", kNobody, kNobody, 0200), Ends::kNewText, B_OK, false},
};

// `listing` (as Listing gives it) with `leaf` among its entries.
std::string
WithEntry(const std::string& listing, const std::string& leaf)
{
	std::vector<std::string> names = {leaf};
	for (size_t start = 0; start < listing.size();) {
		size_t blank = listing.find(' ', start);
		names.push_back(listing.substr(start, blank - start));
		start = blank == std::string::npos ? listing.size() : blank + 1;
	}
	std::sort(names.begin(), names.end());
	std::string joined;
	for (const std::string& name : names)
		joined += (joined.empty() ? "" : " ") + name;
	return joined;
}

class FileSituation : public testing::TestWithParam<Row> {
protected:
	void SetUp() override
	{
		if (geteuid() != 0)
			GTEST_SKIP() << "the situations are made as root (owners, groups)";
		ASSERT_EQ(chmod(fScratch.Path().c_str(), 0777), 0);
	}

	ScratchDirectory fScratch;
};

// Saves `bitmap` to `path` in a child as `who`; the export's status.
status_t
SaveInChild(const BBitmap& bitmap, const std::string& path, Who who)
{
	int channel[2];
	if (pipe(channel) != 0)
		return B_ERROR;
	ChildOutcome outcome = RunInChild([&] {
		close(channel[0]);
		umask(022);
		if (who != Who::kRoot && !BecomeNobody(who == Who::kNobodyInGroup))
			return 125;
		status_t status = ExportBitmapSource(&bitmap, path.c_str(), {.iconName = kIconName})
							  .Status();
		return write(channel[1], &status, sizeof(status)) == sizeof(status) ? 0 : 124;
	});
	close(channel[1]);
	status_t status = B_ERROR;
	if (read(channel[0], &status, sizeof(status)) != sizeof(status) || outcome.exitCode != 0)
		status = outcome.exitCode == 125 ? B_NOT_ALLOWED : B_ERROR;
	close(channel[0]);
	return status;
}

TEST_P(FileSituation, EndsWithTheNewTextOrTheOldFile)
{
	const Row& row = GetParam();
	SCOPED_TRACE(row.situation);
	std::string skip;
	const std::string path = row.prepare(Context{fScratch.Path(), row.who}, &skip);
	if (!skip.empty())
		GTEST_SKIP() << skip;
	ASSERT_FALSE(path.empty()) << "could not make the situation";
	const std::string directory = path.substr(0, path.rfind('/'));
	const std::string listing = Listing(directory);
	const Snapshot before = Take(path);

	auto bitmap = MakeSampleBitmap();
	status_t status = SaveInChild(*bitmap, path, row.who);
	ASSERT_NE(status, B_NOT_ALLOWED) << "the child could not take its rights";

	const Snapshot after = Take(path);
	if (row.ends == Ends::kOldText) {
		EXPECT_EQ(status, row.status) << status_text(status);
		EXPECT_EQ(after.exists, before.exists);
		EXPECT_TRUE(after.bytes == before.bytes) << "the old bytes changed";
	} else {
		EXPECT_EQ(status, B_OK) << status_text(status);
		EXPECT_TRUE(after.bytes == SampleTextOf(*bitmap, kIconName)) << "not the new text";
		EXPECT_EQ(TypeOf(path), "text/x-source-code");
	}
	// Whatever happened, the file is the file it was, and nothing was left
	// beside it.
	EXPECT_EQ(Listing(directory),
		before.exists || row.ends == Ends::kOldText
			? listing
			: WithEntry(listing, path.substr(path.rfind('/') + 1)));
	if (!before.exists) {
		if (after.exists) {
			EXPECT_EQ(after.mode, 0644u);
			EXPECT_EQ(after.links, 1u);
		}
		return;
	}
	if (row.sameInode) {
		EXPECT_EQ(after.inode, before.inode);
	}
	EXPECT_EQ(after.links, before.links);
	EXPECT_EQ(after.owner, before.owner);
	EXPECT_EQ(after.group, before.group);
	EXPECT_EQ(after.mode, before.mode);
	EXPECT_EQ(after.attributes, before.attributes);
	if (before.links > 1) {
		EXPECT_TRUE(ReadWhole(directory + "/h2.h") == after.bytes) << "a link kept other text";
	}
}

std::string
RowName(const testing::TestParamInfo<Row>& info)
{
	std::string name;
	for (const char* c = info.param.situation; *c != '\0'; c++)
		name += isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
	return std::to_string(info.index) + "_" + name;
}

INSTANTIATE_TEST_SUITE_P(Rows, FileSituation, testing::ValuesIn(kRows), RowName);

} // namespace
