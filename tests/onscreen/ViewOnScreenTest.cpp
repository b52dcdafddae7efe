// SPDX-License-Identifier: MIT
// The program on a real X display, driven by real input (xdotool) and
// checked on screenshots, with and without a window manager: a large
// image scrolled to its corners with the keys, the wheel and the scroll
// bar, an icon's pixels zoomed to 8x with each key for "Zoom in", the
// wheel with Ctrl zooming around the pointer, and "Show transparency".
// Every pixel of the test images names its own place
// (support/CoordinateImage.h), so one pixel of a screenshot says where the
// view is scrolled and how far it is zoomed.

#include "support/XSession.h"

#include "image/StatusLine.h"
#include "support/CoordinateImage.h"
#include "support/Files.h"
#include "support/PamImage.h"

#include <cstdlib>

#include <gtest/gtest.h>

using testsupport::ImagePlace;
using testsupport::Pixel;
using testsupport::PollUntil;
using testsupport::Shot;
using testsupport::WindowManager;
using testsupport::XSession;

namespace {

// The kit's menu bar is 20 pixels high; the image area starts below it.
constexpr int32 kTop = 20;
// The margin around the image.
constexpr int32 kMargin = 16;
// Room a scroll bar takes along the right and bottom edges.
constexpr int32 kBar = 15;

ImagePlace
PlaceAt(const Shot& shot, int32 x, int32 y)
{
	Pixel pixel = shot.At(x, y);
	return testsupport::PlaceOf(rgb_color{pixel.red, pixel.green, pixel.blue, 255});
}

class ViewOnScreenTest : public testing::TestWithParam<WindowManager> {
protected:
	void SetUp() override
	{
		fSession = std::make_unique<XSession>(GetParam());
		ASSERT_EQ(fSession->Failure(), "");
	}

	// Starts the program on a coordinate image and answers its window once
	// it shows the image and has the keyboard.
	std::string Open(const char* name, int32 width, int32 height)
	{
		std::string path = fScratch / name;
		EXPECT_TRUE(testsupport::WriteCoordinateImage(path, width, height));
		return OpenFile(path, name);
	}

	std::string OpenFile(const std::string& path, const char* name)
	{
		fSession->Start({std::string(QUILLPIX_BINARY_DIR) + "/app/quillpix", path});
		std::optional<std::string> window = fSession->WaitForWindow(std::string(name) + ".h");
		if (!window)
			return std::string();
		// Image pixel (1, 1) is the first that cannot be mistaken for a
		// window not yet painted.
		EXPECT_TRUE(Shows(*window, [](const Shot& shot) {
			return PlaceAt(shot, kMargin + 1, kTop + kMargin + 1) == ImagePlace{1, 1};
		})) << "the image did not appear";
		EXPECT_TRUE(fSession->Focus(*window));
		return *window;
	}

	// Takes screenshots of `window` until `condition` holds of one; the
	// last one stays in fShot.
	bool Shows(const std::string& window, const std::function<bool(const Shot&)>& condition)
	{
		return PollUntil([&] {
			fShot = std::make_unique<Shot>(fSession->Screenshot(window));
			return fShot->IsValid() && condition(*fShot);
		});
	}

	// The image place shown at the first pixel after the margins, once the
	// view has moved off `from`.
	ImagePlace MovedFrom(const std::string& window, ImagePlace from)
	{
		ImagePlace now = from;
		Shows(window, [&](const Shot& shot) {
			now = PlaceAt(shot, kMargin + 1, kTop + kMargin + 1);
			return !(now == from);
		});
		return now;
	}

