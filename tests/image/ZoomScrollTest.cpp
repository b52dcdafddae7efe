// SPDX-License-Identifier: MIT
// Looking at an image larger than its window, and at the pixels of a small
// one: the scroll bars, the keys, the wheel and the View menu, read back
// from the pixels the window shows. Every pixel of the test images names
// its own place (support/CoordinateImage.h).

#include "image/AImageView.h"
#include "support/CoordinateImage.h"
#include "support/Files.h"
#include "support/Program.h"
#include "support/ProgramFixture.h"

#include "image/StatusLine.h"

#include <InterfaceDefs.h>

using testsupport::ImagePlace;
using testsupport::PlaceOf;
using testsupport::ReadWhole;

namespace {

class ZoomScrollTest : public testsupport::ProgramFixture {
protected:
	// Opens a coordinate image of that size and answers its window.
	int32 OpenCoordinateImage(int32 width, int32 height, const char* name)
	{
		std::string path = fDirectory + "/" + name;
		EXPECT_TRUE(testsupport::WriteCoordinateImage(path, width, height));
		return OpenImageWindow(path, fTop);
	}

	// The image place shown at (x, y) of the image area (below the menu bar)
	// once the window shows `expected` there; what it shows at the watchdog
	// otherwise.
	ImagePlace ShownAt(int32 id, int32 x, int32 y, ImagePlace expected)
	{
		ImagePlace shown{-1, -1};
		Eventually([&] {
			shown = PlaceOf(fProbe->ReadPixel(id, x, fTop + y));
			return shown == expected;
		});
		return shown;
	}

	bool IsWhite(int32 id, int32 x, int32 y)
	{
		rgb_color color = fProbe->ReadPixel(id, x, fTop + y);
		return color.red == 255 && color.green == 255 && color.blue == 255;
	}

	float Scale(const char* title)
	{
		float scale = 0;
		WithImageWindow(
			title, [&](BitmapImageWindow& window) { scale = window.ImageView()->Scale(); });
		return scale;
	}

