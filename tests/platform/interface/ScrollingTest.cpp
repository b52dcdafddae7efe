// SPDX-License-Identifier: MIT
// Scrolling views and scroll bars: the origin moves what a view draws, a
// bar and its target follow each other, the server sees the bars and the
// person moves them, and keys and the wheel reach the views that want them.

#include "support/BitmapPixels.h"
#include "support/WindowFixture.h"

#include <AppDefs.h>
#include <Bitmap.h>
#include <ScrollBar.h>
#include <View.h>

#include <array>

namespace {

using namespace testsupport;

constexpr rgb_color kRed = {255, 0, 0, 255};

TEST(ScrollingTest, AScrolledViewDrawsItsContentsShiftedByTheOrigin)
{
	BBitmap target(BRect(0, 0, 7, 7), B_RGB32, true);
	auto* view = new BView(BRect(2, 2, 5, 5), nullptr, B_FOLLOW_NONE, 0);
	target.AddChild(view);
	auto* child = new BView(BRect(11, 11, 12, 12), nullptr, B_FOLLOW_NONE, 0);
	ASSERT_TRUE(view->Window()->Lock());
	view->AddChild(child);
	view->ScrollTo(10, 10);

	EXPECT_EQ(view->Bounds(), BRect(10, 10, 13, 13));
	EXPECT_EQ(view->Frame(), BRect(2, 2, 5, 5)) << "scrolling does not move the view";
	EXPECT_EQ(view->ConvertToWindow(BPoint(10, 10)), BPoint(2, 2));
	EXPECT_EQ(view->ConvertFromWindow(BPoint(2, 2)), BPoint(10, 10));
	// Children move with the contents.
	EXPECT_EQ(child->ConvertToWindow(BPoint(0, 0)), BPoint(3, 3));

	view->FillRect(BRect(10, 10, 10, 10), kRed);
	// Contents scrolled out of the view are clipped away.
	view->FillRect(BRect(0, 0, 9, 9), kRed);
	view->Window()->Unlock();
	using Pixel = std::array<uint8, 3>;
	EXPECT_EQ(RgbAt(target, 2, 2), (Pixel{255, 0, 0}));
	EXPECT_EQ(RgbAt(target, 1, 1), (Pixel{0, 0, 0}));
	EXPECT_EQ(RgbAt(target, 3, 2), (Pixel{0, 0, 0}));
}

TEST(ScrollingTest, AScrollBarAndItsTargetFollowEachOther)
{
	BBitmap host(BRect(0, 0, 99, 99), B_RGB32, true);
	auto* view = new BView(BRect(0, 0, 49, 49), nullptr, B_FOLLOW_NONE, 0);
	host.AddChild(view);
	ASSERT_TRUE(view->Window()->Lock());
	auto* vertical = new BScrollBar(BRect(50, 0, 64, 49), "v", view, 0, 100, B_VERTICAL);
	auto* horizontal = new BScrollBar(BRect(0, 50, 49, 64), "h", view, 0, 30, B_HORIZONTAL);
	view->Window()->AddChild(vertical);
	view->Window()->AddChild(horizontal);
	EXPECT_EQ(view->ScrollBar(B_VERTICAL), vertical);
	EXPECT_EQ(view->ScrollBar(B_HORIZONTAL), horizontal);

	struct Step {
		const char* what;
		std::function<void()> act;
		BPoint origin;
		float vertical, horizontal;
	};
	const Step steps[] = {
		{"a value in range", [&] { vertical->SetValue(40); }, BPoint(0, 40), 40, 0},
		{"beyond the end", [&] { vertical->SetValue(150); }, BPoint(0, 100), 100, 0},
		{"below the start", [&] { horizontal->SetValue(-5); }, BPoint(0, 100), 100, 0},
		{"the other bar", [&] { horizontal->SetValue(12); }, BPoint(12, 100), 100, 12},
		{"the view scrolled", [&] { view->ScrollTo(20, 30); }, BPoint(20, 30), 30, 20},
		{"a shorter range", [&] { vertical->SetRange(0, 10); }, BPoint(20, 10), 10, 20},
		{"an inverted range", [&] { horizontal->SetRange(5, 1); }, BPoint(5, 10), 10, 5},
	};
	for (const Step& step : steps) {
		SCOPED_TRACE(step.what);
		step.act();
		EXPECT_EQ(view->Origin(), step.origin);
		EXPECT_EQ(vertical->Value(), step.vertical);
		EXPECT_EQ(horizontal->Value(), step.horizontal);
	}

	// Either may go first.
	delete horizontal;
	EXPECT_EQ(view->ScrollBar(B_HORIZONTAL), nullptr);
	delete view;
	EXPECT_EQ(vertical->Target(), nullptr);
	vertical->SetValue(0);
	EXPECT_EQ(vertical->Value(), 0);
	vertical->Window()->Unlock();
}

// Logs the keys that reach it and the window's own commands.
class KeyView : public BView {
public:
	KeyView(BRect frame, EventLog& log) : BView(frame, "keys", B_FOLLOW_ALL, 0), fLog(log) { }

