#pragma once

// Waiting in tests: on the event itself, with a watchdog that fails the test
// after a generous bound instead of hanging. Never a sleep.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace testing_support {

constexpr auto kWatchdog = std::chrono::seconds(20);

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

	size_t Count() const
	{
		std::lock_guard<std::mutex> lock(fLock);
		return fEvents.size();
	}

	// True once at least `count` events are logged; false at the watchdog.
	bool WaitForCount(size_t count) const
	{
		std::unique_lock<std::mutex> lock(fLock);
		return fChanged.wait_for(lock, kWatchdog, [&] { return fEvents.size() >= count; });
	}

	bool WaitFor(const std::string& event) const
	{
		std::unique_lock<std::mutex> lock(fLock);
		return fChanged.wait_for(lock, kWatchdog, [&] {
			for (const std::string& seen : fEvents) {
				if (seen == event)
					return true;
			}
			return false;
		});
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

} // namespace testing_support
