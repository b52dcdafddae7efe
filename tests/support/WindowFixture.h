// SPDX-License-Identifier: MIT
#pragma once

// Shared pieces of the window tests: a fresh headless server per test (and
// launch arguments for a test that makes an application), a window that logs
// what reaches it, and quitting a window from the test.
// Needs the kits and the headless server (quillpix_test_windows).

#include <Application.h>
#include <HeadlessProbe.h>
#include <Messenger.h>
#include <OS.h>
#include <Window.h>

#include "support/Waiting.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>

namespace testsupport {

class WindowFixture : public testing::Test {
protected:
	void SetUp() override
	{
		fServer = HeadlessServer::InstallNew();
		fProbe = std::make_unique<HeadlessProbe>(*fServer);
	}

	// Waits (with the watchdog) until the server shows the condition.
	bool Eventually(const std::function<bool()>& predicate)
	{
		return fServer->WaitUntil(predicate, kWatchdogMicroseconds);
	}

	HeadlessServer* fServer = nullptr;
	std::unique_ptr<HeadlessProbe> fProbe;
};

// For tests that make an application: its launch arguments are the program's
// name alone, never the test binary's own command line.
class ApplicationFixture : public WindowFixture {
protected:
	void SetUp() override
	{
		WindowFixture::SetUp();
		const char* arguments[] = {"app"};
		BApplication::SetLaunchArguments(1, arguments);
	}

	void TearDown() override { BApplication::SetLaunchArguments(0, nullptr); }
};

// A handler or looper (`Base`) named `name` that logs the code of every
// message it handles as "<name> <code>".
template <typename Base>
class MessageLogger : public Base {
public:
	MessageLogger(const char* name, EventLog& log) : Base(name), fLog(log) { }

	void MessageReceived(BMessage* message) override
	{
		fLog.Add(std::string(Base::Name()) + " " + CodeText(message->what));
	}

private:
	EventLog& fLog;
};

// Logs every message it handles, noting a wrong thread or a missing lock.
class LoggingWindow : public BWindow {
public:
	LoggingWindow(BRect frame, const char* title, EventLog& log)
		: BWindow(frame, title, B_TITLED_WINDOW, 0), fLog(log)
	{ }

	~LoggingWindow() override { fLog.Add("deleted"); }

	void MessageReceived(BMessage* message) override
	{
		std::string event = CodeText(message->what);
		if (!IsLocked())
			event += " unlocked";
		if (Thread() != find_thread(nullptr))
			event += " off-thread";
		fLog.Add(event);
		BWindow::MessageReceived(message);
	}

	bool QuitRequested() override
	{
		fLog.Add("asked to quit");
		return fAllowQuit;
	}

	std::atomic<bool> fAllowQuit{true};

private:
	EventLog& fLog;
};

// Logs "<title> asked" for every quit request, and answers it with
// fAllowQuit.
class QuitLoggingWindow : public BWindow {
public:
	QuitLoggingWindow(BRect frame, const char* title, EventLog& log, bool allowQuit)
		: BWindow(frame, title, B_TITLED_WINDOW, 0), fAllowQuit(allowQuit), fLog(log)
	{ }

	bool QuitRequested() override
	{
		fLog.Add(std::string(Title()) + " asked");
		return fAllowQuit;
	}

	std::atomic<bool> fAllowQuit;

protected:
	EventLog& fLog;
};

// Quits a window from the test's thread, as another thread would.
inline void
QuitWindow(BWindow* window)
{
	BMessenger messenger(nullptr, window);
	if (messenger.LockTarget())
		window->Quit();
}

} // namespace testsupport
