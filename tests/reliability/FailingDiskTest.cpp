// SPDX-License-Identifier: MIT
// The export on failing disks, one row per way a disk fails: full (a file
// size limit in a child process, and /dev/full), a directory that cannot be
// written, a directory that vanished. Each row exports in a child process
// (as nobody where rights matter) and checks the answer, the reason and what
// became of the directory: a failed export leaves every file there as it was
// (bytes, inode, links, owner and mode) and no temporary file beside them.

#include "support/ChildProcess.h"
#include "support/Files.h"
#include "support/SampleExport.h"

#include "export/BitmapSourceExport.h"
#include "export/FormatBitmapSource.h"

#include <Bitmap.h>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>

namespace {

using namespace testsupport;

const std::string kOldText = "// an earlier export, kept through every failure\n"
	+ std::string(5000, '#') + "\n";

// Everything under `directory` as a person could tell it apart: for each
// entry its inode, links, owner and mode, and its bytes (a file) or target
// (a link).
std::map<std::string, std::string>
Snapshot(const std::string& directory)
{
	std::map<std::string, std::string> entries;
	std::error_code error;
	for (std::filesystem::recursive_directory_iterator entry(directory, error), end;
		 !error && entry != end; entry.increment(error)) {
		const std::string path = entry->path().string();
		struct stat info;
		if (lstat(path.c_str(), &info) != 0)
			continue;
		std::string& described = entries[path.substr(directory.size())];
		described = std::to_string(info.st_ino) + " " + std::to_string(info.st_nlink) + " "
			+ std::to_string(info.st_uid) + " " + std::to_string(info.st_mode) + " ";
		if (S_ISREG(info.st_mode)) {
			described += ReadWhole(path);
		} else if (S_ISLNK(info.st_mode)) {
			char target[4096] = {};
			if (readlink(path.c_str(), target, sizeof(target) - 1) > 0)
				described += target;
		}
	}
	return entries;
}

// The entries that differ between two snapshots, by name.
std::string
Changes(const std::map<std::string, std::string>& before,
	const std::map<std::string, std::string>& after)
{
	std::string changes;
	for (const auto& [name, described] : before) {
		auto found = after.find(name);
		if (found == after.end())
			changes += name + " went; ";
		else if (found->second != described)
			changes += name + " changed; ";
	}
	for (const auto& [name, described] : after) {
		if (before.count(name) == 0)
			changes += name + " appeared; ";
	}
	return changes;
}

// A directory nobody may write in, holding a read-only and a writable file,
// both with the old text.
std::string
LockedDirectory(const std::string& scratch)
{
	const std::string locked = scratch + "/locked";
	if (mkdir(locked.c_str(), 0755) != 0 || !WriteWhole(locked + "/readonly.h", kOldText)
		|| !WriteWhole(locked + "/writable.h", kOldText)
		|| chmod((locked + "/readonly.h").c_str(), 0444) != 0
		|| chmod((locked + "/writable.h").c_str(), 0666) != 0 || chmod(locked.c_str(), 0555) != 0) {
		return std::string();
	}
	return locked;
}

struct Row {
	const char* situation;
	// Prepares the scratch directory; answers the name to export to, or ""
	// when the situation cannot be made.
	std::function<std::string(const std::string& scratch)> prepare;
	long long fileSizeLimit = 0; // 0: no limit
	bool asNobody = false;
	// B_OK: the export succeeds, writing the file in place; otherwise the
	// reason the export gives when it answers false.
	status_t status = B_DEVICE_FULL;
	// Run in the child just before the export; false: the situation could
	// not be made.
	std::function<bool(const std::string& scratch)> inChild = nullptr;
};

std::function<std::string(const std::string&)>
OldFile(const char* leaf)
{
	return [leaf](const std::string& scratch) {
		const std::string path = scratch + "/" + leaf;
		return WriteWhole(path, kOldText) ? path : std::string();
	};
}

std::function<std::string(const std::string&)>
NewFile(const char* leaf)
{
	return [leaf](const std::string& scratch) { return scratch + "/" + leaf; };
}

std::function<std::string(const std::string&)>
InLockedDirectory(const char* leaf)
{
	return [leaf](const std::string& scratch) {
		const std::string locked = LockedDirectory(scratch);
		return locked.empty() ? locked : locked + "/" + leaf;
	};
}

// File size limits around the buffer's 4095 bytes: nothing at all, less
// than one buffer, exactly one, and several.
const Row kRows[] = {
	{"a full disk, replacing a file, at 1 byte", OldFile("icon.h"), 1},
	{"a full disk, replacing a file, at 100 bytes", OldFile("icon.h"), 100},
	{"a full disk, replacing a file, at 4095 bytes", OldFile("icon.h"), 4095},
	{"a full disk, replacing a file, at 4096 bytes", OldFile("icon.h"), 4096},
	{"a full disk, replacing a file, at 8190 bytes", OldFile("icon.h"), 8190},
	{"a full disk, replacing a file, at 20000 bytes", OldFile("icon.h"), 20000},
	{"a full disk, replacing a file, at 50000 bytes", OldFile("icon.h"), 50000},
	{"a full disk, making a new file, at 1 byte", NewFile("new.h"), 1},
	{"a full disk, making a new file, at 100 bytes", NewFile("new.h"), 100},
	{"a full disk, making a new file, at 4095 bytes", NewFile("new.h"), 4095},
	{"a full disk, making a new file, at 4096 bytes", NewFile("new.h"), 4096},
	{"a full disk, making a new file, at 8190 bytes", NewFile("new.h"), 8190},
	{"a full disk, making a new file, at 50000 bytes", NewFile("new.h"), 50000},
	{"a full disk, writing a hard-linked file in place: the old bytes go back",
		[](const std::string& scratch) {
			const std::string path = scratch + "/h1.h";
			if (!WriteWhole(path, kOldText) || link(path.c_str(), (scratch + "/h2.h").c_str()) != 0)
				return std::string();
			return path;
		},
		8190},
	{"a device that is always full, by name",
		[](const std::string&) { return std::string("/dev/full"); }},
	{"a device that is always full, through a link",
		[](const std::string& scratch) {
			const std::string path = scratch + "/link.h";
			return symlink("/dev/full", path.c_str()) == 0 ? path : std::string();
		}},
	{"a read-only directory gets no new file", InLockedDirectory("new.h"), 0, true,
		B_PERMISSION_DENIED},
	{"a read-only directory keeps its read-only file", InLockedDirectory("readonly.h"), 0, true,
		B_PERMISSION_DENIED},
	{"a read-only directory keeps a writable file the disk has no room for",
		InLockedDirectory("writable.h"), 4096, true},
	{"a read-only directory has a writable file written in place", InLockedDirectory("writable.h"),
		0, true, B_OK},
	{"a vanished directory gets nothing",
		[](const std::string& scratch) {
			const std::string gone = scratch + "/gone";
			if (mkdir(gone.c_str(), 0755) != 0 || rmdir(gone.c_str()) != 0)
				return std::string();
			return gone + "/icon.h";
		},
		0, false, B_ENTRY_NOT_FOUND},
	{"a vanished working directory: a relative name has nowhere to go",
		[](const std::string&) { return std::string("icon.h"); }, 0, false, B_ENTRY_NOT_FOUND,
		[](const std::string& scratch) {
			const std::string cwd = scratch + "/cwd";
			return mkdir(cwd.c_str(), 0755) == 0 && chdir(cwd.c_str()) == 0
				&& rmdir(cwd.c_str()) == 0;
		}},
};

struct Export {
	bool done = false; // the child reported the export's answer
	bool saved = false;
	status_t status = B_ERROR;
	ChildOutcome outcome;
};

// Exports `bitmap` to `path` in a child under the row's limits and rights.
// A child that could not make the situation exits 125 (no rights to drop,
// or a limit or hook that failed) or 126 (it may still write everywhere).
Export
ExportInChild(
	const BBitmap& bitmap, const std::string& path, const Row& row, const std::string& scratch)
{
	Export result;
	int channel[2];
	if (pipe(channel) != 0)
		return result;
	ChildLimits limits;
	limits.dropPrivileges = row.asNobody;
	result.outcome = RunInChild(
		[&] {
			close(channel[0]);
			if (row.asNobody) {
				const std::string directory = path.substr(0, path.rfind('/'));
				if (access(directory.c_str(), W_OK) == 0)
					return 126;
			}
			if ((row.fileSizeLimit > 0 && !LimitFileSize(row.fileSizeLimit))
				|| (row.inChild && !row.inChild(scratch))) {
				return 125;
			}
			BPrivate::Result<void> result = ExportBitmapSource(&bitmap, path.c_str());
			bool saved = result.Ok();
			status_t status = result.Status();
			return write(channel[1], &saved, sizeof(saved)) == sizeof(saved)
					&& write(channel[1], &status, sizeof(status)) == sizeof(status)
				? 0
				: 124;
		},
		limits);
	close(channel[1]);
	result.done = result.outcome.exitCode == 0
		&& read(channel[0], &result.saved, sizeof(result.saved)) == sizeof(result.saved)
		&& read(channel[0], &result.status, sizeof(result.status)) == sizeof(result.status);
	close(channel[0]);
	return result;
}

class FailingDisk : public testing::TestWithParam<Row> {
protected:
	ScratchDirectory fScratch;
};

TEST_P(FailingDisk, AnswersWhyAndLeavesEveryFileAsItWas)
{
	const Row& row = GetParam();
	SCOPED_TRACE(row.situation);
	const std::string path = row.prepare(fScratch.Path());
	ASSERT_FALSE(path.empty()) << "could not make the situation";
	// The name leads to a device, directly or through a link.
	std::string target = path;
	char link[4096];
	ssize_t length = readlink(path.c_str(), link, sizeof(link));
	if (length > 0)
		target.assign(link, size_t(length));
	const bool onDevice = target.rfind("/dev/", 0) == 0;
	if (onDevice) {
		struct stat info;
		if (stat("/dev/full", &info) != 0 || !S_ISCHR(info.st_mode))
			GTEST_SKIP() << "no /dev/full";
	}
	const auto before = Snapshot(fScratch.Path());
	const std::string devices = onDevice ? Listing("/dev") : std::string();

	auto bitmap = MakeSampleBitmap();
	Export result = ExportInChild(*bitmap, path, row, fScratch.Path());
	if (result.outcome.exitCode == 125 || result.outcome.exitCode == 126)
		GTEST_SKIP() << "cannot make the situation here (" << result.outcome.Describe() << ")";
	ASSERT_TRUE(result.done) << result.outcome.Describe();

	if (row.status != B_OK) {
		EXPECT_FALSE(result.saved);
		EXPECT_EQ(result.status, row.status) << status_text(result.status);
		EXPECT_EQ(Changes(before, Snapshot(fScratch.Path())), "");
	} else {
		// Written where it stands, as no new file can be made beside it.
		EXPECT_TRUE(result.saved) << status_text(result.status);
		EXPECT_EQ(result.status, B_OK);
		const std::string leaf = path.substr(path.rfind('/') + 1);
		EXPECT_TRUE(ReadWhole(path) == SampleTextOf(*bitmap, leaf.c_str())) << "not the new text";
		auto after = Snapshot(fScratch.Path());
		const std::string name = path.substr(fScratch.Path().size());
		EXPECT_EQ(after[name].substr(0, after[name].find(' ')),
			before.at(name).substr(0, before.at(name).find(' ')))
			<< "not the same file";
		after[name] = before.at(name);
		EXPECT_EQ(Changes(before, after), "");
	}
	if (onDevice) {
		EXPECT_EQ(Listing("/dev"), devices);
	}
}

std::string
RowName(const testing::TestParamInfo<Row>& info)
{
	std::string name;
	for (const char* c = info.param.situation; *c != '\0'; c++)
		name += isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
	return name;
}

INSTANTIATE_TEST_SUITE_P(Rows, FailingDisk, testing::ValuesIn(kRows), RowName);

} // namespace
