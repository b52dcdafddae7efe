// SPDX-License-Identifier: MIT
#include "Application.h"

#include "IndexedList.h"
#include "LooperState.h"

#include <DisplayServer.h>
#include <Messenger.h>
#include <Window.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <thread>

BApplication* be_app = nullptr;

namespace {

std::mutex sLaunchLock;
bool sHasLaunchArguments = false;
std::vector<std::string> sLaunchArguments;

std::vector<std::string>
ReadCommandLine()
{
	std::ifstream file("/proc/self/cmdline", std::ios::binary);
	std::string all((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
	std::vector<std::string> arguments;
	size_t start = 0;
	while (start < all.size()) {
		size_t end = all.find('\0', start);
		if (end == std::string::npos)
			end = all.size();
		arguments.push_back(all.substr(start, end - start));
		start = end + 1;
	}
	return arguments;
}

std::vector<std::string>
LaunchArguments()
{
	std::lock_guard<std::mutex> lock(sLaunchLock);
	if (sHasLaunchArguments)
		return sLaunchArguments;
	return ReadCommandLine();
}

} // namespace

// The application's loop as the display server sees it.
class BApplication::Loop : public BPrivate::ApplicationLoop {
public:
	explicit Loop(BApplication* application) : fApplication(application) { }

	void Run() override
	{
		while (fApplication->DispatchNextMessage(true)) {
		}
	}

	bool DispatchPending() override { return fApplication->DispatchQueuedMessages(); }

	void SetMessageWaitingHook(std::function<void()> hook) override
	{
		fApplication->SetMessageWaitingHook(std::move(hook));
	}

private:
	BApplication* fApplication;
};

BApplication::BApplication(const char* signature) : BApplication(signature, nullptr)
{ }

BApplication::BApplication(const char* signature, status_t* error)
	: BLooper(signature), fSignature(signature != nullptr ? signature : ""), fInitStatus(B_OK),
	  fRunning(false)
{
	if (be_app != nullptr) {
		fInitStatus = B_NOT_ALLOWED;
	} else {
		be_app = this;
		be_app_messenger = BMessenger(nullptr, this);
	}
	if (error != nullptr)
		*error = fInitStatus;
}

BApplication::~BApplication()
{
	QuitAllWindows();
	WaitForWindowThreads();
	if (be_app == this) {
		be_app = nullptr;
		be_app_messenger = BMessenger();
	}
}

thread_id
BApplication::Run()
{
	if (fInitStatus != B_OK)
		return fInitStatus;
	if (fRunning)
		return B_NOT_ALLOWED;
	fRunning = true;

	AdoptCallingThread();
	QueueLaunchMessages();
	Loop loop(this);
	// Without a server the loop runs right here; the first window that
	// needs one stops the program.
	if (DisplayServer* server = DisplayServer::Current())
		server->RunApplication(loop);
	else
		loop.Run();
	SetMessageWaitingHook(nullptr);
	UnlockFully();

	QuitAllWindows();
	WaitForWindowThreads();
	fRunning = false;
	return Thread();
}

void
BApplication::Quit()
{
	if (!fRunning)
		return;
	if (Thread() == find_thread(nullptr)) {
		BLooper::Quit();
		return;
	}
	// From another thread: the loop ends when it reaches the quit; the
	// application itself lives on until its creator deletes it.
	fState->Post(std::make_unique<BMessage>(BPrivate::kMsgQuitLooper), nullptr, false);
	UnlockFully();
}

bool
BApplication::QuitRequested()
{
	std::vector<BMessenger> windows;
	{
		std::lock_guard<std::mutex> lock(fWindowLock);
		for (BWindow* window : fWindows)
			windows.emplace_back(nullptr, window);
	}
	for (const BMessenger& messenger : windows) {
		if (!messenger.LockTarget())
			continue;
		BLooper* looper = nullptr;
		messenger.Target(&looper);
		BWindow* window = static_cast<BWindow*>(looper);
		if (!window->QuitRequested()) {
			window->Unlock();
			return false;
		}
		window->Quit();
	}
	return true;
}

void
BApplication::DispatchMessage(BMessage* message, BHandler* handler)
{
	if (handler != this) {
		BLooper::DispatchMessage(message, handler);
		return;
	}
	switch (message->what) {
	case B_ARGV_RECEIVED: {
		std::vector<std::string> arguments;
		const char* argument = nullptr;
		for (int32 index = 0; message->FindString("argv", index, &argument) == B_OK; index++)
			arguments.emplace_back(argument);
		std::vector<char*> argv;
		for (std::string& text : arguments)
			argv.push_back(text.data());
		argv.push_back(nullptr);
		ArgvReceived(static_cast<int32>(arguments.size()), argv.data());
		break;
	}
	case B_REFS_RECEIVED:
		RefsReceived(message);
		break;
	case B_READY_TO_RUN:
		ReadyToRun();
		break;
	default:
		BLooper::DispatchMessage(message, handler);
	}
}

void
BApplication::MessageReceived(BMessage* message)
{
	BLooper::MessageReceived(message);
}

void
BApplication::ReadyToRun()
{ }

void
BApplication::ArgvReceived(int32, char**)
{ }

void
BApplication::RefsReceived(BMessage*)
{ }

int32
BApplication::CountWindows() const
{
	std::lock_guard<std::mutex> lock(fWindowLock);
	return BPrivate::CountOf(fWindows);
}

BWindow*
BApplication::WindowAt(int32 index) const
{
	std::lock_guard<std::mutex> lock(fWindowLock);
	return BPrivate::ElementAt(fWindows, index);
}

void
BApplication::SetLaunchArguments(int argc, const char* const* argv)
{
	std::lock_guard<std::mutex> lock(sLaunchLock);
	sLaunchArguments.clear();
	sHasLaunchArguments = argc > 0 && argv != nullptr;
	if (!sHasLaunchArguments)
		return;
	for (int index = 0; index < argc; index++)
		sLaunchArguments.emplace_back(argv[index] != nullptr ? argv[index] : "");
}

void
BApplication::AddWindow(BWindow* window)
{
	std::lock_guard<std::mutex> lock(fWindowLock);
	fWindows.push_back(window);
}

void
BApplication::RemoveWindow(BWindow* window, thread_id windowThread)
{
	std::lock_guard<std::mutex> lock(fWindowLock);
	auto found = std::find(fWindows.begin(), fWindows.end(), window);
	if (found != fWindows.end())
		fWindows.erase(found);
	if (windowThread >= 0)
		fEndingThreads.push_back(windowThread);
}

// Launch data goes ahead of anything queued before Run: first the command
// line, then ReadyToRun.
void
BApplication::QueueLaunchMessages()
{
	BMessage ready(B_READY_TO_RUN);
	PostMessageFirst(&ready);

	std::vector<std::string> arguments = LaunchArguments();
	if (arguments.size() <= 1)
		return;
	BMessage argv(B_ARGV_RECEIVED);
	argv.AddInt32("argc", static_cast<int32>(arguments.size()));
	for (const std::string& argument : arguments)
		argv.AddString("argv", argument.c_str());
	PostMessageFirst(&argv);
}

// Quits every window without asking, one at a time, each on its own thread
// (or at once when it never ran). Windows made meanwhile are quit too.
void
BApplication::QuitAllWindows()
{
	while (true) {
		BMessenger messenger;
		{
			std::lock_guard<std::mutex> lock(fWindowLock);
			if (fWindows.empty())
				return;
			messenger = BMessenger(nullptr, fWindows.front());
		}
		if (!messenger.LockTarget()) {
			// Being deleted right now; it takes itself off the list.
			std::this_thread::yield();
			continue;
		}
		BLooper* looper = nullptr;
		messenger.Target(&looper);
		looper->Quit();
	}
}

void
BApplication::WaitForWindowThreads()
{
	std::vector<thread_id> threads;
	{
		std::lock_guard<std::mutex> lock(fWindowLock);
		threads.swap(fEndingThreads);
	}
	for (thread_id thread : threads)
		wait_for_thread(thread, nullptr);
}
