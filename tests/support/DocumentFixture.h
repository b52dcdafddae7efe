// SPDX-License-Identifier: MIT
#pragma once

// Shared pieces of the document window tests: a document window that logs
// its saves and can fail them, an application that makes such windows on its
// own thread, a desk where the test answers close prompts one by one, a
// scratch directory with a place to save to, and a fixture for document
// windows without an application. For tests that link quillpix_document.

#include "app/commands/Commands.h"
#include "app/framework/DocumentApp.h"
#include "document/FileDocumentWindow.h"

#include <AppDefs.h>
#include <Entry.h>
#include <HeadlessProbe.h>
#include <Messenger.h>
#include <OS.h>

#include "support/Files.h"
#include "support/Waiting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>

namespace testsupport {

constexpr uint32 kMsgPing = 'ping';
constexpr uint32 kMsgMakeDocument = 'mkdc';

// Logs "save <name> titled <title>" for every save, checking that it runs on
// the window's thread with the window locked; "handled <code>" after every
// message; "panel built" for every save panel asked for; "deleted <title>".
class TestDocumentWindow : public FileDocumentWindow {
public:
	TestDocumentWindow(const char* documentName, EventLog& log, bool modified = false)
		: FileDocumentWindow(BRect(50, 50, 350, 250), documentName, B_TITLED_WINDOW, 0), fLog(log)
	{
		SetModified(modified);
	}

	~TestDocumentWindow() override { fLog.Add(std::string("deleted ") + Title()); }

	bool SaveDocument() override
	{
		std::string event = std::string("save ") + DocumentName() + " titled " + Title();
		if (!IsLocked() || Thread() != find_thread(nullptr))
			event += " off its thread";
		fLog.Add(event);
		if (!fSaveSucceeds)
			return SaveOutcome(BPrivate::Failure(B_PERMISSION_DENIED));
		return SaveOutcome({});
	}

	BFilePanel* CreateSavePanel(BMessenger* target, entry_ref* startDirectory) override
	{
		fLog.Add("panel built");
		if (fRefusePanel)
			return nullptr;
		return FileDocumentWindow::CreateSavePanel(target, startDirectory);
	}

	void MessageReceived(BMessage* message) override
	{
		if (message->what != kMsgPing)
			FileDocumentWindow::MessageReceived(message);
		fLog.Add("handled " + CodeText(message->what));
	}

	std::atomic<bool> fSaveSucceeds{true};
	std::atomic<bool> fRefusePanel{false};

private:
	EventLog& fLog;
};

// Locks the window behind `window` and runs `action` on it; false when the
// window is gone.
inline bool
WithWindow(const BMessenger& window, const std::function<void(TestDocumentWindow*)>& action)
{
	if (!window.LockTarget())
		return false;
	BLooper* looper = nullptr;
	window.Target(&looper);
	action(static_cast<TestDocumentWindow*>(looper));
	looper->Unlock();
	return true;
}

// Quits the window behind `window` from the calling thread, as another
// thread would; Quit ends the lock with the window. False when it is gone.
inline bool
QuitDocument(const BMessenger& window)
{
	if (!window.LockTarget())
		return false;
	BLooper* looper = nullptr;
	window.Target(&looper);
	looper->Quit();
	return true;
}

inline std::string
DocumentNameOf(const BMessenger& window)
{
	std::string name = "(gone)";
	WithWindow(window, [&](TestDocumentWindow* document) { name = document->DocumentName(); });
	return name;
}

// A DocumentApp that makes document windows on its own thread, as the real
// application does, and logs each quit request it answers.
class DocumentTestApp : public DocumentApp {
public:
	explicit DocumentTestApp(EventLog& log)
		: DocumentApp("application/x-vnd.test-documents"), fLog(log)
	{ }

	bool QuitRequested() override
	{
		bool answer = DocumentApp::QuitRequested();
		fLog.Add(answer ? "application quits" : "application stays");
		return answer;
	}

	void MessageReceived(BMessage* message) override
	{
		if (message->what == kMsgPing) {
			fLog.Add("application pinged");
			return;
		}
		if (message->what != kMsgMakeDocument) {
			DocumentApp::MessageReceived(message);
			return;
		}
		const char* name = message->GetString("name");
		auto* window = new TestDocumentWindow(name, fLog, message->GetBool("modified"));
		{
			std::lock_guard<std::mutex> lock(fLock);
			fDocuments[name] = BMessenger(nullptr, window);
		}
		window->Show();
	}

