// SPDX-License-Identifier: MIT
#include "support/WindowFixture.h"

#include <Bitmap.h>
#include <MenuBar.h>
#include <View.h>

#include <atomic>

namespace {

using namespace testsupport;

bool
SameColor(rgb_color a, rgb_color b)
{
	return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

constexpr rgb_color kRed = {255, 0, 0, 255};
constexpr rgb_color kWhite = {255, 255, 255, 255};

// Records each Draw: the update rectangle, and whether it ran on the
// window's thread with the window locked.
class DrawingView : public BView {
public:
	DrawingView(BRect frame, EventLog& log)
		: BView(frame, "drawing", B_FOLLOW_ALL, B_WILL_DRAW), fLog(log)
	{ }

	void Draw(BRect updateRect) override
	{
		BWindow* window = Window();
		std::string event = "draw";
		if (!window->IsLocked())
			event += " unlocked";
		if (window->Thread() != find_thread(nullptr))
			event += " off-thread";
		fLastUpdate = updateRect;
		fDraws++;
		if (fBitmap != nullptr)
			DrawBitmap(fBitmap, fBitmap->Bounds().OffsetByCopy(16, 16));
		fLog.Add(event);
	}

	std::atomic<int> fDraws{0};
	BRect fLastUpdate;
	const BBitmap* fBitmap = nullptr;

private:
	EventLog& fLog;
};

class WindowTest : public WindowFixture { };

TEST_F(WindowTest, DrawRunsOnTheWindowThreadWithTheWindowLocked)
{
	EventLog log;
	auto* window = new LoggingWindow(BRect(50, 50, 149, 99), "Draw", log);
	auto* view = new DrawingView(BRect(10, 5, 59, 44), log);
	window->AddChild(view);
	window->Show();

	ASSERT_TRUE(log.WaitFor("draw"));
	EXPECT_EQ(log.Events().front(), "draw");
	EXPECT_EQ(view->fLastUpdate, BRect(0, 0, 49, 39)) << "the whole view, in its coordinates";
	QuitWindow(window);
	EXPECT_TRUE(log.WaitFor("deleted"));
}

TEST_F(WindowTest, ViewColourFillsTheViewAndThePixelsReachTheServer)
{
	EventLog log;
	auto* window = new LoggingWindow(BRect(100, 100, 199, 159), "Fill", log);
	auto* red = new BView(BRect(0, 0, 49, 59), "red", B_FOLLOW_LEFT | B_FOLLOW_TOP, 0);
	red->SetViewColor(kRed);
	window->AddChild(red);
	window->Show();
	int32 id = window->ServerId();

	ASSERT_TRUE(Eventually([&] { return SameColor(fProbe->ReadPixel(id, 49, 59), kRed); }));
	EXPECT_TRUE(SameColor(fProbe->ReadPixel(id, 0, 0), kRed));
	EXPECT_TRUE(SameColor(fProbe->ReadPixel(id, 50, 0), B_PANEL_BACKGROUND_GREY));
	EXPECT_TRUE(SameColor(fProbe->ReadPixel(id, 99, 59), B_PANEL_BACKGROUND_GREY));
	std::unique_ptr<BBitmap> snapshot = fServer->Snapshot(id);
	ASSERT_TRUE(snapshot);
	EXPECT_EQ(snapshot->Bounds(), BRect(0, 0, 99, 59));
	QuitWindow(window);
}

TEST_F(WindowTest, DrawBitmapAtAnOffsetLandsWhereAsked)
{
	// A 3 by 2 bitmap of six distinct colours.
	BBitmap image(BRect(0, 0, 2, 1), B_RGB32);
	const uint8 pixels[] = {
		10,
		20,
		30,
		255,
		40,
		50,
		60,
		255,
		70,
		80,
		90,
		255,
		100,
		110,
		120,
		255,
		130,
		140,
		150,
		255,
		160,
		170,
		180,
		255,
	};
	image.SetBits(pixels, sizeof(pixels), 0, B_RGB32);

	EventLog log;
	auto* window = new LoggingWindow(BRect(0, 0, 63, 47), "Bitmap", log);
	auto* view = new DrawingView(window->Bounds(), log);
	view->SetViewColor(kWhite);
	view->fBitmap = &image;
	window->AddChild(view);
	window->Show();
	int32 id = window->ServerId();

	ASSERT_TRUE(Eventually([&] {
		return SameColor(fProbe->ReadPixel(id, 18, 17), rgb_color{180, 170, 160, 255});
	}));
	EXPECT_TRUE(SameColor(fProbe->ReadPixel(id, 16, 16), rgb_color{30, 20, 10, 255}));
	EXPECT_TRUE(SameColor(fProbe->ReadPixel(id, 17, 16), rgb_color{60, 50, 40, 255}));
	EXPECT_TRUE(SameColor(fProbe->ReadPixel(id, 16, 17), rgb_color{120, 110, 100, 255}));
	for (auto [x, y] : {std::pair{15, 16}, {16, 15}, {19, 16}, {16, 18}, {0, 0}})
		EXPECT_TRUE(SameColor(fProbe->ReadPixel(id, x, y), kWhite)) << x << "," << y;
	QuitWindow(window);
}

TEST_F(WindowTest, InvalidationsCoalesceIntoOneUpdate)
{
	EventLog log;
	auto* window = new LoggingWindow(BRect(0, 0, 99, 99), "Coalesce", log);
	auto* view = new DrawingView(window->Bounds(), log);
	window->AddChild(view);
	window->Show();
	ASSERT_TRUE(log.WaitFor("draw"));

	BMessenger messenger(nullptr, window);
	ASSERT_TRUE(messenger.LockTarget());
	int before = view->fDraws;
	for (int index = 0; index < 50; index++)
		view->Invalidate(BRect(index, 0, index, 10));
	window->Unlock();
	messenger.SendMessage('sent');

	ASSERT_TRUE(log.WaitFor("sent"));
	EXPECT_EQ(view->fDraws, before + 1);
	EXPECT_EQ(view->fLastUpdate, BRect(0, 0, 49, 10));
	QuitWindow(window);
}

TEST_F(WindowTest, DrawingOutsideAnUpdateReachesTheScreen)
{
	EventLog log;
	auto* window = new LoggingWindow(BRect(0, 0, 39, 39), "Outside", log);
	auto* view = new BView(BRect(10, 10, 29, 29), "plain", B_FOLLOW_NONE, 0);
	window->AddChild(view);
	window->Show();
	int32 id = window->ServerId();
	ASSERT_TRUE(Eventually([&] { return fServer->Window(id)->pixelUpdates > 0; }));

	BMessenger messenger(nullptr, window);
	ASSERT_TRUE(messenger.LockTarget());
	view->SetHighColor(kRed);
	view->FillRect(BRect(-10, -10, 5, 5));
	window->Unlock();

	ASSERT_TRUE(Eventually([&] { return SameColor(fProbe->ReadPixel(id, 15, 15), kRed); }));
	EXPECT_TRUE(SameColor(fProbe->ReadPixel(id, 10, 10), kRed));
	EXPECT_TRUE(SameColor(fProbe->ReadPixel(id, 16, 16), kWhite)) << "clipped to the rect";
	EXPECT_TRUE(SameColor(fProbe->ReadPixel(id, 9, 9), B_PANEL_BACKGROUND_GREY))
		<< "clipped to the view";
	QuitWindow(window);
}

struct FollowCase {
	const char* name;
	uint32 mode;
	BRect after;
};

TEST_F(WindowTest, ViewsFollowTheWindowByTheirResizingModes)
{
	const BRect start(10, 10, 50, 50);
	const FollowCase cases[] = {
		{"left top", B_FOLLOW_LEFT | B_FOLLOW_TOP, BRect(10, 10, 50, 50)},
		{"none", B_FOLLOW_NONE, BRect(10, 10, 50, 50)},
		{"right bottom", B_FOLLOW_RIGHT | B_FOLLOW_BOTTOM, BRect(110, 60, 150, 100)},
		{"left-right top", B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP, BRect(10, 10, 150, 50)},
		{"all", B_FOLLOW_ALL, BRect(10, 10, 150, 100)},
		{"centred", B_FOLLOW_H_CENTER | B_FOLLOW_V_CENTER, BRect(60, 35, 100, 75)},
		{"left top-bottom", B_FOLLOW_LEFT | B_FOLLOW_TOP_BOTTOM, BRect(10, 10, 50, 100)},
	};
	EventLog log;
	auto* window = new LoggingWindow(BRect(0, 0, 200, 100), "Follow", log);
	std::vector<BView*> views;
	for (const FollowCase& test : cases) {
		views.push_back(new BView(start, test.name, test.mode, 0));
		window->AddChild(views.back());
	}
	window->ResizeTo(300, 150);
	EXPECT_EQ(window->Bounds(), BRect(0, 0, 300, 150));
	for (size_t index = 0; index < views.size(); index++)
		EXPECT_EQ(views[index]->Frame(), cases[index].after) << cases[index].name;
	EXPECT_EQ(fProbe->Frame(window->ServerId()), BRect(0, 0, 300, 150));
	QuitWindow(window);
}

TEST_F(WindowTest, ResizingByTheServerRedrawsTheNewArea)
{
	EventLog log;
	auto* window = new LoggingWindow(BRect(0, 0, 49, 49), "Grow", log);
	auto* view = new BView(window->Bounds(), "all", B_FOLLOW_ALL, 0);
	view->SetViewColor(kRed);
	window->AddChild(view);
	window->Show();
	int32 id = window->ServerId();

	ASSERT_EQ(fProbe->ResizeWindow(id, 99, 79), B_OK);
	ASSERT_TRUE(Eventually([&] { return SameColor(fProbe->ReadPixel(id, 99, 79), kRed); }));
	EXPECT_EQ(fProbe->Frame(id), BRect(0, 0, 99, 79));
	QuitWindow(window);
}

TEST_F(WindowTest, TheServerFollowsTitleVisibilityAndLife)
{
	EventLog log;
	auto* window = new LoggingWindow(BRect(30, 30, 430, 280), "pic.png", log);
	int32 id = window->ServerId();
	EXPECT_EQ(fProbe->FindWindow("pic.png"), id);
	EXPECT_FALSE(fProbe->IsVisible(id)) << "hidden until shown";
	EXPECT_EQ(fProbe->Frame(id), BRect(30, 30, 430, 280));

	window->Show();
	EXPECT_TRUE(fProbe->IsVisible(id));
	BMessenger messenger(nullptr, window);
	ASSERT_TRUE(messenger.LockTarget());
	window->SetTitle("pic.png.h");
	window->Unlock();
	EXPECT_EQ(fProbe->Title(id), "pic.png.h");
	window->Hide();
	EXPECT_FALSE(fProbe->IsVisible(id));
	EXPECT_TRUE(window->IsHidden());

	ASSERT_EQ(fProbe->ClickCloseBox(id), B_OK);
	ASSERT_TRUE(Eventually([&] { return fServer->Windows().empty(); }));
	EXPECT_EQ(log.Events(), (std::vector<std::string>{"asked to quit", "deleted"}));
	EXPECT_EQ(fProbe->FindWindow("pic.png.h"), -1);
}

TEST_F(WindowTest, AMenuBarTakesTheWindowWidthAndAFixedHeight)
{
	EventLog log;
	auto* window = new LoggingWindow(BRect(30, 30, 430, 280), "Menus", log);
	auto* bar = new BMenuBar(BRect(0, 0, 0, 0), "Menu");
	auto* second = new BMenuBar(BRect(0, 0, 0, 0), "Second");
	window->AddChild(bar);
	window->AddChild(second);
	EXPECT_EQ(bar->Frame(), BRect(0, 0, 400, 19));
	EXPECT_EQ(window->KeyMenuBar(), bar) << "the first bar stays the key menu bar";
	EXPECT_EQ(bar->Window(), window);
	EXPECT_EQ(bar->Parent(), nullptr) << "added to the window itself";

	window->ResizeTo(500, 250);
	EXPECT_EQ(bar->Frame(), BRect(0, 0, 500, 19));
	EXPECT_EQ(fProbe->MenuBar(window->ServerId()).frame, BRect(0, 0, 500, 19));
	QuitWindow(window);
}

} // namespace
