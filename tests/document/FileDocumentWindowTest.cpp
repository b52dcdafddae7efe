// SPDX-License-Identifier: MIT
// A document window's name and title, its save panel and its place in the
// application's window count.

#include "support/DocumentFixture.h"

#include <Application.h>

#include <unistd.h>

namespace {

using namespace testsupport;

class FileDocumentWindowTest : public DocumentWindowFixture {
protected:
	int32 OnlyPanelId()
	{
		std::vector<HeadlessServer::PanelState> panels = fServer->Panels();
		EXPECT_EQ(panels.size(), 1u);
		return panels.empty() ? -1 : panels[0].id;
	}
};

TEST_F(FileDocumentWindowTest, TheTitleIsAlwaysTheLeafOfTheDocumentName)
{
	BMessenger window = Open("/boot/home/sunset.png");
	EXPECT_EQ(fProbe->Title(ServerId()), "sunset.png");

	std::string name;
	WithWindow(window, [&](TestDocumentWindow* document) {
		document->SetDocumentName("/boot/home/sunset.png.h");
		name = document->DocumentName();
	});
	EXPECT_EQ(name, "/boot/home/sunset.png.h");
	EXPECT_EQ(fProbe->Title(ServerId()), "sunset.png.h");

	WithWindow(window,
		[&](TestDocumentWindow* document) { document->SetDocumentName("/boot/home/images/"); });
	EXPECT_EQ(fProbe->Title(ServerId()), "images/");
}

// Untitled is what the name reads: its first eight characters are "Untitled".
TEST_F(FileDocumentWindowTest, UntitledIsANameBeginningWithUntitled)
{
	struct Row {
		const char* name;
		bool untitled;
	};
	const Row rows[] = {
		{"Untitled 1", true},
		{"Untitledness.h", true},
		{"Untitled", true},
		{"untitled 1", false},
		{"Untitle", false},
		{"/boot/home/Untitled 1", false},
		{"Picture 7", false},
		{"", false},
	};
	for (const Row& row : rows) {
		TestDocumentWindow window(row.name, fLog);
		EXPECT_EQ(window.IsUntitled(), row.untitled) << row.name;
		EXPECT_STREQ(window.Title(), row.name[0] == '/' ? "Untitled 1" : row.name);
	}
}

// The name decides: a successful save under a chosen name ends untitled, a
// failed one brings the untitled name back.
TEST_F(FileDocumentWindowTest, ASuccessfulSaveUnderAChosenNameEndsUntitled)
{
	BMessenger window = Open("Untitled 4");
	bool untitled = false;
	WithWindow(window, [&](TestDocumentWindow* document) { document->fSaveSucceeds = false; });

	fServer->SetAlertHandler([](const AlertInfo&) { return 0; });
	BMessage reply(B_SAVE_REQUESTED);
	entry_ref directory = fScratch.Ref("src");
	reply.AddRef("directory", &directory);
	reply.AddString("name", "pic.h");
	ASSERT_TRUE(Deliver(window, reply));
	WithWindow(window, [&](TestDocumentWindow* document) {
		untitled = document->IsUntitled();
		document->fSaveSucceeds = true;
	});
	EXPECT_TRUE(untitled) << "a failed save keeps the document untitled";
	ASSERT_TRUE(Eventually([&] { return fServer->Alerts().size() == 1; }));

	ASSERT_TRUE(Deliver(window, reply));
	WithWindow(window, [&](TestDocumentWindow* document) { untitled = document->IsUntitled(); });
	EXPECT_FALSE(untitled);
	// A bare request now writes under the new name without a panel.
	ASSERT_TRUE(Deliver(window, B_SAVE_REQUESTED));
	EXPECT_EQ(fLog.StartingWith("save ").size(), 3u);
	EXPECT_TRUE(fServer->Panels().empty());
}

TEST_F(FileDocumentWindowTest, SaveAsOnANamedDocumentOpensItsDirectoryAndProposesItsLeaf)
{
	std::string name = (fScratch / "sunset.png.h");
	BMessenger window = Open(name);
	ASSERT_TRUE(Deliver(window, kMsgSaveAs));

	std::vector<HeadlessServer::PanelState> panels = fServer->Panels();
	ASSERT_EQ(panels.size(), 1u);
	EXPECT_EQ(panels[0].mode, B_SAVE_PANEL);
	EXPECT_EQ(panels[0].directory, fScratch.Ref());
	EXPECT_EQ(panels[0].saveText, "sunset.png.h");
	EXPECT_EQ(panels[0].target, window);
	EXPECT_FALSE(panels[0].allowMultipleSelection);
}

TEST_F(FileDocumentWindowTest, SaveAsOnAnUntitledDocumentOpensTheDefaultDirectory)
{
	BMessenger window = Open("Untitled 2");
	ASSERT_TRUE(Deliver(window, kMsgSaveAs));

	char workingDirectory[PATH_MAX];
	ASSERT_NE(getcwd(workingDirectory, sizeof(workingDirectory)), nullptr);
	entry_ref defaultDirectory;
	BEntry(workingDirectory).GetRef(&defaultDirectory);
	std::vector<HeadlessServer::PanelState> panels = fServer->Panels();
	ASSERT_EQ(panels.size(), 1u);
	EXPECT_EQ(panels[0].directory, defaultDirectory);
	EXPECT_EQ(panels[0].saveText, "Untitled 2");
}

TEST_F(FileDocumentWindowTest, ThePanelIsBuiltOnceAndKeepsItsFirstProposal)
{
	BMessenger window = Open((fScratch / "sunset.png.h"));
	ASSERT_TRUE(Deliver(window, kMsgSaveAs));
	int32 panel = OnlyPanelId();
	ASSERT_EQ(fProbe->AcceptSavePanel(panel, fScratch.Ref("src"), "pic.h"), B_OK);
	ASSERT_TRUE(fLog.WaitFor("handled SAVE"));
	EXPECT_EQ(DocumentNameOf(window), (fScratch / "src/pic.h"));
	EXPECT_TRUE(fServer->Panels().empty()) << "the panel hides once it has answered";

	ASSERT_TRUE(Deliver(window, kMsgSaveAs));
	std::vector<HeadlessServer::PanelState> panels = fServer->Panels();
	ASSERT_EQ(panels.size(), 1u);
	EXPECT_EQ(panels[0].id, panel) << "the same panel again";
	EXPECT_EQ(panels[0].saveText, "sunset.png.h");
	EXPECT_EQ(panels[0].directory, fScratch.Ref());
	EXPECT_EQ(fLog.Count("panel built"), 1u);
}

TEST_F(FileDocumentWindowTest, APanelThatCouldNotBeMadeIsAskedForAgain)
{
	BMessenger window = Open((fScratch / "sunset.png.h"));
	WithWindow(window, [](TestDocumentWindow* document) { document->fRefusePanel = true; });
	ASSERT_TRUE(Deliver(window, kMsgSaveAs));
	EXPECT_TRUE(fServer->Panels().empty());

	WithWindow(window, [](TestDocumentWindow* document) { document->fRefusePanel = false; });
	ASSERT_TRUE(Deliver(window, kMsgSaveAs));
	EXPECT_EQ(fServer->Panels().size(), 1u);
	EXPECT_EQ(fLog.Count("panel built"), 2u);
}

TEST_F(FileDocumentWindowTest, CancellingThePanelReachesTheWindowAsCancel)
{
	BMessenger window = Open("Untitled 3");
	ASSERT_TRUE(Deliver(window, kMsgSaveAs));
	ASSERT_EQ(fProbe->CancelPanel(OnlyPanelId()), B_OK);
	ASSERT_TRUE(fLog.WaitFor("handled _CNC"));
	EXPECT_TRUE(fServer->Panels().empty());
	EXPECT_EQ(DocumentNameOf(window), "Untitled 3");
}

TEST_F(FileDocumentWindowTest, TheSavePanelGoesWithItsWindow)
{
	BMessenger window = Open((fScratch / "sunset.png.h"));
	ASSERT_TRUE(Deliver(window, kMsgSaveAs));
	ASSERT_EQ(fServer->Panels().size(), 1u);

	fProbe->ClickCloseBox(ServerId());
	// The window leaves the server last, after its panel went.
	ASSERT_TRUE(Eventually([&] { return fServer->Windows().empty(); }));
	EXPECT_TRUE(fServer->Panels().empty());
}

TEST_F(FileDocumentWindowTest, AnUnmodifiedWindowClosesWithoutAPrompt)
{
	// No alert handler is installed: a prompt would abort the test.
	Open((fScratch / "sunset.png.h"));
	fProbe->ClickCloseBox(ServerId());
	ASSERT_TRUE(fLog.WaitFor("deleted sunset.png.h"));
	EXPECT_TRUE(fServer->Alerts().empty());
}

// The base window has nothing to write: its save succeeds, which a pending
// quit-after-save shows by closing the window, and no file appears.
TEST_F(FileDocumentWindowTest, TheBaseSaveWritesNothingAndSucceeds)
{
	std::string name = (fScratch / "never-written.h");
	auto* window = new FileDocumentWindow(
		BRect(10, 10, 110, 110), name.c_str(), B_TITLED_WINDOW, 0);
	BMessenger messenger(nullptr, window);
	window->Show();
	ASSERT_TRUE(messenger.LockTarget());
	window->SetQuitAfterSave();
	window->Unlock();

	messenger.SendMessage(B_SAVE_REQUESTED);
	EXPECT_TRUE(Eventually([&] { return fServer->Windows().empty(); }));
	EXPECT_FALSE(std::filesystem::exists(name));
}

TEST_F(FileDocumentWindowTest, ADocumentAppCountsTheWindowForItsWholeLife)
{
	const char* arguments[] = {"app"};
	BApplication::SetLaunchArguments(1, arguments);
	{
		DocumentApp app("application/x-vnd.test-count");
		BMessenger window = Open("Untitled 1");
		EXPECT_EQ(app.CountDocumentWindows(), 1);
		QuitDocument(window);
		ASSERT_TRUE(fLog.WaitFor("deleted Untitled 1"));
		EXPECT_EQ(app.CountDocumentWindows(), 0);
		EXPECT_EQ(app.CountQueuedMessages(), 1) << "the last window asks the application to quit";
	}
	{
		// Under another application class the window works but is not counted.
		BApplication app("application/x-vnd.test-plain");
		BMessenger window = Open((fScratch / "sunset.png.h"));
		ASSERT_TRUE(Deliver(window, B_SAVE_REQUESTED));
		QuitDocument(window);
		ASSERT_TRUE(fLog.WaitFor("deleted sunset.png.h"));
		EXPECT_EQ(app.CountQueuedMessages(), 0);
	}
	BApplication::SetLaunchArguments(0, nullptr);
}

} // namespace
