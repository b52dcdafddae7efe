#include "QtProgram.h"

#include "app/QuillpixApp.h"

#include <Application.h>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace qt_testing {

std::string
SourcePath(const char* relative)
{
	return std::string(QUILLPIX_SOURCE_DIR) + "/" + relative;
}

void
RunProgram(const std::vector<std::string>& arguments, Ending ending,
	const std::function<void(QtProbe& probe)>& drive)
{
	std::string error;
	std::unique_ptr<QtServer> created = QtServer::Create(&error);
	ASSERT_TRUE(created) << error;
	QtServer* server = created.get();
	DisplayServer::Install(std::move(created));

	std::vector<const char*> argv{"quillpix"};
	for (const std::string& argument : arguments)
		argv.push_back(argument.c_str());
	BApplication::SetLaunchArguments(static_cast<int>(argv.size()), argv.data());

	new QuillpixApp();
	QtProbe probe(*server);
	std::mutex lock;
	std::condition_variable ended;
	bool running = true;
	std::thread driver([&] {
		drive(probe);
		if (ending == Ending::kQuitsByItself) {
			std::unique_lock<std::mutex> hold(lock);
			if (ended.wait_for(hold, testsupport::kWatchdog,
					[&] { return !running; })) {
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
	DisplayServer::Install(nullptr);
}

std::vector<int32>
WaitForWindows(QtProbe& probe, size_t count)
{
	std::vector<int32> ids;
	probe.WaitUntil([&] {
		ids.clear();
		for (const QtProbe::WindowView& window : probe.Windows()) {
			if (window.visible)
				ids.push_back(window.id);
		}
		return ids.size() == count;
	}, kWatchdogMicroseconds);
	if (ids.size() != count)
		ids.clear();
	return ids;
}

namespace {

const MenuItemState*
FindIn(const std::vector<MenuItemState>& items, const std::vector<std::string>& path,
	size_t depth)
{
	for (const MenuItemState& item : items) {
		if (item.separator || item.label != path[depth])
			continue;
		if (depth + 1 == path.size())
			return &item;
		return FindIn(item.items, path, depth + 1);
	}
	return nullptr;
}

} // namespace

const MenuItemState*
FindItem(const MenuBarState& bar, const std::vector<std::string>& path)
{
	return path.empty() ? nullptr : FindIn(bar.items, path, 0);
}

} // namespace qt_testing
