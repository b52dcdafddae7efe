// SPDX-License-Identifier: MIT
// The checks of the locking rules: in a checked build, an operation that
// needs its looper locked stops the program when it is called without the
// lock, and passes with it or before the looper runs.

#include <Handler.h>
#include <LockChecks.h>
#include <Looper.h>

#include <gtest/gtest.h>

namespace {

#if defined(QUILLPIX_CHECK_LOCKS) && QUILLPIX_CHECK_LOCKS
constexpr bool kChecked = true;
#else
constexpr bool kChecked = false;
#endif

class LockChecksTest : public testing::Test {
protected:
	void SetUp() override
	{
		if (!kChecked)
			GTEST_SKIP() << "the lock checks are compiled out of this build";
		// The looper's thread runs beside the test: the dying child starts
		// afresh rather than forking a process with threads.
		GTEST_FLAG_SET(death_test_style, "threadsafe");
	}
};

TEST_F(LockChecksTest, AddingAHandlerToARunningLooperWithoutItsLockStopsTheProgram)
{
	EXPECT_DEATH(
		{
			auto* looper = new BLooper("checked");
			looper->Run();
			BHandler handler("stray");
			looper->AddHandler(&handler);
		},
		"AddHandler.*without the lock of looper \"checked\"");
}

TEST_F(LockChecksTest, TheLockOrALooperThatDoesNotRunYetPasses)
{
	auto* looper = new BLooper("checked");
	BHandler before("before");
	looper->AddHandler(&before);
	looper->Run();
	BHandler after("after");
	ASSERT_TRUE(looper->Lock());
	looper->AddHandler(&after);
	EXPECT_EQ(looper->CountHandlers(), 3);
	looper->RemoveHandler(&before);
	looper->RemoveHandler(&after);
	looper->Quit();
}

} // namespace
