// SPDX-License-Identifier: MIT
#pragma once

// A looper is a thread with a FIFO message queue. Run() starts the thread,
// which takes each queued message in order, locks the looper, hands the
// message to DispatchMessage (and through it to the target handler's
// MessageReceived), and unlocks.
//
// Locking: the looper's lock is recursive and owned by one thread at a time;
// Lock/Unlock pairs nest. Every hook of a running looper runs on its thread
// with the lock held; other threads lock the looper before touching it. A
// looper is not locked when it is constructed. The lock and the queue live in
// a shared state that outlives the looper, so a BMessenger waiting for the
// lock of a looper that is being deleted wakes up and fails instead of
// touching freed memory.
//
// Quitting: Quit() is called with the looper locked.
// * From the looper's own thread (in a message handler), the looper is
//   deleted when control returns to its loop, and the thread ends.
// * From another thread, the quit is queued behind the messages already
//   waiting, the caller's hold of the lock is released, and Quit() returns
//   once the looper's thread has deleted the looper.
// * A looper whose Run() was never called is deleted at once.
// A B_QUIT_REQUESTED message aimed at the looper itself asks QuitRequested()
// and quits when it answers true.
//
// Every looper is registered, under a token, in a process-wide registry of
// live loopers; BMessenger names its target by that token.

#include <AppDefs.h>
#include <Handler.h>
#include <Message.h>
#include <OS.h>

#include <functional>
#include <memory>
#include <vector>

namespace BPrivate {
struct LooperState;
} // namespace BPrivate

class BLooper : public BHandler {
public:
	explicit BLooper(const char* name = nullptr, int32 priority = B_NORMAL_PRIORITY,
		int32 portCapacity = B_LOOPER_PORT_DEFAULT_CAPACITY);
	// Delete a looper only through Quit(), or before it runs.
	~BLooper() override;

	// Starts the looper's thread and answers its id, or the failure of
	// spawn_thread. Only the first call starts a thread; later calls answer
	// B_NOT_ALLOWED.
	virtual thread_id Run();
	// See the header comment. Called with the looper locked by the caller;
	// when it is not, Quit locks it first.
	virtual void Quit();
	// Asked on the looper's thread, locked, when B_QUIT_REQUESTED arrives
	// for the looper. The base answers true.
	virtual bool QuitRequested();

	// Runs on the looper's thread, locked: hands `message` to `handler`.
	// B_QUIT_REQUESTED aimed at the looper runs the quit protocol; everything
	// else goes to handler->MessageReceived.
	virtual void DispatchMessage(BMessage* message, BHandler* handler);
	void MessageReceived(BMessage* message) override;

	// Queue a copy of a message (any thread, no lock needed). The message
	// goes to `handler` when it is given (it must belong to this looper when
	// the message is dispatched, or the message is dropped), otherwise to the
	// preferred handler, which is the looper itself unless set.
	// B_OK, or B_BAD_VALUE for a null message, B_BAD_PORT_ID when the
	// looper has quit.
	status_t PostMessage(uint32 command);
	status_t PostMessage(uint32 command, BHandler* handler, BHandler* replyTo = nullptr);
	status_t PostMessage(
		BMessage* message, BHandler* handler = nullptr, BHandler* replyTo = nullptr);

	// The message being dispatched (null outside a dispatch); owned by the
	// looper, valid until the dispatch returns.
	BMessage* CurrentMessage() const { return fCurrentMessage; }

	// Any thread.
	bool Lock();
	void Unlock();
	// B_OK, B_TIMED_OUT, or B_BAD_VALUE when the looper is gone.
	status_t LockWithTimeout(bigtime_t timeout);
	// True when the calling thread holds the lock.
	bool IsLocked() const;
	// How many times the holder has locked it (0 when free).
	int32 CountLocks() const;
	thread_id LockingThread() const;

	// The looper's thread; -1 before Run().
	thread_id Thread() const;
	// The number of messages waiting in the queue.
	int32 CountQueuedMessages() const;
	// True while a message waits in the queue, or was taken from it and is
	// not handled yet. Called with the looper locked by another thread, false
	// means every message sent before has been handled.
	bool IsMessageWaiting() const;

	// Handlers; call with the looper locked. The looper does not own them.
	// The looper itself is always its own first handler.
	void AddHandler(BHandler* handler);
	bool RemoveHandler(BHandler* handler);
	int32 CountHandlers() const;
	BHandler* HandlerAt(int32 index) const;
	int32 IndexOf(BHandler* handler) const;
	// Where messages without a handler go from now on; null means the
	// looper itself.
	void SetPreferredHandler(BHandler* handler);

	// The looper whose thread is `thread`, or null.
	static BLooper* LooperForThread(thread_id thread);

protected:
	// For loops that run on a thread the looper did not start (the
	// application's): makes the calling thread the looper's thread.
	void AdoptCallingThread();
	// Takes the next message from the queue and dispatches it with the
	// looper locked; with `wait`, blocks until one arrives. Answers false
	// when the looper has quit: the loop must end, and the looper is then
	// still locked by the calling thread.
	bool DispatchNextMessage(bool wait);
	// Dispatches the messages queued at the moment of the call, without
	// waiting for more. False when the looper quit meanwhile, as above.
	bool DispatchQueuedMessages();
	// Called after every successful post, on the posting thread, with no
	// kit lock held; null removes it.
	void SetMessageWaitingHook(std::function<void()> hook);
	// Queues a copy of `message` ahead of everything waiting.
	status_t PostMessageFirst(BMessage* message);
	// True once Quit() ran for the looper on its own thread.
	bool IsQuitting() const { return fQuitOnReturn; }
	// Releases every level of the calling thread's hold on the lock.
	void UnlockFully();

	// Shared with messengers; outlives the looper.
	std::shared_ptr<BPrivate::LooperState> fState;

private:
	friend class BMessenger;

	static int32 ThreadEntry(void* data);
	status_t Enqueue(BMessage* message, BHandler* handler, bool first);
	bool HoldsHandler(const BHandler* handler) const;

	std::vector<BHandler*> fHandlers;
	BHandler* fPreferred;
	BMessage* fCurrentMessage;
	int32 fPriority;
	bool fRunCalled;
	bool fQuitOnReturn;
};
