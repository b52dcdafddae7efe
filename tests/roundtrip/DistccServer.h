// SPDX-License-Identifier: MIT
#pragma once

// A distcc server on this machine that stands for a remote one: distccd on
// 127.0.0.1 (a free port, never the name "localhost", which a distcc client
// takes to mean "compile here"), in a mount namespace of its own in which
// every folder it is to be kept from is an empty tmpfs. It sees the system
// (compilers, /tmp) as the test does, and none of the build's files: only
// what a client sends it.
//
// As root it runs in a plain mount namespace and drops to nobody, as distccd
// insists; as another user in a user namespace mapped to root (to be allowed
// the mounts), and then in a nested one where it is nobody. Its log goes to
// a file outside the hidden folders.

#include <sys/types.h>

#include <string>
#include <vector>

namespace embedtest {

class DistccServer {
public:
	DistccServer() = default;
	~DistccServer();
	DistccServer(const DistccServer&) = delete;
	DistccServer& operator=(const DistccServer&) = delete;

	// Starts distccd for `compiler`, the `hidden` folders out of its sight,
	// logging into `logPath`. Empty when
	// it listens; otherwise why it could not be started.
	std::string Start(const std::vector<std::string>& hidden, const std::string& compiler,
		const std::string& logPath);

	// DISTCC_HOSTS for it: two jobs at a time.
	std::string Hosts() const;
	// Whether `path` is there as the server sees it, through its root in
	// /proc.
	bool Sees(const std::string& path) const;
	// What it logged: one "(dcc_job_summary)" line per job, with COMPILE_OK
	// for each compile that succeeded.
	std::string Log() const;

	struct Jobs {
		int succeeded = 0;
		std::vector<std::string> others; // the summaries of every other job
	};
	Jobs JobSummaries() const;

private:
	void Stop();

	pid_t fPid = -1;
	int fPort = 0;
	std::string fLogPath;
};

} // namespace embedtest
