// SPDX-License-Identifier: MIT
#include "Looper.h"

#include "IndexedList.h"
#include "LockChecks.h"
#include "LooperState.h"

#include <algorithm>
#include <string>

using BPrivate::LooperRegistry;
using BPrivate::LooperState;

BLooper::BLooper(const char* name, int32 priority, int32)
	: BHandler(name), fState(std::make_shared<LooperState>()), fPreferred(nullptr),
	  fCurrentMessage(nullptr), fPriority(priority), fRunCalled(false), fQuitOnReturn(false)
{
	fState->looper = this;
	fState->token = LooperRegistry::Register(fState);
	fHandlers.push_back(this);
	fLooper = this;
}

BLooper::~BLooper()
{
	LooperRegistry::Unregister(fState->token);
	for (BHandler* handler : fHandlers)
		handler->fLooper = nullptr;
	fHandlers.clear();
	fState->MarkDead();
}

thread_id
BLooper::Run()
{
	if (fRunCalled)
		return B_NOT_ALLOWED;

	const char* name = Name();
	thread_id thread = spawn_thread(
		ThreadEntry, name != nullptr ? name : "looper", fPriority, this);
	if (thread < 0)
		return thread;
	fRunCalled = true;
	{
		std::lock_guard<std::mutex> lock(fState->mutex);
		fState->thread = thread;
	}
	resume_thread(thread);
	return thread;
}

int32
BLooper::ThreadEntry(void* data)
{
	BLooper* looper = static_cast<BLooper*>(data);
	std::shared_ptr<LooperState> state = looper->fState;
	while (looper->DispatchNextMessage(true)) {
	}
	// The loop ended by a quit, with the looper locked by this thread.
	delete looper;
	state->MarkThreadEnded();
	return 0;
}

void
BLooper::Quit()
{
	if (!IsLocked())
		Lock();

	if (!fRunCalled) {
		delete this;
		return;
	}
	if (Thread() == find_thread(nullptr)) {
		fQuitOnReturn = true;
		return;
	}

	std::shared_ptr<LooperState> state = fState;
	state->Post(std::make_unique<BMessage>(BPrivate::kMsgQuitLooper), nullptr, false);
	state->ReleaseAll();
	state->WaitForThreadEnd();
}

bool
BLooper::QuitRequested()
{
	return true;
}

void
BLooper::DispatchMessage(BMessage* message, BHandler* handler)
{
	if (message == nullptr || handler == nullptr)
		return;
	if (message->what == B_QUIT_REQUESTED && handler == this) {
		if (QuitRequested())
			Quit();
		return;
	}
	handler->MessageReceived(message);
}

void
BLooper::MessageReceived(BMessage* message)
{
	BHandler::MessageReceived(message);
}

status_t
BLooper::PostMessage(uint32 command)
{
	BMessage message(command);
	return PostMessage(&message);
}

status_t
BLooper::PostMessage(uint32 command, BHandler* handler, BHandler* replyTo)
{
	BMessage message(command);
	return PostMessage(&message, handler, replyTo);
}

status_t
BLooper::PostMessage(BMessage* message, BHandler* handler, BHandler*)
{
	return Enqueue(message, handler, false);
}

status_t
BLooper::PostMessageFirst(BMessage* message)
{
	return Enqueue(message, nullptr, true);
}

status_t
BLooper::Enqueue(BMessage* message, BHandler* handler, bool first)
{
	if (message == nullptr)
		return B_BAD_VALUE;
	return fState->Post(std::make_unique<BMessage>(*message), handler, first);
}

bool
BLooper::Lock()
{
	std::shared_ptr<LooperState> state = fState;
	return state->Acquire(B_INFINITE_TIMEOUT) == B_OK;
}

void
BLooper::Unlock()
{
	fState->Release();
}

status_t
BLooper::LockWithTimeout(bigtime_t timeout)
{
	std::shared_ptr<LooperState> state = fState;
	return state->Acquire(timeout);
}

bool
BLooper::IsLocked() const
{
	return fState->IsHeldByCaller();
}

int32
BLooper::CountLocks() const
{
	return fState->Read(&LooperState::count);
}

thread_id
BLooper::LockingThread() const
{
	return fState->Read(&LooperState::owner);
}

