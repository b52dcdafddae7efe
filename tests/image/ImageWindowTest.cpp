// SPDX-License-Identifier: MIT
// An image window as a person uses it: its menu, the colour-space
// commands, saving as source, what it draws, and closing and quitting.

#include "support/Files.h"
#include "support/Program.h"
#include "support/ProgramFixture.h"

#include <TranslationUtils.h>

#include <sys/wait.h>
#include <sys/xattr.h>

#include <fstream>
#include <sstream>

using testsupport::ReadWhole;

namespace {

using testsupport::ProgramFixture;

using ImageWindowTest = ProgramFixture;

const std::vector<std::string> kCmap8Path = {"File", "Color space", "B_CMAP8"};
const std::vector<std::string> kRgb32Path = {"File", "Color space", "B_RGB32"};
const char* const kSaveLabel = "Save as source code\xE2\x80\xA6";

bool
IsMarked(HeadlessProbe& server, int32 window, const std::vector<std::string>& path)
{
	std::optional<MenuItemState> item = server.MenuItem(window, path);
	return item && item->marked;
}

std::string
MimeType(const std::string& path)
{
	char type[256];
	ssize_t length = getxattr(path.c_str(), "user.mime_type", type, sizeof(type));
	return length < 0 ? std::string("(none)") : std::string(type, size_t(length));
}

// What a menu item is expected to be.
struct ExpectedItem {
	const char* label; // null: a separator
	char shortcut;
	uint32 command;
};

// Each of `items` is its row of `expected`, with no modifier keys.
void
ExpectItems(const std::vector<MenuItemState>& items, const std::vector<ExpectedItem>& expected)
{
	ASSERT_EQ(items.size(), expected.size());
	for (size_t index = 0; index < items.size(); index++) {
		SCOPED_TRACE(index);
		EXPECT_EQ(items[index].separator, expected[index].label == nullptr);
		if (expected[index].label != nullptr) {
			EXPECT_EQ(items[index].label, expected[index].label);
		}
		EXPECT_EQ(items[index].shortcut, expected[index].shortcut);
		EXPECT_EQ(items[index].modifiers, 0u);
		EXPECT_EQ(items[index].command, expected[index].command);
	}
}

TEST_F(ImageWindowTest, FileMenuReadsAsListed)
{
	Launch({CopyImage("colour.png", "pic.png")});
	std::vector<int32> windows = VisibleWindows(1);
	ASSERT_EQ(windows.size(), 1u);

	MenuBarState bar = fProbe->MenuBar(windows[0]);
	ASSERT_EQ(bar.items.size(), 4u);
	EXPECT_EQ(bar.items[0].label, "File");
	ASSERT_TRUE(bar.items[0].hasSubmenu);

	const std::vector<ExpectedItem> file = {
		{"Open\xE2\x80\xA6", 'O', 'Open'},
		{nullptr, 0, 0},
		{kSaveLabel, 0, 'fdSA'},
		{nullptr, 0, 0},
		{"Color space", 0, 0},
		{nullptr, 0, 0},
		{"Close", 'W', B_QUIT_REQUESTED},
		{"Quit", 'Q', B_QUIT_REQUESTED},
	};
	const std::vector<MenuItemState>& items = bar.items[0].items;
	ASSERT_NO_FATAL_FAILURE(ExpectItems(items, file));
	for (size_t index = 0; index < items.size(); index++) {
		SCOPED_TRACE(index);
		EXPECT_EQ(items[index].enabled, file[index].label != nullptr);
		EXPECT_EQ(items[index].hasSubmenu, index == 4);
	}
	// The seed's two first; the other spaces follow separators
	// (ColorSpaceMenuTest).
	const std::vector<MenuItemState>& spaces = items[4].items;
	ASSERT_EQ(spaces.size(), 17u);
	EXPECT_EQ(spaces[0].label, "B_CMAP8");
	EXPECT_EQ(spaces[0].command, uint32('CoM8'));
	EXPECT_EQ(spaces[1].label, "B_RGB32");
	EXPECT_EQ(spaces[1].command, uint32('Co32'));

	// The Edit menu follows File; "Copy image" adds Shift to its Ctrl+C.
	EXPECT_EQ(bar.items[1].label, "Edit");
	const std::vector<ExpectedItem> edit = {
		{"Copy as source code", 'C', 'CpSc'},
		{"Copy image", 'C', 'CpIm'},
		{nullptr, 0, 0},
		{"Paste as new image", 'V', 'PsNw'},
	};
	std::vector<MenuItemState> editItems = bar.items[1].items;
	ASSERT_EQ(editItems.size(), edit.size());
	EXPECT_EQ(editItems[1].modifiers, uint32(B_SHIFT_KEY));
	editItems[1].modifiers = 0;
	ASSERT_NO_FATAL_FAILURE(ExpectItems(editItems, edit));

	// The View menu follows Edit.
	EXPECT_EQ(bar.items[2].label, "View");
	ASSERT_TRUE(bar.items[2].hasSubmenu);
	const std::vector<ExpectedItem> view = {
		{"Zoom in", '+', 'ZmIn'},
		{"Zoom out", '-', 'ZmOu'},
		{"Actual size", '0', 'ZmAc'},
		{"Fit in window", 0, 'ZmFt'},
		{nullptr, 0, 0},
		{"Show transparency", 0, 'ZmTr'},
	};
	const std::vector<MenuItemState>& viewItems = bar.items[2].items;
	ASSERT_NO_FATAL_FAILURE(ExpectItems(viewItems, view));
	for (size_t index = 0; index < viewItems.size(); index++) {
		SCOPED_TRACE(index);
		// A window first shows transparent pixels as it always did.
		EXPECT_FALSE(viewItems[index].marked);
	}

	// The Image menu follows View: the dithering submenu of three radio
	// items, "None" marked, then "Revert to file".
	EXPECT_EQ(bar.items[3].label, "Image");
	const std::vector<MenuItemState>& imageItems = bar.items[3].items;
	ASSERT_EQ(imageItems.size(), 3u);
	EXPECT_EQ(imageItems[0].label, "Dithering");
	EXPECT_TRUE(imageItems[1].separator);
	EXPECT_EQ(imageItems[2].label, "Revert to file");
	EXPECT_EQ(imageItems[2].command, uint32('Rvrt'));
	EXPECT_TRUE(imageItems[2].enabled);
	const std::vector<ExpectedItem> dithering = {
		{"None", 0, 'DiNo'},
		{"Floyd\xE2\x80\x93Steinberg", 0, 'DiFS'},
		{"Ordered", 0, 'DiOr'},
	};
	const std::vector<MenuItemState>& ditherItems = imageItems[0].items;
	ASSERT_NO_FATAL_FAILURE(ExpectItems(ditherItems, dithering));
	for (size_t index = 0; index < ditherItems.size(); index++) {
		SCOPED_TRACE(index);
		EXPECT_EQ(ditherItems[index].marked, index == 0);
	}
}

TEST_F(ImageWindowTest, TheMarkNamesTheColourSpaceTheImageArrivedIn)
{
	Launch({CopyImage("palette-system.png", "indexed.png"), CopyImage("colour.png", "rgb.png"),
		CopyImage("grey.png", "grey.png")});
	std::vector<int32> windows = VisibleWindows(3);
	ASSERT_EQ(windows.size(), 3u);

	struct Row {
		int32 window;
		color_space space;
	};
	// A grey image arrives in B_GRAY8 and is held as B_RGB32.
	for (Row row : {Row{windows[0], B_CMAP8}, Row{windows[1], B_RGB32}, Row{windows[2], B_RGB32}}) {
		SCOPED_TRACE(fProbe->Title(row.window));
		EXPECT_EQ(IsMarked(*fProbe, row.window, kCmap8Path), row.space == B_CMAP8);
		EXPECT_EQ(IsMarked(*fProbe, row.window, kRgb32Path), row.space == B_RGB32);
		color_space held = B_NO_COLOR_SPACE;
		ASSERT_TRUE(WithImageWindow(fProbe->Title(row.window).c_str(),
			[&](BitmapImageWindow& window) { held = window.Image()->ColorSpace(); }));
		EXPECT_EQ(held, row.space);
	}
}

TEST_F(ImageWindowTest, SwitchingRedrawsMovesTheMarkAndRepacksTheBits)
{
	Launch({CopyImage("colour.png", "pic.png")}); // 10 by 7
	std::vector<int32> windows = VisibleWindows(1);
	ASSERT_EQ(windows.size(), 1u);
	int32 id = windows[0];
	auto bitsLength = [&] {
		int32 length = -1;
		WithImageWindow(
			"pic.png.h", [&](BitmapImageWindow& window) { length = window.Image()->BitsLength(); });
		return length;
	};
	auto modified = [&] {
		bool modified = true;
		WithImageWindow(
			"pic.png.h", [&](BitmapImageWindow& window) { modified = window.IsModified(); });
		return modified;
	};
	EXPECT_EQ(bitsLength(), 10 * 4 * 7);

	int32 updates = fServer->Window(id)->pixelUpdates;
	ASSERT_EQ(fProbe->PickMenuItem(id, kCmap8Path), B_OK);
	ASSERT_TRUE(Eventually(
		[&] { return IsMarked(*fProbe, id, kCmap8Path) && !IsMarked(*fProbe, id, kRgb32Path); }));
	// Rows of 8-bit pixels are padded to a multiple of four bytes.
	EXPECT_EQ(bitsLength(), 12 * 7);
	EXPECT_TRUE(Eventually([&] { return fServer->Window(id)->pixelUpdates > updates; }));
	EXPECT_FALSE(modified());

	// Asking again for the space it is in changes nothing.
	ASSERT_EQ(fProbe->PickMenuItem(id, kCmap8Path), B_OK);
	ASSERT_EQ(fProbe->PickMenuItem(id, kRgb32Path), B_OK);
	ASSERT_TRUE(Eventually(
		[&] { return IsMarked(*fProbe, id, kRgb32Path) && !IsMarked(*fProbe, id, kCmap8Path); }));
	EXPECT_EQ(bitsLength(), 10 * 4 * 7);
	EXPECT_FALSE(modified());
}

// Saving from the window writes exactly what the command-line exporter
// writes for the same image, colour space and name.
TEST_F(ImageWindowTest, SavedSourceIsByteIdenticalToTheExporters)
{
	struct Row {
		const char* fixture;
		bool switchToCmap8;
		const char* colorSpace;
	};
	const Row rows[] = {
		{"colour.png", false, "rgb32"},
		{"colour.png", true, "cmap8"},
		{"alpha.png", true, "cmap8"},
		{"palette-system.png", false, "cmap8"},
	};
	std::vector<std::string> images;
	for (size_t index = 0; index < std::size(rows); index++)
		images.push_back(CopyImage(rows[index].fixture, "image" + std::to_string(index) + ".png"));
	Launch(images);
	std::vector<int32> windows = VisibleWindows(std::size(rows));
	ASSERT_EQ(windows.size(), std::size(rows));
	std::filesystem::create_directory(fDirectory + "/saved");
	std::filesystem::create_directory(fDirectory + "/expected");

	for (size_t index = 0; index < std::size(rows); index++) {
		SCOPED_TRACE(rows[index].fixture);
		int32 id = windows[index];
		if (rows[index].switchToCmap8) {
			ASSERT_EQ(fProbe->PickMenuItem(id, kCmap8Path), B_OK);
			ASSERT_TRUE(Eventually([&] { return IsMarked(*fProbe, id, kCmap8Path); }));
		}
		ASSERT_EQ(fProbe->PickMenuItem(id, {"File", kSaveLabel}), B_OK);
		int32 panel = -1;
		ASSERT_TRUE(Eventually([&] {
			// The panel of the last save has hidden itself when it was done.
			for (const HeadlessServer::PanelState& state : fServer->Panels()) {
				if (state.mode == B_SAVE_PANEL)
					panel = state.id;
			}
			return panel >= 0;
		}));
		// The panel proposes the document's name.
		EXPECT_EQ(fServer->Panel(panel)->saveText, fProbe->Title(id));

		std::string name = "icon" + std::to_string(index) + ".h";
		entry_ref directory;
		ASSERT_EQ(BEntry((fDirectory + "/saved").c_str()).GetRef(&directory), B_OK);
		ASSERT_EQ(fProbe->AcceptSavePanel(panel, directory, name.c_str()), B_OK);
		std::string saved = fDirectory + "/saved/" + name;
		// The title follows the new name as the save begins; the window's
		// lock is ours again once the save is over.
		ASSERT_TRUE(Eventually([&] { return fProbe->Title(id) == name; }));
		ASSERT_TRUE(WithImageWindow(name.c_str(), [](BitmapImageWindow&) {}));
		ASSERT_TRUE(std::filesystem::exists(saved));

		std::string expected = fDirectory + "/expected/" + name;
		testsupport::ProgramOutcome export_ = testsupport::RunProgram(
			{{QUILLPIX_BINARY_DIR "/tools/quillpix-export", "--color-space", rows[index].colorSpace,
				"-o", expected, images[index]}});
		ASSERT_EQ(export_.ExitCode(), 0) << export_.Describe();
		EXPECT_EQ(ReadWhole(saved), ReadWhole(expected));
		EXPECT_NE(ReadWhole(saved).find("PrefilledBitmap"), std::string::npos);
		EXPECT_EQ(MimeType(saved), MimeType(expected));
	}
}

TEST_F(ImageWindowTest, TheImageIsDrawnAtTheMarginBelowTheMenuBarOnWhite)
{
	std::string image = CopyImage("colour.png", "pic.png");
	Launch({image});
	std::vector<int32> windows = VisibleWindows(1);
	ASSERT_EQ(windows.size(), 1u);
	int32 id = windows[0];
	ASSERT_TRUE(Eventually([&] { return fServer->Window(id)->pixelUpdates > 0; }));

	std::unique_ptr<BBitmap> source(BTranslationUtils::GetBitmapFile(image.c_str()));
	ASSERT_TRUE(source);
	float menuBottom = fProbe->MenuBar(id).frame.bottom;
	EXPECT_EQ(menuBottom, 19.0f);
	const int32 left = 16;
	const int32 top = int32(menuBottom) + 1 + 16;
	const int32 width = source->Bounds().IntegerWidth() + 1;
	const int32 height = source->Bounds().IntegerHeight() + 1;

	auto same = [](rgb_color a, rgb_color b) {
		return a.red == b.red && a.green == b.green && a.blue == b.blue;
	};
	const rgb_color white = {255, 255, 255, 255};
	auto sourcePixel = [&](int32 x, int32 y) { return DisplayProbe::PixelOf(source.get(), x, y); };
	// The first drawing may still be on its way.
	ASSERT_TRUE(Eventually([&] {
		return same(fProbe->ReadPixel(id, left + width - 1, top + height - 1),
			sourcePixel(width - 1, height - 1));
	}));
	std::unique_ptr<BBitmap> shot = fProbe->Snapshot(id);
	auto shown = [&](int32 x, int32 y) { return DisplayProbe::PixelOf(shot.get(), x, y); };
	for (int32 y = 0; y < height; y++) {
		for (int32 x = 0; x < width; x++) {
			ASSERT_TRUE(same(shown(left + x, top + y), sourcePixel(x, y)))
				<< "at " << x << ", " << y;
		}
	}
	// White all around the image, down to the menu bar.
	for (int32 x = 0; x < left + width + 4; x++) {
		EXPECT_TRUE(same(shown(x, top - 1), white)) << x;
		EXPECT_TRUE(same(shown(x, top + height), white)) << x;
	}
	for (int32 y = int32(menuBottom) + 1; y < top + height; y++) {
		EXPECT_TRUE(same(shown(left - 1, y), white)) << y;
		EXPECT_TRUE(same(shown(left + width, y), white)) << y;
	}
}

TEST_F(ImageWindowTest, CloseShortcutClosesOneWindowAndQuitShortcutEndsTheProgram)
{
	Launch({CopyImage("colour.png", "a.png"), CopyImage("colour.png", "b.png"),
		CopyImage("colour.png", "c.png")});
	std::vector<int32> windows = VisibleWindows(3);
	ASSERT_EQ(windows.size(), 3u);

	ASSERT_EQ(fProbe->PressShortcut(windows[1], 'W'), B_OK);
	ASSERT_TRUE(Eventually([&] { return fServer->Windows().size() == 2; }));
	EXPECT_EQ(fProbe->FindWindow("b.png.h"), -1);
	EXPECT_FALSE(fRunReturned);

	ASSERT_EQ(fProbe->PressShortcut(windows[2], 'Q'), B_OK);
	ASSERT_TRUE(WaitForExit());
	EXPECT_TRUE(fServer->Windows().empty());
}

} // namespace