	void KeyDown(const char* bytes, int32 numBytes) override
	{
		fLog.Add("key " + std::to_string(int(bytes[0])) + " of " + std::to_string(numBytes));
	}

private:
	EventLog& fLog;
};

class ScrollingWindowTest : public WindowFixture { };

TEST_F(ScrollingWindowTest, TheServerSeesTheBarsAndThePersonMovesThemAndTheView)
{
	EventLog log;
	auto* window = new LoggingWindow(BRect(10, 10, 209, 109), "scrolling", log);
	ASSERT_TRUE(window->Lock());
	auto* view = new KeyView(BRect(0, 0, 184, 99), log);
	window->AddChild(view);
	auto* bar = new BScrollBar(BRect(185, 0, 199, 99), "bar", view, 0, 500, B_VERTICAL);
	bar->SetSteps(7, 90);
	window->AddChild(bar);
	view->MakeFocus();
	window->AddShortcut('=', 0, new BMessage('ZmIn'));
	window->Unlock();
	window->Show();
	int32 id = window->ServerId();

	ASSERT_TRUE(Eventually([&] { return fProbe->ScrollBars(id).size() == 1; }));
	ScrollBarState state = fProbe->ScrollBars(id)[0];
	EXPECT_EQ(state.frame, BRect(185, 0, 199, 99));
	EXPECT_EQ(state.direction, B_VERTICAL);
	EXPECT_EQ(state.maximum, 500);
	EXPECT_EQ(state.smallStep, 7);
	EXPECT_EQ(state.largeStep, 90);

	auto origin = [&] {
		BPoint where(-1, -1);
		if (window->Lock()) {
			where = view->Origin();
			window->Unlock();
		}
		return where;
	};
	// Dragged, clamped, and told back to the server.
	ASSERT_EQ(fProbe->DragScrollBar(id, B_VERTICAL, 250), B_OK);
	EXPECT_TRUE(Eventually([&] { return origin() == BPoint(0, 250); }));
	ASSERT_EQ(fProbe->DragScrollBar(id, B_VERTICAL, 9000), B_OK);
	EXPECT_TRUE(Eventually(
		[&] { return origin() == BPoint(0, 500) && fProbe->ScrollBars(id)[0].value == 500; }));
	// Three small steps a notch, for the view under the pointer.
	ASSERT_EQ(fProbe->TurnWheel(id, BPoint(50, 50), -2), B_OK);
	EXPECT_TRUE(Eventually([&] { return origin() == BPoint(0, 500 - 2 * 3 * 7); }));
	// Over the bar itself, which has no bars, nothing scrolls.
	ASSERT_EQ(fProbe->TurnWheel(id, BPoint(190, 50), 5), B_OK);

	// Keys no shortcut takes go to the focus view; the window's own
	// shortcuts come to the window.
	ASSERT_EQ(fProbe->PressKey(id, B_PAGE_DOWN), B_OK);
	ASSERT_EQ(fProbe->PressShortcut(id, '='), B_OK);
	EXPECT_TRUE(log.WaitFor("key 12 of 1"));
	EXPECT_TRUE(log.WaitFor("ZmIn"));
	EXPECT_EQ(origin(), BPoint(0, 458));

	ASSERT_TRUE(window->Lock());
	window->RemoveChild(bar);
	window->UpdateIfNeeded();
	window->Unlock();
	delete bar;
	EXPECT_TRUE(Eventually([&] { return fProbe->ScrollBars(id).empty(); }));
	QuitWindow(window);
	EXPECT_TRUE(log.WaitFor("deleted"));
}

} // namespace
