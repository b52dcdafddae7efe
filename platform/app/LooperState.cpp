// SPDX-License-Identifier: MIT
#include "LooperState.h"

#include <algorithm>
#include <chrono>
#include <map>

namespace BPrivate {

status_t
LooperState::Acquire(bigtime_t timeout)
{
	thread_id caller = find_thread(nullptr);
	std::unique_lock<std::mutex> lock(mutex);
	if (!alive)
		return B_BAD_VALUE;
	if (owner == caller) {
		count++;
		return B_OK;
	}
	auto available = [this] { return owner < 0 || !alive; };
	if (timeout == B_INFINITE_TIMEOUT) {
		lockReleased.wait(lock, available);
	} else if (!lockReleased.wait_for(
				   lock, std::chrono::microseconds(std::max<bigtime_t>(timeout, 0)), available)) {
		return B_TIMED_OUT;
	}
	if (!alive)
		return B_BAD_VALUE;
	owner = caller;
	count = 1;
	return B_OK;
}

bool
LooperState::Release()
{
	thread_id caller = find_thread(nullptr);
	std::lock_guard<std::mutex> lock(mutex);
	if (owner != caller || count <= 0)
		return false;
	if (--count == 0)
		Disown();
	return true;
}

int32
LooperState::ReleaseAll()
{
	thread_id caller = find_thread(nullptr);
	std::lock_guard<std::mutex> lock(mutex);
	if (owner != caller)
		return 0;
	int32 released = count;
	Disown();
	return released;
}

void
LooperState::Disown()
{
	count = 0;
	owner = -1;
	lockReleased.notify_all();
}

bool
LooperState::IsHeldByCaller()
{
	thread_id caller = find_thread(nullptr);
	std::lock_guard<std::mutex> lock(mutex);
	return owner == caller;
}

status_t
LooperState::Post(std::unique_ptr<BMessage> message, BHandler* handler, bool first)
{
	std::function<void()> hook;
	{
		std::lock_guard<std::mutex> lock(mutex);
		if (!acceptsMessages)
			return B_BAD_PORT_ID;
		QueuedMessage entry{std::move(message), handler};
		if (first)
			queue.push_front(std::move(entry));
		else
			queue.push_back(std::move(entry));
		hook = messageWaitingHook;
		queueChanged.notify_all();
	}
	if (hook)
		hook();
	return B_OK;
}

void
LooperState::MarkDead()
{
	std::deque<QueuedMessage> dropped;
	{
		std::lock_guard<std::mutex> lock(mutex);
		alive = false;
		acceptsMessages = false;
		looper = nullptr;
		messageWaitingHook = nullptr;
		dropped.swap(queue);
		Disown();
		queueChanged.notify_all();
	}
}

void
LooperState::MarkThreadEnded()
{
	std::lock_guard<std::mutex> lock(mutex);
	ended = true;
	threadEnded.notify_all();
}

void
LooperState::WaitForThreadEnd()
{
	std::unique_lock<std::mutex> lock(mutex);
	threadEnded.wait(lock, [this] { return ended; });
}

namespace {

struct Registry {
	std::mutex lock;
	std::map<int32, std::weak_ptr<LooperState>> loopers;
	int32 nextToken = 1;
};

// Never destroyed: loopers on detached threads may unregister during exit.
Registry&
TheRegistry()
{
	static Registry* registry = new Registry;
	return *registry;
}

} // namespace

int32
LooperRegistry::Register(const std::shared_ptr<LooperState>& state)
{
	Registry& registry = TheRegistry();
	std::lock_guard<std::mutex> lock(registry.lock);
	int32 token = registry.nextToken++;
	registry.loopers[token] = state;
	return token;
}

void
LooperRegistry::Unregister(int32 token)
{
	Registry& registry = TheRegistry();
	std::lock_guard<std::mutex> lock(registry.lock);
	registry.loopers.erase(token);
}

std::shared_ptr<LooperState>
LooperRegistry::Find(int32 token)
{
	Registry& registry = TheRegistry();
	std::lock_guard<std::mutex> lock(registry.lock);
	auto found = registry.loopers.find(token);
	if (found == registry.loopers.end())
		return nullptr;
	return found->second.lock();
}

BLooper*
LooperRegistry::LooperForThread(thread_id thread)
{
	Registry& registry = TheRegistry();
	std::lock_guard<std::mutex> lock(registry.lock);
	for (const auto& [token, weak] : registry.loopers) {
		std::shared_ptr<LooperState> state = weak.lock();
		if (!state)
			continue;
		std::lock_guard<std::mutex> stateLock(state->mutex);
		if (state->alive && state->thread == thread)
			return state->looper;
	}
	return nullptr;
}

} // namespace BPrivate
