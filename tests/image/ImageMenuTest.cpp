// SPDX-License-Identifier: MIT
// The "Image" menu: the dithering choice marks one item alone and decides
// how the next switch to a reduced space maps colours, byte for byte as the
// exporter's --dither; "Revert to file" reads the image again as it was
// opened, keeping the document name and the zoom, and says why when it
// cannot.

#include "support/Files.h"
#include "support/Program.h"
#include "support/ProgramFixture.h"

#include "image/AImageView.h"

#include <TranslationUtils.h>

#include <cstring>
#include <filesystem>

using testsupport::ReadWhole;

namespace {

using ImageMenuTest = testsupport::ProgramFixture;

const char* const kFloydSteinberg = "Floyd\xE2\x80\x93Steinberg";

std::vector<std::string>
DitherPath(const char* label)
{
	return {"Image", "Dithering", label};
}

bool
OnlyDitherMarked(HeadlessProbe& probe, int32 window, const char* marked)
{
	for (const char* label : {"None", kFloydSteinberg, "Ordered"}) {
		std::optional<MenuItemState> state = probe.MenuItem(window, DitherPath(label));
		if (!state || state->marked != (strcmp(label, marked) == 0))
			return false;
	}
	return true;
}

bool
IsMarked(HeadlessProbe& probe, int32 window, const char* space)
{
	std::optional<MenuItemState> state = probe.MenuItem(window, {"File", "Color space", space});
	return state && state->marked;
}

struct DitherRow {
	const char* dither; // the item's label
	const char* exporterName; // --dither's value; null: no --dither
	const char* space; // the "Color space" item picked next
	const char* exporterSpace;
};

const DitherRow kDitherRows[] = {
	{kFloydSteinberg, "floyd-steinberg", "B_CMAP8", "cmap8"},
	{"Ordered", "ordered", "B_CMAP8", "cmap8"},
	{"Ordered", "ordered", "B_RGB16", "rgb16"},
	{kFloydSteinberg, "floyd-steinberg", "B_GRAY1", "gray1"},
	{"None", nullptr, "B_CMAP8", "cmap8"},
	// Dithering does not touch a space that has no reduction to dither.
	{kFloydSteinberg, nullptr, "B_GRAY8", "gray8"},
};

// A photograph-like image: smooth ramps no palette holds, so every
// dithering kind gives other bytes than the nearest colours.
std::string
WriteRamps(const std::string& path)
{
	const int32 width = 48;
	const int32 height = 32;
	std::string ppm = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
	for (int32 y = 0; y < height; y++) {
		for (int32 x = 0; x < width; x++) {
			ppm += char(x * 5 + 3);
			ppm += char(y * 7 + 11);
			ppm += char((x + y) * 3 + 40);
		}
	}
	testsupport::WriteWhole(path, ppm);
	return path;
}

// The text the exporter writes for `image` with these options.
std::string
ExporterText(
	const std::string& image, const std::string& output, const char* space, const char* dither)
{
	std::vector<std::string> arguments = {
		QUILLPIX_BINARY_DIR "/tools/quillpix-export", "--color-space", space, "-o", output};
	if (dither != nullptr) {
		arguments.push_back("--dither");
		arguments.push_back(dither);
	}
	arguments.push_back(image);
	testsupport::ProgramOutcome exported = testsupport::RunProgram({arguments});
	EXPECT_EQ(exported.ExitCode(), 0) << exported.Describe();
	return ReadWhole(output);
}

} // namespace

