// SPDX-License-Identifier: MIT
// Time to picture: how long from asking the application to open an image to
// its picture reaching the display server, and, for comparison, how long
// the exporter's decoding of the same file takes. One measure per run, in
// seconds, on standard output; bench/time-to-picture.sh runs it and
// compares.
//
//   time_to_picture picture IMAGE   the application, on the headless server
//   time_to_picture qt IMAGE        the application, on the Qt server (for
//                                   example QT_QPA_PLATFORM=offscreen), until
//                                   the window's widget paints the image
//   time_to_picture decode IMAGE    the exporter's reading of the image
//
// With --phases, `picture` also prints when the window was made and when
// its first pixels arrived, on standard error.

#include "app/program/QuillpixApp.h"

#include <Application.h>
#include <Bitmap.h>
#include <HeadlessServer.h>
#include <TranslationUtils.h>

#ifdef QUILLPIX_HAVE_QT_SERVER
#include <QtProbe.h>
#include <QtServer.h>
#endif

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

double
SecondsSince(Clock::time_point start)
{
	return std::chrono::duration<double>(Clock::now() - start).count();
}

// What a picture run ends with: a message when the picture never came, else
// the seconds to it, and with `phases` when the window was made.
int
ReportPicture(
	const char* image, bool shown, bool phases, const char* arrived, double made, double seconds)
{
	if (!shown) {
		fprintf(stderr, "time_to_picture: no picture of %s within two minutes\n", image);
		return 1;
	}
	if (phases)
		fprintf(stderr, "window made %.4f s, %s %.4f s\n", made, arrived, seconds);
	printf("%.4f\n", seconds);
	return 0;
}

int
Decode(const char* image)
{
	Clock::time_point start = Clock::now();
	BPrivate::Result<std::unique_ptr<BBitmap>> bitmap = BPrivate::ReadBitmapFile(image);
	double seconds = SecondsSince(start);
	if (!bitmap) {
		fprintf(stderr, "time_to_picture: cannot read %s\n", image);
		return 1;
	}
	printf("%.4f\n", seconds);
	return 0;
}

int
Picture(const char* image, bool phases)
{
	HeadlessServer* server = HeadlessServer::InstallNew();
	const char* argv[] = {"quillpix", image};
	BApplication::SetLaunchArguments(2, argv);

	Clock::time_point start = Clock::now();
	std::thread application([] {
		auto* app = new QuillpixApp();
		app->Run();
		delete app;
	});

	int32 window = -1;
	double made = 0;
	bool shown = server->WaitUntil(
		[&] {
			if (window < 0) {
				std::vector<int32> windows = server->Windows();
				if (windows.empty())
					return false;
				window = windows[0];
				made = SecondsSince(start);
			}
			std::optional<HeadlessServer::WindowState> state = server->Window(window);
			return state && state->visible && state->pixelUpdates > 0;
		},
		120000000);
	double seconds = SecondsSince(start);

	be_app_messenger.SendMessage(B_QUIT_REQUESTED);
	application.join();
	return ReportPicture(image, shown, phases, "first pixels", made, seconds);
}

#ifdef QUILLPIX_HAVE_QT_SERVER
// Qt runs on the main thread, inside the application's Run; a second thread
// watches what the window's widget presents.
int
QtPicture(const char* image, bool phases)
{
	BPrivate::Result<std::unique_ptr<QtServer>> created = QtServer::Create();
	if (!created) {
		fprintf(stderr, "time_to_picture: %s\n", created.Error().detail.c_str());
		return 1;
	}
	QtServer* server = created.Value().get();
	const char* argv[] = {"quillpix", image};
	BApplication::SetLaunchArguments(2, argv);

	Clock::time_point start = Clock::now();
	DisplayServer::Install(std::move(created).Value());
	auto* app = new QuillpixApp();
	double made = 0;
	double seconds = 0;
	bool shown = false;
	std::thread watcher([&] {
		QtProbe probe(*server);
		int32 window = -1;
		shown = probe.WaitUntil(
			[&] {
				if (window < 0) {
					std::vector<int32> windows = probe.Windows();
					if (windows.empty())
						return false;
					window = windows[0];
					made = SecondsSince(start);
				}
				// The image's first pixel, at the margin below the menu bar, is
				// no longer the view's white.
				std::unique_ptr<BBitmap> pixels = probe.PresentedPixels(window);
				int32 top = int32(probe.MenuBar(window).frame.bottom) + 1 + 16;
				if (!pixels || pixels->Bounds().bottom < top)
					return false;
				rgb_color color = DisplayProbe::PixelOf(pixels.get(), 16, top);
				return color.red != 255 || color.green != 255 || color.blue != 255;
			},
			120000000);
		seconds = SecondsSince(start);
		be_app_messenger.SendMessage(B_QUIT_REQUESTED);
	});
	app->Run();
	watcher.join();
	delete app;
	DisplayServer::Install(nullptr);
	return ReportPicture(image, shown, phases, "picture painted", made, seconds);
}
#endif

} // namespace

int
main(int argc, char** argv)
{
	bool phases = argc == 4 && strcmp(argv[3], "--phases") == 0;
	if (argc < 3 || argc > 4 || (argc == 4 && !phases)) {
		fprintf(stderr, "usage: time_to_picture picture|qt|decode IMAGE [--phases]\n");
		return 2;
	}
	if (strcmp(argv[1], "decode") == 0)
		return Decode(argv[2]);
	if (strcmp(argv[1], "picture") == 0)
		return Picture(argv[2], phases);
#ifdef QUILLPIX_HAVE_QT_SERVER
	if (strcmp(argv[1], "qt") == 0)
		return QtPicture(argv[2], phases);
#endif
	fprintf(stderr, "time_to_picture: unknown measure %s\n", argv[1]);
	return 2;
}
