// SPDX-License-Identifier: MIT
// The program's image windows, on each server and on the real Qt server:
// frames, titles, the menu bar, marks, shortcuts and the pixels shown.

#include "QtProgram.h"

#include "app/framework/WindowStagger.h"

#include <Bitmap.h>
#include <Screen.h>
#include <TranslationUtils.h>

#include <gtest/gtest.h>

#include <tuple>

using namespace qt_testing;

namespace {

const std::string kColour = SourcePath("tests/data/images/colour.png");
const std::string kQuill = SourcePath("examples/quill.png");
const std::string kPalette = SourcePath("tests/data/images/palette-system.png");

constexpr const char* kEllipsis = "\xE2\x80\xA6";

rgb_color
PixelAt(const BBitmap& bitmap, int32 x, int32 y)
{
	const uint8* pixel = static_cast<const uint8*>(bitmap.Bits()) + y * bitmap.BytesPerRow()
		+ x * 4;
	return rgb_color{pixel[2], pixel[1], pixel[0], 255};
}

std::string
Describe(rgb_color color)
{
	return std::to_string(color.red) + "," + std::to_string(color.green) + ","
		+ std::to_string(color.blue);
}

// Where the colour image's top-left pixel shows in its window: at (16, 16)
// of the view, below the 20-pixel menu bar.
constexpr int32 kImageLeft = 16;
constexpr int32 kImageTop = 20 + 16;

// The colour image as the translators read it; null unless it reads as B_RGB32.
std::unique_ptr<BBitmap>
ColourImage()
{
	std::unique_ptr<BBitmap> image(BTranslationUtils::GetBitmapFile(kColour.c_str(), nullptr));
	if (!image || image->ColorSpace() != B_RGB32)
		return nullptr;
	return image;
}

class WindowOnEachServer : public OnEachServer { };
QUILLPIX_ON_EACH_SERVER(WindowOnEachServer);

} // namespace

TEST_P(WindowOnEachServer, EachImageGetsAWindowAtTheNextCascadeFrameWithItsLeafAsTitle)
{
	RunProgram(GetParam(), {kColour, kQuill}, [](DisplayProbe& probe) {
		std::vector<int32> ids = WaitForWindows(probe, 2);
		ASSERT_EQ(ids.size(), 2u);
		WindowStagger stagger(BRect(30, 30, 430, 280));
		BRect screen = BScreen(B_MAIN_SCREEN_ID).Frame();
		const char* titles[] = {"colour.png.h", "quill.png.h"};
		for (size_t index = 0; index < ids.size(); index++) {
			std::optional<DisplayProbe::WindowView> window = probe.Window(ids[index]);
			ASSERT_TRUE(window);
			BRect expected = stagger.NextFrame(screen);
			EXPECT_EQ(window->title, titles[index]);
			EXPECT_EQ(window->frame.left, expected.left);
			EXPECT_EQ(window->frame.top, expected.top);
			EXPECT_EQ(window->frame.Width(), expected.Width());
			EXPECT_EQ(window->frame.Height(), expected.Height());
		}
	});
}

