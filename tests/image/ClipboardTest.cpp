// SPDX-License-Identifier: MIT
// The "Edit" menu as a person uses it on the headless server: copying the
// source text and the picture, reading them back as another program would,
// and pasting images as new windows.

#include "image/ImageClipboard.h"

#include "support/Files.h"
#include "support/Program.h"
#include "support/ProgramFixture.h"

#include <SpaceConversion.h>
#include <TranslationUtils.h>

#include <cstring>
#include <fstream>

using testsupport::ReadWhole;

namespace {

using ClipboardTest = testsupport::ProgramFixture;

// The bitmap the window titled `title` holds, in B_RGBA32; null when none.
std::unique_ptr<BBitmap>
ImageOf(ClipboardTest& test, const std::string& title)
{
	std::unique_ptr<BBitmap> image;
	test.WithImageWindow(title.c_str(), [&](BitmapImageWindow& window) {
		if (window.Image() != nullptr)
			image = BitmapInSpace(*window.Image(), SpaceConversion{B_RGBA32});
	});
	return image;
}

// Clipboard contents of (type, bytes) pairs.
ClipboardInfo
Holding(const std::vector<std::pair<std::string, std::string>>& items)
{
	ClipboardInfo contents;
	for (const auto& [type, bytes] : items)
		contents.items.push_back({type, std::vector<uint8>(bytes.begin(), bytes.end())});
	return contents;
}

bool
SameBits(const BBitmap* a, const BBitmap* b)
{
	return a != nullptr && b != nullptr && a->Bounds() == b->Bounds()
		&& a->BitsLength() == b->BitsLength()
		&& std::memcmp(a->Bits(), b->Bits(), size_t(a->BitsLength())) == 0;
}

// Ctrl+C puts the text of the bitmap as the window holds it, named as the
// exporter's standard output names the image, so it is the exporter's text;
// saved under a name without an extension it is the saved file, byte for byte.
TEST_F(ClipboardTest, CopyAsSourceCodeIsTheExportersTextOfWhatTheWindowHolds)
{
	struct Row {
		const char* fixture;
		const char* spaceItem; // null: as opened
		const char* exporterSpace;
	};
	const Row rows[] = {
		{"colour.png", nullptr, "rgb32"},
		{"alpha.png", "B_CMAP8", "cmap8"},
		{"colour.png", "B_GRAY1", "gray1"},
	};
	std::vector<std::string> images;
	for (size_t index = 0; index < std::size(rows); index++)
		images.push_back(CopyImage(rows[index].fixture, "pic-" + std::to_string(index) + ".png"));
	Launch(images);
	std::vector<int32> windows = VisibleWindows(std::size(rows));
	ASSERT_EQ(windows.size(), std::size(rows));

	for (size_t index = 0; index < std::size(rows); index++) {
		SCOPED_TRACE(rows[index].fixture);
		const int32 id = windows[index];
		if (rows[index].spaceItem != nullptr) {
			ASSERT_EQ(
				fProbe->PickMenuItem(id, {"File", "Color space", rows[index].spaceItem}), B_OK);
		}
		ASSERT_EQ(fProbe->SetClipboard({}), B_OK);
		ASSERT_EQ(fProbe->PressShortcut(id, 'C'), B_OK);
		ASSERT_TRUE(Eventually([&] { return !fProbe->Clipboard().items.empty(); }));
		const std::string copied = fProbe->ClipboardBytes("text/plain");

		testsupport::ProgramOutcome exported = testsupport::RunProgram(
			{{QUILLPIX_BINARY_DIR "/tools/quillpix-export", "--color-space",
				rows[index].exporterSpace, "-o", "-", images[index]}});
		ASSERT_EQ(exported.ExitCode(), 0) << exported.Describe();
		EXPECT_EQ(copied, exported.out);
		EXPECT_NE(copied.find("pic_" + std::to_string(index) + "_MData["), std::string::npos);

		const std::string leaf = "pic_" + std::to_string(index);
		ASSERT_TRUE(SaveThroughPanel(id, fDirectory, leaf.c_str()));
		ASSERT_TRUE(Eventually([&] { return fProbe->Title(id) == leaf; }));
		ASSERT_TRUE(WithImageWindow(leaf.c_str(), [](BitmapImageWindow&) {}));
		EXPECT_EQ(ReadWhole(fDirectory + "/" + leaf), copied);
	}
}

// Ctrl+Shift+C gives a PNG that another program decodes to the shown
// picture; Ctrl+V opens it again in a new untitled window, pixel for pixel.
TEST_F(ClipboardTest, CopiedImagePastesBackAsANewUntitledWindow)
{
	Launch({CopyImage("alpha.png", "alpha.png"), CopyImage("palette-system.png", "pal.png")});
	std::vector<int32> windows = VisibleWindows(2);
	ASSERT_EQ(windows.size(), 2u);

	const char* const titles[] = {"alpha.png.h", "pal.png.h"};
	for (size_t index = 0; index < 2; index++) {
		SCOPED_TRACE(titles[index]);
		ASSERT_EQ(fProbe->SetClipboard({}), B_OK);
		ASSERT_EQ(fProbe->PressShortcut(windows[index], 'C', B_SHIFT_KEY), B_OK);
		ASSERT_TRUE(Eventually([&] { return !fProbe->Clipboard().items.empty(); }));
		const std::string png = fProbe->ClipboardBytes("image/png");
		ASSERT_EQ(png.compare(0, 4, "\x89PNG"), 0);
		std::unique_ptr<BBitmap> shown = ImageOf(*this, titles[index]);
		BPrivate::Result<std::unique_ptr<BBitmap>> decoded = BPrivate::ReadBitmapBytes(
			png.data(), png.size());
		ASSERT_TRUE(decoded);
		EXPECT_TRUE(SameBits(
			BitmapInSpace(*decoded.Value(), SpaceConversion{B_RGBA32}).get(), shown.get()));

		ASSERT_EQ(fProbe->PressShortcut(windows[index], 'V'), B_OK);
		const std::string untitled = "Untitled " + std::to_string(index + 1) + ".h";
		ASSERT_TRUE(Eventually([&] { return fProbe->FindWindow(untitled.c_str()) >= 0; }));
		EXPECT_TRUE(SameBits(ImageOf(*this, untitled).get(), shown.get()));
	}
	EXPECT_TRUE(fServer->Alerts().empty());
}

// What another program may have left on the clipboard: an image in another
// type or a copied file opens; anything else is told in an alert, and no
// window opens.
TEST_F(ClipboardTest, PasteOpensWhatIsAnImageAndSaysWhatIsNot)
{
	const std::string spaced = CopyImage("colour.jpg", "a b#.jpg");
	const std::string jpeg = ReadWhole(spaced);
	struct Row {
		ClipboardInfo contents;
		const char* alert; // null: a new window opens
	};
	const Row rows[] = {
		{{}, "There is nothing on the clipboard to paste."},
		{Holding({{"text/plain", "hello"}}), "The clipboard holds no image to paste."},
		{Holding({{"image/jpeg", jpeg}}), nullptr},
		{Holding({{"text/plain", spaced},
			 {"text/uri-list", "# copied\r\nfile://" + fDirectory + "/a%20b%23.jpg\r\n"}}),
			nullptr},
		{Holding({{"text/uri-list", "file://" + fDirectory + "/gone.png\r\n"}}),
			"gone.png: No such file or directory"},
		{Holding({{"image/png", "\x89PNG\r\n\x1a\n not really"}}),
			"The clipboard's image (image/png) is a damaged PNG file"},
	};
	AnswerAlerts();
	Launch({CopyImage("colour.png", "pic.png")});
	std::vector<int32> windows = VisibleWindows(1);
	ASSERT_EQ(windows.size(), 1u);

	size_t alerts = 0;
	size_t opened = 1;
	for (const Row& row : rows) {
		SCOPED_TRACE(row.alert != nullptr ? row.alert : "opens");
		ASSERT_EQ(fProbe->SetClipboard(row.contents), B_OK);
		// From the window's menu, and as the application's own command.
		if (alerts % 2 == 0)
			ASSERT_EQ(fProbe->PickMenuItem(windows[0], {"Edit", "Paste as new image"}), B_OK);
		else
			ASSERT_EQ(be_app_messenger.SendMessage(uint32('PsNw')), B_OK);
		if (row.alert == nullptr) {
			opened++;
			ASSERT_EQ(VisibleWindows(opened).size(), opened);
			continue;
		}
		std::vector<std::string> texts = AlertTexts(++alerts);
		ASSERT_EQ(texts.size(), alerts);
		EXPECT_EQ(texts.back().rfind(row.alert, 0), 0u) << texts.back();
		EXPECT_EQ(fServer->Windows().size(), opened);
	}
}

// A text over 64 MiB stays off the clipboard, and the alert says how large
// it is and to save instead.
TEST_F(ClipboardTest, TextTooLargeForTheClipboardIsRefused)
{
	BBitmap big(BRect(0, 0, 1799, 1799), B_RGB32);
	std::memset(big.Bits(), 0x5A, size_t(big.BitsLength()));
	BPrivate::Result<std::string> png = BPrivate::EncodePng(big);
	ASSERT_TRUE(png);
	const std::string path = fDirectory + "/big.png";
	std::ofstream(path, std::ios::binary) << png.Value();

	AnswerAlerts();
	Launch({path});
	std::vector<int32> windows = VisibleWindows(1);
	ASSERT_EQ(windows.size(), 1u);
	ASSERT_EQ(fProbe->CopyToClipboard("text/plain", "kept"), B_OK);
	ASSERT_EQ(fProbe->PressShortcut(windows[0], 'C'), B_OK);
	std::vector<std::string> texts = AlertTexts(1);
	ASSERT_EQ(texts.size(), 1u);
	EXPECT_EQ(texts[0],
		"The text is 79,380,271 bytes, more than the clipboard takes "
		"(64 MiB): save it as source code instead.");
	EXPECT_EQ(fProbe->ClipboardBytes("text/plain"), "kept");
}

TEST(FileUriTest, NamesLocalPathsOnly)
{
	const std::pair<const char*, const char*> rows[] = {
		{"file:///tmp/a%20b.png", "/tmp/a b.png"},
		{"file://localhost/tmp/x.png", "/tmp/x.png"},
		{"file:///tmp/x.png?size=2#top", "/tmp/x.png"},
		{"file:///tmp/%E2%80%A6%23.png", "/tmp/\xE2\x80\xA6#.png"},
		{"file://otherhost/tmp/x.png", ""},
		{"http://example.com/x.png", ""},
		{"file:///tmp/bad%2", ""},
		{"file:///tmp/nul%00.png", ""},
	};
	for (const auto& [uri, path] : rows)
		EXPECT_EQ(ImageClipboard::PathOfFileUri(uri), path) << uri;
}

} // namespace
