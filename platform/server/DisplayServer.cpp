// SPDX-License-Identifier: MIT
#include "DisplayServer.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {

std::mutex sServerLock;
// Never deleted at exit: windows on detached threads may still report to it.
DisplayServer* sCurrentServer = nullptr;

} // namespace

DisplayServer*
DisplayServer::Current()
{
	std::lock_guard<std::mutex> lock(sServerLock);
	return sCurrentServer;
}

DisplayServer*
DisplayServer::Required(const char* use)
{
	DisplayServer* server = Current();
	if (server != nullptr)
		return server;
	// A program that shows something without a server is a programming
	// error: say so in one line and stop, rather than run on without a
	// person to see it.
	fprintf(stderr,
		"no display server installed: %s needs one "
		"(install a server with DisplayServer::Install first)\n",
		use);
	fflush(stderr);
	abort();
}

std::unique_ptr<DisplayServer>
DisplayServer::Install(std::unique_ptr<DisplayServer> server)
{
	std::lock_guard<std::mutex> lock(sServerLock);
	std::unique_ptr<DisplayServer> previous(sCurrentServer);
	sCurrentServer = server.release();
	return previous;
}