// One window for each row: the dithering item marks itself alone, the
// space item converts by it, and the save is the exporter's text with the
// same --dither.
TEST_F(ImageMenuTest, DitheringMarksAloneAndTheNextSwitchSavesWhatTheExporterWrites)
{
	std::vector<std::string> images;
	for (size_t index = 0; index < std::size(kDitherRows); index++)
		images.push_back(WriteRamps(fDirectory + "/ramp" + std::to_string(index) + ".ppm"));
	Launch(images);
	std::vector<int32> windows = VisibleWindows(images.size());
	ASSERT_EQ(windows.size(), images.size());
	std::filesystem::create_directory(fDirectory + "/saved");
	std::filesystem::create_directory(fDirectory + "/expected");

	for (size_t index = 0; index < std::size(kDitherRows); index++) {
		const DitherRow& row = kDitherRows[index];
		SCOPED_TRACE(std::string(row.dither) + " then " + row.space);
		const int32 id = windows[index];
		ASSERT_TRUE(OnlyDitherMarked(*fProbe, id, "None"));

		ASSERT_EQ(fProbe->PickMenuItem(id, DitherPath(row.dither)), B_OK);
		ASSERT_TRUE(Eventually([&] { return OnlyDitherMarked(*fProbe, id, row.dither); }));
		ASSERT_EQ(fProbe->PickMenuItem(id, {"File", "Color space", row.space}), B_OK);
		ASSERT_TRUE(Eventually([&] { return IsMarked(*fProbe, id, row.space); }));
		// The choice stays for the switches after.
		EXPECT_TRUE(OnlyDitherMarked(*fProbe, id, row.dither));

		const std::string name = "ramp" + std::to_string(index) + ".h";
		ASSERT_TRUE(SaveThroughPanel(id, fDirectory + "/saved", name.c_str()));
		ASSERT_TRUE(Eventually([&] { return fProbe->Title(id) == name; }));
		ASSERT_TRUE(Settle(id));
		const std::string expected = ExporterText(
			images[index], fDirectory + "/expected/" + name, row.exporterSpace, row.exporterName);
		EXPECT_EQ(ReadWhole(fDirectory + "/saved/" + name), expected);
		if (row.exporterName != nullptr) {
			// The dithered text is not the plain one: the choice did something.
			EXPECT_NE(expected,
				ExporterText(
					images[index], fDirectory + "/expected/plain.h", row.exporterSpace, nullptr));
		}
	}
}

struct RevertRow {
	const char* fixture;
	const char* openedIn; // the space the file gives
	const char* switchTo;
};

// Revert brings back the file's bytes and colour space after a switch, a
// zoom and a save under another name, which it keeps.
TEST_F(ImageMenuTest, RevertRestoresTheFilesBytesAndSpaceKeepingTheNameAndZoom)
{
	const RevertRow rows[] = {
		{"colour.png", "B_RGB32", "B_CMAP8"},
		{"palette-system.png", "B_CMAP8", "B_GRAY1"},
	};
	std::vector<std::string> images;
	for (size_t index = 0; index < std::size(rows); index++)
		images.push_back(CopyImage(rows[index].fixture, "image" + std::to_string(index) + ".png"));
	Launch(images);
	std::vector<int32> windows = VisibleWindows(images.size());
	ASSERT_EQ(windows.size(), images.size());

	for (size_t index = 0; index < std::size(rows); index++) {
		const RevertRow& row = rows[index];
		SCOPED_TRACE(row.fixture);
		const int32 id = windows[index];
		BPrivate::Result<std::unique_ptr<BBitmap>> file = BPrivate::ReadBitmapFile(
			images[index].c_str());
		ASSERT_TRUE(file);

		ASSERT_EQ(fProbe->PickMenuItem(id, {"View", "Zoom in"}), B_OK);
		ASSERT_EQ(fProbe->PickMenuItem(id, {"File", "Color space", row.switchTo}), B_OK);
		ASSERT_TRUE(Eventually([&] { return IsMarked(*fProbe, id, row.switchTo); }));
		const std::string name = "kept" + std::to_string(index) + ".h";
		ASSERT_TRUE(SaveThroughPanel(id, fDirectory, name.c_str()));
		ASSERT_TRUE(Eventually([&] { return fProbe->Title(id) == name; }));

		ASSERT_EQ(fProbe->PickMenuItem(id, {"Image", "Revert to file"}), B_OK);
		ASSERT_TRUE(Eventually([&] {
			return IsMarked(*fProbe, id, row.openedIn) && !IsMarked(*fProbe, id, row.switchTo);
		}));
		ASSERT_TRUE(WithImageWindow(name.c_str(), [&](BitmapImageWindow& window) {
			const BBitmap* image = window.Image();
			ASSERT_NE(image, nullptr);
			EXPECT_EQ(image->ColorSpace(), file.Value()->ColorSpace());
			ASSERT_EQ(image->BitsLength(), file.Value()->BitsLength());
			EXPECT_EQ(memcmp(image->Bits(), file.Value()->Bits(), size_t(image->BitsLength())), 0);
			EXPECT_EQ(std::string(window.DocumentName()), fDirectory + "/" + name);
			EXPECT_EQ(window.ImageView()->Scale(), 2.0f);
			EXPECT_FALSE(window.IsModified());
		}));
	}
}

