// SPDX-License-Identifier: MIT
#pragma once

// Private to the kits: the part of a looper that outlives it. Its lock, its
// queue and an "alive" flag, shared by the looper and everyone who names it
// (messengers, through the registry), so that waiting for or posting to a
// looper that is being deleted fails cleanly.
//
// Every member is guarded by `mutex`; the functions take it themselves.

#include <Message.h>
#include <OS.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

class BHandler;
class BLooper;

namespace BPrivate {

// Queued by BLooper::Quit from another thread; ends the loop.
constexpr uint32 kMsgQuitLooper = '_QIT';

struct QueuedMessage {
	std::unique_ptr<BMessage> message;
	BHandler* handler = nullptr; // null: the preferred handler
};

struct LooperState {
	std::mutex mutex;
	std::condition_variable lockReleased;
	std::condition_variable queueChanged;
	std::condition_variable threadEnded;

	thread_id owner = -1;
	int32 count = 0;
	bool alive = true;
	bool acceptsMessages = true;
	// The looper's own thread has deleted the looper.
	bool ended = false;
	BLooper* looper = nullptr; // valid while alive
	int32 token = -1;
	thread_id thread = -1;
	std::deque<QueuedMessage> queue;
	// A message was taken from the queue and is not handled yet.
	bool dispatching = false;
	std::function<void()> messageWaitingHook;

	// Takes the lock for the calling thread (recursively). B_OK,
	// B_TIMED_OUT, or B_BAD_VALUE when the looper is gone.
	status_t Acquire(bigtime_t timeout);
	// Gives up one level; false when the caller does not hold the lock.
	bool Release();
	// Gives up every level the caller holds; answers how many.
	int32 ReleaseAll();
	// With the mutex held: nobody holds the lock now; wakes its waiters.
	void Disown();
	bool IsHeldByCaller();
	// The member `field`, read under the mutex.
	template <typename T>
	T Read(T LooperState::*field)
	{
		std::lock_guard<std::mutex> lock(mutex);
		return this->*field;
	}
	// B_OK, or B_BAD_PORT_ID when the looper no longer takes messages.
	status_t Post(std::unique_ptr<BMessage> message, BHandler* handler, bool first);
	// The looper is being deleted: wake every waiter, refuse new messages.
	void MarkDead();
	void MarkThreadEnded();
	void WaitForThreadEnd();
};

// The process-wide registry of live loopers, by token. Any thread.
class LooperRegistry {
public:
	static int32 Register(const std::shared_ptr<LooperState>& state);
	static void Unregister(int32 token);
	// Null when no live looper has that token.
	static std::shared_ptr<LooperState> Find(int32 token);
	static BLooper* LooperForThread(thread_id thread);
};

} // namespace BPrivate