	// The window made under `name`, whatever it is called now.
	BMessenger Document(const std::string& name) const
	{
		std::lock_guard<std::mutex> lock(fLock);
		auto found = fDocuments.find(name);
		return found != fDocuments.end() ? found->second : BMessenger();
	}

private:
	EventLog& fLog;
	mutable std::mutex fLock;
	std::map<std::string, BMessenger> fDocuments;
};

// The close prompt's buttons, as Answer takes them.
constexpr int32 kDontSave = 0;
constexpr int32 kCancel = 1;
constexpr int32 kSave = 2;

// Where close prompts wait for the test: each alert is recorded with the
// thread that shows it and held until the test answers it.
class AlertDesk {
public:
	struct Prompt {
		AlertInfo alert;
		thread_id thread = -1;
		std::string threadName;
		int32 priority = -1;
	};

	explicit AlertDesk(HeadlessServer* server) : fServer(server)
	{
		server->SetAlertHandler([this](const AlertInfo& alert) { return Take(alert); });
	}

	~AlertDesk() { fServer->SetAlertHandler(nullptr); }

	bool WaitForPrompts(size_t count)
	{
		std::unique_lock<std::mutex> lock(fLock);
		return fChanged.wait_for(lock, kWatchdog, [&] { return fPrompts.size() >= count; });
	}

	Prompt PromptAt(size_t index)
	{
		std::lock_guard<std::mutex> lock(fLock);
		return index < fPrompts.size() ? fPrompts[index] : Prompt();
	}

	// Presses `button` on prompt `index` and waits until its thread has
	// acted on the answer and ended.
	void Answer(size_t index, int32 button)
	{
		thread_id thread;
		{
			std::lock_guard<std::mutex> lock(fLock);
			ASSERT_LT(index, fPrompts.size());
			fAnswers[index] = button;
			thread = fPrompts[index].thread;
			fChanged.notify_all();
		}
		wait_for_thread(thread, nullptr);
	}

private:
	int32 Take(const AlertInfo& alert)
	{
		Prompt prompt;
		prompt.alert = alert;
		prompt.thread = find_thread(nullptr);
		thread_info info;
		if (get_thread_info(prompt.thread, &info) == B_OK) {
			prompt.threadName = info.name;
			prompt.priority = info.priority;
		}
		std::unique_lock<std::mutex> lock(fLock);
		size_t index = fPrompts.size();
		fPrompts.push_back(prompt);
		fChanged.notify_all();
		if (!fChanged.wait_for(lock, kWatchdog, [&] { return fAnswers.count(index) > 0; })) {
			ADD_FAILURE() << "nobody answered the prompt \"" << alert.text << "\"";
			return 1;
		}
		return fAnswers[index];
	}

	HeadlessServer* fServer;
	std::mutex fLock;
	std::condition_variable fChanged;
	std::vector<Prompt> fPrompts;
	std::map<size_t, int32> fAnswers;
};

// A scratch directory with a subdirectory "src" to save to.
class DocumentScratch : public ScratchDirectory {
public:
	DocumentScratch() { std::filesystem::create_directory(*this / "src"); }

	entry_ref Ref(const std::string& relative = "") const
	{
		entry_ref ref;
		BEntry((relative.empty() ? Path() : *this / relative).c_str()).GetRef(&ref);
		return ref;
	}
};

// A fixture for document windows without an application: a fresh headless
// server, a scratch directory, and windows the test makes, drives through
// messages and closes.
class DocumentWindowFixture : public testing::Test {
protected:
	void SetUp() override
	{
		fServer = HeadlessServer::InstallNew();
		fProbe = std::make_unique<HeadlessProbe>(*fServer);
	}

	void TearDown() override
	{
		for (const BMessenger& window : fWindows)
			QuitDocument(window);
		EXPECT_TRUE(Eventually([&] { return fServer->Windows().empty(); }));
	}

	bool Eventually(const std::function<bool()>& predicate)
	{
		return fServer->WaitUntil(predicate, kWatchdogMicroseconds);
	}

	BMessenger Open(const std::string& documentName, bool modified = false)
	{
		auto* window = new TestDocumentWindow(documentName.c_str(), fLog, modified);
		BMessenger messenger(nullptr, window);
		fServerIds.push_back(window->ServerId());
		window->Show();
		fWindows.push_back(messenger);
		return messenger;
	}

	int32 ServerId(size_t index = 0) const { return fServerIds.at(index); }

	// Sends `message` and waits until the window has handled it.
	bool Deliver(const BMessenger& window, const BMessage& message)
	{
		std::string handled = "handled " + CodeText(message.what);
		size_t before = fLog.Count(handled);
		if (window.SendMessage(&message) != B_OK)
			return false;
		return fLog.WaitFor(handled, before + 1);
	}

	bool Deliver(const BMessenger& window, uint32 command)
	{
		BMessage message(command);
		return Deliver(window, message);
	}

	HeadlessServer* fServer = nullptr;
	std::unique_ptr<HeadlessProbe> fProbe;
	DocumentScratch fScratch;
	EventLog fLog;
	std::vector<BMessenger> fWindows;
	std::vector<int32> fServerIds;
};

} // namespace testsupport
