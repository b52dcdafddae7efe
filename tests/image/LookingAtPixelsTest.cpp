// SPDX-License-Identifier: MIT
// Looking closely at an image in its window: zooming below 1 averages the
// pixels each screen pixel covers, "Show transparency" lays transparent
// pixels over a checkerboard, Ctrl+wheel zooms around the pointer, and
// every change of scale is told to the window. Read back from the pixels
// the headless server shows.

#include "app/commands/Commands.h"
#include "image/AImageView.h"
#include "support/CoordinateImage.h"
#include "support/PamImage.h"
#include "support/ProgramFixture.h"
#include "support/WindowFixture.h"

#include <InterfaceDefs.h>

#include <cmath>
#include <cstdlib>

using testsupport::ImagePlace;
using testsupport::PlaceOf;

namespace {

using Rgba = rgb_color;

// Black and white pixels in turn, as fine as a pattern gets.
Rgba
FineChecker(int32 x, int32 y)
{
	uint8 level = (x + y) % 2 == 0 ? 255 : 0;
	return Rgba{level, level, level, 255};
}

bool
IsGrey(rgb_color color, int32 level, int32 tolerance = 0)
{
	return std::abs(color.red - level) <= tolerance && color.green == color.red
		&& color.blue == color.red;
}

class LookingAtPixelsTest : public testsupport::ProgramFixture {
protected:
	int32 Open(const std::string& path) { return OpenImageWindow(path, fTop); }

	// The colour at (x, y) of the image area once it is `expected` (or what
	// it is at the watchdog).
	rgb_color ShownAt(int32 id, int32 x, int32 y, std::function<bool(rgb_color)> expected)
	{
		rgb_color shown{};
		Eventually([&] {
			shown = fProbe->ReadPixel(id, x, fTop + y);
			return expected(shown);
		});
		return shown;
	}

	float Scale(const std::string& title)
	{
		float scale = 0;
		WithImageWindow(
			title.c_str(), [&](BitmapImageWindow& window) { scale = window.ImageView()->Scale(); });
		return scale;
	}