TEST_P(WindowOnEachServer, MenuBarHasItemsInOrderSeparatorsMarksAndShortcuts)
{
	RunProgram(GetParam(), {kColour}, [](DisplayProbe& probe) {
		std::vector<int32> ids = WaitForWindows(probe, 1);
		ASSERT_EQ(ids.size(), 1u);
		MenuBarState bar;
		probe.WaitUntil(
			[&] {
				bar = probe.MenuBar(ids[0]);
				return FindMenuItem(bar.items, {"File", "Color space", "B_RGB32"}) != nullptr;
			},
			kWatchdogMicroseconds);

		// Exactly over the menu bar view: the window's width, 20 pixels.
		std::optional<DisplayProbe::WindowView> window = probe.Window(ids[0]);
		ASSERT_TRUE(window);
		EXPECT_EQ(bar.frame.left, 0);
		EXPECT_EQ(bar.frame.top, 0);
		EXPECT_EQ(bar.frame.Width(), window->frame.Width());
		EXPECT_EQ(bar.frame.Height(), 19);

		ASSERT_EQ(bar.items.size(), 4u);
		EXPECT_EQ(bar.items[0].label, "File");
		const std::vector<MenuItemState>& file = bar.items[0].items;
		struct Row {
			std::string label; // empty: a separator
			char shortcut;
			bool submenu;
		};
		const Row rows[] = {
			{std::string("Open") + kEllipsis, 'O', false},
			{"", 0, false},
			{std::string("Save as source code") + kEllipsis, 0, false},
			{"", 0, false},
			{"Color space", 0, true},
			{"", 0, false},
			{"Close", 'W', false},
			{"Quit", 'Q', false},
		};
		ASSERT_EQ(file.size(), std::size(rows));
		for (size_t index = 0; index < file.size(); index++) {
			SCOPED_TRACE(index);
			EXPECT_EQ(file[index].separator, rows[index].label.empty());
			EXPECT_EQ(file[index].label, rows[index].label);
			EXPECT_EQ(file[index].shortcut, rows[index].shortcut);
			EXPECT_EQ(file[index].modifiers, 0u);
			EXPECT_EQ(file[index].hasSubmenu, rows[index].submenu);
			EXPECT_TRUE(file[index].separator || file[index].enabled);
		}
		// The seed's two spaces, a separator, six others, a separator and the
		// byte orders of displays.
		const std::vector<MenuItemState>& spaces = file[4].items;
		const char* const spaceLabels[] = {"B_CMAP8", "B_RGB32", "", "B_RGBA32", "B_RGB16",
			"B_RGB15", "B_RGBA15", "B_GRAY8", "B_GRAY1", "", "B_RGB24", "B_RGB24_BIG",
			"B_RGB16_BIG", "B_RGB15_BIG", "B_RGBA15_BIG", "B_RGB32_BIG", "B_RGBA32_BIG"};
		ASSERT_EQ(spaces.size(), std::size(spaceLabels));
		for (size_t index = 0; index < spaces.size(); index++) {
			SCOPED_TRACE(spaceLabels[index]);
			EXPECT_EQ(spaces[index].separator, spaceLabels[index][0] == '\0');
			EXPECT_EQ(spaces[index].label, spaceLabels[index]);
			EXPECT_EQ(spaces[index].marked, index == 1);
		}

		// Edit after File, then View, with the shortcuts Qt answers to.
		EXPECT_EQ(bar.items[1].label, "Edit");
		const std::vector<MenuItemState>& edit = bar.items[1].items;
		ASSERT_EQ(edit.size(), 4u);
		EXPECT_EQ(edit[0].label, "Copy as source code");
		EXPECT_EQ(edit[1].label, "Copy image");
		EXPECT_EQ(edit[3].label, "Paste as new image");
		EXPECT_EQ(std::tie(edit[0].shortcut, edit[0].modifiers), std::make_tuple('C', 0u));
		EXPECT_EQ(std::tie(edit[1].shortcut, edit[1].modifiers),
			std::make_tuple('C', uint32(B_SHIFT_KEY)));
		EXPECT_EQ(std::tie(edit[3].shortcut, edit[3].modifiers), std::make_tuple('V', 0u));
		EXPECT_EQ(bar.items[2].label, "View");
		EXPECT_EQ(bar.items[3].label, "Image");
		const std::vector<MenuItemState>& view = bar.items[2].items;
		const Row viewRows[] = {
			{"Zoom in", '+', false},
			{"Zoom out", '-', false},
			{"Actual size", '0', false},
			{"Fit in window", 0, false},
			{"", 0, false},
			{"Show transparency", 0, false},
		};
		ASSERT_EQ(view.size(), std::size(viewRows));
		for (size_t index = 0; index < view.size(); index++) {
			SCOPED_TRACE(viewRows[index].label);
			EXPECT_EQ(view[index].separator, viewRows[index].label.empty());
			EXPECT_EQ(view[index].label, viewRows[index].label);
			EXPECT_FALSE(view[index].marked);
			EXPECT_EQ(view[index].shortcut, viewRows[index].shortcut);
			EXPECT_EQ(view[index].modifiers, 0u);
		}
	});
}

