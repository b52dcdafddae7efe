#include "QuillpixApp.h"

#include <Application.h>
#include <ServerChoice.h>
#include <Version.h>

#ifdef QUILLPIX_HAVE_QT_SERVER
#include <AppIcons.h>
#include <QtServer.h>
#endif

#include <cstdio>
#include <cstring>
#include <string>

namespace {

#ifdef QUILLPIX_HAVE_QT_SERVER
std::unique_ptr<DisplayServer>
MakeQtServer(std::string* reason)
{
	std::unique_ptr<QtServer> server = QtServer::Create(reason);
	if (server) {
		server->SetApplicationIcon({{kMiniIconSide, IconRgba(kMiniIcon, kMiniIconSide)},
			{kLargeIconSide, IconRgba(kLargeIcon, kLargeIconSide)}});
	}
	return server;
}
constexpr QtServerFactory kQtServer = MakeQtServer;
#else
constexpr QtServerFactory kQtServer = nullptr;
#endif

} // namespace

int
main(int argc, char** argv)
{
	if (argc == 2 && strcmp(argv[1], "--version") == 0) {
		printf("quillpix %s\n", kQuillpixVersion);
		return 0;
	}
	std::string reason;
	if (InstallProgramServer(kQtServer, &reason) != B_OK) {
		fprintf(stderr, "quillpix: %s\n", reason.c_str());
		return 1;
	}
	BApplication::SetLaunchArguments(argc, argv);
	new QuillpixApp();
	be_app->Run();
	delete be_app;
	// The server goes last: Qt's windows and Qt itself with it.
	RemoveProgramServer();
	return 0;
}
