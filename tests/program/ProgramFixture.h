#pragma once

// The whole program on the headless server: a QuillpixApp runs on a thread
// of its own as the program's main thread would run it, and the test drives
// it through the server as a person would.

#include "app/QuillpixApp.h"
#include "image/BitmapImageWindow.h"

#include <AppDefs.h>
#include <Application.h>
#include <HeadlessServer.h>

#include "app_kit/Waiting.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace testing_support {

class ProgramFixture : public testing::Test {
public:
	void SetUp() override
	{
		fServer = HeadlessServer::InstallNew();
		fWorkingDirectory = std::filesystem::current_path();
		char pattern[] = "/tmp/quillpix-program-XXXXXX";
		ASSERT_NE(mkdtemp(pattern), nullptr);
		fDirectory = pattern;
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
		std::filesystem::remove_all(fDirectory);
	}

	// Starts the program with `arguments` after the program's name, and
	// returns once the application exists (its loop may not have started).
	// `make` builds the application (a QuillpixApp unless given).
	void Launch(const std::vector<std::string>& arguments,
		std::function<QuillpixApp*()> make = nullptr)
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

	bool Eventually(const std::function<bool()>& predicate)
	{
		return fServer->WaitUntil(predicate,
			std::chrono::duration_cast<std::chrono::microseconds>(kWatchdog).count());
	}

	// Waits until exactly `count` windows are visible and answers their ids
	// in creation order (empty at the watchdog).
	std::vector<int32> VisibleWindows(size_t count)
	{
		std::vector<int32> visible;
		bool reached = Eventually([&] {
			visible.clear();
			for (int32 id : fServer->Windows()) {
				if (fServer->IsVisible(id))
					visible.push_back(id);
			}
			return visible.size() == count;
		});
		return reached ? visible : std::vector<int32>();
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
	template<typename Action>
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

	HeadlessServer* fServer = nullptr;
	std::string fDirectory;
	std::thread fAppThread;
	std::atomic<bool> fRunReturned{false};
	Gate fExited;

private:
	std::filesystem::path fWorkingDirectory;
	std::vector<std::string> fArguments;
	std::vector<const char*> fArgv;
};

} // namespace testing_support
