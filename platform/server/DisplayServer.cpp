#include "DisplayServer.h"

#include "HeadlessServer.h"

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
	if (sCurrentServer == nullptr)
		sCurrentServer = new HeadlessServer();
	return sCurrentServer;
}

std::unique_ptr<DisplayServer>
DisplayServer::Install(std::unique_ptr<DisplayServer> server)
{
	std::lock_guard<std::mutex> lock(sServerLock);
	std::unique_ptr<DisplayServer> previous(sCurrentServer);
	sCurrentServer = server.release();
	return previous;
}
