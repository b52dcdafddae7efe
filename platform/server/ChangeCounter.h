// SPDX-License-Identifier: MIT
#pragma once

// A count of changes that other threads can wait on. A display server bumps
// it after every change it records; a test (or a probe) waits until a
// condition over the server's state holds, re-checking it after each change
// rather than after some time. Every function may be called from any thread.

#include <SupportDefs.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace BPrivate {

class ChangeCounter {
public:
	// After the change is made, so that a waiter that saw the old count
	// re-checks.
	void Bump()
	{
		std::lock_guard<std::mutex> lock(fLock);
		fCount++;
		fChanged.notify_all();
	}

	uint64 Count() const
	{
		std::lock_guard<std::mutex> lock(fLock);
		return fCount;
	}

	// Evaluates `predicate` (without this counter's lock) now and after
	// every change until it answers true; false after `timeout`
	// microseconds.
	bool WaitUntil(const std::function<bool()>& predicate, bigtime_t timeout) const
	{
		auto deadline = std::chrono::steady_clock::now() + std::chrono::microseconds(timeout);
		while (true) {
			uint64 seen = Count();
			if (predicate())
				return true;
			std::unique_lock<std::mutex> lock(fLock);
			if (!fChanged.wait_until(lock, deadline, [&] { return fCount != seen; })) {
				lock.unlock();
				return predicate();
			}
		}
	}

private:
	mutable std::mutex fLock;
	mutable std::condition_variable fChanged;
	uint64 fCount = 0;
};

} // namespace BPrivate
