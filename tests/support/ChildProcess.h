// SPDX-License-Identifier: MIT
#pragma once

// Running a piece of a test in a forked child process under limits: an
// address-space limit (RLIMIT_AS) on top of what the process already maps, a
// wall-clock watchdog (an alarm that kills the child) and, optionally,
// dropped privileges. The parent learns how the child ended and its peak
// memory. Every limit is set in the child, never in the test itself.
//
// Sanitizer builds reserve terabytes of shadow memory, so there the address
// limit is not set; the peak resident size is still measured and checked by
// the callers.

#include <sys/types.h>

#include <chrono>
#include <csignal>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace testsupport {

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
	bool exited = false; // exited normally; exitCode is valid
	int exitCode = -1;
	int signal = 0; // the signal that ended it (SIGALRM: the watchdog)
	long peakResidentKiB = 0;

	bool TimedOut() const { return signal == SIGALRM; }
	std::string Describe() const;
};

struct ChildLimits {
	size_t extraAddressSpace = kHostileMemoryLimit; // 0: no address limit
	unsigned seconds = kHostileTimeLimit;
	bool dropPrivileges = false; // as root: become nobody first
	long long fileSize = 0; // the largest file it may write; 0: no limit
};

// The process's current virtual size in bytes (from /proc/self/statm).
size_t VirtualSize();
// The process's current resident size in KiB.
long ResidentKiB();

// Drops root to nobody; false when that fails. Does nothing for other users.
bool DropPrivileges();

// Limits the size of files the calling process writes (the soft limit; the
// hard limit stays, so it can be raised again). For a body that changes the
// limit RunInChild set.
bool LimitFileSize(long long bytes);

// Runs `body` in a forked child under `limits`; its result is the exit code.
// The child ignores SIGXFSZ, so exceeding a file size limit shows as a short
// write or EFBIG. A child that cannot set its limits exits with 125.
ChildOutcome RunInChild(
	const std::function<int()>& body, const ChildLimits& limits = ChildLimits());

// The two halves of RunInChild, for a child the test works with while it
// runs: StartInChild answers the child's process id (-1 when fork failed),
// WaitForChild waits for it to end and collects it.
pid_t StartInChild(const std::function<int()>& body, const ChildLimits& limits = ChildLimits());
ChildOutcome WaitForChild(pid_t child);
// Waits at most `timeout`; nothing when the child still runs (it is left
// running, to be stopped or waited for again).
std::optional<ChildOutcome> WaitForChild(pid_t child, std::chrono::milliseconds timeout);
// Asks the child to end (SIGTERM), and ends it (SIGKILL) when it has not
// within `grace`; how it ended.
ChildOutcome StopChild(pid_t child, std::chrono::milliseconds grace = std::chrono::seconds(5));

} // namespace testsupport
