// SPDX-License-Identifier: MIT
// The program's windows on a real X server (Xvfb), with openbox and without
// a window manager, driven with real input: the window manager's maximize
// and restore, moves and resizes from outside, F10 and the menu keys, and
// the save dialog at twice the scale. The program runs in this process on
// the Qt server; what the window has as its frame is read from the window.

#include "support/XSession.h"

#include "platform/qt/QtProgram.h"

#include <Application.h>
#include <Window.h>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace testsupport;
using namespace qt_testing;

namespace {

const std::string kColour = SourcePath("tests/data/images/colour.png");
constexpr const char* kTitle = "colour.png.h";

// The frame the image window has now, read under its lock.
std::optional<BRect>
WindowFrame()
{
	if (!be_app->Lock())
		return std::nullopt;
	BWindow* window = nullptr;
	for (int32 index = 0; index < be_app->CountWindows(); index++) {
		if (std::string(be_app->WindowAt(index)->Title()) == kTitle)
			window = be_app->WindowAt(index);
	}
	be_app->Unlock();
	if (window == nullptr || !window->Lock())
		return std::nullopt;
	BRect frame = window->Frame();
	window->Unlock();
	return frame;
}

bool
Inside(const BRect& inner, const BRect& outer)
{
	return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right
		&& inner.bottom <= outer.bottom;
}

class WindowManagerTest : public testing::TestWithParam<WindowManager> {
protected:
	void SetUp() override
	{
		setenv("QT_QPA_PLATFORM", "xcb", 1);
		fSession = std::make_unique<XSession>(
			GetParam(), 1280, 800, XSession::Reach::kThisProcessToo);
		ASSERT_EQ(fSession->Failure(), "");
	}

	// Waits until the X server has the window's client area where the
	// window's own frame says it is, and `expected` holds of it; the last
	// client area seen.
	BRect Settled(unsigned long window, const std::function<bool(const BRect&)>& expected)
	{
		BRect client;
		bool settled = PollUntil([&] {
			std::optional<BRect> area = fSession->ClientArea(window);
			std::optional<BRect> frame = WindowFrame();
			if (!area || !frame)
				return false;
			client = *area;
			return *frame == client && expected(client);
		});
		std::optional<BRect> frame = WindowFrame();
		EXPECT_TRUE(settled) << "X: " << DescribeRect(client)
							 << ", the window: " << (frame ? DescribeRect(*frame) : "none");
		return client;
	}

