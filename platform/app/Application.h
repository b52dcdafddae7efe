// SPDX-License-Identifier: MIT
#pragma once

// The application: the process's one main looper, run in the thread that
// calls Run() (the main thread), and the registry of the process's windows.
//
// Launch order: when Run() starts, the application first receives
// B_ARGV_RECEIVED (ArgvReceived) when the launch has arguments beyond the
// program's name, then the launch documents (RefsReceived; on Linux there
// are none, files come as arguments), and only then B_READY_TO_RUN
// (ReadyToRun). These go ahead of anything queued before Run().
//
// The launch arguments are read from /proc/self/cmdline at Run(), since main
// does not pass them on; tests and programs that embed the kit set them with
// SetLaunchArguments before Run().
//
// Run() hands the loop to the current display server (DisplayServer.h); the
// headless server simply runs it in the calling thread. Run() returns after
// the application has quit; by then every window has quit, been deleted and
// its thread has ended. The object itself is deleted by its creator.
//
// Every hook runs on the application's thread with the application locked.

#include <Looper.h>

#include <mutex>
#include <string>
#include <vector>

class BWindow;

class BApplication : public BLooper {
public:
	// Makes this the process's application: sets be_app and
	// be_app_messenger. Only one may exist at a time; a second one fails
	// InitCheck with B_NOT_ALLOWED and changes nothing.
	explicit BApplication(const char* signature);
	BApplication(const char* signature, status_t* error);
	// Quits and deletes any window left, then resets be_app.
	~BApplication() override;

	status_t InitCheck() const { return fInitStatus; }
	const char* Signature() const { return fSignature.c_str(); }

	// Runs the application's loop in the calling thread until it quits;
	// answers the thread's id.
	thread_id Run() override;
	// On the application's thread: the loop ends once the current message
	// has been handled. From another thread: the quit is queued and Quit
	// returns at once (the application is not deleted).
	void Quit() override;
	// Asks each window in turn, locking it: QuitRequested(), and Quit() when
	// it answers true. Stops at the first refusal and answers false;
	// answers true when every window agreed.
	bool QuitRequested() override;

	void DispatchMessage(BMessage* message, BHandler* handler) override;
	void MessageReceived(BMessage* message) override;

	// Hooks of the launch and of references sent to the application.
	virtual void ReadyToRun();
	// `argv` holds `argc` strings, argv[0] the program's name; valid during
	// the call.
	virtual void ArgvReceived(int32 argc, char** argv);
	virtual void RefsReceived(BMessage* message);

	// The windows of the process, in creation order (offscreen bitmap
	// windows are not among them). Any thread; a window may quit at any
	// moment, so lock it through a BMessenger before use.
	int32 CountWindows() const;
	BWindow* WindowAt(int32 index) const;

	// The arguments the next Run() hands to ArgvReceived, instead of the
	// process's command line. argc 0 goes back to the command line.
	static void SetLaunchArguments(int argc, const char* const* argv);

protected:
	// Quits and deletes every window left, then joins their threads. The
	// destructor does this too; an application whose windows call back into
	// its derived part on their way out does it in its own destructor first,
	// while that part still exists.
	void QuitAllWindows();
	void WaitForWindowThreads();

private:
	friend class BWindow;

	class Loop;

	// From BWindow, on any thread, with no lock of the application's held.
	void AddWindow(BWindow* window);
	void RemoveWindow(BWindow* window, thread_id windowThread);
	void QueueLaunchMessages();

	std::string fSignature;
	status_t fInitStatus;
	bool fRunning;

	mutable std::mutex fWindowLock;
	std::vector<BWindow*> fWindows;
	// Threads of windows that have been deleted; joined when Run ends.
	std::vector<thread_id> fEndingThreads;
};

// The application object; null when there is none.
extern BApplication* be_app;
