// SPDX-License-Identifier: MIT
#include "QtProgram.h"

#include "app/program/QuillpixApp.h"

#include <Application.h>
#include <HeadlessProbe.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace qt_testing {

std::string
SourcePath(const char* relative)
{
	return std::string(QUILLPIX_SOURCE_DIR) + "/" + relative;
}

namespace {

// Runs the program on the server installed, with `probe` at it.
void
RunInstalled(DisplayProbe& probe, const std::vector<std::string>& arguments, Ending ending,
	const std::function<void(DisplayProbe& probe)>& drive)
{
	std::vector<const char*> argv{"quillpix"};
	for (const std::string& argument : arguments)
		argv.push_back(argument.c_str());
	BApplication::SetLaunchArguments(static_cast<int>(argv.size()), argv.data());

	new QuillpixApp();
	std::mutex lock;
	std::condition_variable ended;
	bool running = true;
	std::thread driver([&] {
		drive(probe);
		if (ending == Ending::kQuitsByItself) {
			std::unique_lock<std::mutex> hold(lock);
			if (ended.wait_for(hold, testsupport::kWatchdog, [&] { return !running; })) {
				return;
			}
			ADD_FAILURE() << "the application did not quit by itself";
		}
		be_app_messenger.SendMessage(B_QUIT_REQUESTED);
	});
	be_app->Run();
	{
		std::lock_guard<std::mutex> hold(lock);
		running = false;
		ended.notify_all();
	}
	driver.join();
	delete be_app;
	BApplication::SetLaunchArguments(0, nullptr);
}

} // namespace

void
RunProgram(const std::vector<std::string>& arguments, Ending ending,
	const std::function<void(QtProbe& probe)>& drive)
{
	BPrivate::Result<std::unique_ptr<QtServer>> created = QtServer::Create();
	ASSERT_TRUE(created) << created.Error().detail;
	QtServer* server = created.Value().get();
	DisplayServer::Install(std::move(created).Value());
	QtProbe probe(*server);
	RunInstalled(probe, arguments, ending, [&](DisplayProbe&) { drive(probe); });
	DisplayServer::Install(nullptr);
}

void
RunProgram(Server server, const std::vector<std::string>& arguments, Ending ending,
	const std::function<void(DisplayProbe& probe)>& drive)
{
	if (server == Server::kQt) {
		RunProgram(arguments, ending, [&](QtProbe& probe) { drive(probe); });
		return;
	}
	HeadlessProbe probe(*HeadlessServer::InstallNew());
	RunInstalled(probe, arguments, ending, drive);
	// The next test starts from a server of its own, as every executable's
	// tests do.
	HeadlessServer::InstallNew();
}

std::string
ServerName(const testing::TestParamInfo<Server>& info)
{
	return info.param == Server::kQt ? "Qt" : "Headless";
}

std::vector<int32>
WaitForWindows(DisplayProbe& probe, size_t count)
{
	std::vector<int32> ids;
	probe.WaitUntil(
		[&] {
			ids.clear();
			for (int32 id : probe.Windows()) {
				if (probe.IsVisible(id))
					ids.push_back(id);
			}
			return ids.size() == count;
		},
		kWatchdogMicroseconds);
	if (ids.size() != count)
		ids.clear();
	return ids;
}

} // namespace qt_testing
