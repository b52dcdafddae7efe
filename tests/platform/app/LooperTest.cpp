// SPDX-License-Identifier: MIT
#include <Looper.h>
#include <Message.h>
#include <OS.h>

#include "support/Waiting.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <string>
#include <thread>

namespace {

using testsupport::CodeText;
using testsupport::EventLog;
using testsupport::Gate;

constexpr uint32 kMsgQuitNow = 'quit';
constexpr uint32 kMsgPing = 'ping';

// Logs every message with how it arrived: on which thread, locked or not.
class RecordingLooper : public BLooper {
public:
	explicit RecordingLooper(EventLog& log, const char* name = "recording")
		: BLooper(name), fLog(log)
	{ }

	~RecordingLooper() override
	{
		fLog.Add(find_thread(nullptr) == Thread() ? "deleted on own thread" : "deleted elsewhere");
	}

	void MessageReceived(BMessage* message) override
	{
		std::string event = CodeText(message->what);
		if (!IsLocked())
			event += " unlocked";
		if (find_thread(nullptr) != Thread())
			event += " off-thread";
		int32 sequence = 0;
		if (message->FindInt32("seq", &sequence) == B_OK)
			event += " " + std::to_string(message->GetInt32("sender", 0)) + ":"
				+ std::to_string(sequence);
		fLog.Add(event);
		if (message->what == kMsgQuitNow)
			Quit();
	}

	bool QuitRequested() override
	{
		fLog.Add("asked");
		return fAllowQuit;
	}

