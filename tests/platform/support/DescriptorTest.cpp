// SPDX-License-Identifier: MIT
// The POSIX pieces every file call stands on: the owned descriptor, the
// retry of interrupted calls and the errno-to-status mapping.

#include <SupportDefs.h>
#include <RetryOnInterrupt.h>
#include <UniqueFd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace {

using BPrivate::RetryOnInterrupt;
using BPrivate::UniqueFd;

bool
IsOpen(int fd)
{
	return fcntl(fd, F_GETFD) != -1;
}

int
OpenNull()
{
	return open("/dev/null", O_RDONLY | O_CLOEXEC);
}

TEST(DescriptorTest, AnOwnedDescriptorIsClosedOnceByItsLastOwner)
{
	int fd = OpenNull();
	ASSERT_GE(fd, 0);
	{
		UniqueFd first(fd);
		UniqueFd second(std::move(first));
		EXPECT_FALSE(first.IsValid());
		EXPECT_EQ(second.Get(), fd);
		UniqueFd third;
		third = std::move(second);
		EXPECT_TRUE(IsOpen(fd));
		// Taking the same descriptor again keeps it open.
		third.Reset(fd);
		EXPECT_TRUE(IsOpen(fd));
	}
	EXPECT_FALSE(IsOpen(fd));
}

TEST(DescriptorTest, ResetClosesTheOldDescriptorKeepingErrnoAndReleaseClosesNothing)
{
	int old = OpenNull();
	int next = OpenNull();
	ASSERT_GE(old, 0);
	ASSERT_GE(next, 0);
	UniqueFd owner(old);
	errno = EACCES;
	owner.Reset(next);
	EXPECT_EQ(errno, EACCES);
	EXPECT_FALSE(IsOpen(old));
	EXPECT_EQ(owner.Release(), next);
	EXPECT_FALSE(owner.IsValid());
	EXPECT_TRUE(IsOpen(next));
	close(next);
}

TEST(DescriptorTest, OnlyInterruptedCallsAreMadeAgain)
{
	int calls = 0;
	int result = RetryOnInterrupt([&] {
		if (++calls < 3) {
			errno = EINTR;
			return -1;
		}
		return 7;
	});
	EXPECT_EQ(result, 7);
	EXPECT_EQ(calls, 3);

	calls = 0;
	ssize_t failed = RetryOnInterrupt([&] {
		calls++;
		errno = EACCES;
		return ssize_t(-1);
	});
	EXPECT_EQ(failed, -1);
	EXPECT_EQ(calls, 1);
	EXPECT_EQ(errno, EACCES);
}

TEST(DescriptorTest, AFailureIsNeverMappedToSuccess)
{
	const struct {
		int error;
		status_t status;
	} kRows[] = {
		{0, B_ERROR},
		{ENOENT, B_ENTRY_NOT_FOUND},
		{EACCES, B_PERMISSION_DENIED},
		{ENOSPC, B_DEVICE_FULL},
		{EINTR, B_INTERRUPTED},
		{EPROTO, B_ERROR},
	};
	for (const auto& row : kRows)
		EXPECT_EQ(errno_to_status(row.error), row.status) << row.error;
	// A thread that could not be made: what spawn_thread answers.
	EXPECT_EQ(thread_error_to_status(ENOMEM), B_NO_MEMORY);
	EXPECT_EQ(thread_error_to_status(EAGAIN), B_NO_MORE_THREADS);
}

} // namespace
