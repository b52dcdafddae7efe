// SPDX-License-Identifier: MIT
#include <Application.h>
#include <HeadlessProbe.h>
#include <OS.h>
#include <Window.h>

#include "support/Waiting.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <thread>

namespace {

using testsupport::EventLog;

TEST(HeadlessServerTest, WaitUntilWakesOnAChangeAndGivesUpAtItsTimeout)
{
	HeadlessServer* server = HeadlessServer::InstallNew();
	EXPECT_FALSE(server->WaitUntil([] { return false; }, 20000));

	std::thread other([server] { server->SetScreenFrame(BRect(0, 0, 799, 599)); });
	EXPECT_TRUE(server->WaitUntil(
		[server] { return server->ScreenFrame() == BRect(0, 0, 799, 599); }, 20000000));
	other.join();
}

TEST(HeadlessServerTest, ItListsLiveWindowsInCreationOrder)
{
	HeadlessServer* server = HeadlessServer::InstallNew();
	HeadlessProbe probe(*server);
	auto* first = new BWindow(BRect(0, 0, 10, 10), "one", B_TITLED_WINDOW, 0);
	auto* second = new BWindow(BRect(0, 0, 10, 10), "two", B_TITLED_WINDOW, 0);
	EXPECT_EQ(server->Windows(), (std::vector<int32>{first->ServerId(), second->ServerId()}));
	EXPECT_EQ(probe.FindWindow("two"), second->ServerId());
	EXPECT_FALSE(server->Window(first->ServerId())->visible);

	first->Lock();
	first->Quit();
	EXPECT_EQ(server->Windows(), (std::vector<int32>{second->ServerId()}));
	EXPECT_FALSE(server->Window(-1));
	EXPECT_EQ(server->Snapshot(-1), nullptr);
	EXPECT_EQ(probe.ClickCloseBox(-1), B_BAD_VALUE);
	second->Lock();
	second->Quit();
}

class DropApp : public BApplication {
public:
	explicit DropApp(EventLog& log) : BApplication("application/x-vnd.drop"), fLog(log) { }

	void RefsReceived(BMessage* message) override
	{
		type_code type = 0;
		int32 count = 0;
		message->GetInfo("refs", &type, &count);
		entry_ref ref;
		message->FindRef("refs", count - 1, &ref);
		fLog.Add(std::to_string(count) + " " + ref.name);
		PostMessage(B_QUIT_REQUESTED);
	}

private:
	EventLog& fLog;
};

TEST(HeadlessServerTest, DroppedFilesArriveAtTheApplicationAsRefs)
{
	HeadlessProbe probe(*HeadlessServer::InstallNew());
	const char* arguments[] = {"app"};
	BApplication::SetLaunchArguments(1, arguments);
	std::string path = std::string(QUILLPIX_BINARY_DIR) + "/dropped-file.png";
	std::ofstream(path) << "x";

	EventLog log;
	DropApp app(log);
	auto* window = new BWindow(BRect(0, 0, 10, 10), "target", B_TITLED_WINDOW, 0);
	int32 id = window->ServerId();
	BMessenger target(nullptr, window);
	EXPECT_EQ(probe.DropFiles(id, {"/no/such/dir/x.png"}), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(probe.DropRefs(id, {}), B_BAD_VALUE);
	EXPECT_EQ(probe.DropFiles(-1, {path}), B_BAD_VALUE);
	ASSERT_EQ(probe.DropFiles(id, {path, path}), B_OK);
	app.Run();
	// The application's quit may have closed the window already.
	if (target.LockTarget())
		window->Quit();
	EXPECT_EQ(log.Events(), (std::vector<std::string>{"2 dropped-file.png"}));
	BApplication::SetLaunchArguments(0, nullptr);
	std::remove(path.c_str());
}

} // namespace
