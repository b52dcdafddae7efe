// SPDX-License-Identifier: MIT
#pragma once

// An application that counts its document windows and quits when the last
// one goes, so it lives exactly as long as it has documents. It also keeps a
// quitting flag, set whenever it is asked to quit, so that a window that held
// up the quit to ask about unsaved changes can later let it go on or call it
// off.

#include <Application.h>
#include <Message.h>

#include <atomic>

class DocumentApp : public BApplication {
public:
	explicit DocumentApp(const char* signature);
	~DocumentApp() override;

	// Why a quit request was posted by the document framework. It travels in
	// the request, because the state it answered may be gone by the time the
	// application handles it.
	enum class QuitReason {
		// The last document window was destroyed; void once a document
		// window exists again (a file opened meanwhile).
		kLastWindowClosed,
		// A window that held up a quit has gone and the quit may go on; void
		// once the quit was called off or a document window was made.
		kResumeQuit,
	};
	// A B_QUIT_REQUESTED message carrying `reason`.
	static BMessage QuitRequest(QuitReason reason);

	// Runs on the application's thread. A request posted by the framework
	// whose reason no longer holds answers false and changes nothing.
	// Otherwise sets the quitting flag whatever the answer; the base asks
	// every window in turn.
	bool QuitRequested() override;

	// Runs on the thread that constructs a document window.
	void AddDocumentWindow();
	// Runs on the thread that destroys a document window, often several at
	// once: the count changes atomically and only the window that takes it
	// from 1 to 0 posts the quit request to the application.
	void RemoveDocumentWindow();

	// A plain read, for the application's thread.
	int32 CountDocumentWindows() const;
	// True once any document window has counted itself, even when it has
	// gone since. Any thread.
	bool HadDocumentWindows() const;

	// Any thread; read by a window after a save that a close prompt asked for.
	bool IsQuitting() const;
	// Any thread; called when the person calls off closing a modified
	// document (a close prompt's "Cancel", or its save panel closed unused).
	void CancelQuit();

private:
	bool StillApplies(const BMessage* request) const;

	int32 fDocumentCount;
	std::atomic<bool> fHadDocuments;
	// Written by the application thread and by close prompts, read by windows,
	// none of them holding a common lock: hence atomic.
	std::atomic<bool> fQuitting;
};
