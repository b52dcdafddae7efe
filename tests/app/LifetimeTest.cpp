// SPDX-License-Identifier: MIT
// The program's life around its last window: what arrives while that window
// goes, and a launch window that goes before the launch is over.

#include "support/ProgramFixture.h"

#include <Entry.h>

namespace {

using testsupport::ProgramFixture;

using LifetimeTest = ProgramFixture;

constexpr uint32 kMsgNewUntitled = 'NewD';

// Holds the launch in ArgvReceived until every window it opened has gone
// again, so that ReadyToRun comes after the last launch window closed.
class SlowLaunchApp : public QuillpixApp {
public:
	explicit SlowLaunchApp(HeadlessServer* server) : fServer(server) { }

	void ArgvReceived(int32 argc, char** argv) override
	{
		QuillpixApp::ArgvReceived(argc, argv);
		bool gone = fServer->WaitUntil(
			[&] { return fServer->Windows().empty() && CountDocumentWindows() == 0; },
			std::chrono::duration_cast<std::chrono::microseconds>(testsupport::kWatchdog).count());
		EXPECT_TRUE(gone) << "the launch window was never closed";
	}

private:
	HeadlessServer* fServer;
};

TEST_F(LifetimeTest, ALaunchWindowClosedBeforeReadyToRunEndsTheProgramWithoutTheUsage)
{
	std::atomic<int> alerts{0};
	fServer->SetAlertHandler([&](const AlertInfo&) {
		alerts++;
		return 0;
	});
	Launch({CopyImage("colour.png", "pic.png")}, [this] { return new SlowLaunchApp(fServer); });
	std::vector<int32> windows = VisibleWindows(1);
	ASSERT_EQ(windows.size(), 1u);
	ASSERT_EQ(fProbe->ClickCloseBox(windows[0]), B_OK);

	ASSERT_TRUE(WaitForExit());
	EXPECT_EQ(alerts.load(), 0);
	EXPECT_TRUE(fServer->Alerts().empty());
}

// A file dropped while the last window closes arrives before the quit
// request that window's going posted; the new window must stay and the
// program go on.
TEST_F(LifetimeTest, AFileOpenedWhileTheLastWindowClosesKeepsTheProgramRunning)
{
	Launch({CopyImage("colour.png", "first.png")});
	std::vector<int32> windows = VisibleWindows(1);
	ASSERT_EQ(windows.size(), 1u);
	std::string second = CopyImage("grey.png", "second.png");

	// With the application held, the drop is queued first, then the closing
	// window's quit request behind it.
	ASSERT_TRUE(be_app->Lock());
	ASSERT_EQ(fProbe->DropFiles(windows[0], {second}), B_OK);
	ASSERT_EQ(fProbe->ClickCloseBox(windows[0]), B_OK);
	bool closed = Eventually([&] { return fServer->Windows().empty(); });
	be_app->Unlock();
	ASSERT_TRUE(closed);

	// Handled after the quit request: once it shows, the request is spent.
	be_app_messenger.SendMessage(kMsgNewUntitled);
	windows = VisibleWindows(2);
	ASSERT_EQ(windows.size(), 2u);
	EXPECT_EQ(fProbe->Title(windows[0]), "second.png.h");
	EXPECT_EQ(fProbe->Title(windows[1]), "Untitled 1.h");
	EXPECT_FALSE(fRunReturned);

	// The program still ends with its last window.
	ASSERT_EQ(fProbe->ClickCloseBox(windows[0]), B_OK);
	ASSERT_EQ(fProbe->ClickCloseBox(windows[1]), B_OK);
	EXPECT_TRUE(WaitForExit());
}

} // namespace
