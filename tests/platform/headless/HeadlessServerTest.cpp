#include <Application.h>
#include <HeadlessServer.h>
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
	auto* first = new BWindow(BRect(0, 0, 10, 10), "one", B_TITLED_WINDOW, 0);
	auto* second = new BWindow(BRect(0, 0, 10, 10), "two", B_TITLED_WINDOW, 0);
	EXPECT_EQ(server->Windows(), (std::vector<int32>{first->ServerId(), second->ServerId()}));
	EXPECT_EQ(server->FindWindow("two"), second->ServerId());
	EXPECT_FALSE(server->Window(first->ServerId())->visible);

	first->Lock();
	first->Quit();
	EXPECT_EQ(server->Windows(), (std::vector<int32>{second->ServerId()}));
	EXPECT_FALSE(server->Window(-1));
	EXPECT_EQ(server->Snapshot(-1), nullptr);
	EXPECT_EQ(server->ClickCloseBox(-1), B_BAD_VALUE);
	second->Lock();
	second->Quit();
}

class DropApp : public BApplication {
public:
	explicit DropApp(EventLog& log) : BApplication("application/x-vnd.drop"), fLog(log) {}

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
	HeadlessServer* server = HeadlessServer::InstallNew();
	const char* arguments[] = {"app"};
	BApplication::SetLaunchArguments(1, arguments);
	std::string path = std::string(QUILLPIX_BINARY_DIR) + "/dropped-file.png";
	std::ofstream(path) << "x";

	EventLog log;
	DropApp app(log);
	EXPECT_EQ(server->DropFiles(std::vector<std::string>{"/no/such/dir/x.png"}),
		B_ENTRY_NOT_FOUND);
	ASSERT_EQ(server->DropFiles(std::vector<std::string>{path, path}), B_OK);
	app.Run();
	EXPECT_EQ(log.Events(), (std::vector<std::string>{"2 dropped-file.png"}));
	BApplication::SetLaunchArguments(0, nullptr);
	std::remove(path.c_str());
}

} // namespace
