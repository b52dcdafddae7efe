// SPDX-License-Identifier: MIT
#include "app/framework/DocumentApp.h"

#include <AppDefs.h>
#include <HeadlessProbe.h>
#include <Messenger.h>
#include <OS.h>
#include <Window.h>

#include "support/RunWithPerson.h"
#include "support/Waiting.h"
#include "support/WindowFixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

using testsupport::ApplicationFixture;
using testsupport::EventLog;
using testsupport::kWatchdog;
using testsupport::QuitLoggingWindow;
using testsupport::RunWithPerson;

constexpr uint32 kMsgMakeWindow = 'mkwn';

// Holds every thread that arrives until `count` have, so that they go on
// together; false for all at the watchdog.
class Rendezvous {
public:
	explicit Rendezvous(int count) : fExpected(count) { }

	bool Arrive()
	{
		std::unique_lock<std::mutex> lock(fLock);
		fArrived++;
		fChanged.notify_all();
		return fChanged.wait_for(lock, kWatchdog, [&] { return fArrived >= fExpected; });
	}

private:
	std::mutex fLock;
	std::condition_variable fChanged;
	int fArrived = 0;
	int fExpected;
};

DocumentApp*
RunningDocumentApp()
{
	return dynamic_cast<DocumentApp*>(be_app);
}

// A window that counts itself in the DocumentApp for as long as it exists,
// as every document window does, and refuses to quit on demand.
class CountedWindow : public QuitLoggingWindow {
public:
	CountedWindow(
		const char* title, EventLog& log, bool allowQuit, Rendezvous* beforeRemoval = nullptr)
		: QuitLoggingWindow(BRect(40, 40, 240, 140), title, log, allowQuit),
		  fBeforeRemoval(beforeRemoval)
	{
		RunningDocumentApp()->AddDocumentWindow();
	}

	~CountedWindow() override
	{
		if (fBeforeRemoval != nullptr && !fBeforeRemoval->Arrive())
			ADD_FAILURE() << "the other window never reached its destruction";
		RunningDocumentApp()->RemoveDocumentWindow();
		fLog.Add(std::string(Title()) + " deleted");
	}

private:
	Rendezvous* fBeforeRemoval;
};

// Logs every quit request and its answer; makes windows on its own thread
// when asked, as the real application does.
class TestApp : public DocumentApp {
public:
	explicit TestApp(EventLog& log) : DocumentApp("application/x-vnd.test-document-app"), fLog(log)
	{ }

	bool QuitRequested() override
	{
		bool answer = DocumentApp::QuitRequested();
		fQuitRequests++;
		fLog.Add(std::string(answer ? "quit agreed" : "quit refused")
			+ (IsQuitting() ? "" : " without the flag"));
		return answer;
	}

	void MessageReceived(BMessage* message) override
	{
		if (message->what != kMsgMakeWindow) {
			DocumentApp::MessageReceived(message);
			return;
		}
		const char* title = message->GetString("title");
		bool allowQuit = !message->GetBool("refuse");
		auto* window = new CountedWindow(title, fLog, allowQuit);
		// Logged before Show: from then on the person may act on the window.
		fLog.Add(std::string("made ") + title);
		window->Show();
	}

	std::atomic<int> fQuitRequests{0};

private:
	EventLog& fLog;
};

class DocumentAppTest : public ApplicationFixture {
protected:
	// Asks the application to make a window on its thread and waits until
	// the window is on the screen; its server id, or -1 at the watchdog.
	int32 MakeWindow(const char* title, bool refuse = false)
	{
		BMessage make(kMsgMakeWindow);
		make.AddString("title", title);
		make.AddBool("refuse", refuse);
		be_app_messenger.SendMessage(&make);
		int32 id = -1;
		fServer->WaitUntil(
			[&] {
				id = fProbe->FindWindow(title);
				return id >= 0 && fProbe->IsVisible(id);
			},
			Microseconds());
		return id;
	}

	static bigtime_t Microseconds()
	{
		return std::chrono::duration_cast<std::chrono::microseconds>(kWatchdog).count();
	}

	// Two windows, the second refusing, and a quit request that it stops.
	void QuitUntilTheStubbornWindowRefuses(TestApp& app)
	{
		ASSERT_GE(MakeWindow("agreeable"), 0);
		ASSERT_GE(MakeWindow("stubborn", true), 0);
		EXPECT_EQ(app.CountDocumentWindows(), 2);
		EXPECT_FALSE(app.IsQuitting());
		be_app_messenger.SendMessage(B_QUIT_REQUESTED);
		ASSERT_TRUE(fLog.WaitFor("quit refused"));
		EXPECT_EQ(app.CountDocumentWindows(), 1);
	}

	// Lets the stubborn window go and quits for good.
	void QuitForGood()
	{
		BMessenger stubborn(nullptr, be_app->WindowAt(0));
		ASSERT_TRUE(stubborn.LockTarget());
		BLooper* looper = nullptr;
		stubborn.Target(&looper);
		static_cast<CountedWindow*>(looper)->fAllowQuit = true;
		looper->Unlock();
		be_app_messenger.SendMessage(B_QUIT_REQUESTED);
	}

	EventLog fLog;
};

