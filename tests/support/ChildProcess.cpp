// SPDX-License-Identifier: MIT
#include "support/ChildProcess.h"

#include <RetryOnInterrupt.h>
#include <UniqueFd.h>

#include <grp.h>
#include <malloc.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <thread>

namespace testsupport {

using BPrivate::RetryOnInterrupt;
using BPrivate::UniqueFd;

std::string
ChildOutcome::Describe() const
{
	if (exited)
		return "exit " + std::to_string(exitCode);
	return "signal " + std::to_string(signal) + (TimedOut() ? " (watchdog)" : "");
}

size_t
VirtualSize()
{
	FILE* statm = fopen("/proc/self/statm", "r");
	unsigned long pages = 0;
	if (statm != nullptr) {
		if (fscanf(statm, "%lu", &pages) != 1)
			pages = 0;
		fclose(statm);
	}
	return size_t(pages) * size_t(sysconf(_SC_PAGESIZE));
}

long
ResidentKiB()
{
	FILE* statm = fopen("/proc/self/statm", "r");
	unsigned long pages = 0, resident = 0;
	if (statm != nullptr) {
		if (fscanf(statm, "%lu %lu", &pages, &resident) != 2)
			resident = 0;
		fclose(statm);
	}
	return long(resident * size_t(sysconf(_SC_PAGESIZE)) / 1024);
}

bool
DropPrivileges()
{
	if (geteuid() != 0)
		return true;
	return setgroups(0, nullptr) == 0 && setgid(kNobody) == 0 && setuid(kNobody) == 0;
}

bool
LimitFileSize(long long bytes)
{
	struct rlimit limit;
	if (getrlimit(RLIMIT_FSIZE, &limit) != 0)
		return false;
	limit.rlim_cur = static_cast<rlim_t>(bytes);
	return setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

pid_t
StartInChild(const std::function<int()>& body, const ChildLimits& limits)
{
	const size_t base = VirtualSize();
	fflush(nullptr);
	pid_t child = fork();
	if (child == 0) {
		signal(SIGXFSZ, SIG_IGN);
		if (limits.dropPrivileges && !DropPrivileges())
			_exit(125);
		if (limits.fileSize > 0 && !LimitFileSize(limits.fileSize))
			_exit(125);
		if (limits.extraAddressSpace != 0 && !kSanitized) {
			// The limit counts address space, and the C library reserves
			// 64 MiB of it for each thread that meets a busy allocator
			// (a window, an alert, a file panel each have one), most of it
			// never used. One shared allocator keeps the limit about memory
			// the program really takes, whatever the threads' timing.
			mallopt(M_ARENA_MAX, 1);
			struct rlimit limit = {
				base + limits.extraAddressSpace, base + limits.extraAddressSpace};
			if (setrlimit(RLIMIT_AS, &limit) != 0)
				_exit(125);
		}
		alarm(limits.seconds);
		int result = body();
		fflush(nullptr);
		_exit(result);
	}
	return child;
}

namespace {

// Collects a child that has ended (or waits for it to end).
ChildOutcome
Collect(pid_t child)
{
	ChildOutcome outcome;
	if (child <= 0)
		return outcome;
	int status = 0;
	struct rusage usage = {};
	pid_t waited = RetryOnInterrupt([&] { return wait4(child, &status, 0, &usage); });
	if (waited != child)
		return outcome;
	outcome.peakResidentKiB = usage.ru_maxrss;
	if (WIFEXITED(status)) {
		outcome.exited = true;
		outcome.exitCode = WEXITSTATUS(status);
	} else if (WIFSIGNALED(status)) {
		outcome.signal = WTERMSIG(status);
	}
	return outcome;
}

} // namespace

ChildOutcome
WaitForChild(pid_t child)
{
	return Collect(child);
}

std::optional<ChildOutcome>
WaitForChild(pid_t child, std::chrono::milliseconds timeout)
{
	if (child <= 0)
		return ChildOutcome();
	using Clock = std::chrono::steady_clock;
	const Clock::time_point deadline = Clock::now() + timeout;
	auto left = [&] {
		return int(std::max<long long>(0,
			std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now())
				.count()));
	};
	// The process's descriptor becomes readable when it ends, so the wait
	// needs no polling; where the kernel has none, the child is asked again
	// every few milliseconds.
	UniqueFd process(int(syscall(SYS_pidfd_open, child, 0)));
	if (process.IsValid()) {
		struct pollfd entry = {process.Get(), POLLIN, 0};
		int ready = RetryOnInterrupt([&] { return poll(&entry, 1, left()); });
		if (ready <= 0)
			return std::nullopt;
		return Collect(child);
	}
	while (true) {
		siginfo_t info = {};
		int found = RetryOnInterrupt(
			[&] { return waitid(P_PID, id_t(child), &info, WEXITED | WNOHANG | WNOWAIT); });
		if (found != 0 || info.si_pid == child)
			return Collect(child);
		if (left() == 0)
			return std::nullopt;
		std::this_thread::sleep_for(std::chrono::milliseconds(5));
	}
}

ChildOutcome
StopChild(pid_t child, std::chrono::milliseconds grace)
{
	if (child <= 0)
		return ChildOutcome();
	kill(child, SIGTERM);
	if (std::optional<ChildOutcome> ended = WaitForChild(child, grace))
		return *ended;
	kill(child, SIGKILL);
	return Collect(child);
}

ChildOutcome
RunInChild(const std::function<int()>& body, const ChildLimits& limits)
{
	return Collect(StartInChild(body, limits));
}

} // namespace testsupport
