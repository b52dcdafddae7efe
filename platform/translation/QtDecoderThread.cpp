#include "QtDecoderThread.h"

#include <pthread.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace BPrivate {

namespace {

struct Task {
	const std::function<void()>* work;
	bool done = false;
};

// Never deleted: the thread waits on it until the process ends, past the
// destructors of static objects.
struct Decoder {
	std::mutex lock;
	std::condition_variable changed;
	std::deque<Task*> tasks;

	Decoder()
	{
		std::thread([this] { Loop(); }).detach();
	}

	void Loop()
	{
		std::unique_lock<std::mutex> guard(lock);
		for (;;) {
			changed.wait(guard, [this] { return !tasks.empty(); });
			Task* task = tasks.front();
			tasks.pop_front();
			guard.unlock();
			(*task->work)();
			guard.lock();
			task->done = true;
			changed.notify_all();
		}
	}
};

std::mutex sDecoderLock;
Decoder* sDecoder = nullptr;

// A forked child has none of its parent's threads: it starts a decoder of
// its own on first use and leaves the parent's copy alone. The lock is held
// across the fork so that the child's copy of it is free.
void
LockBeforeFork()
{
	sDecoderLock.lock();
}

void
UnlockInParent()
{
	sDecoderLock.unlock();
}

void
ForgetDecoderInChild()
{
	sDecoder = nullptr;
	sDecoderLock.unlock();
}

Decoder&
TheDecoder()
{
	static std::once_flag sAtFork;
	std::call_once(sAtFork, [] { pthread_atfork(LockBeforeFork, UnlockInParent, ForgetDecoderInChild); });
	std::lock_guard<std::mutex> guard(sDecoderLock);
	if (sDecoder == nullptr)
		sDecoder = new Decoder();
	return *sDecoder;
}

} // namespace

void
QtDecoderThread::Run(const std::function<void()>& work)
{
	Decoder& decoder = TheDecoder();
	Task task{&work};
	std::unique_lock<std::mutex> guard(decoder.lock);
	decoder.tasks.push_back(&task);
	decoder.changed.notify_all();
	decoder.changed.wait(guard, [&task] { return task.done; });
}

} // namespace BPrivate