TEST_P(WindowOnEachServer, PickingAColourSpaceMovesTheMarkAndRepickingKeepsIt)
{
	RunProgram(GetParam(), {kColour}, [](DisplayProbe& probe) {
		std::vector<int32> ids = WaitForWindows(probe, 1);
		ASSERT_EQ(ids.size(), 1u);
		auto marks = [&] {
			MenuBarState bar = probe.MenuBar(ids[0]);
			const MenuItemState* cmap8 = FindMenuItem(
				bar.items, {"File", "Color space", "B_CMAP8"});
			const MenuItemState* rgb32 = FindMenuItem(
				bar.items, {"File", "Color space", "B_RGB32"});
			if (cmap8 == nullptr || rgb32 == nullptr)
				return std::string("none");
			return std::string(cmap8->marked ? "cmap8" : "") + (rgb32->marked ? "rgb32" : "");
		};
		ASSERT_TRUE(probe.WaitUntil([&] { return marks() == "rgb32"; }, kWatchdogMicroseconds));

		// Qt toggles a checkable action by itself; the mark must stay the
		// kit's, so picking the marked item leaves it marked.
		ASSERT_EQ(probe.PickMenuItem(ids[0], {"File", "Color space", "B_RGB32"}), B_OK);
		EXPECT_EQ(marks(), "rgb32");

		ASSERT_EQ(probe.PickMenuItem(ids[0], {"File", "Color space", "B_CMAP8"}), B_OK);
		EXPECT_TRUE(probe.WaitUntil([&] { return marks() == "cmap8"; }, kWatchdogMicroseconds))
			<< marks();
		ASSERT_EQ(probe.PickMenuItem(ids[0], {"File", "Color space", "B_RGB32"}), B_OK);
		EXPECT_TRUE(probe.WaitUntil([&] { return marks() == "rgb32"; }, kWatchdogMicroseconds))
			<< marks();

		EXPECT_EQ(probe.PickMenuItem(ids[0], {"File", "Color space"}), B_NOT_ALLOWED);
		EXPECT_EQ(probe.PickMenuItem(ids[0], {"File", "Nothing"}), B_NAME_NOT_FOUND);
	});
}

TEST_P(WindowOnEachServer, CmapImageOpensWithTheCmap8Mark)
{
	RunProgram(GetParam(), {kPalette}, [](DisplayProbe& probe) {
		std::vector<int32> ids = WaitForWindows(probe, 1);
		ASSERT_EQ(ids.size(), 1u);
		EXPECT_TRUE(probe.WaitUntil(
			[&] {
				MenuBarState bar = probe.MenuBar(ids[0]);
				const MenuItemState* cmap8 = FindMenuItem(
					bar.items, {"File", "Color space", "B_CMAP8"});
				const MenuItemState* rgb32 = FindMenuItem(
					bar.items, {"File", "Color space", "B_RGB32"});
				return cmap8 != nullptr && rgb32 != nullptr && cmap8->marked && !rgb32->marked;
			},
			kWatchdogMicroseconds));
	});
}

// The window as Qt paints it: the image at (16, 16) of the view below the
// 20-pixel menu bar, on white.
TEST_P(WindowOnEachServer, SnapshotShowsTheImageBelowTheMenuBar)
{
	std::unique_ptr<BBitmap> image = ColourImage();
	ASSERT_TRUE(image);

	RunProgram(GetParam(), {kColour}, [&](DisplayProbe& probe) {
		std::vector<int32> ids = WaitForWindows(probe, 1);
		ASSERT_EQ(ids.size(), 1u);
		std::unique_ptr<BBitmap> shown;
		auto matches = [&] {
			shown = probe.Snapshot(ids[0]);
			if (!shown || shown->Width() <= kImageLeft + image->Width()
				|| shown->Height() <= kImageTop + image->Height()) {
				return false;
			}
			for (int32 y = 0; y < image->Height(); y++) {
				for (int32 x = 0; x < image->Width(); x++) {
					if (PixelAt(*shown, kImageLeft + x, kImageTop + y) != PixelAt(*image, x, y))
						return false;
				}
			}
			return true;
		};
		ASSERT_TRUE(probe.WaitUntil(matches, kWatchdogMicroseconds));
		const rgb_color white{255, 255, 255, 255};
		const int32 right = kImageLeft + image->Width();
		const int32 bottom = kImageTop + image->Height();
		EXPECT_EQ(Describe(PixelAt(*shown, kImageLeft - 1, kImageTop)), Describe(white));
		EXPECT_EQ(Describe(PixelAt(*shown, kImageLeft, kImageTop - 1)), Describe(white));
		EXPECT_EQ(Describe(PixelAt(*shown, right, kImageTop)), Describe(white));
		EXPECT_EQ(Describe(PixelAt(*shown, kImageLeft, bottom)), Describe(white));
		EXPECT_EQ(shown->Width(), probe.Window(ids[0])->frame.IntegerWidth() + 1);
	});
}

