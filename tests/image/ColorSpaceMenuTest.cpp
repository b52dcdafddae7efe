// SPDX-License-Identifier: MIT
// The "Color space" items after the seed's two: each converts the image,
// marks itself alone, redraws the image as its new bytes show it, and the
// save writes what the exporter writes for that space.

#include "export/BitmapConversion.h"
#include "support/Files.h"
#include "support/Program.h"
#include "support/ProgramFixture.h"

#include <algorithm>
#include <filesystem>

using testsupport::ReadWhole;

namespace {

using ColorSpaceMenuTest = testsupport::ProgramFixture;

struct SpaceItem {
	const char* label;
	uint32 command;
	color_space space;
	const char* exporterName;
	int32 bytesPerRow; // for the 10-pixel rows of the test images
};

const SpaceItem kItems[] = {
	{"B_CMAP8", 'CoM8', B_CMAP8, "cmap8", 12},
	{"B_RGB32", 'Co32', B_RGB32, "rgb32", 40},
	{"B_RGBA32", 'CoA3', B_RGBA32, "rgba32", 40},
	{"B_RGB16", 'Co16', B_RGB16, "rgb16", 20},
	{"B_RGB15", 'Co15', B_RGB15, "rgb15", 20},
	{"B_RGBA15", 'CoA5', B_RGBA15, "rgba15", 20},
	{"B_GRAY8", 'CoG8', B_GRAY8, "gray8", 12},
	{"B_GRAY1", 'CoG1', B_GRAY1, "gray1", 4},
	{"B_RGB24", 'Co24', B_RGB24, "rgb24", 32},
	{"B_RGB24_BIG", 'CB24', B_RGB24_BIG, "rgb24-big", 32},
	{"B_RGB16_BIG", 'CB16', B_RGB16_BIG, "rgb16-big", 20},
	{"B_RGB15_BIG", 'CB15', B_RGB15_BIG, "rgb15-big", 20},
	{"B_RGBA15_BIG", 'CBA5', B_RGBA15_BIG, "rgba15-big", 20},
	{"B_RGB32_BIG", 'CB32', B_RGB32_BIG, "rgb32-big", 40},
	{"B_RGBA32_BIG", 'CBA3', B_RGBA32_BIG, "rgba32-big", 40},
};
constexpr size_t kSeedItems = 2;
// A separator follows the seed's two and another the first six after them.
constexpr size_t kSeparators[] = {kSeedItems, kSeedItems + 1 + 6};

std::vector<std::string>
PathOf(const SpaceItem& item)
{
	return {"File", "Color space", item.label};
}

bool
OnlyMarked(HeadlessProbe& probe, int32 window, const SpaceItem& marked)
{
	for (const SpaceItem& item : kItems) {
		std::optional<MenuItemState> state = probe.MenuItem(window, PathOf(item));
		if (!state || state->marked != (&item == &marked))
			return false;
	}
	return true;
}

bool
SameColor(rgb_color a, rgb_color b)
{
	return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

} // namespace

TEST_F(ColorSpaceMenuTest, TheSeedsTwoComeFirstThenSeparatorsAndTheOthers)
{
	Launch({CopyImage("colour.png", "pic.png")});
	std::vector<int32> windows = VisibleWindows(1);
	ASSERT_EQ(windows.size(), 1u);
	std::optional<MenuItemState> menu = fProbe->MenuItem(windows[0], {"File", "Color space"});
	ASSERT_TRUE(menu);
	const std::vector<MenuItemState>& items = menu->items;
	ASSERT_EQ(items.size(), std::size(kItems) + std::size(kSeparators));
	for (size_t index = 0, item = 0; index < items.size(); index++) {
		SCOPED_TRACE(index);
		if (std::find(std::begin(kSeparators), std::end(kSeparators), index)
			!= std::end(kSeparators)) {
			EXPECT_TRUE(items[index].separator);
			continue;
		}
		EXPECT_EQ(items[index].label, kItems[item].label);
		EXPECT_EQ(items[index].command, kItems[item].command);
		EXPECT_EQ(items[index].shortcut, 0);
		EXPECT_TRUE(items[index].enabled);
		EXPECT_EQ(items[index].marked, kItems[item].space == B_RGB32);
		item++;
	}
}

// One window of an opaque image for each new space: the item converts it,
// marks itself alone, the window shows the new bytes, and the save is the
// exporter's text for that space.
TEST_F(ColorSpaceMenuTest, EachNewItemSwitchesMarksRedrawsAndSavesWhatTheExporterWrites)
{
	const size_t count = std::size(kItems) - kSeedItems;
	std::vector<std::string> images;
	for (size_t index = 0; index < count; index++)
		images.push_back(CopyImage("colour.png", "image" + std::to_string(index) + ".png"));
	Launch(images);
	std::vector<int32> windows = VisibleWindows(count);
	ASSERT_EQ(windows.size(), count);
	std::filesystem::create_directory(fDirectory + "/saved");
	std::filesystem::create_directory(fDirectory + "/expected");

	for (size_t index = 0; index < count; index++) {
		const SpaceItem& item = kItems[kSeedItems + index];
		SCOPED_TRACE(item.label);
		const int32 id = windows[index];
		const std::string title = fProbe->Title(id);
		ASSERT_TRUE(Eventually([&] { return fServer->Window(id)->pixelUpdates > 0; }));
		const int32 updates = fServer->Window(id)->pixelUpdates;

		ASSERT_EQ(fProbe->PickMenuItem(id, PathOf(item)), B_OK);
		ASSERT_TRUE(Eventually([&] { return OnlyMarked(*fProbe, id, item); }));
		std::unique_ptr<BBitmap> shownAs;
		bool modified = true;
		ASSERT_TRUE(WithImageWindow(title.c_str(), [&](BitmapImageWindow& window) {
			EXPECT_EQ(window.Image()->ColorSpace(), item.space);
			EXPECT_EQ(window.Image()->BytesPerRow(), item.bytesPerRow);
			EXPECT_EQ(window.Image()->BitsLength(), item.bytesPerRow * 7);
			shownAs = ConvertedBitmap(*window.Image(), B_RGB32).Value();
			modified = window.IsModified();
		}));
		EXPECT_FALSE(modified);
		ASSERT_TRUE(Settle(id));
		EXPECT_GT(fServer->Window(id)->pixelUpdates, updates);

		// The image as its bytes read back, at the margin below the menu bar.
		std::unique_ptr<BBitmap> shot = fProbe->Snapshot(id);
		const int32 left = 16;
		const int32 top = int32(fProbe->MenuBar(id).frame.bottom) + 1 + 16;
		for (int32 y = 0; y < 7; y++) {
			for (int32 x = 0; x < 10; x++) {
				ASSERT_TRUE(SameColor(DisplayProbe::PixelOf(shot.get(), left + x, top + y),
					DisplayProbe::PixelOf(shownAs.get(), x, y)))
					<< x << ", " << y;
			}
		}

		const std::string name = "icon" + std::to_string(index) + ".h";
		ASSERT_TRUE(SaveThroughPanel(id, fDirectory + "/saved", name.c_str()));
		ASSERT_TRUE(Eventually([&] { return fProbe->Title(id) == name; }));
		ASSERT_TRUE(WithImageWindow(name.c_str(), [](BitmapImageWindow&) {}));
		const std::string expected = fDirectory + "/expected/" + name;
		testsupport::ProgramOutcome exported = testsupport::RunProgram(
			{{QUILLPIX_BINARY_DIR "/tools/quillpix-export", "--color-space", item.exporterName,
				"-o", expected, images[index]}});
		ASSERT_EQ(exported.ExitCode(), 0) << exported.Describe();
		EXPECT_EQ(ReadWhole(fDirectory + "/saved/" + name), ReadWhole(expected));
	}
}

// Transparent pixels of an image converted into a space that keeps them
// show as they did in B_RGB32; the seed's "B_RGB32" takes the image back
// from any space and marks itself alone.
TEST_F(ColorSpaceMenuTest, TransparencyShowsAsBeforeAndTheSeedsItemsTakeTheImageBack)
{
	const SpaceItem* const keeping[] = {
		&kItems[2], &kItems[4], &kItems[5], &kItems[11], &kItems[14]};
	std::vector<std::string> images;
	for (size_t index = 0; index < std::size(keeping); index++)
		images.push_back(CopyImage("alpha.png", "alpha" + std::to_string(index) + ".png"));
	Launch(images);
	std::vector<int32> windows = VisibleWindows(std::size(keeping));
	ASSERT_EQ(windows.size(), std::size(keeping));

	for (size_t index = 0; index < std::size(keeping); index++) {
		const SpaceItem& item = *keeping[index];
		SCOPED_TRACE(item.label);
		const int32 id = windows[index];
		const std::string title = fProbe->Title(id);
		ASSERT_TRUE(Settle(id));
		std::unique_ptr<BBitmap> before = fProbe->Snapshot(id);
		std::unique_ptr<BBitmap> held;
		ASSERT_TRUE(WithImageWindow(title.c_str(), [&](BitmapImageWindow& window) {
			held = ConvertedBitmap(*window.Image(), B_RGB32).Value();
		}));

		ASSERT_EQ(fProbe->PickMenuItem(id, PathOf(item)), B_OK);
		ASSERT_TRUE(Eventually([&] { return OnlyMarked(*fProbe, id, item); }));
		ASSERT_TRUE(Settle(id));
		std::unique_ptr<BBitmap> after = fProbe->Snapshot(id);
		const int32 left = 16;
		const int32 top = int32(fProbe->MenuBar(id).frame.bottom) + 1 + 16;
		int32 transparent = 0;
		for (int32 y = 0; y < 7; y++) {
			for (int32 x = 0; x < 10; x++) {
				if (DisplayProbe::PixelOf(held.get(), x, y).alpha != 0)
					continue;
				transparent++;
				EXPECT_TRUE(SameColor(DisplayProbe::PixelOf(after.get(), left + x, top + y),
					DisplayProbe::PixelOf(before.get(), left + x, top + y)))
					<< x << ", " << y;
			}
		}
		EXPECT_GT(transparent, 0);

		ASSERT_EQ(fProbe->PickMenuItem(id, PathOf(kItems[1])), B_OK);
		ASSERT_TRUE(Eventually([&] { return OnlyMarked(*fProbe, id, kItems[1]); }));
		ASSERT_TRUE(WithImageWindow(title.c_str(),
			[&](BitmapImageWindow& window) { EXPECT_EQ(window.Image()->ColorSpace(), B_RGB32); }));
		ASSERT_EQ(fProbe->PickMenuItem(id, PathOf(kItems[0])), B_OK);
		ASSERT_TRUE(Eventually([&] { return OnlyMarked(*fProbe, id, kItems[0]); }));
	}
}