	std::unique_ptr<XSession> fSession;
};

// Maximize straight after opening, restore, then a move and a resize from
// outside: each time the window is on the screen and its frame is the one
// the X server (and the window manager) gave it.
TEST_P(WindowManagerTest, MaximizeRestoreMoveAndResizeKeepTheWindowOnScreenAndItsFrameTrue)
{
	RunProgram({kColour}, [&](QtProbe& probe) {
		ASSERT_EQ(WaitForWindows(probe, 1).size(), 1u);
		unsigned long window = fSession->MappedWindow(kTitle);
		ASSERT_NE(window, 0u) << getenv("DISPLAY") << "\n"
							  << fSession->Run("xwininfo -root -tree 2>&1 | head -30");
		const BRect cascade(30, 30, 430, 280);
		Settled(window, [&](const BRect& client) { return client == cascade; });
		BRect screen = fSession->Screen();
		std::string id = std::to_string(window);

		if (GetParam() == WindowManager::kOpenbox) {
			fSession->Run("wmctrl -i -r " + id + " -b add,maximized_vert,maximized_horz");
			BRect maximized = Settled(
				window, [&](const BRect& client) { return client.Width() == screen.Width(); });
			EXPECT_TRUE(Inside(*fSession->OuterFrame(window), screen))
				<< DescribeRect(*fSession->OuterFrame(window));
			EXPECT_GT(maximized.Height(), screen.Height() / 2);
			std::string state = fSession->WindowState(window);
			EXPECT_NE(state.find("_NET_WM_STATE_MAXIMIZED_HORZ"), std::string::npos) << state;
			EXPECT_NE(state.find("_NET_WM_STATE_MAXIMIZED_VERT"), std::string::npos) << state;

			fSession->Run("wmctrl -i -r " + id + " -b remove,maximized_vert,maximized_horz");
			Settled(window, [&](const BRect& client) { return client == cascade; });
			EXPECT_TRUE(Inside(*fSession->OuterFrame(window), screen));
		}

		fSession->Run("xdotool windowmove --sync " + id + " 300 200");
		BRect moved = Settled(window, [&](const BRect& client) {
			return client.LeftTop() != cascade.LeftTop() && client.Width() == cascade.Width();
		});
		EXPECT_TRUE(Inside(*fSession->OuterFrame(window), screen)) << DescribeRect(moved);

		fSession->Run("xdotool windowsize --sync " + id + " 520 330");
		BRect resized = Settled(window, [&](const BRect& client) {
			return client.IntegerWidth() + 1 == 520 && client.IntegerHeight() + 1 == 330;
		});
		EXPECT_EQ(resized.LeftTop(), moved.LeftTop());
		EXPECT_TRUE(Inside(*fSession->OuterFrame(window), screen));
		// The widget's own geometry agrees as well.
		std::optional<QtProbe::WindowView> view = probe.Window(WaitForWindows(probe, 1)[0]);
		ASSERT_TRUE(view);
		EXPECT_EQ(view->frame, resized);
	});
}

// F10 opens the File menu at its first item; Escape closes it again; Down
// and Enter reach "Save as source code…", whose dialog then shows. Each key
// waits for the menu to answer the one before.
TEST_P(WindowManagerTest, F10AndTheArrowKeysReachSaveAsSourceCode)
{
	RunProgram({kColour}, [&](QtProbe& probe) {
		ASSERT_EQ(WaitForWindows(probe, 1).size(), 1u);
		unsigned long window = fSession->MappedWindow(kTitle);
		ASSERT_NE(window, 0u);
		fSession->Focus(window);
		auto menuIs = [&](const std::string& title, const std::string& chosen) {
			return PollUntil([&] {
				QtProbe::OpenMenuView menu = probe.OpenMenu();
				return menu.title == title && menu.chosen == chosen;
			});
		};
		const std::string open = "Open\xE2\x80\xA6";
		const std::string save = "Save as source code\xE2\x80\xA6";

		fSession->Run("xdotool key F10");
		ASSERT_TRUE(menuIs("File", open));
		fSession->Run("xdotool key Escape");
		ASSERT_TRUE(menuIs("", ""));
		fSession->Run("xdotool key F10");
		ASSERT_TRUE(menuIs("File", open));
		fSession->Run("xdotool key Down");
		ASSERT_TRUE(menuIs("File", save));
		fSession->Run("xdotool key Return");
		ASSERT_TRUE(
			probe.WaitUntil([&] { return !probe.Panels().empty(); }, kWatchdogMicroseconds));
		std::vector<QtProbe::PanelView> panels = probe.Panels();
		ASSERT_EQ(panels.size(), 1u);
		EXPECT_EQ(panels[0].mode, B_SAVE_PANEL);
		EXPECT_EQ(panels[0].name, kTitle);
		EXPECT_NE(fSession->MappedWindow("Save"), 0u);
		EXPECT_TRUE(menuIs("", ""));
	});
}

// At twice the scale the save dialog is still wholly on an 800-pixel-high
// screen, its frame included.
TEST_P(WindowManagerTest, SaveDialogAtTwiceTheScaleFitsTheScreen)
{
	setenv("QT_SCALE_FACTOR", "2", 1);
	RunProgram({kColour}, [&](QtProbe& probe) {
		std::vector<int32> ids = WaitForWindows(probe, 1);
		ASSERT_EQ(ids.size(), 1u);
		ASSERT_EQ(probe.PickMenuItem(ids[0], {"File", "Save as source code\xE2\x80\xA6"}), B_OK);
		unsigned long dialog = fSession->MappedWindow("Save");
		ASSERT_NE(dialog, 0u);
		BRect screen = fSession->Screen();
		BRect outer;
		EXPECT_TRUE(PollUntil([&] {
			std::optional<BRect> frame = fSession->OuterFrame(dialog);
			if (!frame)
				return false;
			outer = *frame;
			return Inside(outer, screen);
		})) << DescribeRect(outer);
		// Larger than a sliver: the dialog keeps most of the screen.
		EXPECT_GT(outer.Height(), screen.Height() / 2);
	});
	unsetenv("QT_SCALE_FACTOR");
}

INSTANTIATE_TEST_SUITE_P(Managers, WindowManagerTest,
	testing::Values(WindowManager::kNone, WindowManager::kOpenbox),
	[](const testing::TestParamInfo<WindowManager>& info) {
		return std::string(info.param == WindowManager::kOpenbox ? "Openbox" : "NoManager");
	});

} // namespace