// The keys held travel with the wheel: with Ctrl the image view zooms (each
// image pixel a 2 by 2 block), without it nothing changes for an image that
// fits.
TEST_P(WindowOnEachServer, TheWheelWithCtrlZoomsTheImage)
{
	std::unique_ptr<BBitmap> image = ColourImage();
	ASSERT_TRUE(image);

	RunProgram(GetParam(), {kColour}, [&](DisplayProbe& probe) {
		std::vector<int32> ids = WaitForWindows(probe, 1);
		ASSERT_EQ(ids.size(), 1u);
		auto shows = [&](int32 factor) {
			return [&, factor] {
				std::unique_ptr<BBitmap> shown = probe.Snapshot(ids[0]);
				if (!shown || shown->Width() <= kImageLeft + 2 * factor)
					return false;
				for (int32 x = 0; x < 2 * factor; x++) {
					if (PixelAt(*shown, kImageLeft + x, kImageTop)
						!= PixelAt(*image, x / factor, 0)) {
						return false;
					}
				}
				return true;
			};
		};
		ASSERT_TRUE(probe.WaitUntil(shows(1), kWatchdogMicroseconds));
		ASSERT_EQ(probe.TurnWheel(ids[0], BPoint(20, 40), -1), B_OK);
		ASSERT_EQ(probe.TurnWheel(ids[0], BPoint(20, 40), -1, 0, B_COMMAND_KEY), B_OK);
		EXPECT_TRUE(probe.WaitUntil(shows(2), kWatchdogMicroseconds));
	});
}

// Transparent pixels reach the window as the transparent magic colour; it
// is shown opaque, as a plain copy shows it, and not as a hole through which
// the desktop (or black) shows.
TEST(QtWindowTest, TransparentPixelsShowOpaqueInTheMagicColour)
{
	const std::string alpha = SourcePath("tests/data/images/alpha.png");
	std::unique_ptr<BBitmap> image(BTranslationUtils::GetBitmapFile(alpha.c_str(), nullptr));
	ASSERT_TRUE(image && image->ColorSpace() == B_RGBA32);
	// The first pixel of the image that is transparent.
	int32 holeX = -1;
	int32 holeY = -1;
	for (int32 y = 0; y < image->Height() && holeX < 0; y++) {
		for (int32 x = 0; x < image->Width() && holeX < 0; x++) {
			const uint8* pixel = static_cast<const uint8*>(image->Bits()) + y * image->BytesPerRow()
				+ x * 4;
			if (pixel[3] < 128) {
				holeX = x;
				holeY = y;
			}
		}
	}
	ASSERT_GE(holeX, 0) << "the fixture has no transparent pixel";
	const int32 x = 16 + holeX;
	const int32 y = 20 + 16 + holeY;

	RunProgram({alpha}, [&](QtProbe& probe) {
		std::vector<int32> ids = WaitForWindows(probe, 1);
		ASSERT_EQ(ids.size(), 1u);
		std::unique_ptr<BBitmap> shown;
		// Alpha forced opaque in the grab, the colour is the magic one.
		auto drawn = [&] {
			shown = probe.Snapshot(ids[0]);
			return shown && shown->Width() > x && shown->Height() > y
				&& Describe(PixelAt(*shown, x, y)) == "119,116,119";
		};
		ASSERT_TRUE(probe.WaitUntil(drawn, kWatchdogMicroseconds))
			<< (shown ? Describe(PixelAt(*shown, x, y)) : "no grab");
		const uint8* pixel = static_cast<const uint8*>(shown->Bits()) + y * shown->BytesPerRow()
			+ x * 4;
		EXPECT_EQ(pixel[3], 255) << "the pixel is a hole in the grab";
		// What Qt is given to paint is opaque too: a compositor that reads
		// its fourth byte as alpha shows no hole either.
		std::unique_ptr<BBitmap> presented = probe.PresentedPixels(ids[0]);
		ASSERT_TRUE(presented);
		pixel = static_cast<const uint8*>(presented->Bits()) + y * presented->BytesPerRow() + x * 4;
		EXPECT_EQ(Describe(rgb_color{pixel[2], pixel[1], pixel[0], 255}), "119,116,119");
		EXPECT_EQ(pixel[3], 255) << "the pixel is a hole in the window";
	});
}

