// SPDX-License-Identifier: MIT
#pragma once

// Turns SIGINT, SIGTERM and SIGHUP into a flag the export looks at, so that
// an interrupted quillpix-export can put back what it was replacing before
// it dies: the signals are blocked in the constructing thread (and in every
// thread it starts afterwards) and taken by a thread of its own.
//
// Thread rules: construct it on the main thread before any other thread is
// started, and call DieIfInterrupted there once the other threads are
// joined. Interrupted may be read from any thread.

#include <atomic>
#include <csignal>
#include <pthread.h>

class InterruptWatch {
public:
	InterruptWatch();
	~InterruptWatch();

	InterruptWatch(const InterruptWatch&) = delete;
	InterruptWatch& operator=(const InterruptWatch&) = delete;

	// True once one of the signals arrived.
	const std::atomic<bool>& Interrupted() const { return fInterrupted; }
	// When a signal arrived: ends the process by that signal's default
	// action, so that the caller sees the status it would have seen without
	// the watch. Otherwise returns.
	void DieIfInterrupted();

private:
	static void* Watch(void* data);

	sigset_t fSignals;
	pthread_t fThread;
	bool fWatching = false;
	std::atomic<bool> fInterrupted{false};
	std::atomic<bool> fStopping{false};
	std::atomic<int> fSignal{0};
};