	std::atomic<bool> fAllowQuit{true};

private:
	EventLog& fLog;
};

TEST(LooperTest, MessagesArriveInOrderOnTheLooperThreadLocked)
{
	EventLog log;
	auto* looper = new RecordingLooper(log);
	looper->Run();

	constexpr int kCount = 300;
	for (int index = 0; index < kCount; index++) {
		BMessage message(kMsgPing);
		message.AddInt32("seq", index);
		ASSERT_EQ(looper->PostMessage(&message), B_OK);
	}
	ASSERT_TRUE(log.WaitForCount(kCount));
	std::vector<std::string> events = log.Events();
	for (int index = 0; index < kCount; index++)
		ASSERT_EQ(events[index], "ping 0:" + std::to_string(index));

	looper->Lock();
	looper->Quit();
}

TEST(LooperTest, EachSendersOrderIsKeptAmongSeveralSenders)
{
	EventLog log;
	auto* looper = new RecordingLooper(log);
	looper->Run();

	constexpr int kSenders = 4;
	constexpr int kPerSender = 150;
	std::vector<std::thread> senders;
	for (int sender = 1; sender <= kSenders; sender++) {
		senders.emplace_back([looper, sender] {
			for (int index = 0; index < kPerSender; index++) {
				BMessage message(kMsgPing);
				message.AddInt32("sender", sender);
				message.AddInt32("seq", index);
				looper->PostMessage(&message);
			}
		});
	}
	for (std::thread& thread : senders)
		thread.join();
	ASSERT_TRUE(log.WaitForCount(kSenders * kPerSender));

	std::map<int, int> next;
	for (const std::string& event : log.Events()) {
		int sender = 0;
		int sequence = 0;
		ASSERT_EQ(sscanf(event.c_str(), "ping %d:%d", &sender, &sequence), 2) << event;
		EXPECT_EQ(sequence, next[sender]++) << "sender " << sender;
	}
	looper->Lock();
	looper->Quit();
}

TEST(LooperTest, LockIsRecursiveAndBlocksOtherThreadsUntilFullyReleased)
{
	EventLog log;
	auto* looper = new RecordingLooper(log);

	ASSERT_TRUE(looper->Lock());
	ASSERT_TRUE(looper->Lock());
	EXPECT_TRUE(looper->IsLocked());
	EXPECT_EQ(looper->CountLocks(), 2);
	EXPECT_EQ(looper->LockingThread(), find_thread(nullptr));

	std::atomic<bool> otherLocked{false};
	std::atomic<status_t> timedOut{B_OK};
	Gate trying;
	std::thread other([&] {
		timedOut = looper->LockWithTimeout(2000);
		EXPECT_FALSE(looper->IsLocked());
		trying.Open();
		looper->Lock();
		otherLocked = true;
		EXPECT_EQ(looper->CountLocks(), 1);
		looper->Unlock();
	});
	ASSERT_TRUE(trying.Wait());
	EXPECT_EQ(timedOut, B_TIMED_OUT);

	looper->Unlock();
	// Still held once: the other thread cannot have it.
	EXPECT_EQ(looper->CountLocks(), 1);
	EXPECT_EQ(looper->LockingThread(), find_thread(nullptr));
	EXPECT_FALSE(otherLocked);

	looper->Unlock();
	other.join();
	EXPECT_TRUE(otherLocked);
	EXPECT_EQ(looper->CountLocks(), 0);

	looper->Lock();
	looper->Quit();
}

TEST(LooperTest, QuitOnItsOwnThreadDeletesItThereAndDropsTheRest)
{
	EventLog log;
	auto* looper = new RecordingLooper(log);
	looper->PostMessage(kMsgQuitNow);
	looper->PostMessage(kMsgPing);
	looper->Run();

	ASSERT_TRUE(log.WaitForCount(2));
	EXPECT_EQ(log.Events(), (std::vector<std::string>{"quit", "deleted on own thread"}));
}

TEST(LooperTest, QuitFromAnotherThreadReturnsOnceTheLooperIsGone)
{
	EventLog log;
	auto* looper = new RecordingLooper(log);
	looper->Run();
	looper->PostMessage(kMsgPing);

	ASSERT_TRUE(looper->Lock());
	looper->Quit();
	// No waiting here: Quit returned after the looper's thread deleted it,
	// and the message queued before the quit was still handled.
	EXPECT_EQ(log.Events(), (std::vector<std::string>{"ping", "deleted on own thread"}));
}

TEST(LooperTest, LooperThatNeverRanIsDeletedAtOnce)
{
	EventLog log;
	auto* looper = new RecordingLooper(log);
	looper->PostMessage(kMsgPing);
	looper->Lock();
	looper->Quit();
	EXPECT_EQ(log.Events(), (std::vector<std::string>{"deleted elsewhere"}));
}

TEST(LooperTest, QuitRequestedDecidesWhetherAQuitRequestEndsTheLooper)
{
	EventLog log;
	auto* looper = new RecordingLooper(log);
	looper->fAllowQuit = false;
	looper->Run();

	looper->PostMessage(B_QUIT_REQUESTED);
	looper->PostMessage(kMsgPing);
	ASSERT_TRUE(log.WaitFor("ping"));
	EXPECT_EQ(log.Events(), (std::vector<std::string>{"asked", "ping"}));

	looper->fAllowQuit = true;
	looper->PostMessage(B_QUIT_REQUESTED);
	ASSERT_TRUE(log.WaitFor("deleted on own thread"));
	EXPECT_EQ(log.Events().size(), 4u);
}

TEST(LooperTest, PostingQueuesACopy)
{
	EventLog log;
	auto* looper = new RecordingLooper(log);
	BMessage message(kMsgPing);
	message.AddInt32("seq", 1);
	looper->PostMessage(&message);
	message.ReplaceInt32("seq", 0, 2);
	looper->PostMessage(&message);
	looper->Run();

	ASSERT_TRUE(log.WaitForCount(2));
	EXPECT_EQ(log.Events(), (std::vector<std::string>{"ping 0:1", "ping 0:2"}));
	EXPECT_EQ(looper->PostMessage(nullptr), B_BAD_VALUE);
	looper->Lock();
	looper->Quit();
}

class NamedHandler : public BHandler {
public:
	NamedHandler(const char* name, EventLog& log) : BHandler(name), fLog(log) { }

	void MessageReceived(BMessage* message) override
	{
		fLog.Add(std::string(Name()) + " " + CodeText(message->what));
	}

private:
	EventLog& fLog;
};

TEST(LooperTest, MessagesForAHandlerThatLeftAreDropped)
{
	EventLog log;
	auto* looper = new RecordingLooper(log);
	NamedHandler stays("stays", log);
	NamedHandler leaves("leaves", log);
	looper->AddHandler(&stays);
	looper->AddHandler(&leaves);
	EXPECT_EQ(stays.Looper(), looper);

	looper->PostMessage(kMsgPing, &leaves);
	looper->PostMessage(kMsgPing, &stays);
	looper->RemoveHandler(&leaves);
	EXPECT_EQ(leaves.Looper(), nullptr);
	looper->PostMessage(kMsgPing);
	looper->Run();

	ASSERT_TRUE(log.WaitForCount(2));
	EXPECT_EQ(log.Events(), (std::vector<std::string>{"stays ping", "ping"}));
	looper->Lock();
	looper->RemoveHandler(&stays);
	looper->Quit();
}

} // namespace
