// SPDX-License-Identifier: MIT
// A small program on the document framework, run on the real loops: it opens
// one document window per argument, each at the next cascade frame, and
// quits when the last one has gone. The first document starts out modified.
//
// With the headless server, a driver thread closes the windows one by one as
// a person would, answering the save prompt of the modified document with
// "Save". The program exits 0 once Run has returned with every window gone
// and the modified document written; 1 when something went otherwise; 2 from
// the watchdog when the program did not finish in time.

#include "app/framework/DocumentApp.h"
#include "app/framework/WindowStagger.h"
#include "document/FileDocumentWindow.h"
#include "support/Waiting.h"

#include <File.h>
#include <HeadlessProbe.h>
#include <Path.h>
#include <StorageDefs.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>

namespace {

using testsupport::kSlowWatchdog;
using testsupport::kWatchdogMicroseconds;
constexpr char kSavedText[] = "written by the document demo\n";

std::atomic<bool> sFailed{false};

void
Fail(const std::string& why)
{
	fprintf(stderr, "document demo: %s\n", why.c_str());
	sFailed = true;
}

class DemoWindow : public FileDocumentWindow {
public:
	DemoWindow(BRect frame, const char* path, bool modified)
		: FileDocumentWindow(frame, path, B_TITLED_WINDOW, 0)
	{
		SetModified(modified);
		Show();
	}

	// Writes a line of text under the document's name.
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
	DemoApp() : DocumentApp("application/x-vnd.Zq-DocumentDemo"), fStagger(BRect(30, 30, 430, 280))
	{ }

	void ArgvReceived(int32 argc, char** argv) override
	{
		char directory[PATH_MAX];
		if (getcwd(directory, sizeof(directory)) == nullptr)
			return;
		for (int32 index = 1; index < argc; index++) {
			BPath path(directory, argv[index]);
			new DemoWindow(fStagger.NextFrame(), path.Path(), index == 1);
		}
	}

	void ReadyToRun() override
	{
		if (CountDocumentWindows() == 0)
			PostMessage(B_QUIT_REQUESTED);
	}

private:
	WindowStagger fStagger;
};

// Closes every window in the order they were opened, checking the frames
// the cascade gave them.
void
Drive(HeadlessProbe* server, size_t documents)
{
	if (!server->WaitUntil(
			[&] { return server->Windows().size() == documents; }, kWatchdogMicroseconds)) {
		Fail("the documents did not all open");
		return;
	}
	std::vector<int32> windows = server->Windows();
	for (size_t index = 0; index < windows.size(); index++) {
		BRect expected(30, 30, 430, 280);
		expected.OffsetBy(25.0f * index, 25.0f * index);
		if (server->Frame(windows[index]) != expected)
			Fail("window " + std::to_string(index + 1) + " is not at its cascade frame");
	}
	for (int32 window : windows) {
		std::string title = server->Title(window);
		server->ClickCloseBox(window);
		bool gone = server->WaitUntil(
			[&] {
				std::vector<int32> left = server->Windows();
				return std::find(left.begin(), left.end(), window) == left.end();
			},
			kWatchdogMicroseconds);
		if (!gone) {
			Fail("the window " + title + " did not close");
			return;
		}
		printf("closed %s\n", title.c_str());
	}
}

} // namespace

int
main(int argc, char** argv)
{
	if (argc < 3) {
		fprintf(stderr, "usage: %s document document...\n", argv[0]);
		return 1;
	}

	std::mutex lock;
	std::condition_variable finished;
	bool done = false;
	std::thread watchdog([&] {
		std::unique_lock<std::mutex> guard(lock);
		if (!finished.wait_for(guard, kSlowWatchdog, [&] { return done; })) {
			fprintf(stderr, "document demo: still running at the watchdog\n");
			_exit(2);
		}
	});

	// A copy left by an earlier run must not pass for this run's save.
	unlink(argv[1]);

	HeadlessProbe person(*HeadlessServer::InstallNew());
	HeadlessProbe* server = &person;
	std::atomic<int> prompts{0};
	server->SetAlertHandler([&](const AlertInfo& alert) {
		prompts++;
		printf("prompt: %s\n", alert.text.c_str());
		return int32(2); // "Save"
	});

	auto application = std::make_unique<DemoApp>();
	std::thread driver(Drive, server, size_t(argc - 1));
	application->Run();
	driver.join();
	if (application->CountDocumentWindows() != 0 || application->CountWindows() != 0)
		Fail("windows are left after the application quit");
	application.reset();

	if (prompts != 1)
		Fail("expected one save prompt, saw " + std::to_string(prompts.load()));
	std::ifstream saved(argv[1]);
	std::string text((std::istreambuf_iterator<char>(saved)), std::istreambuf_iterator<char>());
	if (text != kSavedText)
		Fail(std::string("the modified document was not written to ") + argv[1]);

	{
		std::lock_guard<std::mutex> guard(lock);
		done = true;
	}
	finished.notify_all();
	watchdog.join();
	return sFailed ? 1 : 0;
}