	int32 fTop = 0;
};

TEST_F(ZoomScrollTest, ALargeImageScrollsWithTheKeysTheWheelAndTheBarsToEveryCorner)
{
	int32 id = OpenCoordinateImage(3000, 2000, "photo.ppm");
	ASSERT_GE(id, 0);
	ASSERT_TRUE(Eventually([&] { return fProbe->ScrollBars(id).size() == 2; }));
	ScrollBarState horizontal = *fProbe->ScrollBar(id, B_HORIZONTAL);
	ScrollBarState vertical = *fProbe->ScrollBar(id, B_VERTICAL);
	// The bars line the right edge of the window and the top of its status
	// line.
	BRect bounds = fProbe->Frame(id).OffsetToCopy(0, 0);
	EXPECT_EQ(vertical.frame.right, bounds.right);
	EXPECT_EQ(horizontal.frame.bottom, bounds.bottom - StatusLine::PreferredHeight());
	EXPECT_EQ(vertical.frame.top, float(fTop));
	const int32 viewRight = int32(vertical.frame.left) - 1;
	const int32 viewBottom = int32(horizontal.frame.top) - 1 - fTop;
	const int32 maxX = int32(horizontal.maximum);
	const int32 maxY = int32(vertical.maximum);
	// The image and both margins, no more.
	EXPECT_EQ(maxX, 16 + 3000 + 16 - (viewRight + 1));
	EXPECT_EQ(maxY, 16 + 2000 + 16 - (viewBottom + 1));
	const int32 small = int32(vertical.smallStep);
	const int32 page = int32(vertical.largeStep);
	EXPECT_GT(small, 1);
	EXPECT_GT(page, small);

	// Image pixel (0, 0) is black, as the window is before it is drawn.
	EXPECT_EQ(ShownAt(id, 17, 17, {1, 1}), (ImagePlace{1, 1}));
	EXPECT_TRUE(IsWhite(id, 15, 16));

	struct Step {
		const char* what;
		std::function<status_t()> act;
		ImagePlace origin; // the scrolling origin afterwards
	};
	const BPoint middle(100, float(fTop + 100));
	const Step steps[] = {
		{"End", [&] { return fProbe->PressKey(id, B_END); }, {maxX, maxY}},
		{"Home", [&] { return fProbe->PressKey(id, B_HOME); }, {0, 0}},
		{"Page Down", [&] { return fProbe->PressKey(id, B_PAGE_DOWN); }, {0, page}},
		{"Down", [&] { return fProbe->PressKey(id, B_DOWN_ARROW); }, {0, page + small}},
		{"Right", [&] { return fProbe->PressKey(id, B_RIGHT_ARROW); }, {small, page + small}},
		{"Page Up", [&] { return fProbe->PressKey(id, B_PAGE_UP); }, {small, small}},
		{"Up past the top",
			[&] {
				fProbe->PressKey(id, B_UP_ARROW);
				return fProbe->PressKey(id, B_UP_ARROW);
			},
			{small, 0}},
		{"Left", [&] { return fProbe->PressKey(id, B_LEFT_ARROW); }, {0, 0}},
		{"wheel down", [&] { return fProbe->TurnWheel(id, middle, 2); }, {0, 6 * small}},
		{"wheel right", [&] { return fProbe->TurnWheel(id, middle, 0, 1); },
			{3 * small, 6 * small}},
		{"wheel up", [&] { return fProbe->TurnWheel(id, middle, -1); }, {3 * small, 3 * small}},
		{"dragging across", [&] { return fProbe->DragScrollBar(id, B_HORIZONTAL, 1234); },
			{1234, 3 * small}},
		{"dragging beyond the end", [&] { return fProbe->DragScrollBar(id, B_VERTICAL, 99999); },
			{1234, maxY}},
		{"dragging to the right end",
			[&] { return fProbe->DragScrollBar(id, B_HORIZONTAL, float(maxX)); }, {maxX, maxY}},
	};
	for (const Step& step : steps) {
		SCOPED_TRACE(step.what);
		ASSERT_EQ(step.act(), B_OK);
		// View pixel (16, 16) shows the image pixel at the origin.
		ImagePlace next{step.origin.x + 1, step.origin.y + 1};
		EXPECT_EQ(ShownAt(id, 17, 17, next), next);
		EXPECT_TRUE(Eventually([&] {
			return fProbe->ScrollBar(id, B_HORIZONTAL)->value == float(step.origin.x)
				&& fProbe->ScrollBar(id, B_VERTICAL)->value == float(step.origin.y);
		}));
	}

	// At the bottom-right corner the last pixel sits a margin away from
	// both bars, with white beyond it.
	EXPECT_EQ(ShownAt(id, viewRight - 16, viewBottom - 16, {2999, 1999}), (ImagePlace{2999, 1999}));
	for (int32 past = 1; past <= 16; past++) {
		EXPECT_TRUE(IsWhite(id, viewRight - 16 + past, viewBottom - 16)) << past;
		EXPECT_TRUE(IsWhite(id, viewRight - 16, viewBottom - 16 + past)) << past;
	}
}

TEST_F(ZoomScrollTest, AnIconZoomsByWholeFactorsAndIsSavedUnchanged)
{
	int32 id = OpenCoordinateImage(16, 16, "icon.ppm");
	ASSERT_GE(id, 0);
	const char* title = "icon.ppm.h";
	EXPECT_EQ(ShownAt(id, 16 + 15, 16 + 15, {15, 15}), (ImagePlace{15, 15}));
	EXPECT_TRUE(fProbe->ScrollBars(id).empty());

	// Each of the keys for "Zoom in", then the menu item.
	ASSERT_EQ(fProbe->PressShortcut(id, '+'), B_OK);
	ASSERT_EQ(fProbe->PressShortcut(id, '='), B_OK);
	ASSERT_EQ(fProbe->PressShortcut(id, '+', B_SHIFT_KEY), B_OK);
	ASSERT_EQ(fProbe->PickMenuItem(id, {"View", "Zoom in"}), B_OK);
	for (int step = 0; step < 3; step++)
		ASSERT_EQ(fProbe->PressShortcut(id, '+'), B_OK);
	ASSERT_TRUE(Eventually([&] { return Scale(title) == 8; }));

	// Every image pixel is an 8 by 8 block at the margin; the window still
	// holds the image with its margins, so no bar appears.
	ASSERT_EQ(ShownAt(id, 16 + 8 * 16 - 1, 16 + 8 * 16 - 1, {15, 15}), (ImagePlace{15, 15}));
	std::unique_ptr<BBitmap> shot = fProbe->Snapshot(id);
	for (int32 y = 0; y < 8 * 16; y++) {
		for (int32 x = 0; x < 8 * 16; x++) {
			ASSERT_EQ(PlaceOf(DisplayProbe::PixelOf(shot.get(), 16 + x, fTop + 16 + y)),
				(ImagePlace{x / 8, y / 8}))
				<< "at " << x << ", " << y;
		}
	}
	EXPECT_TRUE(IsWhite(id, 16 + 8 * 16, 16));
	EXPECT_TRUE(IsWhite(id, 16, 16 + 8 * 16));
	EXPECT_TRUE(fProbe->ScrollBars(id).empty());

	// Zooming changed neither the image nor the document: the saved text is
	// the exporter's.
	EXPECT_EQ(fProbe->Title(id), title);
	std::filesystem::create_directory(fDirectory + "/saved");
	ASSERT_TRUE(SaveThroughPanel(id, fDirectory + "/saved", "icon.h"));
	ASSERT_TRUE(Eventually([&] { return fProbe->Title(id) == "icon.h"; }));
	ASSERT_TRUE(WithImageWindow("icon.h", [](BitmapImageWindow&) {}));
	std::string expected = fDirectory + "/expected.h";
	testsupport::ProgramOutcome export_ = testsupport::RunProgram(
		{{QUILLPIX_BINARY_DIR "/tools/quillpix-export", "-o", expected, "-q", "--name", "icon.h",
			fDirectory + "/icon.ppm"}});
	ASSERT_EQ(export_.ExitCode(), 0) << export_.Describe();
	EXPECT_EQ(ReadWhole(fDirectory + "/saved/icon.h"), ReadWhole(expected));
	title = "icon.h";

	// 16x is the most; there the icon no longer fits down the window.
	for (int step = 0; step < 10; step++)
		ASSERT_EQ(fProbe->PressShortcut(id, '+'), B_OK);
	ASSERT_TRUE(Eventually([&] { return Scale(title) == 16; }));
	ASSERT_TRUE(Eventually([&] {
		std::vector<ScrollBarState> bars = fProbe->ScrollBars(id);
		return bars.size() == 1 && bars[0].direction == B_VERTICAL;
	}));
	ASSERT_EQ(fProbe->PressShortcut(id, '-'), B_OK);
	ASSERT_TRUE(Eventually([&] { return Scale(title) == 15; }));

	// Actual size: as the window first showed it, without bars.
	ASSERT_EQ(fProbe->PressShortcut(id, '0'), B_OK);
	ASSERT_TRUE(Eventually([&] { return Scale(title) == 1; }));
	EXPECT_EQ(ShownAt(id, 16 + 15, 16 + 15, {15, 15}), (ImagePlace{15, 15}));
	EXPECT_TRUE(IsWhite(id, 16 + 16, 16));
	EXPECT_TRUE(Eventually([&] { return fProbe->ScrollBars(id).empty(); }));

	// Below 1: halves down to an eighth, where zooming out stops; the icon
	// is then 2 by 2 pixels.
	for (float expected : {0.5f, 0.25f, 0.125f}) {
		ASSERT_EQ(fProbe->PressShortcut(id, '-'), B_OK);
		ASSERT_TRUE(Eventually([&] { return Scale(title) == expected; })) << expected;
	}
	ASSERT_EQ(fProbe->PressShortcut(id, '-'), B_OK);
	ASSERT_TRUE(Settle(id));
	EXPECT_EQ(Scale(title), 0.125f);
	EXPECT_FALSE(IsWhite(id, 17, 17));
	EXPECT_TRUE(IsWhite(id, 18, 16));
	EXPECT_TRUE(IsWhite(id, 16, 18));
	// And back up through 1.
	for (float expected : {0.25f, 0.5f, 1.0f, 2.0f}) {
		ASSERT_EQ(fProbe->PressShortcut(id, '+'), B_OK);
		ASSERT_TRUE(Eventually([&] { return Scale(title) == expected; })) << expected;
	}
}

TEST_F(ZoomScrollTest, FitInWindowShowsAllOfALargeImageAndFollowsTheWindowsSize)
{
	int32 id = OpenCoordinateImage(3000, 2000, "photo.ppm");
	ASSERT_GE(id, 0);
	const char* title = "photo.ppm.h";
	ASSERT_TRUE(Eventually([&] { return fProbe->ScrollBars(id).size() == 2; }));
	ASSERT_EQ(fProbe->PressKey(id, B_END), B_OK);
	ASSERT_EQ(fProbe->PickMenuItem(id, {"View", "Fit in window"}), B_OK);
	ASSERT_TRUE(Eventually([&] { return fProbe->ScrollBars(id).empty(); }));
	float fitted = Scale(title);
	EXPECT_LT(fitted, 1);

	// The whole image from the first pixel to the last, unscrolled.
	int32 width = ImageViewport::ScaledLength(3000, fitted);
	int32 height = ImageViewport::ScaledLength(2000, fitted);
	// Each view pixel shows the mean of a block of about ten by ten image
	// pixels, which on this image names a place inside the block.
	ImagePlace first{-1, -1};
	EXPECT_TRUE(Eventually([&] {
		first = PlaceOf(fProbe->ReadPixel(id, 16, fTop + 16));
		return first.x < 11 && first.y < 11;
	})) << first.x
		<< ", " << first.y;
	ImagePlace last = PlaceOf(fProbe->ReadPixel(id, 16 + width - 1, fTop + 16 + height - 1));
	EXPECT_GT(last.x, 2990);
	EXPECT_GT(last.y, 1990);
	EXPECT_TRUE(IsWhite(id, 16 + width, 16));
	EXPECT_TRUE(IsWhite(id, 16, 16 + height));

	// A larger window: the image grows with it and still fits.
	ASSERT_EQ(fProbe->ResizeWindow(id, 800, 600), B_OK);
	ASSERT_TRUE(Eventually([&] { return Scale(title) > fitted; }));
	EXPECT_TRUE(fProbe->ScrollBars(id).empty());

	// Zooming in leaves the fit for the next step, a half, scrolling again.
	ASSERT_EQ(fProbe->PickMenuItem(id, {"View", "Zoom in"}), B_OK);
	ASSERT_TRUE(Eventually([&] { return Scale(title) == 0.5f; }));
	EXPECT_TRUE(Eventually([&] { return fProbe->ScrollBars(id).size() == 2; }));
}

TEST_F(ZoomScrollTest, ResizingBringsTheBarsWhereTheImageNoLongerFitsAndTakesThemAway)
{
	int32 id = OpenCoordinateImage(200, 100, "strip.ppm");
	ASSERT_GE(id, 0);
	// 200 + 2 * 16 fits across 401 pixels: nothing scrolls at first.
	ASSERT_EQ(ShownAt(id, 16 + 199, 16 + 99, {199, 99}), (ImagePlace{199, 99}));
	ASSERT_TRUE(Settle(id));
	EXPECT_TRUE(fProbe->ScrollBars(id).empty());

	ASSERT_EQ(fProbe->ResizeWindow(id, 150, 250), B_OK);
	ASSERT_TRUE(Eventually([&] {
		std::vector<ScrollBarState> bars = fProbe->ScrollBars(id);
		return bars.size() == 1 && bars[0].direction == B_HORIZONTAL;
	}));
	ASSERT_EQ(fProbe->PressKey(id, B_END), B_OK);
	int32 maxX = int32(fProbe->ScrollBar(id, B_HORIZONTAL)->maximum);
	EXPECT_EQ(maxX, 232 - 151);
	EXPECT_EQ(ShownAt(id, 150 - 16, 16, {199, 0}), (ImagePlace{199, 0}));

	// Wide again: the bar goes and the view is back at its origin.
	ASSERT_EQ(fProbe->ResizeWindow(id, 400, 250), B_OK);
	ASSERT_TRUE(Eventually([&] { return fProbe->ScrollBars(id).empty(); }));
	EXPECT_EQ(ShownAt(id, 17, 17, {1, 1}), (ImagePlace{1, 1}));
	EXPECT_TRUE(IsWhite(id, 15, 16));
}

} // namespace
