// SPDX-License-Identifier: MIT
#pragma once

// Waiting in tests: on the event itself, with a watchdog that fails the test
// after a generous bound instead of hanging. Never a sleep.

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace testsupport {

// The bound on anything a test waits for within its own process.
constexpr auto kWatchdog = std::chrono::seconds(20);
// The same bound for the kits' waits, which count in microseconds.
constexpr int64_t kWatchdogMicroseconds =
	std::chrono::duration_cast<std::chrono::microseconds>(kWatchdog).count();
// The bound on work that runs whole programs or writes very large files.
constexpr auto kSlowWatchdog = std::chrono::seconds(60);

// A log of events written by any thread; tests wait for what they expect.
class EventLog {
public:
	void Add(const std::string& event)
	{
		std::lock_guard<std::mutex> lock(fLock);
		fEvents.push_back(event);
		fChanged.notify_all();
	}

	std::vector<std::string> Events() const
	{
		std::lock_guard<std::mutex> lock(fLock);
		return fEvents;
	}

	// The number of events logged.
	size_t Count() const
	{
		std::lock_guard<std::mutex> lock(fLock);
		return fEvents.size();
	}

	// How often `event` was logged.
	size_t Count(const std::string& event) const
	{
		std::lock_guard<std::mutex> lock(fLock);
		return size_t(std::count(fEvents.begin(), fEvents.end(), event));
	}

	// The events that start with `prefix`, in order.
	std::vector<std::string> StartingWith(const std::string& prefix) const
	{
		std::lock_guard<std::mutex> lock(fLock);
		std::vector<std::string> found;
		for (const std::string& event : fEvents) {
			if (event.rfind(prefix, 0) == 0)
				found.push_back(event);
		}
		return found;
	}

	// True once at least `count` events are logged; false at the watchdog.
	bool WaitForCount(size_t count) const
	{
		std::unique_lock<std::mutex> lock(fLock);
		return fChanged.wait_for(lock, kWatchdog, [&] { return fEvents.size() >= count; });
	}

	// True once `event` was logged at least `times` times; false at the
	// watchdog.
	bool WaitFor(const std::string& event, size_t times = 1) const
	{
		std::unique_lock<std::mutex> lock(fLock);
		return fChanged.wait_for(lock, kWatchdog,
			[&] { return size_t(std::count(fEvents.begin(), fEvents.end(), event)) >= times; });
	}

private:
	mutable std::mutex fLock;
	mutable std::condition_variable fChanged;
	std::vector<std::string> fEvents;
};

// A one-shot gate: threads wait until it opens.
class Gate {
public:
	void Open()
	{
		std::lock_guard<std::mutex> lock(fLock);
		fOpen = true;
		fChanged.notify_all();
	}

	bool Wait() const
	{
		std::unique_lock<std::mutex> lock(fLock);
		return fChanged.wait_for(lock, kWatchdog, [&] { return fOpen; });
	}

	bool IsOpen() const
	{
		std::lock_guard<std::mutex> lock(fLock);
		return fOpen;
	}

private:
	mutable std::mutex fLock;
	mutable std::condition_variable fChanged;
	bool fOpen = false;
};

// Four-character code as text, for readable event logs.
inline std::string
CodeText(uint32_t code)
{
	return std::string{char(code >> 24), char(code >> 16), char(code >> 8), char(code)};
}

} // namespace testsupport
