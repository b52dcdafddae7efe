// SPDX-License-Identifier: MIT
// Opening images as a person does: from the command line, by dropping
// files, through the Open panel and with the "NewD" command.

#include "support/ProgramFixture.h"

#include <Alert.h>
#include <Entry.h>

#include <filesystem>
#include <unistd.h>

namespace {

using testsupport::ProgramFixture;

class OpeningTest : public ProgramFixture {
protected:
	// Window `id` has the title `title` and stands at `frame`.
	void ExpectWindow(int32 id, const std::string& title, BRect frame)
	{
		EXPECT_EQ(fProbe->Title(id), title);
		EXPECT_EQ(fProbe->Frame(id), frame) << title;
	}
};

const BRect kFirstFrame(30, 30, 430, 280);
const BRect kSecondFrame(55, 55, 455, 305);
const BRect kThirdFrame(80, 80, 480, 330);

TEST_F(OpeningTest, TwoArgumentsOpenTwoWindowsAtTheFirstFrames)
{
	CopyImage("colour.png", "pic.png");
	std::string other = CopyImage("palette-system.png", "other.png");
	ASSERT_EQ(chdir(fDirectory.c_str()), 0);

	// The first path is relative: it reaches the window unchanged.
	Launch({"pic.png", other});
	std::vector<int32> windows = VisibleWindows(2);
	ASSERT_EQ(windows.size(), 2u);

	ExpectWindow(windows[0], "pic.png.h", kFirstFrame);
	ExpectWindow(windows[1], "other.png.h", kSecondFrame);
	EXPECT_EQ(DocumentNameOf("pic.png.h"), "pic.png.h");
	EXPECT_EQ(DocumentNameOf("other.png.h"), other + ".h");

	bool loaded = false;
	WithImageWindow(
		"pic.png.h", [&](BitmapImageWindow& window) { loaded = window.Image() != nullptr; });
	EXPECT_TRUE(loaded);
	// Nothing was asked of the person: an alert here would have aborted.
	EXPECT_TRUE(fServer->Alerts().empty());
}

// Files named like the options open after "--" or by a path that is not one.
TEST_F(OpeningTest, FilesNamedLikeOptionsOpenAfterTheEndOfOptions)
{
	CopyImage("colour.png", "--help");
	CopyImage("colour.png", "--version");
	ASSERT_EQ(chdir(fDirectory.c_str()), 0);
	Launch({"--", "--help", "./--version"});
	std::vector<int32> windows = VisibleWindows(2);
	ASSERT_EQ(windows.size(), 2u);
	EXPECT_EQ(fProbe->Title(windows[0]), "--help.h");
	EXPECT_EQ(fProbe->Title(windows[1]), "--version.h");
	for (const char* title : {"--help.h", "--version.h"}) {
		bool loaded = false;
		WithImageWindow(
			title, [&](BitmapImageWindow& window) { loaded = window.Image() != nullptr; });
		EXPECT_TRUE(loaded) << title;
	}
}

// A text it saved comes back in the space it was written in, marked so.
TEST_F(OpeningTest, ASavedTextOpensInItsColorSpace)
{
	const std::string text = fDirectory + "/edges.h";
	std::filesystem::copy_file(
		std::string(QUILLPIX_SOURCE_DIR) + "/tests/data/export/edges-rgb16.h", text);
	Launch({text});
	std::vector<int32> windows = VisibleWindows(1);
	ASSERT_EQ(windows.size(), 1u);
	color_space space = B_NO_COLOR_SPACE;
	WithImageWindow("edges.h.h", [&](BitmapImageWindow& window) {
		space = window.Image() != nullptr ? window.Image()->ColorSpace() : B_NO_COLOR_SPACE;
	});
	EXPECT_EQ(space, B_RGB16);
	std::optional<MenuItemState> item = fProbe->MenuItem(
		windows[0], {"File", "Color space", "B_RGB16"});
	ASSERT_TRUE(item);
	EXPECT_TRUE(item->marked);
}

TEST_F(OpeningTest, DroppedFilesSkipWhatCannotBeResolved)
{
	std::string first = CopyImage("colour.png", "first.png");
	std::string second = CopyImage("colour.png", "second.png");
	std::string third = CopyImage("grey.png", "third.png");
	Launch({first});
	ASSERT_EQ(VisibleWindows(1).size(), 1u);

	std::vector<entry_ref> refs;
	refs.emplace_back(fDirectory.c_str(), "second.png");
	refs.emplace_back((fDirectory + "/no-such-folder").c_str(), "lost.png");
	refs.emplace_back(fDirectory.c_str(), "third.png");
	ASSERT_EQ(fProbe->DropRefs(VisibleWindows(1)[0], refs), B_OK);

	std::vector<int32> windows = VisibleWindows(3);
	ASSERT_EQ(windows.size(), 3u);
	// The broken reference took no frame: the two others are consecutive.
	ExpectWindow(windows[1], "second.png.h", kSecondFrame);
	ExpectWindow(windows[2], "third.png.h", kThirdFrame);
}

TEST_F(OpeningTest, DroppedLinkOpensItsTargetUnderTheTargetsPath)
{
	std::string first = CopyImage("colour.png", "first.png");
	std::string target = CopyImage("colour.png", "real.png");
	ASSERT_EQ(symlink(target.c_str(), (fDirectory + "/link.png").c_str()), 0);
	Launch({first});
	ASSERT_EQ(VisibleWindows(1).size(), 1u);

	ASSERT_EQ(fProbe->DropFiles(VisibleWindows(1)[0], {fDirectory + "/link.png"}), B_OK);
	std::vector<int32> windows = VisibleWindows(2);
	ASSERT_EQ(windows.size(), 2u);
	EXPECT_EQ(fProbe->Title(windows[1]), "real.png.h");
	char resolved[PATH_MAX];
	ASSERT_NE(realpath(target.c_str(), resolved), nullptr);
	EXPECT_EQ(DocumentNameOf("real.png.h"), std::string(resolved) + ".h");
}

TEST_F(OpeningTest, NothingToOpenShowsTheUsageOnceAndQuitsAfterOK)
{
	std::atomic<int> shown{0};
	fServer->SetAlertHandler([&](const AlertInfo&) {
		shown++;
		return 0;
	});
	Launch({});
	ASSERT_TRUE(WaitForExit());

	EXPECT_EQ(shown.load(), 1);
	std::vector<AlertInfo> alerts = fServer->Alerts();
	ASSERT_EQ(alerts.size(), 1u);
	EXPECT_EQ(alerts[0].text,
		"Usage: Drop an image onto the Quillpix application or pass the "
		"image filename as an argument at the command line\n");
	EXPECT_EQ(alerts[0].buttons, std::vector<std::string>{"OK"});
	EXPECT_EQ(alerts[0].title, "");
	EXPECT_EQ(alerts[0].type, B_INFO_ALERT);
	EXPECT_EQ(alerts[0].width, B_WIDTH_AS_USUAL);
	EXPECT_TRUE(fServer->Windows().empty());
}

TEST_F(OpeningTest, UntitledWindowsAreNumberedFromOneAndOpenHarmlessly)
{
	Launch({CopyImage("colour.png", "first.png")});
	ASSERT_EQ(VisibleWindows(1).size(), 1u);

	be_app_messenger.SendMessage('NewD');
	be_app_messenger.SendMessage('NewD');
	std::vector<int32> windows = VisibleWindows(3);
	ASSERT_EQ(windows.size(), 3u);
	ExpectWindow(windows[1], "Untitled 1.h", kSecondFrame);
	EXPECT_EQ(fProbe->Title(windows[2]), "Untitled 2.h");

	// A window without an image draws, switches and refuses to save
	// without failing.
	ASSERT_EQ(fProbe->PickMenuItem(windows[1], {"File", "Color space", "B_CMAP8"}), B_OK);
	ASSERT_EQ(fProbe->PickMenuItem(windows[1], {"File", "Color space", "B_RGB32"}), B_OK);
	bool saved = true;
	ASSERT_TRUE(Eventually([&] {
		return WithImageWindow(
			"Untitled 1.h", [&](BitmapImageWindow& window) { saved = window.SaveDocument(); });
	}));
	EXPECT_FALSE(saved);
	EXPECT_FALSE(std::filesystem::exists("Untitled 1.h"));
	EXPECT_TRUE(fProbe->IsVisible(windows[1]));
}

TEST_F(OpeningTest, OpenShowsOnePanelWhoseChoicesOpenAWindowEach)
{
	Launch({CopyImage("colour.png", "first.png")});
	std::vector<int32> windows = VisibleWindows(1);
	ASSERT_EQ(windows.size(), 1u);
	std::string second = CopyImage("colour.png", "second.png");
	std::string third = CopyImage("grey.png", "third.png");

	ASSERT_EQ(fProbe->PressShortcut(windows[0], 'O'), B_OK);
	ASSERT_TRUE(Eventually([&] { return fServer->Panels().size() == 1; }));
	int32 panel = fServer->Panels()[0].id;
	EXPECT_EQ(fServer->Panels()[0].mode, B_OPEN_PANEL);
	EXPECT_TRUE(fServer->Panels()[0].allowMultipleSelection);

	// Asking again shows the same panel, not a second one.
	ASSERT_EQ(fProbe->PickMenuItem(windows[0], {"File", "Open\xE2\x80\xA6"}), B_OK);
	be_app_messenger.SendMessage('NewD');
	ASSERT_EQ(VisibleWindows(2).size(), 2u);
	ASSERT_EQ(fServer->Panels().size(), 1u);
	EXPECT_EQ(fServer->Panels()[0].id, panel);

	std::vector<entry_ref> chosen;
	chosen.emplace_back(fDirectory.c_str(), "second.png");
	chosen.emplace_back(fDirectory.c_str(), "third.png");
	ASSERT_EQ(fProbe->AcceptOpenPanel(panel, chosen), B_OK);
	windows = VisibleWindows(4);
	ASSERT_EQ(windows.size(), 4u);
	EXPECT_EQ(fProbe->Title(windows[2]), "second.png.h");
	EXPECT_EQ(fProbe->Title(windows[3]), "third.png.h");
}

// The desktop entry's "Open an image…": the program starts with its Open
// panel instead of the usage alert. Closing the panel quits; a choice opens
// windows and the program goes on; a choice that opens nothing quits too.
enum class LaunchAnswer {
	kCancel,
	kChoose,
	kChooseNothing
};

class LaunchPanelTest : public OpeningTest, public testing::WithParamInterface<LaunchAnswer> { };

TEST_P(LaunchPanelTest, ShowsTheOpenPanelAndQuitsWhenNothingComesOfIt)
{
	std::atomic<int> alerts{0};
	fServer->SetAlertHandler([&](const AlertInfo&) {
		alerts++;
		return 0;
	});
	CopyImage("colour.png", "chosen.png");
	Launch({"--open"});
	ASSERT_TRUE(Eventually([&] { return fServer->Panels().size() == 1; }));
	HeadlessServer::PanelState panel = fServer->Panels()[0];
	EXPECT_EQ(panel.mode, B_OPEN_PANEL);
	EXPECT_TRUE(fServer->Windows().empty());

	std::vector<entry_ref> chosen;
	switch (GetParam()) {
	case LaunchAnswer::kCancel:
		ASSERT_EQ(fProbe->CancelPanel(panel.id), B_OK);
		ASSERT_TRUE(WaitForExit());
		break;
	case LaunchAnswer::kChoose: {
		chosen.emplace_back(fDirectory.c_str(), "chosen.png");
		ASSERT_EQ(fProbe->AcceptOpenPanel(panel.id, chosen), B_OK);
		std::vector<int32> windows = VisibleWindows(1);
		ASSERT_EQ(windows.size(), 1u);
		EXPECT_EQ(fProbe->Title(windows[0]), "chosen.png.h");
		EXPECT_FALSE(fRunReturned);
		// The program now ends as any other: with its last window.
		ASSERT_EQ(fProbe->PickMenuItem(windows[0], {"File", "Close"}), B_OK);
		ASSERT_TRUE(WaitForExit());
		break;
	}
	case LaunchAnswer::kChooseNothing:
		chosen.emplace_back((fDirectory + "/gone/deeper").c_str(), "chosen.png");
		ASSERT_EQ(fProbe->AcceptOpenPanel(panel.id, chosen), B_OK);
		ASSERT_TRUE(WaitForExit());
		EXPECT_TRUE(fServer->Windows().empty());
		break;
	}
	EXPECT_EQ(alerts.load(), 0);
}

INSTANTIATE_TEST_SUITE_P(Answers, LaunchPanelTest,
	testing::Values(LaunchAnswer::kCancel, LaunchAnswer::kChoose, LaunchAnswer::kChooseNothing));

} // namespace