TEST_P(WindowOnEachServer, CtrlWClosesOneWindowAndCtrlQQuitsTheApplication)
{
	RunProgram(GetParam(), {kColour, kQuill}, Ending::kQuitsByItself, [&](DisplayProbe& probe) {
		std::vector<int32> ids = WaitForWindows(probe, 2);
		ASSERT_EQ(ids.size(), 2u);
		ASSERT_EQ(probe.PressShortcut(ids[1], 'W'), B_OK);
		std::vector<int32> left = WaitForWindows(probe, 1);
		ASSERT_EQ(left, std::vector<int32>{ids[0]});
		ASSERT_EQ(probe.PressShortcut(ids[0], 'Q'), B_OK);
	});
}

TEST_P(WindowOnEachServer, CloseBoxClosesTheLastWindowAndTheApplicationQuits)
{
	RunProgram(GetParam(), {kQuill}, Ending::kQuitsByItself, [&](DisplayProbe& probe) {
		std::vector<int32> ids = WaitForWindows(probe, 1);
		ASSERT_EQ(ids.size(), 1u);
		ASSERT_EQ(probe.ClickCloseBox(ids[0]), B_OK);
	});
}

TEST_P(WindowOnEachServer, FilesDroppedOnAWindowOpenWindowsOfTheirOwn)
{
	RunProgram(GetParam(), {kColour}, [](DisplayProbe& probe) {
		std::vector<int32> ids = WaitForWindows(probe, 1);
		ASSERT_EQ(ids.size(), 1u);
		ASSERT_EQ(probe.DropFiles(ids[0], {kQuill, kPalette}), B_OK);
		std::vector<int32> all = WaitForWindows(probe, 3);
		ASSERT_EQ(all.size(), 3u);
		EXPECT_EQ(probe.Window(all[1])->title, "quill.png.h");
		EXPECT_EQ(probe.Window(all[2])->title, "palette-system.png.h");
		// Qt's window refuses the drag; the headless drop cannot resolve it.
		EXPECT_EQ(probe.DropFiles(ids[0], {"/nonexistent/dir/x.png"}),
			GetParam() == Server::kQt ? B_NOT_ALLOWED : B_ENTRY_NOT_FOUND);
	});
}

// Ctrl+C and Ctrl+Shift+C fill the clipboard; a picture another program put
// there opens with Ctrl+V in a new untitled window.
TEST_P(WindowOnEachServer, CopyFillsTheClipboardAndPasteOpensItsImage)
{
	RunProgram(GetParam(), {kQuill}, [](DisplayProbe& probe) {
		std::vector<int32> ids = WaitForWindows(probe, 1);
		ASSERT_EQ(ids.size(), 1u);
		ASSERT_EQ(probe.PressShortcut(ids[0], 'C'), B_OK);
		std::string text;
		EXPECT_TRUE(probe.WaitUntil(
			[&] {
				text = probe.ClipboardBytes("text/plain");
				return text.find("uint8 quill_MData[4096] =") != std::string::npos;
			},
			20'000'000))
			<< text.substr(0, 200);
		ASSERT_EQ(probe.PressShortcut(ids[0], 'C', B_SHIFT_KEY), B_OK);
		std::string png;
		EXPECT_TRUE(probe.WaitUntil(
			[&] {
				png = probe.ClipboardBytes("image/png");
				return png.compare(0, 4, "\x89PNG") == 0;
			},
			20'000'000));

		BBitmap red(BRect(0, 0, 9, 9), B_RGB32);
		for (int32 pixel = 0; pixel < 100; pixel++)
			static_cast<uint32*>(red.Bits())[pixel] = 0xFFFF0000;
		BPrivate::Result<std::string> redPng = BPrivate::EncodePng(red);
		ASSERT_TRUE(redPng);
		ASSERT_EQ(probe.CopyToClipboard("image/png", redPng.Value()), B_OK);
		ASSERT_EQ(probe.PressShortcut(ids[0], 'V'), B_OK);
		std::vector<int32> all = WaitForWindows(probe, 2);
		ASSERT_EQ(all.size(), 2u);
		EXPECT_EQ(probe.Window(all[1])->title, "Untitled 1.h");
	});
}
