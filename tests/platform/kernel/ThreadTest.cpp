// SPDX-License-Identifier: MIT
#include <OS.h>

#include "support/Waiting.h"

#include <gtest/gtest.h>

#include <pthread.h>

#include <atomic>
#include <cstring>
#include <set>
#include <string>

namespace {

using testsupport::Gate;

struct Probe {
	std::atomic<bool> ran{false};
	thread_id seenId = -1;
	char systemName[32] = {};
	Gate* release = nullptr;
};

int32
RecordAndExit(void* data)
{
	auto* probe = static_cast<Probe*>(data);
	probe->seenId = find_thread(nullptr);
	pthread_getname_np(pthread_self(), probe->systemName, sizeof(probe->systemName));
	if (probe->release != nullptr)
		probe->release->Wait();
	probe->ran = true;
	return 42;
}

TEST(ThreadTest, SpawnedThreadStaysSuspendedUntilResumed)
{
	Probe probe;
	thread_id thread = spawn_thread(RecordAndExit, "probe", B_NORMAL_PRIORITY, &probe);
	ASSERT_GT(thread, 0);

	thread_info info;
	ASSERT_EQ(get_thread_info(thread, &info), B_OK);
	EXPECT_EQ(info.state, B_THREAD_SUSPENDED);
	EXPECT_FALSE(probe.ran);

	ASSERT_EQ(resume_thread(thread), B_OK);
	EXPECT_EQ(resume_thread(thread), B_BAD_THREAD_ID) << "a thread resumes once";
	status_t exitValue = 0;
	ASSERT_EQ(wait_for_thread(thread, &exitValue), B_OK);
	EXPECT_EQ(exitValue, 42);
	EXPECT_TRUE(probe.ran);
	EXPECT_EQ(probe.seenId, thread) << "find_thread(nullptr) names the spawned thread";
}

TEST(ThreadTest, NameAndPriorityAreKeptAndTheSystemNameIsCut)
{
	Gate release;
	Probe probe;
	probe.release = &release;
	thread_id thread = spawn_thread(RecordAndExit, "SavePromptThread", B_NORMAL_PRIORITY, &probe);
	ASSERT_GT(thread, 0);
	ASSERT_EQ(resume_thread(thread), B_OK);

	thread_info info;
	ASSERT_EQ(get_thread_info(thread, &info), B_OK);
	EXPECT_STREQ(info.name, "SavePromptThread");
	EXPECT_EQ(info.priority, B_NORMAL_PRIORITY);
	EXPECT_EQ(find_thread("SavePromptThread"), thread);

	release.Open();
	ASSERT_EQ(wait_for_thread(thread, nullptr), B_OK);
	EXPECT_STREQ(probe.systemName, "SavePromptThrea");
}

TEST(ThreadTest, WaitingAnswersEachThreadOnceAndRejectsUnknownIds)
{
	Probe probe;
	thread_id thread = spawn_thread(RecordAndExit, "once", B_NORMAL_PRIORITY, &probe);
	ASSERT_GT(thread, 0);
	// Waiting for a suspended thread lets it run, as on the platform.
	ASSERT_EQ(wait_for_thread(thread, nullptr), B_OK);
	EXPECT_TRUE(probe.ran);
	EXPECT_EQ(wait_for_thread(thread, nullptr), B_BAD_THREAD_ID);
	EXPECT_EQ(wait_for_thread(-5, nullptr), B_BAD_THREAD_ID);
	EXPECT_EQ(resume_thread(123456789), B_BAD_THREAD_ID);
	EXPECT_EQ(wait_for_thread(find_thread(nullptr), nullptr), B_BAD_THREAD_ID)
		<< "a thread cannot wait for itself";
}

TEST(ThreadTest, ExitValueSurvivesALateWait)
{
	Gate ended;
	struct Data {
		Gate* ended;
	} data{&ended};
	thread_id thread = spawn_thread(
		[](void* raw) -> int32 {
			static_cast<Data*>(raw)->ended->Open();
			return -7;
		},
		"late", B_LOW_PRIORITY, &data);
	ASSERT_GT(thread, 0);
	resume_thread(thread);
	ASSERT_TRUE(ended.Wait());
	status_t exitValue = 0;
	ASSERT_EQ(wait_for_thread(thread, &exitValue), B_OK);
	EXPECT_EQ(exitValue, -7);
}

TEST(ThreadTest, CurrentThreadIdsAreStableAndDistinct)
{
	thread_id mine = find_thread(nullptr);
	EXPECT_GT(mine, 0);
	EXPECT_EQ(find_thread(nullptr), mine);

	std::set<thread_id> seen{mine};
	for (int index = 0; index < 4; index++) {
		Probe probe;
		thread_id thread = spawn_thread(RecordAndExit, "distinct", B_NORMAL_PRIORITY, &probe);
		resume_thread(thread);
		ASSERT_EQ(wait_for_thread(thread, nullptr), B_OK);
		EXPECT_TRUE(seen.insert(probe.seenId).second);
	}
}

TEST(ThreadTest, BadArgumentsAreRefused)
{
	EXPECT_EQ(spawn_thread(nullptr, "none", B_NORMAL_PRIORITY, nullptr), B_BAD_VALUE);
	EXPECT_EQ(find_thread("no thread has this name"), B_NAME_NOT_FOUND);
	thread_info info;
	EXPECT_EQ(get_thread_info(-1, &info), B_BAD_THREAD_ID);
}

TEST(ThreadTest, SystemTimeAdvances)
{
	bigtime_t before = system_time();
	snooze(1000);
	EXPECT_GE(system_time() - before, 1000);
}

} // namespace