	int32 fTop = 0;
};

TEST_F(LookingAtPixelsTest, ZoomingOutAveragesTheFinestPatternToMidGrey)
{
	std::string path = fDirectory + "/fine.pam";
	ASSERT_TRUE(testsupport::WritePamImage(path, 64, 64, FineChecker));
	int32 id = Open(path);
	ASSERT_GE(id, 0);
	const std::string title = "fine.pam.h";
	// At 1 the pixels themselves.
	ShownAt(id, 16, 16, [](rgb_color color) { return IsGrey(color, 255); });
	EXPECT_TRUE(IsGrey(fProbe->ReadPixel(id, 17, fTop + 16), 0));

	// Each step down averages blocks of 2, 4 and 8 pixels a side, each
	// half white: (2 · 255 + 2) / 4 rounds to 128. Dropping pixels instead
	// would show all white or all black.
	struct Row {
		float scale;
		int32 side; // the image's side on the screen
	};
	for (const Row& row : {Row{0.5f, 32}, Row{0.25f, 16}, Row{0.125f, 8}}) {
		SCOPED_TRACE(row.scale);
		ASSERT_EQ(fProbe->PickMenuItem(id, {"View", "Zoom out"}), B_OK);
		ASSERT_TRUE(Eventually([&] { return Scale(title) == row.scale; }));
		ASSERT_TRUE(Settle(id));
		rgb_color first = ShownAt(id, 16, 16, [](rgb_color color) { return IsGrey(color, 128); });
		EXPECT_TRUE(IsGrey(first, 128)) << int(first.red);
		std::unique_ptr<BBitmap> shot = fProbe->Snapshot(id);
		for (int32 y = 0; y < row.side; y++) {
			for (int32 x = 0; x < row.side; x++) {
				ASSERT_TRUE(IsGrey(DisplayProbe::PixelOf(shot.get(), 16 + x, fTop + 16 + y), 128))
					<< x << ", " << y;
			}
		}
		EXPECT_TRUE(IsGrey(DisplayProbe::PixelOf(shot.get(), 16 + row.side, fTop + 16), 255));
	}
}

TEST_F(LookingAtPixelsTest, FitInWindowAveragesALargePhotograph)
{
	std::string path = fDirectory + "/large.pam";
	ASSERT_TRUE(testsupport::WritePamImage(path, 3000, 2000, FineChecker));
	int32 id = Open(path);
	ASSERT_GE(id, 0);
	ASSERT_EQ(fProbe->PickMenuItem(id, {"View", "Fit in window"}), B_OK);
	ASSERT_TRUE(Eventually([&] { return Scale("large.pam.h") < 0.2f; }));
	ASSERT_TRUE(Settle(id));
	float scale = Scale("large.pam.h");
	int32 width = ImageViewport::ScaledLength(3000, scale);
	int32 height = ImageViewport::ScaledLength(2000, scale);
	ShownAt(
		id, 16 + width - 1, 16 + height - 1, [](rgb_color color) { return IsGrey(color, 128, 3); });
	// Blocks of 10 or 11 pixels a side: as near to half white as they come.
	std::unique_ptr<BBitmap> shot = fProbe->Snapshot(id);
	for (int32 y = 0; y < height; y += 7) {
		for (int32 x = 0; x < width; x += 7) {
			rgb_color color = DisplayProbe::PixelOf(shot.get(), 16 + x, fTop + 16 + y);
			ASSERT_TRUE(IsGrey(color, 128, 3)) << x << ", " << y << ": " << int(color.red);
		}
	}
}

TEST_F(LookingAtPixelsTest, ShowTransparencyLaysTransparentPixelsOverACheckerboard)
{
	// The left half transparent, the right half opaque blue, and pixel
	// (20, 4) black with alpha 102.
	std::string path = fDirectory + "/holes.pam";
	ASSERT_TRUE(testsupport::WritePamImage(path, 32, 16, [](int32 x, int32 y) {
		if (x == 20 && y == 4)
			return Rgba{0, 0, 0, 102};
		return x < 16 ? Rgba{200, 10, 10, 0} : Rgba{0, 0, 255, 255};
	}));
	int32 id = Open(path);
	ASSERT_GE(id, 0);
	auto item = [&] { return fProbe->MenuBar(id).items[2].items.back(); };
	ASSERT_EQ(item().label, "Show transparency");
	EXPECT_FALSE(item().marked);

	auto magic = [](rgb_color color) {
		return color.red == 119 && color.green == 116 && color.blue == 119;
	};
	auto grey = [](int32 level) {
		return [level](rgb_color color) { return IsGrey(color, level); };
	};
	auto blue = [](rgb_color color) {
		return color.red == 0 && color.green == 0 && color.blue == 255;
	};
	struct Look {
		int32 x, y; // in the image
		std::function<bool(rgb_color)> shown;
	};
	auto check = [&](const char* what, const std::vector<Look>& looks) {
		SCOPED_TRACE(what);
		for (const Look& look : looks) {
			rgb_color color = ShownAt(id, 16 + look.x, 16 + look.y, look.shown);
			EXPECT_TRUE(look.shown(color)) << look.x << ", " << look.y << ": " << int(color.red)
										   << " " << int(color.green) << " " << int(color.blue);
		}
	};

	// At first as it always was: the magic colour, the partly transparent
	// pixel among them (the view holds B_RGB32).
	check("off", {{0, 0, magic}, {20, 4, magic}, {16, 0, blue}});

	ASSERT_EQ(fProbe->PickMenuItem(id, {"View", "Show transparency"}), B_OK);
	ASSERT_TRUE(Eventually([&] { return item().marked; }));
	// Squares of 8 pixels from the image's corner, light first.
	check("on",
		{{0, 0, grey(255)}, {7, 7, grey(255)}, {8, 0, grey(204)}, {0, 8, grey(204)},
			{8, 8, grey(255)}, {20, 4, grey(255)}, {16, 0, blue}, {31, 15, blue}});

	// Every colour space the window offers keeps its transparent pixels
	// transparent, each in its own way.
	for (const char* space : {"B_RGBA32", "B_CMAP8", "B_RGB15", "B_RGBA15", "B_RGB15_BIG",
			 "B_RGBA15_BIG", "B_RGB32_BIG", "B_RGBA32_BIG"}) {
		ASSERT_EQ(fProbe->PickMenuItem(id, {"File", "Color space", space}), B_OK);
		ASSERT_TRUE(Settle(id));
		check(space, {{0, 0, grey(255)}, {8, 0, grey(204)}, {20, 4, grey(255)}});
	}

	// At a half the left half of the image, 8 by 8 pixels on the screen, is
	// one light square of the board (which keeps its size); the right half
	// is blue.
	ASSERT_EQ(fProbe->PressShortcut(id, '-'), B_OK);
	ASSERT_TRUE(Eventually([&] { return Scale("holes.pam.h") == 0.5f; }));
	ASSERT_TRUE(Settle(id));
	check("a half", {{8, 0, blue}, {15, 7, blue}, {0, 0, grey(255)}, {7, 7, grey(255)}});
	ASSERT_EQ(fProbe->PressShortcut(id, '0'), B_OK);

	ASSERT_EQ(fProbe->PickMenuItem(id, {"View", "Show transparency"}), B_OK);
	ASSERT_TRUE(Eventually([&] { return !item().marked; }));
	check("off again", {{0, 0, magic}, {20, 4, magic}});
}

TEST_F(LookingAtPixelsTest, CtrlWheelZoomsAroundThePointerAndThePlainWheelStillScrolls)
{
	std::string path = fDirectory + "/photo.ppm";
	ASSERT_TRUE(testsupport::WriteCoordinateImage(path, 3000, 2000));
	int32 id = Open(path);
	ASSERT_GE(id, 0);
	const std::string title = "photo.ppm.h";
	ASSERT_TRUE(Eventually([&] { return fProbe->ScrollBars(id).size() == 2; }));
	auto placeAt = [&](BPoint where) {
		return PlaceOf(fProbe->ReadPixel(id, int32(where.x), int32(where.y)));
	};
	auto near = [](ImagePlace a, ImagePlace b) {
		return std::abs(a.x - b.x) <= 1 && std::abs(a.y - b.y) <= 1;
	};

	// Scrolled a little first, so that the point under the pointer can move
	// either way.
	ASSERT_EQ(fProbe->TurnWheel(id, BPoint(100, float(fTop + 100)), 3, 3), B_OK);
	ASSERT_TRUE(Eventually([&] {
		return fProbe->ScrollBar(id, B_VERTICAL)->value > 0
			&& fProbe->ScrollBar(id, B_HORIZONTAL)->value > 0;
	}));
	ASSERT_TRUE(Settle(id));

	struct Step {
		const char* what;
		BPoint pointer;
		float notches;
		float scale;
	};
	const Step steps[] = {
		{"in, towards the right", BPoint(300, float(fTop + 150)), -1, 2},
		{"in three notches", BPoint(120, float(fTop + 60)), -3, 5},
		{"out two", BPoint(200, float(fTop + 100)), 2, 3},
		{"out to 1", BPoint(250, float(fTop + 180)), 2, 1},
	};
	for (const Step& step : steps) {
		SCOPED_TRACE(step.what);
		ImagePlace before = placeAt(step.pointer);
		ASSERT_EQ(fProbe->TurnWheel(id, step.pointer, step.notches, 0, B_COMMAND_KEY), B_OK);
		ASSERT_TRUE(Eventually([&] { return Scale(title) == step.scale; }));
		// Drawn at the new scale before the next step reads what it shows.
		ASSERT_TRUE(Settle(id));
		ImagePlace after{-1, -1};
		EXPECT_TRUE(Eventually([&] { return near(after = placeAt(step.pointer), before); }))
			<< before.x << ", " << before.y << " became " << after.x << ", " << after.y;
	}

	// Without the command key the wheel scrolls and leaves the scale.
	float value = fProbe->ScrollBar(id, B_VERTICAL)->value;
	ASSERT_EQ(fProbe->TurnWheel(id, BPoint(200, float(fTop + 100)), 1), B_OK);
	ASSERT_TRUE(Eventually([&] { return fProbe->ScrollBar(id, B_VERTICAL)->value > value; }));
	EXPECT_EQ(Scale(title), 1);
}

// An image view in a window that logs what reaches it.
class ScaleMessageTest : public testsupport::WindowFixture {
protected:
	void SetUp() override
	{
		WindowFixture::SetUp();
		fWindow = new testsupport::LoggingWindow(BRect(40, 40, 440, 290), "View", fLog);
		fView = new AImageView(fWindow->Bounds());
		fWindow->AddChild(fView);
		fView->SetBitmap(new BBitmap(BRect(0, 0, 999, 599), B_RGB32));
		fView->LayOut(fWindow->Bounds());
		fWindow->Show();
		fId = fWindow->ServerId();
	}

