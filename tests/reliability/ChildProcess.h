#pragma once

// Running a piece of a test in a child process under limits: an address-space
// limit (RLIMIT_AS) on top of what the process already maps, a wall-clock
// watchdog (an alarm that kills the child) and, optionally, dropped
// privileges. The parent learns how the child ended and its peak memory.
//
// Sanitizer builds reserve terabytes of shadow memory, so there the address
// limit is not set; the peak resident size is still measured and checked by
// the callers.

#include <grp.h>
#include <sys/resource.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <functional>
#include <malloc.h>
#include <string>
#include <vector>

namespace reliability {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// The memory every hostile input must stay within, beyond what the process
// maps before it starts loading.
constexpr size_t kHostileMemoryLimit = size_t(512) << 20;
constexpr unsigned kHostileTimeLimit = 60; // seconds, per child

// The user tests drop to when they run as root, to meet permission checks.
constexpr uid_t kNobody = 65534;

struct ChildOutcome {
	bool exited = false;    // exited normally; exitCode is valid
	int exitCode = -1;
	int signal = 0;         // the signal that ended it (SIGALRM: the watchdog)
	long peakResidentKiB = 0;

	bool TimedOut() const { return signal == SIGALRM; }
	std::string Describe() const
	{
		if (exited)
			return "exit " + std::to_string(exitCode);
		return "signal " + std::to_string(signal) + (TimedOut() ? " (watchdog)" : "");
	}
};

// The process's current virtual size in bytes (from /proc/self/statm).
inline size_t
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

// The process's current resident size in KiB.
inline long
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

struct ChildLimits {
	size_t extraAddressSpace = kHostileMemoryLimit; // 0: no address limit
	unsigned seconds = kHostileTimeLimit;
	bool dropPrivileges = false; // as root: become nobody first
};

// Drops root to nobody; false when that fails. Does nothing for other users.
inline bool
DropPrivileges()
{
	if (geteuid() != 0)
		return true;
	return setgroups(0, nullptr) == 0 && setgid(kNobody) == 0 && setuid(kNobody) == 0;
}

// Runs `body` in a forked child under `limits`; its result is the exit code.
// A child that cannot set its limits exits with 125.
inline ChildOutcome
RunLimited(const std::function<int()>& body, const ChildLimits& limits = ChildLimits())
{
	const size_t base = VirtualSize();
	fflush(nullptr);
	pid_t child = fork();
	if (child == 0) {
		signal(SIGXFSZ, SIG_IGN);
		if (limits.dropPrivileges && !DropPrivileges())
			_exit(125);
		if (limits.extraAddressSpace != 0 && !kSanitized) {
			// The limit counts address space, and the C library reserves
			// 64 MiB of it for each thread that meets a busy allocator
			// (a window, an alert, a file panel each have one), most of it
			// never used. One shared allocator keeps the limit about memory
			// the program really takes, whatever the threads' timing.
			mallopt(M_ARENA_MAX, 1);
			struct rlimit limit = {base + limits.extraAddressSpace,
				base + limits.extraAddressSpace};
			if (setrlimit(RLIMIT_AS, &limit) != 0)
				_exit(125);
		}
		alarm(limits.seconds);
		int result = body();
		fflush(nullptr);
		_exit(result);
	}
	ChildOutcome outcome;
	if (child < 0)
		return outcome;
	int status = 0;
	struct rusage usage = {};
	if (wait4(child, &status, 0, &usage) != child)
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

} // namespace reliability
