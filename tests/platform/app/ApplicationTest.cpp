// SPDX-License-Identifier: MIT
#include <Application.h>
#include <Entry.h>
#include <HeadlessServer.h>
#include <OS.h>
#include <Window.h>

#include "support/Waiting.h"
#include "support/WindowFixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <thread>

namespace {

using testsupport::CodeText;
using testsupport::EventLog;
using testsupport::QuitLoggingWindow;

class TestWindow : public QuitLoggingWindow {
public:
	TestWindow(const char* name, EventLog& log, bool allowQuit = true)
		: QuitLoggingWindow(BRect(10, 10, 110, 60), name, log, allowQuit)
	{ }

	~TestWindow() override
	{
		bool ownThread = Thread() < 0 || Thread() == find_thread(nullptr);
		fLog.Add(std::string(Title()) + (ownThread ? " deleted" : " deleted elsewhere"));
	}
};

// Logs its hooks, each with a check that it runs on the application's thread
// with the application locked.
class TestApp : public BApplication {
public:
	explicit TestApp(EventLog& log) : BApplication("application/x-vnd.test-app"), fLog(log) { }

	void ArgvReceived(int32 argc, char** argv) override
	{
		std::string event = "argv " + std::to_string(argc);
		for (int32 index = 0; index < argc; index++)
			event += std::string(" ") + argv[index];
		Log(event);
	}

	void RefsReceived(BMessage* message) override
	{
		entry_ref ref;
		message->FindRef("refs", &ref);
		Log(std::string("refs ") + (ref.name != nullptr ? ref.name : "?"));
	}

	void ReadyToRun() override
	{
		Log("ready");
		if (fOnReady)
			fOnReady();
	}

	void MessageReceived(BMessage* message) override
	{
		Log(CodeText(message->what));
		BApplication::MessageReceived(message);
	}

	bool QuitRequested() override
	{
		bool answer = BApplication::QuitRequested();
		Log(answer ? "app agreed" : "app refused");
		return answer;
	}

	std::function<void()> fOnReady;

private:
	void Log(std::string event)
	{
		if (!IsLocked())
			event += " unlocked";
		if (Thread() != find_thread(nullptr))
			event += " off-thread";
		fLog.Add(event);
	}

	EventLog& fLog;
};

class ApplicationTest : public testing::Test {
protected:
	void SetUp() override
	{
		fServer = HeadlessServer::InstallNew();
		// The test binary's own command line is no launch of ours.
		const char* arguments[] = {"app"};
		BApplication::SetLaunchArguments(1, arguments);
	}
	void TearDown() override { BApplication::SetLaunchArguments(0, nullptr); }