// A file that went away cannot be read again: the person is told as opening
// tells it, and the window keeps the image it shows.
TEST_F(ImageMenuTest, RevertThatCannotReadTheFileSaysWhyAndKeepsTheImage)
{
	AnswerAlerts();
	const std::string image = CopyImage("colour.png", "gone.png");
	Launch({image});
	std::vector<int32> windows = VisibleWindows(1);
	ASSERT_EQ(windows.size(), 1u);
	const int32 id = windows[0];
	ASSERT_EQ(fProbe->PickMenuItem(id, {"File", "Color space", "B_CMAP8"}), B_OK);
	ASSERT_TRUE(Eventually([&] { return IsMarked(*fProbe, id, "B_CMAP8"); }));
	std::filesystem::remove(image);

	ASSERT_EQ(fProbe->PickMenuItem(id, {"Image", "Revert to file"}), B_OK);
	EXPECT_EQ(AlertTexts(1), std::vector<std::string>{"gone.png: No such file or directory"});
	EXPECT_TRUE(IsMarked(*fProbe, id, "B_CMAP8"));
	EXPECT_TRUE(WithImageWindow("gone.png.h", [](BitmapImageWindow& window) {
		ASSERT_NE(window.Image(), nullptr);
		EXPECT_EQ(window.Image()->ColorSpace(), B_CMAP8);
	}));

	// Once the file is back, revert reads it.
	CopyImage("colour.png", "gone.png");
	ASSERT_EQ(fProbe->PickMenuItem(id, {"Image", "Revert to file"}), B_OK);
	EXPECT_TRUE(Eventually([&] { return IsMarked(*fProbe, id, "B_RGB32"); }));
}

// A window whose file gave no image reads it again on revert, and an
// untitled window, which has no file, cannot revert at all.
TEST_F(ImageMenuTest, RevertReadsAFileThatCameLaterAndIsOffForAnUntitledWindow)
{
	const std::string image = fDirectory + "/later.png";
	Launch({image});
	std::vector<int32> windows = VisibleWindows(1);
	ASSERT_EQ(windows.size(), 1u);
	ASSERT_EQ(HasImage("later.png.h"), 0);
	CopyImage("colour.png", "later.png");
	ASSERT_EQ(fProbe->PickMenuItem(windows[0], {"Image", "Revert to file"}), B_OK);
	ASSERT_TRUE(Eventually([&] { return HasImage("later.png.h") == 1; }));
	EXPECT_TRUE(WithImageWindow("later.png.h",
		[](BitmapImageWindow& window) { EXPECT_EQ(window.ImageView()->StatusText(), ""); }));

	be_app_messenger.SendMessage('NewD');
	windows = VisibleWindows(2);
	ASSERT_EQ(windows.size(), 2u);
	std::optional<MenuItemState> revert = fProbe->MenuItem(windows[1], {"Image", "Revert to file"});
	ASSERT_TRUE(revert);
	EXPECT_FALSE(revert->enabled);
}