thread_id
BLooper::Thread() const
{
	return fState->Read(&LooperState::thread);
}

int32
BLooper::CountQueuedMessages() const
{
	std::lock_guard<std::mutex> lock(fState->mutex);
	return static_cast<int32>(fState->queue.size());
}

bool
BLooper::IsMessageWaiting() const
{
	std::lock_guard<std::mutex> lock(fState->mutex);
	return !fState->queue.empty() || fState->dispatching;
}

void
BLooper::UnlockFully()
{
	fState->ReleaseAll();
}

void
BLooper::AdoptCallingThread()
{
	fRunCalled = true;
	std::lock_guard<std::mutex> lock(fState->mutex);
	fState->thread = find_thread(nullptr);
}

bool
BLooper::DispatchNextMessage(bool wait)
{
	if (fQuitOnReturn)
		return false;

	BPrivate::QueuedMessage entry;
	{
		std::unique_lock<std::mutex> lock(fState->mutex);
		if (wait)
			fState->queueChanged.wait(lock, [this] { return !fState->queue.empty(); });
		if (fState->queue.empty())
			return true;
		entry = std::move(fState->queue.front());
		fState->queue.pop_front();
		fState->dispatching = true;
	}

	Lock();
	if (entry.message->what == BPrivate::kMsgQuitLooper) {
		fQuitOnReturn = true;
		return false;
	}

	BHandler* handler = entry.handler;
	if (handler == nullptr)
		handler = fPreferred != nullptr ? fPreferred : this;
	else if (!HoldsHandler(handler))
		handler = nullptr; // gone since the message was sent: dropped

	if (handler != nullptr) {
		BMessage* previous = fCurrentMessage;
		fCurrentMessage = entry.message.get();
		DispatchMessage(fCurrentMessage, handler);
		fCurrentMessage = previous;
	}
	{
		std::lock_guard<std::mutex> lock(fState->mutex);
		fState->dispatching = false;
	}
	if (fQuitOnReturn)
		return false;
	Unlock();
	return true;
}

bool
BLooper::DispatchQueuedMessages()
{
	int32 waiting = CountQueuedMessages();
	for (int32 index = 0; index < waiting; index++) {
		if (!DispatchNextMessage(false))
			return false;
	}
	return !fQuitOnReturn;
}

void
BLooper::SetMessageWaitingHook(std::function<void()> hook)
{
	std::lock_guard<std::mutex> lock(fState->mutex);
	fState->messageWaitingHook = std::move(hook);
}

void
BLooper::AddHandler(BHandler* handler)
{
	ASSERT_LOCKED(this);
	if (handler == nullptr || handler->fLooper == this)
		return;
	if (handler->fLooper != nullptr)
		handler->fLooper->RemoveHandler(handler);
	fHandlers.push_back(handler);
	handler->fLooper = this;
}

bool
BLooper::RemoveHandler(BHandler* handler)
{
	ASSERT_LOCKED(this);
	if (handler == nullptr || handler == this)
		return false;
	auto found = std::find(fHandlers.begin(), fHandlers.end(), handler);
	if (found == fHandlers.end())
		return false;
	fHandlers.erase(found);
	handler->fLooper = nullptr;
	if (fPreferred == handler)
		fPreferred = nullptr;
	return true;
}

int32
BLooper::CountHandlers() const
{
	return BPrivate::CountOf(fHandlers);
}

BHandler*
BLooper::HandlerAt(int32 index) const
{
	return BPrivate::ElementAt(fHandlers, index);
}

int32
BLooper::IndexOf(BHandler* handler) const
{
	return BPrivate::IndexIn(fHandlers, handler);
}

void
BLooper::SetPreferredHandler(BHandler* handler)
{
	ASSERT_LOCKED(this);
	fPreferred = handler != nullptr && HoldsHandler(handler) ? handler : nullptr;
}

bool
BLooper::HoldsHandler(const BHandler* handler) const
{
	return std::find(fHandlers.begin(), fHandlers.end(), handler) != fHandlers.end();
}

BLooper*
BLooper::LooperForThread(thread_id thread)
{
	return LooperRegistry::LooperForThread(thread);
}
