#include "support/ChildProcess.h"

#include <grp.h>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace testsupport {

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

ChildOutcome
RunInChild(const std::function<int()>& body, const ChildLimits& limits)
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
	pid_t waited;
	do {
		waited = wait4(child, &status, 0, &usage);
	} while (waited < 0 && errno == EINTR);
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

} // namespace testsupport