TEST_F(DocumentAppTest, ClosingTheOnlyDocumentWindowQuitsTheApplication)
{
	TestApp app(fLog);
	RunWithPerson(app, [&] {
		int32 window = MakeWindow("only");
		ASSERT_GE(window, 0);
		EXPECT_EQ(app.CountDocumentWindows(), 1);
		fProbe->ClickCloseBox(window);
	});

	EXPECT_EQ(fLog.Events(),
		(std::vector<std::string>{"made only", "only asked", "only deleted", "quit agreed"}));
	EXPECT_EQ(app.fQuitRequests, 1);
	EXPECT_EQ(app.CountDocumentWindows(), 0);
}

TEST_F(DocumentAppTest, ClosingOneOfTwoWindowsLeavesTheApplicationRunning)
{
	TestApp app(fLog);
	RunWithPerson(app, [&] {
		int32 first = MakeWindow("first");
		ASSERT_GE(MakeWindow("second"), 0);
		fProbe->ClickCloseBox(first);
		ASSERT_TRUE(fLog.WaitFor("first deleted"));
		EXPECT_EQ(app.CountDocumentWindows(), 1);
		EXPECT_EQ(app.fQuitRequests, 0);
		fProbe->ClickCloseBox(fProbe->FindWindow("second"));
	});
	EXPECT_EQ(app.fQuitRequests, 1);
}

TEST_F(DocumentAppTest, ARefusedQuitLeavesTheQuittingFlagSet)
{
	TestApp app(fLog);
	RunWithPerson(app, [&] {
		QuitUntilTheStubbornWindowRefuses(app);
		EXPECT_TRUE(app.IsQuitting());
		QuitForGood();
	});

	EXPECT_EQ(fLog.Events(),
		(std::vector<std::string>{"made agreeable", "made stubborn", "agreeable asked",
			"agreeable deleted", "stubborn asked", "quit refused", "stubborn asked",
			"stubborn deleted", "quit agreed"}));
	EXPECT_EQ(app.CountDocumentWindows(), 0);
}

TEST_F(DocumentAppTest, CancelQuitCallsOffAQuitUnderWay)
{
	TestApp app(fLog);
	RunWithPerson(app, [&] {
		QuitUntilTheStubbornWindowRefuses(app);
		// As a close prompt's thread does when the person picks "Cancel".
		app.CancelQuit();
		EXPECT_FALSE(app.IsQuitting());
		QuitForGood();
	});
	EXPECT_EQ(app.CountDocumentWindows(), 0);
}

TEST_F(DocumentAppTest, ADocumentWindowBuiltDuringAQuitClearsTheFlag)
{
	TestApp app(fLog);
	RunWithPerson(app, [&] {
		QuitUntilTheStubbornWindowRefuses(app);
		ASSERT_TRUE(app.IsQuitting());
		ASSERT_GE(MakeWindow("late"), 0);
		EXPECT_FALSE(app.IsQuitting());
		EXPECT_EQ(app.CountDocumentWindows(), 2);
		QuitForGood();
	});

	EXPECT_EQ(fLog.Count("late deleted"), 1u);
	EXPECT_EQ(app.CountDocumentWindows(), 0);
}

// The two windows meet in their destructors, each on its own thread, so the
// count is lowered from both at once; only the one that takes it from 1 to
// 0 may post the quit request.
TEST_F(DocumentAppTest, TwoWindowsDestroyedAtOnceFromTwoThreadsPostOneQuitRequest)
{
	for (int round = 0; round < 20; round++) {
		SCOPED_TRACE("round " + std::to_string(round));
		EventLog log;
		TestApp app(log);
		Rendezvous meeting(2);
		CountedWindow* windows[] = {new CountedWindow("one", log, true, &meeting),
			new CountedWindow("two", log, true, &meeting)};
		for (CountedWindow* window : windows)
			window->Show();
		ASSERT_EQ(app.CountDocumentWindows(), 2);

		std::vector<std::thread> closers;
		for (CountedWindow* window : windows) {
			BMessenger messenger(nullptr, window);
			closers.emplace_back([messenger] {
				BLooper* looper = nullptr;
				if (messenger.LockTarget() && messenger.Target(&looper) == nullptr)
					looper->Quit();
			});
		}
		for (std::thread& closer : closers)
			closer.join();
		ASSERT_TRUE(log.WaitForCount(2));

		EXPECT_EQ(app.CountDocumentWindows(), 0);
		EXPECT_EQ(app.CountQueuedMessages(), 1);
		// The loop takes the queued request and quits at once.
		app.Run();
		EXPECT_EQ(app.fQuitRequests, 1);
	}
}

TEST_F(DocumentAppTest, OnlyTheStepFromOneToZeroPostsAQuitRequest)
{
	TestApp app(fLog);
	app.RemoveDocumentWindow();
	EXPECT_EQ(app.CountQueuedMessages(), 0) << "a count already at 0 posts nothing";
	app.AddDocumentWindow();
	app.AddDocumentWindow();
	app.AddDocumentWindow();
	app.RemoveDocumentWindow();
	EXPECT_EQ(app.CountQueuedMessages(), 0);
	app.RemoveDocumentWindow();
	EXPECT_EQ(app.CountQueuedMessages(), 1);
	EXPECT_EQ(app.CountDocumentWindows(), 0);
}

} // namespace
