// SPDX-License-Identifier: MIT
// A small program on the document framework whose documents are new: its
// windows are made with the names "Untitled 1" and "Untitledness.h" through
// the window's plain constructor, and both start out modified. A name that
// begins with "Untitled" names no file yet, so saving either one asks where.
//
// A driver thread acts as a person at the headless server: for each window,
// a bare save request must bring up the save panel (cancelled), and closing
// the window and answering the prompt with "Save" must bring it up again; the
// panel is then answered with a folder, and the document is written there.
// Nothing may be written under the untitled names in the working directory.
// Exits 0 when all of that held, 1 when something went otherwise (at once
// when the run cannot go on), 2 from the watchdog.

#include "app/framework/DocumentApp.h"
#include "document/FileDocumentWindow.h"
#include "support/Waiting.h"

#include <AppDefs.h>
#include <File.h>
#include <HeadlessProbe.h>

#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace {

using testsupport::kSlowWatchdog;
using testsupport::kWatchdogMicroseconds;
constexpr char kSavedText[] = "written by the untitled demo\n";
const char* const kNames[] = {"Untitled 1", "Untitledness.h"};

std::atomic<bool> sFailed{false};
std::mutex sWindowsLock;
std::map<std::string, BMessenger> sWindows; // by title

void
Fail(const std::string& why)
{
	fprintf(stderr, "untitled demo: %s\n", why.c_str());
	sFailed = true;
}

// A failure after which the run cannot go on: the windows left would keep the
// application running until the watchdog.
[[noreturn]] void
Abandon(const std::string& why)
{
	fprintf(stderr, "untitled demo: %s\n", why.c_str());
	_exit(1);
}

class DemoWindow : public FileDocumentWindow {
public:
	DemoWindow(BRect frame, const char* name) : FileDocumentWindow(frame, name, B_TITLED_WINDOW, 0)
	{
		SetModified(true);
		{
			std::lock_guard<std::mutex> guard(sWindowsLock);
			sWindows[name] = BMessenger(nullptr, this);
		}
		Show();
	}

	bool SaveDocument() override
	{
		BFile file(DocumentName(), B_WRITE_ONLY | B_CREATE_FILE | B_ERASE_FILE);
		if (file.InitCheck() != B_OK)
			return false;
		ssize_t length = sizeof(kSavedText) - 1;
		return file.Write(kSavedText, length) == length;
	}
};

class DemoApp : public DocumentApp {
public:
	DemoApp() : DocumentApp("application/x-vnd.Zq-UntitledDemo") { }

	void ReadyToRun() override
	{
		BRect frame(30, 30, 430, 280);
		for (const char* name : kNames) {
			new DemoWindow(frame, name);
			frame.OffsetBy(25, 25);
		}
	}
};

// The save panel showing now, if one is.
std::optional<DisplayProbe::PanelView>
ShowingSavePanel(const HeadlessProbe& server)
{
	for (const DisplayProbe::PanelView& panel : server.Panels()) {
		if (panel.mode == B_SAVE_PANEL && panel.visible)
			return panel;
	}
	return std::nullopt;
}

// Waits for the save panel proposing `name`.
int32
AwaitSavePanel(const HeadlessProbe& server, const std::string& name, const char* after)
{
	std::optional<DisplayProbe::PanelView> panel;
	// A save written under the name ends the wait as well.
	server.WaitUntil(
		[&] {
			return (panel = ShowingSavePanel(server)).has_value() || std::filesystem::exists(name);
		},
		kWatchdogMicroseconds);
	if (std::filesystem::exists(name))
		Abandon(name + " was written in the working directory after " + after);
	if (!panel)
		Abandon(std::string("no save panel for ") + name + " after " + after);
	if (panel->name != name)
		Fail("the panel proposes \"" + panel->name + "\" for " + name);
	return panel->id;
}

void
Drive(HeadlessProbe* server, const std::string& folder)
{
	if (!server->WaitUntil(
			[&] { return server->Windows().size() == std::size(kNames); }, kWatchdogMicroseconds)) {
		Abandon("the documents did not all open");
	}
	for (const char* name : kNames) {
		int32 window = server->FindWindow(name);
		BMessenger messenger;
		{
			std::lock_guard<std::mutex> guard(sWindowsLock);
			messenger = sWindows[name];
		}
		messenger.SendMessage(B_SAVE_REQUESTED);
		int32 panel = AwaitSavePanel(*server, name, "a bare save request");
		server->CancelPanel(panel);
		if (!server->WaitUntil([&] { return !ShowingSavePanel(*server); }, kWatchdogMicroseconds)) {
			Abandon("the panel did not close");
		}

		server->ClickCloseBox(window);
		panel = AwaitSavePanel(*server, name, "closing with \"Save\"");
		server->AcceptSavePanel(panel, folder, name);
		bool gone = server->WaitUntil(
			[&] { return server->FindWindow(name) < 0; }, kWatchdogMicroseconds);
		if (!gone)
			Abandon(std::string("the window ") + name + " did not close after its save");
		printf("saved %s into the chosen folder\n", name);
	}
}

} // namespace

int
main(int argc, char** argv)
{
	if (argc != 2) {
		fprintf(stderr, "usage: %s directory\n", argv[0]);
		return 1;
	}

	std::mutex lock;
	std::condition_variable finished;
	bool done = false;
	std::thread watchdog([&] {
		std::unique_lock<std::mutex> guard(lock);
		if (!finished.wait_for(guard, kSlowWatchdog, [&] { return done; })) {
			fprintf(stderr, "untitled demo: still running at the watchdog\n");
			_exit(2);
		}
	});

	// A fresh working directory, with the folder the panel is answered with.
	std::filesystem::path directory = std::filesystem::absolute(argv[1]);
	std::filesystem::remove_all(directory);
	std::filesystem::create_directories(directory / "saved");
	std::filesystem::current_path(directory);
	const std::string folder = directory / "saved";

	HeadlessProbe person(*HeadlessServer::InstallNew());
	HeadlessProbe* server = &person;
	std::atomic<int> prompts{0};
	server->SetAlertHandler([&](const AlertInfo& alert) {
		prompts++;
		printf("prompt: %s\n", alert.text.c_str());
		return int32(2); // "Save"
	});

	auto application = std::make_unique<DemoApp>();
	std::thread driver(Drive, server, folder);
	application->Run();
	driver.join();
	if (application->CountDocumentWindows() != 0 || application->CountWindows() != 0)
		Fail("windows are left after the application quit");
	application.reset();

	if (prompts != int(std::size(kNames)))
		Fail("expected one save prompt a window, saw " + std::to_string(prompts.load()));
	for (const char* name : kNames) {
		if (std::filesystem::exists(name))
			Fail(std::string(name) + " was written in the working directory");
		std::ifstream saved(std::filesystem::path(folder) / name);
		std::string text((std::istreambuf_iterator<char>(saved)), std::istreambuf_iterator<char>());
		if (text != kSavedText)
			Fail(std::string("the document was not written to the chosen folder: ") + name);
	}

	{
		std::lock_guard<std::mutex> guard(lock);
		done = true;
	}
	finished.notify_all();
	watchdog.join();
	return sFailed ? 1 : 0;
}
