// SPDX-License-Identifier: MIT
#include "InterruptWatch.h"

#include <ctime>

namespace {

// Sent by the destructor alone, to end the watching thread's wait.
constexpr int kStopSignal = SIGUSR2;
// How long the export may take to put things back after a signal. Writes to
// files end at once; a write into a pipe nobody reads never would.
constexpr time_t kGraceSeconds = 10;

// Ends the process by `signal`'s default action, from the calling thread.
void
DieOf(int signal)
{
	struct sigaction action = {};
	action.sa_handler = SIG_DFL;
	sigemptyset(&action.sa_mask);
	sigaction(signal, &action, nullptr);
	sigset_t only;
	sigemptyset(&only);
	sigaddset(&only, signal);
	raise(signal);
	pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
}

} // namespace

InterruptWatch::InterruptWatch()
{
	sigemptyset(&fSignals);
	sigaddset(&fSignals, SIGINT);
	sigaddset(&fSignals, SIGTERM);
	sigaddset(&fSignals, SIGHUP);
	sigaddset(&fSignals, kStopSignal);
	if (pthread_sigmask(SIG_BLOCK, &fSignals, nullptr) != 0)
		return;
	fWatching = pthread_create(&fThread, nullptr, &InterruptWatch::Watch, this) == 0;
	if (!fWatching)
		pthread_sigmask(SIG_UNBLOCK, &fSignals, nullptr);
}

InterruptWatch::~InterruptWatch()
{
	if (!fWatching)
		return;
	fStopping = true;
	pthread_kill(fThread, kStopSignal);
	pthread_join(fThread, nullptr);
	// A signal that came meanwhile is still pending and strikes now.
	pthread_sigmask(SIG_UNBLOCK, &fSignals, nullptr);
}

void*
InterruptWatch::Watch(void* data)
{
	auto* watch = static_cast<InterruptWatch*>(data);
	for (;;) {
		int signal = 0;
		if (sigwait(&watch->fSignals, &signal) != 0)
			return nullptr;
		if (signal == kStopSignal) {
			if (watch->fStopping)
				return nullptr;
			continue;
		}
		// The first signal decides how the process ends. A second one, or
		// an export that does not end within the grace, ends it at once.
		watch->fSignal = signal;
		watch->fInterrupted = true;
		struct timespec grace = {kGraceSeconds, 0};
		int next = sigtimedwait(&watch->fSignals, nullptr, &grace);
		if (next == kStopSignal && watch->fStopping)
			return nullptr;
		DieOf(signal);
		return nullptr;
	}
}

void
InterruptWatch::DieIfInterrupted()
{
	int signal = fSignal.load();
	if (signal != 0)
		DieOf(signal);
}
