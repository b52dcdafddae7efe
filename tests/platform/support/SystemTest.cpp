// SPDX-License-Identifier: MIT
// The system-call layer: the failures its wrappers answer, calls a signal
// interrupts, counts of writes that stop half-way and the whole-file read.

#include "support/Files.h"

#include <System.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

namespace System = BPrivate::System;
using BPrivate::Result;
using BPrivate::UniqueFd;
using testsupport::ReadWhole;
using testsupport::ScratchDirectory;
using testsupport::WriteWhole;

TEST(SystemTest, EachCallAnswersTheStatusOfWhatStoppedIt)
{
	ScratchDirectory scratch;
	WriteWhole(scratch / "file", "x");
	WriteWhole(scratch / "other", "y");
	mkdir((scratch / "dir").c_str(), 0700);
	const std::string missing = scratch / "missing";

	struct Row {
		const char* what;
		status_t status;
		status_t expected;
	};
	const Row rows[] = {
		{"open a missing file", System::Open(missing.c_str(), O_RDONLY).Status(),
			B_ENTRY_NOT_FOUND},
		{"create what exists",
			System::Open((scratch / "file").c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600).Status(),
			B_FILE_EXISTS},
		{"open a directory for writing", System::Open((scratch / "dir").c_str(), O_WRONLY).Status(),
			B_IS_A_DIRECTORY},
		{"a path through a file", System::Stat((scratch / "file/x").c_str()).Status(),
			B_NOT_A_DIRECTORY},
		{"rename onto a taken name without replacing",
			System::RenameAt(AT_FDCWD, (scratch / "file").c_str(), AT_FDCWD,
				(scratch / "other").c_str(), RENAME_NOREPLACE)
				.Status(),
			B_FILE_EXISTS},
		{"unlink a directory", System::Unlink((scratch / "dir").c_str()).Status(),
			B_IS_A_DIRECTORY},
		{"a descriptor that is not open", System::Stat(-1).Status(), B_FILE_ERROR},
		{"a device without room",
			[] {
				Result<UniqueFd> full = System::Open("/dev/full", O_WRONLY);
				return full ? System::Write(full.Value().Get(), "x", 1).Status() : B_OK;
			}(),
			B_DEVICE_FULL},
	};
	for (const Row& row : rows)
		EXPECT_EQ(row.status, row.expected) << row.what;

	// The errno values that only some calls leave.
	EXPECT_EQ(System::ErrorFailure(EXDEV).status, B_CROSS_DEVICE_LINK);
	EXPECT_EQ(System::ErrorFailure(ENODATA).status, B_ENTRY_NOT_FOUND);
	EXPECT_EQ(System::ErrorFailure(0).status, B_ERROR);
	EXPECT_EQ(ReadWhole(scratch / "other"), "y");

	// A failure keeps what the call knew, and says it in the system's words,
	// also for an errno value that no status stands for.
	mkfifo((scratch / "fifo").c_str(), 0600);
	Result<UniqueFd> unread = System::Open((scratch / "fifo").c_str(), O_WRONLY | O_NONBLOCK);
	ASSERT_FALSE(unread);
	EXPECT_EQ(unread.Error().error, ENXIO);
	EXPECT_STREQ(unread.Error().call, "open");
	EXPECT_EQ(unread.Error().path, scratch / "fifo");
	EXPECT_EQ(unread.Error().Reason(), "No such device or address");
	EXPECT_EQ(BPrivate::Failure(B_DEVICE_FULL).Reason(), "No space left on device");
	EXPECT_EQ(BPrivate::Failure(B_ERROR, "it broke").Reason(), "it broke");
}

std::atomic<int> sSignals{0};

void
CountSignal(int)
{
	sSignals++;
}

