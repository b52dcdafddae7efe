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
#include <utility>

namespace {

#ifdef QUILLPIX_HAVE_QT_SERVER
BPrivate::Result<std::unique_ptr<DisplayServer>>
MakeQtServer()
{
	BPrivate::Result<std::unique_ptr<QtServer>> created = QtServer::Create();
	if (!created)
		return created.TakeError();
	std::unique_ptr<QtServer> server = std::move(created).Value();
	server->SetApplicationIcon({{kMiniIconSide, IconRgba(kMiniIcon, kMiniIconSide)},
		{kLargeIconSide, IconRgba(kLargeIcon, kLargeIconSide)}});
	return std::unique_ptr<DisplayServer>(std::move(server));
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
	BPrivate::Result<void> installed = InstallProgramServer(kQtServer);
	if (!installed) {
		fprintf(stderr, "quillpix: %s\n", installed.Error().detail.c_str());
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