	HeadlessServer* fServer = nullptr;
};

TEST_F(ApplicationTest, LaunchDeliversArgumentsBeforeReadyToRunAndRunReturnsAfterQuit)
{
	const char* arguments[] = {"quillpix", "a.png", "b.png"};
	BApplication::SetLaunchArguments(3, arguments);
	EventLog log;
	TestApp app(log);
	ASSERT_EQ(be_app, &app);
	app.PostMessage('pre!');
	app.fOnReady = [&] { app.PostMessage(B_QUIT_REQUESTED); };

	thread_id thread = app.Run();

	EXPECT_EQ(thread, find_thread(nullptr)) << "the loop ran in the calling thread";
	EXPECT_EQ(log.Events(),
		(std::vector<std::string>{"argv 3 quillpix a.png b.png", "ready", "pre!", "app agreed"}));
}

TEST_F(ApplicationTest, NoArgumentsBeyondTheProgramNameMeansNoArgvReceived)
{
	const char* arguments[] = {"quillpix"};
	BApplication::SetLaunchArguments(1, arguments);
	EventLog log;
	TestApp app(log);
	app.fOnReady = [&] { app.PostMessage(B_QUIT_REQUESTED); };
	app.Run();
	EXPECT_EQ(log.Events(), (std::vector<std::string>{"ready", "app agreed"}));
}

TEST_F(ApplicationTest, QuitAsksEachWindowInTurnAndStopsAtTheFirstRefusal)
{
	const char* arguments[] = {"quillpix"};
	BApplication::SetLaunchArguments(1, arguments);
	EventLog log;
	TestApp app(log);
	TestWindow* stubborn = nullptr;
	app.fOnReady = [&] {
		(new TestWindow("first", log))->Show();
		stubborn = new TestWindow("second", log, false);
		stubborn->Show();
		(new TestWindow("third", log))->Show();
		EXPECT_EQ(app.CountWindows(), 3);
		app.PostMessage(B_QUIT_REQUESTED);
	};
	// A person who first refuses, then agrees.
	std::thread person([&] {
		ASSERT_TRUE(log.WaitFor("app refused"));
		BMessenger window(nullptr, stubborn);
		ASSERT_TRUE(window.LockTarget());
		stubborn->fAllowQuit = true;
		stubborn->Unlock();
		be_app_messenger.SendMessage(B_QUIT_REQUESTED);
	});

	app.Run();
	person.join();

	EXPECT_EQ(log.Events(),
		(std::vector<std::string>{"ready", "first asked", "first deleted", "second asked",
			"app refused", "second asked", "second deleted", "third asked", "third deleted",
			"app agreed"}));
	EXPECT_EQ(app.CountWindows(), 0);
}

TEST_F(ApplicationTest, QuitFromAnotherThreadEndsRunWithEveryWindowGone)
{
	EventLog log;
	TestApp app(log);
	app.fOnReady = [&] {
		(new TestWindow("shown", log))->Show();
		new TestWindow("hidden", log);
	};
	std::thread other([&] {
		ASSERT_TRUE(log.WaitFor("ready"));
		be_app->Quit();
	});
	app.Run();
	other.join();

	EXPECT_EQ(app.CountWindows(), 0);
	EXPECT_EQ(log.Count("shown deleted"), 1u);
	EXPECT_EQ(log.Count("hidden deleted"), 1u);
	EXPECT_EQ(log.Count("shown asked"), 0u) << "a quit without request asks nobody";
}

TEST_F(ApplicationTest, RefsReachRefsReceived)
{
	EventLog log;
	TestApp app(log);
	app.fOnReady = [&] {
		BMessage refs(B_REFS_RECEIVED);
		entry_ref ref("/tmp", "dropped.png");
		refs.AddRef("refs", &ref);
		be_app_messenger.SendMessage(&refs);
		app.PostMessage(B_QUIT_REQUESTED);
	};
	app.Run();
	EXPECT_EQ(log.Events(), (std::vector<std::string>{"ready", "refs dropped.png", "app agreed"}));
}

TEST_F(ApplicationTest, OnlyOneApplicationAtATime)
{
	EventLog log;
	{
		TestApp first(log);
		BApplication second("application/x-vnd.second");
		EXPECT_EQ(first.InitCheck(), B_OK);
		EXPECT_EQ(second.InitCheck(), B_NOT_ALLOWED);
		EXPECT_EQ(be_app, &first);
		EXPECT_TRUE(be_app_messenger.IsValid());
	}
	EXPECT_EQ(be_app, nullptr);
	EXPECT_FALSE(be_app_messenger.IsValid());
}

TEST_F(ApplicationTest, DeletingTheApplicationQuitsWindowsLeftBehind)
{
	EventLog log;
	{
		TestApp app(log);
		(new TestWindow("running", log))->Show();
		new TestWindow("never shown", log);
		EXPECT_EQ(app.CountWindows(), 2);
	}
	std::vector<std::string> events = log.Events();
	std::sort(events.begin(), events.end());
	EXPECT_EQ(events, (std::vector<std::string>{"never shown deleted", "running deleted"}));
}

// A server with a loop of its own, as a desktop server has: it drains the
// application's queue from its loop whenever the hook says a message waits.
class OwnLoopServer : public HeadlessServer {
public:
	void RunApplication(BPrivate::ApplicationLoop& loop) override
	{
		loop.SetMessageWaitingHook([this] {
			std::lock_guard<std::mutex> lock(fLock);
			fPending = true;
			fWake.notify_one();
		});
		bool running = loop.DispatchPending();
		while (running) {
			std::unique_lock<std::mutex> lock(fLock);
			fWake.wait(lock, [this] { return fPending; });
			fPending = false;
			lock.unlock();
			fDrains++;
			running = loop.DispatchPending();
		}
		loop.SetMessageWaitingHook(nullptr);
	}

	std::atomic<int> fDrains{0};

private:
	std::mutex fLock;
	std::condition_variable fWake;
	bool fPending = false;
};

TEST_F(ApplicationTest, AServerWithItsOwnLoopDrainsTheApplicationQueue)
{
	auto* server = new OwnLoopServer();
	DisplayServer::Install(std::unique_ptr<DisplayServer>(server));
	const char* arguments[] = {"quillpix", "x"};
	BApplication::SetLaunchArguments(2, arguments);
	EventLog log;
	TestApp app(log);
	std::thread other([&] {
		ASSERT_TRUE(log.WaitFor("ready"));
		be_app_messenger.SendMessage('late');
		be_app_messenger.SendMessage(B_QUIT_REQUESTED);
	});
	app.Run();
	other.join();
	EXPECT_EQ(log.Events(),
		(std::vector<std::string>{"argv 2 quillpix x", "ready", "late", "app agreed"}));
	EXPECT_GE(server->fDrains, 1);
	HeadlessServer::InstallNew();
}

} // namespace