	testsupport::ScratchDirectory fScratch;
	std::unique_ptr<XSession> fSession;
	std::unique_ptr<Shot> fShot;
};

TEST_P(ViewOnScreenTest, ALargeImageScrollsToItsBottomRightCorner)
{
	std::string window = Open("photo.ppm", 3000, 2000);
	ASSERT_FALSE(window.empty());
	int32 width = fShot->Width();
	int32 height = fShot->Height();
	// The window keeps the frame it was given, 401 by 251.
	EXPECT_EQ(width, 401);
	EXPECT_EQ(height, 251);
	// The last view pixel before the scroll bars, the bottom one above the
	// status line.
	int32 right = width - 1 - kBar;
	int32 bottom = height - 1 - kBar - int32(StatusLine::PreferredHeight());

	// End: the last image pixel a margin away from both bars, white beyond.
	ASSERT_TRUE(fSession->Keys({"End"}));
	EXPECT_TRUE(Shows(window, [&](const Shot& shot) {
		return PlaceAt(shot, right - kMargin, bottom - kMargin) == ImagePlace{2999, 1999};
	}));
	EXPECT_TRUE(fShot->At(right - kMargin + 1, bottom - kMargin).IsWhite());
	EXPECT_TRUE(fShot->At(right - kMargin, bottom - kMargin + 1).IsWhite());
	EXPECT_TRUE(fShot->At(right, bottom).IsWhite());

	// Home: back at the top-left corner.
	ASSERT_TRUE(fSession->Keys({"Home"}));
	EXPECT_TRUE(Shows(window, [&](const Shot& shot) {
		return PlaceAt(shot, kMargin + 1, kTop + kMargin + 1) == ImagePlace{1, 1};
	}));
	EXPECT_TRUE(fShot->At(kMargin - 1, kTop + kMargin).IsWhite());

	// The wheel, Page Down, the arrows and a click in the scroll bar's track
	// each move the view the way they point. One notch or key a step: the
	// view is read back as soon as it has moved, so a second one still on its
	// way would move it under the next step's check.
	ImagePlace place{1, 1};
	ASSERT_TRUE(fSession->Click(window, 150, 120, 5, 1));
	ImagePlace wheeled = MovedFrom(window, place);
	EXPECT_EQ(wheeled.x, 1);
	EXPECT_GT(wheeled.y, 1);

	ASSERT_TRUE(fSession->Keys({"Next"}));
	ImagePlace paged = MovedFrom(window, wheeled);
	EXPECT_EQ(paged.x, 1);
	EXPECT_GT(paged.y, wheeled.y + 100);

	ASSERT_TRUE(fSession->Keys({"Right"}));
	ImagePlace across = MovedFrom(window, paged);
	EXPECT_GT(across.x, 1);
	EXPECT_EQ(across.y, paged.y);

	ASSERT_TRUE(fSession->Keys({"Up"}));
	ImagePlace up = MovedFrom(window, across);
	EXPECT_EQ(up.x, across.x);
	EXPECT_LT(up.y, across.y);

	// In the vertical bar's track, below its thumb (which is near the top)
	// and above its arrow: a page down.
	ASSERT_TRUE(fSession->Click(window, width - 1 - kBar / 2, kTop + (bottom - kTop) * 3 / 4, 1));
	ImagePlace clicked = MovedFrom(window, up);
	EXPECT_EQ(clicked.x, up.x);
	EXPECT_GT(clicked.y, up.y + 100);

	// And the keys take it to the corner from anywhere.
	ASSERT_TRUE(fSession->Keys({"End"}));
	EXPECT_TRUE(Shows(window, [&](const Shot& shot) {
		return PlaceAt(shot, right - kMargin, bottom - kMargin) == ImagePlace{2999, 1999};
	}));
}

TEST_P(ViewOnScreenTest, AnIconZoomedToEightTimesShowsEachPixelAsAnEightByEightBlock)
{
	std::string window = Open("icon.ppm", 16, 16);
	ASSERT_FALSE(window.empty());
	// At 1x nothing scrolls: white up to the window's right edge.
	EXPECT_TRUE(fShot->At(fShot->Width() - 1, kTop + 50).IsWhite());
	EXPECT_TRUE(fShot->At(kMargin + 16, kTop + kMargin).IsWhite());

	// Seven steps, through every key that means "Zoom in".
	ASSERT_TRUE(fSession->Keys({"ctrl+plus", "ctrl+plus", "ctrl+plus", "ctrl+equal", "ctrl+equal",
		"ctrl+KP_Add", "ctrl+KP_Add"}));
	auto blocks = [](int32 factor) {
		return [factor](const Shot& shot) {
			for (int32 y = 0; y < 16 * factor; y++) {
				for (int32 x = 0; x < 16 * factor; x++) {
					if (!(PlaceAt(shot, kMargin + x, kTop + kMargin + y)
							== ImagePlace{x / factor, y / factor})) {
						return false;
					}
				}
			}
			return shot.At(kMargin + 16 * factor, kTop + kMargin).IsWhite()
				&& shot.At(kMargin, kTop + kMargin + 16 * factor).IsWhite()
				&& shot.At(kMargin - 1, kTop + kMargin).IsWhite();
		};
	};
	EXPECT_TRUE(Shows(window, blocks(8))) << "not every pixel an 8 by 8 block";
	// Still no scroll bar: 16 * 8 and the margins fit.
	EXPECT_TRUE(fShot->At(fShot->Width() - 1, kTop + 50).IsWhite());

	ASSERT_TRUE(fSession->Keys({"ctrl+minus"}));
	EXPECT_TRUE(Shows(window, blocks(7)));
	ASSERT_TRUE(fSession->Keys({"ctrl+0"}));
	EXPECT_TRUE(Shows(window, blocks(1)));
}

TEST_P(ViewOnScreenTest, TheWheelWithCtrlZoomsAroundThePointer)
{
	std::string window = Open("photo.ppm", 3000, 2000);
	ASSERT_FALSE(window.empty());
	const int32 x = 200;
	const int32 y = kTop + 100;
	ImagePlace before = PlaceAt(*fShot, x, y);
	EXPECT_EQ(before, (ImagePlace{x - kMargin, y - kTop - kMargin}));
	int status = -1;
	fSession->RunTool({"xdotool", "mousemove", "--window", window, "--sync", std::to_string(x),
						  std::to_string(y), "keydown", "ctrl", "click", "4", "keyup", "ctrl"},
		&status);
	ASSERT_EQ(status, 0);
	// Twice as large, with the same image point under the pointer: ten
	// screen pixels to its right lie five image pixels further.
	auto near = [](ImagePlace a, ImagePlace b) {
		return std::abs(a.x - b.x) <= 1 && std::abs(a.y - b.y) <= 1;
	};
	EXPECT_TRUE(Shows(window, [&](const Shot& shot) {
		return near(PlaceAt(shot, x, y), before)
			&& near(PlaceAt(shot, x + 10, y + 10), ImagePlace{before.x + 5, before.y + 5});
	})) << "not zoomed around the pointer";
}

TEST_P(ViewOnScreenTest, ShowTransparencyLaysTheHolesOverACheckerboard)
{
	// The left half transparent, the right half opaque blue.
	std::string path = fScratch / "holes.pam";
	ASSERT_TRUE(testsupport::WritePamImage(path, 32, 16, [](int32 x, int32) {
		return x < 16 ? rgb_color{200, 10, 10, 0} : rgb_color{0, 0, 255, 255};
	}));
	fSession->Start({std::string(QUILLPIX_BINARY_DIR) + "/app/quillpix", path});
	std::optional<std::string> window = fSession->WaitForWindow("holes.pam.h");
	ASSERT_TRUE(window);
	auto isGrey = [](Pixel pixel, uint8 level) {
		return pixel.red == level && pixel.green == level && pixel.blue == level;
	};
	const int32 left = kMargin;
	const int32 top = kTop + kMargin;
	// At first the magic colour, as a window always showed it.
	EXPECT_TRUE(Shows(*window, [&](const Shot& shot) {
		Pixel hole = shot.At(left, top);
		Pixel blue = shot.At(left + 16, top);
		return hole.red == 119 && hole.green == 116 && hole.blue == 119 && blue.blue == 255
			&& blue.red == 0;
	})) << "the image did not appear";
	ASSERT_TRUE(fSession->Focus(*window));

	// "View" (after "Edit"), then its last item, from the keyboard once
	// "File" is open.
	ASSERT_TRUE(fSession->Click(*window, 15, kTop / 2, 1));
	ASSERT_TRUE(fSession->Keys({"Right", "Right", "Up", "Return"}));
	EXPECT_TRUE(Shows(*window, [&](const Shot& shot) {
		return isGrey(shot.At(left, top), 255) && isGrey(shot.At(left + 7, top + 7), 255)
			&& isGrey(shot.At(left + 8, top), 204) && isGrey(shot.At(left, top + 8), 204)
			&& shot.At(left + 16, top).blue == 255 && shot.At(left + 16, top).red == 0;
	})) << "no checkerboard";
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, ViewOnScreenTest,
	testing::Values(WindowManager::kNone, WindowManager::kOpenbox),
	[](const testing::TestParamInfo<WindowManager>& info) {
		return info.param == WindowManager::kOpenbox ? std::string("Openbox")
													 : std::string("NoWindowManager");
	});

} // namespace
