// SPDX-License-Identifier: MIT
#include "DistccServer.h"

#include "support/ChildProcess.h"
#include "support/Files.h"
#include "support/Program.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <sstream>
#include <thread>

namespace embedtest {

namespace {

// A TCP port on 127.0.0.1 that nothing listens on now; 0 when none.
int
FreePort()
{
	int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
	if (fd < 0)
		return 0;
	sockaddr_in address = {};
	address.sin_family = AF_INET;
	address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
	socklen_t length = sizeof(address);
	int port = 0;
	if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0
		&& getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
		port = ntohs(address.sin_port);
	}
	close(fd);
	return port;
}

std::string
LeafOf(const std::string& path)
{
	return path.substr(path.rfind('/') + 1);
}

} // namespace

DistccServer::~DistccServer()
{
	Stop();
}

std::string
DistccServer::Start(
	const std::vector<std::string>& hidden, const std::string& compiler, const std::string& logPath)
{
	fPort = FreePort();
	if (fPort == 0)
		return "no free port on 127.0.0.1";
	fLogPath = logPath;
	const bool root = geteuid() == 0;

	std::string daemon = "distccd --no-detach --daemon --listen 127.0.0.1 --port "
		+ std::to_string(fPort) + " --allow 127.0.0.1 --jobs 2 --log-stderr --log-level=info";
	if (root)
		daemon += " --user nobody";
	// distccd runs only the compilers that have a masquerade link in
	// /usr/lib/distcc (update-distcc-symlinks makes them); a machine without
	// one for ours gets every compiler, which the --allow above keeps to this
	// machine's own clients.
	struct stat info;
	if (stat(("/usr/lib/distcc/" + LeafOf(compiler)).c_str(), &info) != 0)
		daemon += " --enable-tcp-insecure";
	// A folder inside another is mounted over first: after the outer one it
	// would no longer be there.
	std::vector<std::string> folders = hidden;
	std::sort(folders.begin(), folders.end(),
		[](const std::string& a, const std::string& b) { return a.size() > b.size(); });
	const std::string script = "for folder do mount -t tmpfs tmpfs \"$folder\" || exit 125; done; "
							   "exec "
		+ std::string(root ? "" : "unshare --user -- ") + daemon;

	testsupport::Program program;
	program.arguments = {"unshare", "--mount", "--propagation", "private"};
	if (!root)
		program.arguments.insert(program.arguments.begin() + 1, {"--user", "--map-root-user"});
	program.arguments.insert(program.arguments.end(), {"--", "/bin/sh", "-c", script, "sh"});
	program.arguments.insert(program.arguments.end(), folders.begin(), folders.end());
	program.outputPath = logPath;
	program.errorToOutput = true;
	fPid = testsupport::StartProgram(program);
	if (fPid < 0)
		return "cannot start unshare";

	const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
	while (std::chrono::steady_clock::now() < deadline) {
		if (Log().find("listening on 127.0.0.1:" + std::to_string(fPort)) != std::string::npos)
			return std::string();
		if (auto outcome = testsupport::WaitForChild(fPid, std::chrono::milliseconds(50))) {
			fPid = -1;
			return "distccd in a mount namespace of its own did not start (" + outcome->Describe()
				+ "): " + Log();
		}
	}
	Stop();
	return "distccd did not listen within 10 s: " + Log();
}

std::string
DistccServer::Hosts() const
{
	return "127.0.0.1:" + std::to_string(fPort) + "/2";
}

bool
DistccServer::Sees(const std::string& path) const
{
	struct stat info;
	return fPid > 0 && stat(("/proc/" + std::to_string(fPid) + "/root" + path).c_str(), &info) == 0;
}

std::string
DistccServer::Log() const
{
	return testsupport::ReadWhole(fLogPath);
}

DistccServer::Jobs
DistccServer::JobSummaries() const
{
	Jobs jobs;
	std::istringstream lines(Log());
	std::string line;
	while (std::getline(lines, line)) {
		if (line.find("(dcc_job_summary)") == std::string::npos)
			continue;
		if (line.find(" COMPILE_OK ") != std::string::npos)
			jobs.succeeded++;
		else
			jobs.others.push_back(line);
	}
	return jobs;
}

void
DistccServer::Stop()
{
	// distccd ends its workers with itself: they are in its process group.
	if (fPid > 0)
		testsupport::StopChild(fPid);
	fPid = -1;
}

} // namespace embedtest
