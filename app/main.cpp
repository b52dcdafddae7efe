// SPDX-License-Identifier: MIT
#include "app/program/QuillpixApp.h"
#include "app/server_choice/ServerChoice.h"
#include "resources/Version.h"

#include <Application.h>

#ifdef QUILLPIX_HAVE_QT_SERVER
#include "resources/AppIcons.h"

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

const char* const kHelp =
	"usage: quillpix [--] [IMAGE...]\n"
	"       quillpix --open | --version | --help\n"
	"Opens every IMAGE in a window of its own, to save as C++ source code.\n"
	"An IMAGE is a PNG, JPEG, GIF, WebP, TIFF, BMP, ICO, CUR, PNM, XPM or TGA\n"
	"file, or a text Quillpix saved (NAME.h, or the header quillpix-export\n"
	"--embed writes, with its .bin beside it), recognised by its content.\n"
	"\n"
	"  --open     start with the Open dialog\n"
	"  --version  print the version and exit\n"
	"  --help     print this and exit\n"
	"\n"
	"Open a file whose name begins with '-' as ./NAME, or after \"--\".\n";

} // namespace

int
main(int argc, char** argv)
{
	if (argc == 2 && strcmp(argv[1], "--version") == 0) {
		printf("quillpix %s\n", kQuillpixVersion);
		return 0;
	}
	if (argc == 2 && strcmp(argv[1], "--help") == 0) {
		fputs(kHelp, stdout);
		return ferror(stdout) || fflush(stdout) != 0 ? 1 : 0;
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