TEST(SystemTest, AReadInterruptedBySignalsGoesOnUntilTheDataComes)
{
	struct sigaction action = {};
	action.sa_handler = CountSignal;
	// Without SA_RESTART, so that the blocked read returns EINTR.
	struct sigaction old;
	ASSERT_EQ(sigaction(SIGUSR1, &action, &old), 0);
	int ends[2];
	ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
	UniqueFd reading(ends[0]);
	UniqueFd writing(ends[1]);

	std::atomic<bool> started{false};
	Result<size_t> got = BPrivate::Failure(B_NO_INIT);
	char buffer[8] = {};
	std::thread reader([&] {
		started = true;
		got = System::Read(reading.Get(), buffer, sizeof(buffer));
	});
	while (!started)
		std::this_thread::yield();
	sSignals = 0;
	for (int sent = 0; sSignals < 3 && sent < 100000; sent++) {
		pthread_kill(reader.native_handle(), SIGUSR1);
		std::this_thread::yield();
	}
	ASSERT_EQ(write(writing.Get(), "data", 4), 4);
	reader.join();
	sigaction(SIGUSR1, &old, nullptr);

	EXPECT_GE(sSignals.load(), 3);
	ASSERT_TRUE(got.Ok()) << got.Status();
	EXPECT_EQ(got.Value(), 4u);
	EXPECT_EQ(std::string(buffer, 4), "data");
}

TEST(SystemTest, AWriteThatStopsHalfWaySaysHowFarItGot)
{
	int ends[2];
	ASSERT_EQ(pipe2(ends, O_CLOEXEC | O_NONBLOCK), 0);
	UniqueFd reading(ends[0]);
	UniqueFd writing(ends[1]);
	const int capacity = fcntl(writing.Get(), F_GETPIPE_SZ);
	ASSERT_GT(capacity, 0);

	const std::string text(size_t(capacity) * 2, 't');
	size_t written = 0;
	Result<void> all = System::WriteAll(writing.Get(), text.data(), text.size(), -1, &written);
	EXPECT_EQ(all.Status(), B_WOULD_BLOCK);
	EXPECT_EQ(written, size_t(capacity));

	// Cleared, the pipe blocks: what O_NONBLOCK an open used goes.
	ASSERT_TRUE(System::SetBlocking(writing.Get()).Ok());
	Result<int> flags = System::StatusFlags(writing.Get());
	ASSERT_TRUE(flags.Ok());
	EXPECT_EQ(flags.Value() & O_NONBLOCK, 0);
}

// Memory handed out in blocks of at most `most` bytes, or none at all.
class CappedTarget : public System::ReadTarget {
public:
	explicit CappedTarget(size_t most) : fMost(most) { }

	uint8* Reserve(size_t& capacity, size_t filled) override
	{
		fCalls++;
		if (filled >= fMost)
			return nullptr;
		capacity = std::min(capacity, fMost);
		fBlock.resize(capacity);
		return fBlock.data();
	}

	size_t fMost;
	int fCalls = 0;
	std::vector<uint8> fBlock;
};

TEST(SystemTest, TheWholeFileIsReadWhateverItsSizeSaid)
{
	ScratchDirectory scratch;
	struct Row {
		const char* what;
		size_t length;
		size_t hint;
		size_t most;
		status_t status;
	};
	const Row rows[] = {
		{"an empty file", 0, 0, 1 << 20, B_OK},
		{"a file as long as its size says", 4096, 4096, 1 << 20, B_OK},
		{"a file that says it is empty", 10000, 0, 1 << 20, B_OK},
		{"a file that grew after its size was taken", 70000, 100, 1 << 20, B_OK},
		{"memory exactly as large as the file and one byte", 5000, 5000, 5001, B_OK},
		{"memory too small", 5000, 5000, 5000, B_NO_MEMORY},
	};
	for (const Row& row : rows) {
		SCOPED_TRACE(row.what);
		std::string content(row.length, '\0');
		for (size_t i = 0; i < row.length; i++)
			content[i] = char('a' + i % 23);
		WriteWhole(scratch / "file", content);
		Result<UniqueFd> fd = System::Open((scratch / "file").c_str(), O_RDONLY);
		ASSERT_TRUE(fd.Ok());
		ASSERT_EQ(lseek(fd.Value().Get(), 3, SEEK_SET), 3);

		CappedTarget target(row.most);
		Result<size_t> read = System::ReadWhole(fd.Value().Get(), target, row.hint);
		EXPECT_EQ(read.Status(), row.status);
		if (read) {
			ASSERT_EQ(read.Value(), row.length);
			EXPECT_EQ(std::string(target.fBlock.begin(),
						  target.fBlock.begin() + std::ptrdiff_t(row.length)),
				content);
		}
		// From the start, the position left where it was.
		EXPECT_EQ(lseek(fd.Value().Get(), 0, SEEK_CUR), 3);
		Result<std::string> text = System::ReadWhole(fd.Value().Get());
		ASSERT_TRUE(text.Ok());
		EXPECT_EQ(text.Value(), content);
	}
}

} // namespace
