// SPDX-License-Identifier: MIT
// A file that gives no image still gets its window, and the window says why,
// in the view's colours at the image's margin.

#include "support/ProgramFixture.h"
#include "support/ReadFailure.h"

#include "image/AImageView.h"
#include "image/MessageLines.h"

#include <Bitmap.h>
#include <Font.h>
#include <TranslationUtils.h>
#include <View.h>
#include <Window.h>

#include <fstream>

namespace {

using testsupport::ProgramFixture;

constexpr rgb_color kWhite = {255, 255, 255, 255};

struct FailureCase {
	const char* name; // the leaf the person gives
	const char* fixture; // copied under that name; null: made by `make`
	enum {
		kText,
		kMissing,
		kDirectory,
		kCopy
	} kind;
	const char* text; // the exact text; null: the kit's description
};

void
PrintTo(const FailureCase& failure, std::ostream* stream)
{
	*stream << failure.name;
}

class OpenFailureTest : public ProgramFixture, public testing::WithParamInterface<FailureCase> {
protected:
	// Makes the file of the case in the test's directory; answers its path.
	std::string MakeFile(const FailureCase& failure)
	{
		std::string path = fDirectory + "/" + failure.name;
		switch (failure.kind) {
		case FailureCase::kText:
			std::ofstream(path) << "a shopping list, not a picture\n";
			break;
		case FailureCase::kMissing:
			break;
		case FailureCase::kDirectory:
			std::filesystem::create_directory(path);
			break;
		case FailureCase::kCopy:
			CopyImage(failure.fixture, failure.name);
			break;
		}
		return path;
	}
};

// What the view must look like: the lines drawn with a plain view's text
// calls at the margin, on white.
std::unique_ptr<BBitmap>
ExpectedView(BRect bounds, const std::string& text)
{
	auto bitmap = std::make_unique<BBitmap>(bounds, B_RGB32, true);
	auto* view = new BView(bounds, nullptr, B_FOLLOW_ALL, B_WILL_DRAW);
	bitmap->AddChild(view);
	view->Window()->Lock();
	view->FillRect(bounds, kWhite);
	font_height height;
	view->GetFontHeight(&height);
	float lineHeight = height.ascent + height.descent + height.leading;
	float baseline = 16 + height.ascent;
	for (const std::string& line : MessageLines(text, bounds.Width() - 32,
			 [&](const std::string& piece) { return view->StringWidth(piece.c_str()); })) {
		view->DrawString(line.c_str(), BPoint(16, baseline));
		baseline += lineHeight;
	}
	view->Window()->Unlock();
	return bitmap;
}

TEST_P(OpenFailureTest, TheWindowSaysWhyItShowsNoImage)
{
	const FailureCase& failure = GetParam();
	std::string path = MakeFile(failure);
	std::string expected = failure.text != nullptr ? failure.text : "";
	if (failure.text == nullptr) {
		testsupport::ReadFailure why;
		std::unique_ptr<BBitmap> none(testsupport::GetBitmapFile(path.c_str(), &why));
		ASSERT_EQ(none, nullptr);
		expected = why.Describe(failure.name);
	}

	Launch({path});
	std::vector<int32> windows = VisibleWindows(1);
	ASSERT_EQ(windows.size(), 1u);
	int32 id = windows[0];
	std::string title = std::string(failure.name) + ".h";
	EXPECT_EQ(fProbe->Title(id), title);

	BRect viewFrame;
	std::string shown;
	ASSERT_TRUE(WithImageWindow(title.c_str(), [&](BitmapImageWindow& window) {
		EXPECT_EQ(window.Image(), nullptr);
		shown = window.ImageView()->StatusText();
		viewFrame = window.ImageView()->Frame();
	}));
	EXPECT_EQ(shown, expected);

	// The pixels the person sees are those of the text drawn at the margin.
	std::unique_ptr<BBitmap> wanted = ExpectedView(viewFrame.OffsetToCopy(0, 0), expected);
	int32 originX = int32(viewFrame.left);
	int32 originY = int32(viewFrame.top);
	// One picture of the window for each comparison, not one a pixel.
	std::unique_ptr<BBitmap> shot;
	auto windowPixel = [&](int32 x, int32 y) {
		rgb_color pixel = DisplayProbe::PixelOf(shot.get(), originX + x, originY + y);
		pixel.alpha = 255;
		return pixel;
	};
	auto wantedPixel = [&](int32 x, int32 y) {
		rgb_color pixel = DisplayProbe::PixelOf(wanted.get(), x, y);
		pixel.alpha = 255;
		return pixel;
	};
	int32 inked = 0;
	BRect bounds = wanted->Bounds();
	for (int32 y = 0; y <= bounds.IntegerHeight(); y++) {
		for (int32 x = 0; x <= bounds.IntegerWidth(); x++)
			inked += wantedPixel(x, y) == kWhite ? 0 : 1;
	}
	ASSERT_GT(inked, 100) << "the text drew hardly anything: is a font installed?";

	std::string mismatch;
	auto matches = [&] {
		shot = fProbe->Snapshot(id);
		for (int32 y = 0; y <= bounds.IntegerHeight(); y++) {
			for (int32 x = 0; x <= bounds.IntegerWidth(); x++) {
				if (!(windowPixel(x, y) == wantedPixel(x, y))) {
					mismatch = "at " + std::to_string(x) + ", " + std::to_string(y);
					return false;
				}
			}
		}
		return true;
	};
	// The first drawing may still be on its way.
	Eventually(matches);
	EXPECT_TRUE(matches()) << mismatch;
}

INSTANTIATE_TEST_SUITE_P(Kinds, OpenFailureTest,
	testing::Values(FailureCase{"notes.txt", nullptr, FailureCase::kText,
						"notes.txt is not an image we can read"},
		FailureCase{"missing.png", nullptr, FailureCase::kMissing,
			"missing.png: No such file or directory"},
		FailureCase{"empty.png", "empty.png", FailureCase::kCopy, nullptr},
		FailureCase{"broken.png", "truncated.png", FailureCase::kCopy, nullptr},
		FailureCase{"huge.png", "huge-header.png", FailureCase::kCopy, nullptr},
		FailureCase{"folder.png", nullptr, FailureCase::kDirectory, nullptr}),
	[](const testing::TestParamInfo<FailureCase>& info) {
		std::string name = info.param.name;
		return name.substr(0, name.find('.'));
	});

using UntitledWindowTest = ProgramFixture;

// A new untitled window never meant to read a file: it has nothing to say.
TEST_F(UntitledWindowTest, SaysNothingAboutTheMissingFile)
{
	Launch({CopyImage("colour.png", "pic.png")});
	ASSERT_EQ(VisibleWindows(1).size(), 1u);
	be_app_messenger.SendMessage('NewD');
	ASSERT_EQ(VisibleWindows(2).size(), 2u);
	std::string shown = "(no window)";
	ASSERT_TRUE(WithImageWindow("Untitled 1.h",
		[&](BitmapImageWindow& window) { shown = window.ImageView()->StatusText(); }));
	EXPECT_EQ(shown, "");
}

} // namespace

