// SPDX-License-Identifier: MIT
// The status line along the bottom of an image window: what it says for an
// icon, a large image and names that are and are not identifiers, that the
// text length it gives is what a save writes, that it follows the zoom,
// and where it sits.

#include "support/CoordinateImage.h"
#include "support/Files.h"
#include "support/ProgramFixture.h"

#include "export/BitmapSourceExport.h"
#include "image/AImageView.h"
#include "image/StatusLine.h"
#include "image/StatusText.h"

#include <filesystem>
#include <regex>

namespace {

using StatusLineTest = testsupport::ProgramFixture;

const std::string kDot = " \xC2\xB7 ";
const std::string kTimes = " \xC3\x97 ";

std::string
NotIdentifier(const std::string& leaf)
{
	return kDot + "\"" + leaf
		+ "\" is not a C++ identifier: save under one for the text to compile";
}

TEST(StatusTextTest, DescribesWhatIsKnownInOrder)
{
	struct Row {
		ImageFacts facts;
		std::string text;
	};
	const Row rows[] = {
		{{"icon.png", true, 16, 16, B_CMAP8, 1787, 1, "icon"},
			"icon.png" + kDot + "16" + kTimes + "16" + kDot + "B_CMAP8" + kDot + "100 %" + kDot
				+ "1,787 bytes of text"},
		{{"photo.jpg", true, 6000, 4000, B_RGB32, 600001234, 0.125f, "photo.jpg.h"},
			"photo.jpg" + kDot + "6000" + kTimes + "4000" + kDot + "B_RGB32" + kDot + "13 %" + kDot
				+ "600,001,234 bytes of text" + NotIdentifier("photo.jpg.h")},
		{{"a.png", true, 1, 1, B_GRAY1, 999, 16, "_a9"},
			"a.png" + kDot + "1" + kTimes + "1" + kDot + "B_GRAY1" + kDot + "1600 %" + kDot
				+ "999 bytes of text"},
		{{"missing.png", false, 0, 0, B_NO_COLOR_SPACE, -1, 1, "missing.png.h"},
			"missing.png" + kDot + "no image"},
		// Control characters in a name are never drawn as they are.
		{{"a\nb\x1b.png", true, 2, 2, B_RGB15, 1000, 0.004f, "9lives"},
			"a?b?.png" + kDot + "2" + kTimes + "2" + kDot + "B_RGB15" + kDot + "1 %" + kDot
				+ "1,000 bytes of text" + NotIdentifier("9lives")},
	};
	for (const Row& row : rows)
		EXPECT_EQ(StatusText::Describe(row.facts), row.text);
}

TEST(StatusTextTest, NumbersAndSaving)
{
	const std::pair<int64, const char*> numbers[] = {{0, "0"}, {999, "999"}, {1000, "1,000"},
		{123456, "123,456"}, {1234567, "1,234,567"}, {-4200, "-4,200"}};
	for (const auto& [value, text] : numbers)
		EXPECT_EQ(StatusText::Grouped(value), text);

	EXPECT_EQ(StatusText::Saving(42), "Saving\xE2\x80\xA6 42 %");
}

struct WindowRow {
	const char* image; // written as a coordinate image of this size
	int32 width;
	int32 height;
	const char* saveAs; // a name to save under first; null: none
};

// The window's line, with the text length checked against a real save.
TEST_F(StatusLineTest, ReadsWhatTheWindowHoldsAndTheBytesASaveWrites)
{
	const WindowRow rows[] = {
		{"icon.ppm", 16, 16, nullptr},
		{"large.ppm", 1500, 1000, nullptr},
		{"named.ppm", 20, 10, "named_icon"},
	};
	std::vector<std::string> images;
	for (const WindowRow& row : rows) {
		images.push_back(fDirectory + "/" + row.image);
		ASSERT_TRUE(testsupport::WriteCoordinateImage(images.back(), row.width, row.height));
	}
	Launch(images);
	std::vector<int32> windows = VisibleWindows(images.size());
	ASSERT_EQ(windows.size(), images.size());
	std::filesystem::create_directory(fDirectory + "/out");

	for (size_t index = 0; index < std::size(rows); index++) {
		const WindowRow& row = rows[index];
		SCOPED_TRACE(row.image);
		std::string title = std::string(row.image) + ".h";
		if (row.saveAs != nullptr) {
			ASSERT_TRUE(SaveThroughPanel(windows[index], fDirectory + "/out", row.saveAs));
			title = row.saveAs;
			ASSERT_TRUE(Eventually([&] { return fProbe->Title(windows[index]) == title; }));
			ASSERT_TRUE(Settle(windows[index]));
		}
		std::string shown;
		std::string written = fDirectory + "/out/" + title;
		ASSERT_TRUE(WithImageWindow(title.c_str(), [&](BitmapImageWindow& window) {
			shown = window.Status()->Text();
			if (row.saveAs == nullptr) {
				ASSERT_TRUE(ExportBitmapSource(window.Image(), written.c_str()));
			}
		}));

		std::smatch bytes;
		ASSERT_TRUE(std::regex_search(shown, bytes, std::regex("([0-9,]+) bytes of text")))
			<< shown;
		std::string digits = bytes[1];
		std::erase(digits, ',');
		EXPECT_EQ(std::stoll(digits), int64(std::filesystem::file_size(written)));

		std::string expected = std::string(row.image) + kDot + std::to_string(row.width) + kTimes
			+ std::to_string(row.height) + kDot + "B_RGB32" + kDot + "100 %" + kDot + bytes[1].str()
			+ " bytes of text";
		if (row.saveAs == nullptr)
			expected += NotIdentifier(title);
		EXPECT_EQ(shown, expected);
	}
}

// The line follows the zoom and the colour space, and is drawn along the
// window's bottom edge below the image's area.
TEST_F(StatusLineTest, FollowsTheZoomAndSpaceAndSitsAlongTheBottom)
{
	Launch({CopyImage("colour.png", "pic.png")});
	std::vector<int32> windows = VisibleWindows(1);
	ASSERT_EQ(windows.size(), 1u);
	const int32 id = windows[0];
	auto shown = [&] {
		std::string text;
		WithImageWindow(
			"pic.png.h", [&](BitmapImageWindow& window) { text = window.Status()->Text(); });
		return text;
	};
	ASSERT_EQ(fProbe->PickMenuItem(id, {"View", "Zoom in"}), B_OK);
	ASSERT_EQ(fProbe->PickMenuItem(id, {"File", "Color space", "B_CMAP8"}), B_OK);
	ASSERT_TRUE(Settle(id));
	const std::string text = shown();
	EXPECT_NE(text.find(kDot + "B_CMAP8" + kDot), std::string::npos) << text;
	EXPECT_NE(text.find(kDot + "200 %" + kDot), std::string::npos) << text;

	BRect frame = fProbe->Frame(id).OffsetToCopy(0, 0);
	const int32 height = int32(StatusLine::PreferredHeight());
	const int32 top = int32(frame.bottom) - height + 1;
	BRect view;
	ASSERT_TRUE(WithImageWindow(
		"pic.png.h", [&](BitmapImageWindow& window) { view = window.ImageView()->Frame(); }));
	EXPECT_EQ(int32(view.bottom), top - 1);
	// A grey rule on top, the light ground below it, and dark text on it.
	const rgb_color rule = fProbe->ReadPixel(id, int32(frame.right) - 1, top);
	const rgb_color ground = fProbe->ReadPixel(id, int32(frame.right) - 1, int32(frame.bottom));
	EXPECT_LT(rule.red, ground.red);
	EXPECT_LT(ground.red, 255);
	int32 dark = 0;
	std::unique_ptr<BBitmap> shot = fProbe->Snapshot(id);
	for (int32 y = top + 1; y <= int32(frame.bottom); y++) {
		for (int32 x = 0; x < 200; x++)
			dark += DisplayProbe::PixelOf(shot.get(), x, y).red < 128;
	}
	EXPECT_GT(dark, 20);
}

} // namespace
