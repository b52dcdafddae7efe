// SPDX-License-Identifier: MIT
#pragma once

// The whole program on the headless server: a QuillpixApp runs on a thread
// of its own as the program's main thread would run it, and the test drives
// it through the server as a person would: opening, saving through the
// panel to a chosen place, answering alerts, and knowing when the window has
// handled what was sent to it before. For tests that link quillpix_app.

#include "app/program/QuillpixApp.h"
#include "image/BitmapImageWindow.h"

#include <AppDefs.h>
#include <Application.h>
#include <Entry.h>
#include <HeadlessProbe.h>

#include "support/Files.h"
#include "support/Waiting.h"
#include "support/WindowFixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

class ProgramFixture : public WindowFixture {
public:
	void SetUp() override
	{
		WindowFixture::SetUp();
		fWorkingDirectory = std::filesystem::current_path();
	}

	void TearDown() override
	{
		if (fAppThread.joinable()) {
			if (!fRunReturned)
				be_app_messenger.SendMessage(B_QUIT_REQUESTED);
			fAppThread.join();
		}
		BApplication::SetLaunchArguments(0, nullptr);
		std::filesystem::current_path(fWorkingDirectory);
	}

	// Starts the program with `arguments` after the program's name, and
	// returns once the application exists (its loop may not have started).
	// `make` builds the application (a QuillpixApp unless given).
	void Launch(
		const std::vector<std::string>& arguments, std::function<QuillpixApp*()> make = nullptr)
	{
		if (!make)
			make = [] { return new QuillpixApp(); };
		fArguments = {"quillpix"};
		fArguments.insert(fArguments.end(), arguments.begin(), arguments.end());
		fArgv.clear();
		for (const std::string& argument : fArguments)
			fArgv.push_back(argument.c_str());
		BApplication::SetLaunchArguments(int(fArgv.size()), fArgv.data());

		Gate constructed;
		fAppThread = std::thread([this, &constructed, make] {
			QuillpixApp* application = make();
			constructed.Open();
			application->Run();
			delete application;
			fRunReturned = true;
			fExited.Open();
		});
		ASSERT_TRUE(constructed.Wait());
	}

	// Waits until Run() has returned and the application is gone.
	bool WaitForExit()
	{
		bool exited = fExited.Wait();
		if (exited)
			fAppThread.join();
		return exited;
	}

	// Waits until exactly `count` windows are visible and answers their ids
	// in creation order (empty at the watchdog).
	std::vector<int32> VisibleWindows(size_t count)
	{
		std::vector<int32> visible;
		bool reached = Eventually([&] {
			visible.clear();
			for (int32 id : fServer->Windows()) {
				if (fProbe->IsVisible(id))
					visible.push_back(id);
			}
			return visible.size() == count;
		});
		return reached ? visible : std::vector<int32>();
	}

	// Starts the program on the image at `path` and waits for its window to
	// show with its menu bar; answers the window's id (-1 at the watchdog) and
	// sets `imageTop` to the first row below the menu bar.
	int32 OpenImageWindow(const std::string& path, int32& imageTop)
	{
		Launch({path});
		std::vector<int32> windows = VisibleWindows(1);
		if (windows.empty()
			|| !Eventually([&] { return !fProbe->MenuBar(windows[0]).items.empty(); })) {
			return -1;
		}
		imageTop = int32(fProbe->MenuBar(windows[0]).frame.bottom) + 1;
		return windows[0];
	}

	// A copy of a test image in the test's directory, under `name`.
	std::string CopyImage(const char* fixture, const std::string& name)
	{
		std::string target = fDirectory + "/" + name;
		std::filesystem::copy_file(
			std::string(QUILLPIX_SOURCE_DIR) + "/tests/data/images/" + fixture, target,
			std::filesystem::copy_options::overwrite_existing);
		return target;
	}

	// Runs `action` on the image window titled `title` with the window
	// locked; false when there is no such window.
	template <typename Action>
	bool WithImageWindow(const char* title, Action action)
	{
		if (!be_app->Lock())
			return false;
		BitmapImageWindow* found = nullptr;
		for (int32 index = 0; index < be_app->CountWindows(); index++) {
			auto* window = dynamic_cast<BitmapImageWindow*>(be_app->WindowAt(index));
			if (window != nullptr && std::string(window->Title()) == title)
				found = window;
		}
		be_app->Unlock();
		if (found == nullptr || !found->Lock())
			return false;
		action(*found);
		found->Unlock();
		return true;
	}

	// Everything sent to window `id` before this call has been handled once it
	// answers true: it asks for the save panel, a command queued behind the
	// others, waits for the panel to show, and cancels it.
	bool Settle(int32 id)
	{
		if (fProbe->PickMenuItem(id, {"File", "Save as source code\xE2\x80\xA6"}) != B_OK)
			return false;
		int32 panel = ShownSavePanel();
		return panel >= 0 && fProbe->CancelPanel(panel) == B_OK
			&& Eventually([&] { return !fServer->Panel(panel); });
	}

	// The save panel showing now; -1 when none shows within the watchdog.
	int32 ShownSavePanel()
	{
		int32 panel = -1;
		Eventually([&] {
			for (const HeadlessServer::PanelState& state : fServer->Panels()) {
				if (state.mode == B_SAVE_PANEL)
					panel = state.id;
			}
			return panel >= 0;
		});
		return panel;
	}

	// Shows window `id`'s save panel and confirms it with `directory` and
	// `name`; false when no panel showed.
	bool SaveThroughPanel(int32 id, const std::string& directory, const char* name)
	{
		if (fProbe->PickMenuItem(id, {"File", "Save as source code\xE2\x80\xA6"}) != B_OK)
			return false;
		int32 panel = ShownSavePanel();
		if (panel < 0)
			return false;
		entry_ref ref(directory.c_str(), nullptr);
		size_t slash = directory.find_last_of('/');
		if (slash != std::string::npos && slash + 1 < directory.size()) {
			ref = entry_ref(slash == 0 ? "/" : directory.substr(0, slash).c_str(),
				directory.substr(slash + 1).c_str());
		}
		return fProbe->AcceptSavePanel(panel, ref, name) == B_OK;
	}

	// From now on every alert is answered with its first button ("OK").
	void AnswerAlerts()
	{
		fServer->SetAlertHandler([](const AlertInfo&) { return 0; });
	}

	// The texts of the alerts shown so far, once there are `count` of them
	// (fewer when the watchdog ran out first).
	std::vector<std::string> AlertTexts(size_t count)
	{
		Eventually([&] { return fServer->Alerts().size() >= count; });
		std::vector<std::string> texts;
		for (const AlertInfo& alert : fServer->Alerts())
			texts.push_back(alert.text);
		return texts;
	}

	std::string DocumentNameOf(const std::string& title)
	{
		std::string name = "(no window)";
		WithImageWindow(
			title.c_str(), [&](BitmapImageWindow& window) { name = window.DocumentName(); });
		return name;
	}

	// Whether the window titled `title` holds an image; -1: no such window.
	int HasImage(const std::string& title)
	{
		int has = -1;
		WithImageWindow(
			title.c_str(), [&](BitmapImageWindow& window) { has = window.Image() != nullptr; });
		return has;
	}

	ScratchDirectory fScratch;
	// The test's own directory.
	const std::string fDirectory = fScratch.Path();
	std::thread fAppThread;
	std::atomic<bool> fRunReturned{false};
	Gate fExited;

private:
	std::filesystem::path fWorkingDirectory;
	std::vector<std::string> fArguments;
	std::vector<const char*> fArgv;
};

} // namespace testsupport