	void TearDown() override { testsupport::QuitWindow(fWindow); }

	void Locked(const std::function<void()>& action)
	{
		BMessenger messenger(nullptr, fWindow);
		ASSERT_TRUE(messenger.LockTarget());
		action();
		fWindow->Unlock();
	}

	// Everything sent to the window so far has been handled.
	void Settle()
	{
		BMessenger(nullptr, fWindow).SendMessage('sync');
		ASSERT_TRUE(fLog.WaitFor("sync", ++fSyncs));
	}

	testsupport::EventLog fLog;
	testsupport::LoggingWindow* fWindow = nullptr;
	AImageView* fView = nullptr;
	int32 fId = -1;
	size_t fSyncs = 0;
};

TEST_F(ScaleMessageTest, EveryChangeOfScaleIsToldToTheWindowOnce)
{
	const std::string changed = testsupport::CodeText(kMsgScaleChanged);
	struct Step {
		const char* what;
		std::function<void()> act;
		size_t told;
	};
	const Step steps[] = {
		{"zoom in", [&] { Locked([&] { fView->ZoomIn(); }); }, 1},
		{"actual size", [&] { Locked([&] { fView->ActualSize(); }); }, 1},
		{"actual size again", [&] { Locked([&] { fView->ActualSize(); }); }, 0},
		{"zoom out", [&] { Locked([&] { fView->ZoomOut(); }); }, 1},
		{"fit", [&] { Locked([&] { fView->FitInWindow(); }); }, 1},
		{"the area grows while fitting",
			[&] { Locked([&] { fView->LayOut(BRect(0, 0, 699, 499)); }); }, 1},
		{"laid out again in the same area",
			[&] { Locked([&] { fView->LayOut(BRect(0, 0, 699, 499)); }); }, 0},
		{"the wheel with Ctrl",
			[&] { ASSERT_EQ(fProbe->TurnWheel(fId, BPoint(50, 50), -1, 0, B_COMMAND_KEY), B_OK); },
			1},
		{"the plain wheel", [&] { ASSERT_EQ(fProbe->TurnWheel(fId, BPoint(50, 50), 1), B_OK); }, 0},
		{"out to the last step",
			[&] {
				Locked([&] {
					for (int step = 0; step < 5; step++)
						fView->ZoomOut();
				});
			},
			3},
		{"out past it", [&] { Locked([&] { fView->ZoomOut(); }); }, 0},
	};
	Settle();
	for (const Step& step : steps) {
		SCOPED_TRACE(step.what);
		float before = 0;
		Locked([&] { before = fView->Scale(); });
		size_t toldBefore = fLog.Count(changed);
		step.act();
		// What the step posts is handled after the first settling message.
		Settle();
		Settle();
		float after = 0;
		Locked([&] { after = fView->Scale(); });
		EXPECT_EQ(fLog.Count(changed) - toldBefore, step.told) << before << " to " << after;
		EXPECT_EQ(step.told != 0, after != before);
	}
}

} // namespace