namespace {

// An untitled window reads no file, even one that bears its name in the
// working directory; a file whose name begins with "Untitled" is read like
// any other, and its failure is told.
TEST_F(UntitledWindowTest, ReadsNoFileAndLeavesFilesCalledUntitledTheirOwn)
{
	std::filesystem::current_path(fDirectory);
	CopyImage("colour.png", "Untitled 1");
	const std::string present = CopyImage("colour.png", "Untitled 2.png");
	Launch({present, fDirectory + "/Untitled.png"});
	ASSERT_EQ(VisibleWindows(2).size(), 2u);
	be_app_messenger.SendMessage('NewD');
	ASSERT_EQ(VisibleWindows(3).size(), 3u);

	struct Row {
		const char* title;
		bool hasImage;
		bool untitled;
		const char* says;
	};
	const Row rows[] = {
		{"Untitled 1.h", false, true, ""},
		{"Untitled 2.png.h", true, false, ""},
		{"Untitled.png.h", false, false, "Untitled.png: No such file or directory"},
	};
	for (const Row& row : rows) {
		SCOPED_TRACE(row.title);
		ASSERT_TRUE(WithImageWindow(row.title, [&](BitmapImageWindow& window) {
			EXPECT_EQ(window.Image() != nullptr, row.hasImage);
			EXPECT_EQ(window.IsUntitled(), row.untitled);
			EXPECT_EQ(window.ImageView()->StatusText(), row.says);
		}));
	}
}

} // namespace
