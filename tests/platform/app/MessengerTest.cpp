// SPDX-License-Identifier: MIT
#include <Looper.h>
#include <Messenger.h>
#include <OS.h>

#include "support/Waiting.h"
#include "support/WindowFixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

using testsupport::CodeText;
using testsupport::EventLog;
using testsupport::Gate;
using testsupport::MessageLogger;

constexpr uint32 kMsgHold = 'hold';

// On 'hold', tells the test it holds its lock, waits for the go-ahead and
// quits, so the looper is deleted while other threads wait for its lock.
class HoldingLooper : public BLooper {
public:
	HoldingLooper(EventLog& log, Gate& holding, Gate& go)
		: BLooper("holding"), fLog(log), fHolding(holding), fGo(go)
	{ }

	~HoldingLooper() override { fLog.Add("deleted"); }

	void MessageReceived(BMessage* message) override
	{
		fLog.Add(CodeText(message->what));
		if (message->what == kMsgHold) {
			fHolding.Open();
			fGo.Wait();
			Quit();
		}
	}

private:
	EventLog& fLog;
	Gate& fHolding;
	Gate& fGo;
};

TEST(MessengerTest, ConstructionReportsWhatIsWrong)
{
	EventLog log;
	Gate holding;
	Gate go;
	auto* looper = new HoldingLooper(log, holding, go);
	auto* other = new BLooper("other");
	BHandler loose("loose");
	BHandler member("member");
	looper->AddHandler(&member);

	struct Case {
		const char* what;
		const BHandler* handler;
		const BLooper* looper;
		status_t expected;
	};
	const Case cases[] = {
		{"nothing", nullptr, nullptr, B_BAD_VALUE},
		{"handler in no looper", &loose, nullptr, B_BAD_HANDLER},
		{"handler of another looper", &member, other, B_MISMATCHED_VALUES},
		{"looper", nullptr, looper, B_OK},
		{"handler", &member, nullptr, B_OK},
		{"handler and its looper", &member, looper, B_OK},
	};
	for (const Case& test : cases) {
		status_t status = B_ERROR;
		BMessenger messenger(test.handler, test.looper, &status);
		EXPECT_EQ(status, test.expected) << test.what;
		EXPECT_EQ(messenger.IsValid(), test.expected == B_OK) << test.what;
	}
	EXPECT_FALSE(BMessenger().IsValid());
	EXPECT_EQ(BMessenger(nullptr, looper), BMessenger(nullptr, looper));
	EXPECT_NE(BMessenger(nullptr, looper), BMessenger(nullptr, other));

	looper->RemoveHandler(&member);
	looper->Lock();
	looper->Quit();
	other->Lock();
	other->Quit();
}

TEST(MessengerTest, EverythingFailsCleanlyOnceTheLooperIsGone)
{
	EventLog log;
	Gate holding;
	Gate go;
	auto* looper = new HoldingLooper(log, holding, go);
	looper->Run();
	BMessenger messenger(nullptr, looper);
	BMessenger copy = messenger;

	ASSERT_EQ(messenger.SendMessage('ping'), B_OK);
	ASSERT_TRUE(log.WaitFor("ping"));
	ASSERT_TRUE(messenger.LockTarget());
	BLooper* target = nullptr;
	messenger.Target(&target);
	EXPECT_EQ(target, looper);
	target->Quit();

	EXPECT_FALSE(copy.IsValid());
	EXPECT_FALSE(copy.LockTarget());
	EXPECT_EQ(copy.LockTargetWithTimeout(1000), B_BAD_PORT_ID);
	EXPECT_EQ(copy.SendMessage('ping'), B_BAD_PORT_ID);
	EXPECT_EQ(copy.Target(&target), nullptr);
	EXPECT_EQ(target, nullptr);
	EXPECT_EQ(log.Events(), (std::vector<std::string>{"ping", "deleted"}));
}

// Threads waiting in LockTarget while the looper deletes itself must wake up
// and fail, never lock freed memory (the sanitizer builds watch this).
TEST(MessengerTest, WaitersForALooperThatQuitsWakeUpAndFail)
{
	for (int round = 0; round < 20; round++) {
		EventLog log;
		Gate holding;
		Gate go;
		auto* looper = new HoldingLooper(log, holding, go);
		BMessenger messenger(nullptr, looper);
		looper->Run();
		messenger.SendMessage(kMsgHold);
		ASSERT_TRUE(holding.Wait());

		constexpr int kWaiters = 3;
		std::atomic<int> started{0};
		std::atomic<int> locked{0};
		std::vector<std::thread> waiters;
		for (int index = 0; index < kWaiters; index++) {
			waiters.emplace_back([&] {
				started++;
				if (messenger.LockTarget()) {
					locked++;
					BLooper* target = nullptr;
					messenger.Target(&target);
					target->Unlock();
				}
			});
		}
		while (started < kWaiters)
			std::this_thread::yield();
		go.Open();
		for (std::thread& waiter : waiters)
			waiter.join();
		EXPECT_EQ(locked, 0);
		EXPECT_TRUE(log.WaitFor("deleted"));
	}
}

TEST(MessengerTest, LockTargetTimesOutWhileAnotherThreadHoldsTheLock)
{
	BLooper* looper = new BLooper("held");
	BMessenger messenger(nullptr, looper);
	looper->Lock();
	std::thread other([&] { EXPECT_EQ(messenger.LockTargetWithTimeout(1000), B_TIMED_OUT); });
	other.join();
	looper->Quit();
}

TEST(MessengerTest, AMessengerForAHandlerReachesThatHandler)
{
	EventLog log;
	Gate holding;
	Gate go;
	auto* looper = new HoldingLooper(log, holding, go);
	MessageLogger<BHandler> counter("counter", log);
	looper->AddHandler(&counter);
	looper->Run();

	BMessenger toHandler(&counter);
	BMessenger toLooper(nullptr, looper);
	toHandler.SendMessage('hndl');
	toLooper.SendMessage('lopr');
	ASSERT_TRUE(log.WaitForCount(2));
	EXPECT_EQ(log.Events(), (std::vector<std::string>{"counter hndl", "lopr"}));

	toLooper.LockTarget();
	looper->RemoveHandler(&counter);
	looper->Quit();
}

} // namespace
