// SPDX-License-Identifier: MIT
// The situations of FileSituationTest that need the whole exporter or a
// mount namespace: quillpix-export writing into what a shell redirected
// (/dev/stdout into a file, appended to a log, into a pipe), a FIFO, a signal
// in the middle of a save, a disk that is really full and a file mounted on
// its own.

#include "support/ChildProcess.h"
#include "support/Files.h"
#include "support/Program.h"
#include "support/Waiting.h"

#include "export/BitmapSourceExport.h"

#include <Bitmap.h>

#include <gtest/gtest.h>

#include <dirent.h>
#include <sched.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <chrono>
#include <csignal>
#include <cstring>

namespace {

using namespace testsupport;

const std::string kExporter = QUILLPIX_BINARY_DIR "/tools/quillpix-export";
const std::string kImage = QUILLPIX_SOURCE_DIR "/tests/data/images/colour.png";
const std::string kOldText = "// the person's own file\n" + std::string(5000, '#') + "\n";

// Runs `command` with /bin/sh in `directory`, with $E the exporter and $I the
// image; its exit status, or -1.
int
Shell(const std::string& directory, const std::string& command)
{
	std::string script = "cd '" + directory + "' && E='" + kExporter + "' && I='" + kImage + "' && "
		+ command;
	return RunProgram({{"/bin/sh", "-c", script}}).ExitCode();
}

ino_t
InodeOf(const std::string& path)
{
	struct stat info;
	return stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

struct ShellRow {
	const char* situation;
	const char* before; // out.h's content before, null: no out.h
	const char* command;
	const char* prefix; // out.h afterwards: prefix, the text, "foot\n"
};

const ShellRow kShellRows[] = {
	{"/dev/stdout into a file keeps what the shell wrote around it", nullptr,
		"{ echo head; \"$E\" -q -o /dev/stdout \"$I\"; echo foot; } > out.h", "head\n"},
	{"/dev/stdout appended to a log keeps the log", "log line\n",
		"{ echo head; \"$E\" -q -o /dev/stdout \"$I\"; echo foot; } >> out.h", "log line\nhead\n"},
	{"/dev/stdout into a pipe", nullptr,
		"{ echo head; \"$E\" -q -o /dev/stdout \"$I\"; echo foot; } | cat > out.h", "head\n"},
	{"/dev/fd/3 is the descriptor already held", nullptr,
		"{ echo head; \"$E\" -q --name stdout -o /dev/fd/3 \"$I\"; echo foot; } > out.h 3>&1",
		"head\n"},
	{"/proc/self/fd/1 is the descriptor already held", nullptr,
		"{ echo head; \"$E\" -q --name stdout -o /proc/self/fd/1 \"$I\"; echo foot; } > out.h",
		"head\n"},
	{"a link to /dev/stdout is the descriptor already held", nullptr,
		"ln -s /dev/stdout link.h && { echo head; \"$E\" -q --name stdout -o link.h \"$I\"; "
		"echo foot; } > out.h && rm link.h",
		"head\n"},
	// The FIFO is held open for reading first (the exporter does not wait for
	// a reader), then exactly the text's bytes are read back out of it.
	{"a FIFO is written through its name", nullptr,
		"mkfifo fifo && exec 3<>fifo && \"$E\" -q --name stdout -o fifo \"$I\" "
		"&& n=$(\"$E\" -q --name stdout -o - \"$I\" | wc -c) && head -c \"$n\" <&3 > out.h "
		"&& test -p fifo && rm fifo && echo foot >> out.h",
		""},
};

class ExporterShell : public testing::TestWithParam<ShellRow> {
protected:
	ScratchDirectory fScratch;
};

TEST_P(ExporterShell, WritesWhereTheShellPointsWithoutReopening)
{
	const ShellRow& row = GetParam();
	SCOPED_TRACE(row.situation);
	ASSERT_EQ(Shell(fScratch.Path(), "\"$E\" -q --name stdout -o text.h \"$I\""), 0);
	const std::string text = ReadWhole(fScratch / "text.h");
	ASSERT_FALSE(text.empty());
	ASSERT_EQ(unlink((fScratch / "text.h").c_str()), 0);

	ino_t inode = 0;
	if (row.before != nullptr) {
		ASSERT_TRUE(WriteWhole(fScratch / "out.h", row.before));
		inode = InodeOf(fScratch / "out.h");
	}
	ASSERT_EQ(Shell(fScratch.Path(), row.command), 0);
	EXPECT_TRUE(ReadWhole(fScratch / "out.h") == row.prefix + text + "foot\n")
		<< ReadWhole(fScratch / "out.h").substr(0, 200);
	if (inode != 0) {
		EXPECT_EQ(InodeOf(fScratch / "out.h"), inode) << "the shell's file was replaced";
	}
	EXPECT_EQ(Listing(fScratch.Path()), "out.h");
}

std::string
ShellRowName(const testing::TestParamInfo<ShellRow>& info)
{
	return "Row" + std::to_string(info.index);
}

INSTANTIATE_TEST_SUITE_P(Rows, ExporterShell, testing::ValuesIn(kShellRows), ShellRowName);

// A picture large enough that its export takes a while: 2500 x 2500 pixels,
// some 150 MB of text.
std::string
WriteLargeImage(const std::string& path)
{
	const int side = 2500;
	std::string image = "P6 " + std::to_string(side) + " " + std::to_string(side) + " 255\n";
	image.reserve(image.size() + size_t(side) * side * 3);
	for (int index = 0; index < side * side * 3; index++)
		image += char(index * 31);
	WriteWhole(path, image);
	return path;
}

// True once process `pid` holds an unnamed file in `directory` (the save's
// new file) or `watched` was written; false when it ended first or the
// watchdog ran out.
bool
WaitForSaveUnderWay(pid_t pid, const std::string& directory, int inotifyFd)
{
	const std::string fds = "/proc/" + std::to_string(pid) + "/fd";
	auto deadline = std::chrono::steady_clock::now() + kSlowWatchdog;
	while (std::chrono::steady_clock::now() < deadline) {
		char event[4096];
		if (inotifyFd >= 0 && read(inotifyFd, event, sizeof(event)) > 0)
			return true;
		DIR* dir = opendir(fds.c_str());
		if (dir == nullptr)
			return false;
		bool found = false;
		while (dirent* entry = readdir(dir)) {
			char target[4096] = {};
			std::string link = fds + "/" + entry->d_name;
			if (readlink(link.c_str(), target, sizeof(target) - 1) > 0
				&& strncmp(target, directory.c_str(), directory.size()) == 0
				&& strstr(target, "(deleted)") != nullptr) {
				found = true;
			}
		}
		closedir(dir);
		if (found)
			return true;
		sched_yield();
	}
	return false;
}

struct SignalRow {
	const char* situation;
	int signal;
	bool hardLinked; // written in place rather than renamed
};

const SignalRow kSignalRows[] = {
	{"Ctrl-C while a new file is written", SIGINT, false},
	{"SIGTERM while a new file is written", SIGTERM, false},
	{"SIGHUP while the file is written in place", SIGHUP, true},
	{"Ctrl-C while the file is written in place", SIGINT, true},
};

class ExporterSignal : public testing::TestWithParam<SignalRow> {
protected:
	ScratchDirectory fScratch;
};

TEST_P(ExporterSignal, LeavesTheOldFileAndNoTemporary)
{
	const SignalRow& row = GetParam();
	SCOPED_TRACE(row.situation);
	const std::string image = WriteLargeImage(fScratch / "large.ppm");
	const std::string out = fScratch / "out.h";
	ASSERT_TRUE(WriteWhole(out, kOldText));
	if (row.hardLinked) {
		ASSERT_EQ(link(out.c_str(), (fScratch / "link.h").c_str()), 0);
	}
	const std::string listing = Listing(fScratch.Path());
	const ino_t inode = InodeOf(out);

	int watch = -1;
	if (row.hardLinked) {
		watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
		ASSERT_GE(watch, 0);
		ASSERT_GE(inotify_add_watch(watch, out.c_str(), IN_MODIFY), 0);
	}
	pid_t child = StartProgram({{kExporter, "-q", "-o", out, image}});
	ASSERT_GT(child, 0);
	bool underWay = WaitForSaveUnderWay(child, fScratch.Path(), watch);
	kill(child, row.signal);
	ChildOutcome ended = WaitForChild(child);
	if (watch >= 0)
		close(watch);
	ASSERT_TRUE(underWay) << "the save was never seen under way";

	EXPECT_EQ(ended.signal, row.signal) << ended.Describe();
	EXPECT_TRUE(ReadWhole(out) == kOldText) << "the old file changed";
	EXPECT_EQ(InodeOf(out), inode);
	EXPECT_EQ(Listing(fScratch.Path()), listing);
}

std::string
SignalRowName(const testing::TestParamInfo<SignalRow>& info)
{
	return "Row" + std::to_string(info.index);
}

INSTANTIATE_TEST_SUITE_P(Rows, ExporterSignal, testing::ValuesIn(kSignalRows), SignalRowName);

// In a mount namespace of its own (root only): a tmpfs of 32 kB that the
// 100 kB export cannot fit in, and a file bind-mounted over another, which
// cannot be renamed over. Exit codes: 0 as expected, 77 no namespace.
enum class MountCase {
	kFullDisk,
	kFullDiskInPlace,
	kBindMounted
};

int
SaveInNamespace(const std::string& directory, MountCase which)
{
	if (unshare(CLONE_NEWNS) != 0
		|| mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
		return 77;
	}
	auto bitmap = std::make_unique<BBitmap>(BRect(0, 0, 63, 63), B_RGB32);
	memset(bitmap->Bits(), 0x5a, size_t(bitmap->BitsLength()));
	const std::string place = directory + "/place";
	const std::string out = place + "/out.h";
	if (mkdir(place.c_str(), 0755) != 0)
		return 10;
	if (which == MountCase::kBindMounted) {
		const std::string source = directory + "/source.h";
		if (!WriteWhole(source, kOldText) || !WriteWhole(out, "placeholder\n")
			|| mount(source.c_str(), out.c_str(), nullptr, MS_BIND, nullptr) != 0) {
			return 77;
		}
		ino_t inode = InodeOf(out);
		if (!ExportBitmapSource(bitmap.get(), out.c_str()))
			return 11;
		// The text went into the mounted file itself.
		if (InodeOf(out) != inode || ReadWhole(source).find("PrefilledBitmap") == std::string::npos)
			return 12;
		umount(out.c_str());
		return Listing(place) == "out.h" ? 0 : 13;
	}
	if (mount("tmpfs", place.c_str(), "tmpfs", 0, "size=32k") != 0)
		return 77;
	if (!WriteWhole(out, kOldText))
		return 14;
	if (which == MountCase::kFullDiskInPlace && link(out.c_str(), (place + "/link.h").c_str()) != 0)
		return 15;
	const std::string listing = Listing(place);
	BPrivate::Result<void> saved = ExportBitmapSource(bitmap.get(), out.c_str());
	if (saved)
		return 16;
	if (saved.Status() != B_DEVICE_FULL)
		return 17;
	if (ReadWhole(out) != kOldText || Listing(place) != listing)
		return 18;
	umount(place.c_str());
	return 0;
}

TEST(ExporterMount, AFullDiskAndABindMountedFile)
{
	if (geteuid() != 0)
		GTEST_SKIP() << "a mount namespace needs root";
	for (MountCase which :
		{MountCase::kFullDisk, MountCase::kFullDiskInPlace, MountCase::kBindMounted}) {
		SCOPED_TRACE(int(which));
		ScratchDirectory scratch;
		ChildOutcome outcome = RunInChild([&] { return SaveInNamespace(scratch.Path(), which); });
		if (outcome.exitCode == 77)
			GTEST_SKIP() << "no mount namespace here";
		EXPECT_EQ(outcome.exitCode, 0) << outcome.Describe();
	}
}

} // namespace
