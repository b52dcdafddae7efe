// SPDX-License-Identifier: MIT
// Alerts and file panels, on each server and on the real Qt server: alerts
// answered, and file dialogs answered as a person would.

#include "QtProgram.h"

#include "support/Files.h"

#include <Alert.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <thread>
#include <unistd.h>

using namespace qt_testing;

namespace {

const std::string kColour = SourcePath("tests/data/images/colour.png");
const std::string kQuill = SourcePath("examples/quill.png");
const std::string kPalette = SourcePath("tests/data/images/palette-system.png");
const std::string kGrey = SourcePath("tests/data/images/grey.png");
constexpr const char* kEllipsis = "\xE2\x80\xA6";

using testsupport::ReadWhole;
using testsupport::ScratchDirectory;

// The first visible panel or dialog in `mode` among those `views` lists,
// once there is one; nothing at the watchdog.
template <typename View>
std::optional<View>
WaitForShown(
	DisplayProbe& probe, file_panel_mode mode, const std::function<std::vector<View>()>& views)
{
	std::optional<View> found;
	probe.WaitUntil(
		[&] {
			for (const View& view : views()) {
				if (view.mode == mode && view.visible) {
					found = view;
					return true;
				}
			}
			return false;
		},
		kWatchdogMicroseconds);
	return found;
}

std::optional<DisplayProbe::PanelView>
WaitForPanel(DisplayProbe& probe, file_panel_mode mode)
{
	return WaitForShown<DisplayProbe::PanelView>(probe, mode, [&] { return probe.Panels(); });
}

std::optional<QtProbe::DialogView>
WaitForDialog(QtProbe& probe, file_panel_mode mode)
{
	return WaitForShown<QtProbe::DialogView>(probe, mode, [&] { return probe.Dialogs(); });
}

// The marks of the colour-space items, as "cmap8" or "rgb32".
std::string
Marked(DisplayProbe& probe, int32 id)
{
	MenuBarState bar = probe.MenuBar(id);
	const MenuItemState* cmap8 = FindMenuItem(bar.items, {"File", "Color space", "B_CMAP8"});
	return cmap8 == nullptr ? "" : cmap8->marked ? "cmap8" : "rgb32";
}

class DialogOnEachServer : public OnEachServer { };
QUILLPIX_ON_EACH_SERVER(DialogOnEachServer);

} // namespace

TEST_P(DialogOnEachServer, SaveDialogProposesTheDocumentAndWritesWhereThePersonChose)
{
	ScratchDirectory directory;
	ASSERT_FALSE(directory.Path().empty());
	RunProgram(GetParam(), {kColour}, [&](DisplayProbe& probe) {
		std::vector<int32> ids = WaitForWindows(probe, 1);
		ASSERT_EQ(ids.size(), 1u);
		ASSERT_EQ(
			probe.PickMenuItem(ids[0], {"File", std::string("Save as source code") + kEllipsis}),
			B_OK);
		std::optional<DisplayProbe::PanelView> panel = WaitForPanel(probe, B_SAVE_PANEL);
		ASSERT_TRUE(panel);
		EXPECT_FALSE(panel->modal);
		EXPECT_EQ(panel->directory, SourcePath("tests/data/images"));
		EXPECT_EQ(panel->name, "colour.png.h");

		ASSERT_EQ(probe.AcceptSavePanel(panel->id, directory.Path(), "saved.h"), B_OK);
		EXPECT_TRUE(probe.WaitUntil(
			[&] { return probe.Window(ids[0])->title == "saved.h"; }, kWatchdogMicroseconds));
		EXPECT_TRUE(probe.WaitUntil([&] { return probe.Panels().empty(); }, kWatchdogMicroseconds));

		// The window handles its messages in order: once a later pick has
		// moved the mark, the save before it is done.
		ASSERT_EQ(probe.PickMenuItem(ids[0], {"File", "Color space", "B_CMAP8"}), B_OK);
		ASSERT_TRUE(probe.WaitUntil(
			[&] { return Marked(probe, ids[0]) == "cmap8"; }, kWatchdogMicroseconds));
		std::string text = ReadWhole(directory.Path() + "/saved.h");
		EXPECT_NE(text.find("PrefilledBitmap"), std::string::npos) << text;
		EXPECT_NE(text.find("B_RGB32"), std::string::npos) << text;
	});
}

TEST_P(DialogOnEachServer, ClosingTheSaveDialogCancelsAndItComesBackOnTheNextSave)
{
	RunProgram(GetParam(), {kColour}, [&](DisplayProbe& probe) {
		std::vector<int32> ids = WaitForWindows(probe, 1);
		ASSERT_EQ(ids.size(), 1u);
		const std::vector<std::string> save{"File", std::string("Save as source code") + kEllipsis};
		ASSERT_EQ(probe.PickMenuItem(ids[0], save), B_OK);
		std::optional<DisplayProbe::PanelView> panel = WaitForPanel(probe, B_SAVE_PANEL);
		ASSERT_TRUE(panel);
		ASSERT_EQ(probe.CancelPanel(panel->id), B_OK);
		ASSERT_TRUE(probe.WaitUntil([&] { return probe.Panels().empty(); }, kWatchdogMicroseconds));
		EXPECT_EQ(probe.Window(ids[0])->title, "colour.png.h");

		ASSERT_EQ(probe.PickMenuItem(ids[0], save), B_OK);
		std::optional<DisplayProbe::PanelView> again = WaitForPanel(probe, B_SAVE_PANEL);
		ASSERT_TRUE(again);
		EXPECT_EQ(again->id, panel->id);
		EXPECT_EQ(again->name, "colour.png.h");
	});
}

TEST_P(DialogOnEachServer, OpenDialogTakesSeveralFilesAndOpensAWindowEach)
{
	RunProgram(GetParam(), {kColour}, [&](DisplayProbe& probe) {
		std::vector<int32> ids = WaitForWindows(probe, 1);
		ASSERT_EQ(ids.size(), 1u);
		ASSERT_EQ(probe.PickMenuItem(ids[0], {"File", std::string("Open") + kEllipsis}), B_OK);
		std::optional<DisplayProbe::PanelView> panel = WaitForPanel(probe, B_OPEN_PANEL);
		ASSERT_TRUE(panel);
		EXPECT_TRUE(panel->multipleFiles);
		EXPECT_FALSE(panel->modal);
		ASSERT_EQ(probe.AcceptOpenPanel(panel->id, {kGrey, kPalette}), B_OK);
		std::vector<int32> all = WaitForWindows(probe, 3);
		ASSERT_EQ(all.size(), 3u);
		std::vector<std::string> titles;
		for (int32 id : all)
			titles.push_back(probe.Window(id)->title);
		std::sort(titles.begin() + 1, titles.end());
		EXPECT_EQ(titles,
			(std::vector<std::string>{"colour.png.h", "grey.png.h", "palette-system.png.h"}));
	});
}

// The Open dialog offers the images the kit reads first, by extension in
// either case, then everything; the save dialog's columns are as wide as
// what they show, here a size in GiB and a long type name.
TEST(QtDialogTest, OpenDialogOffersTheReadableImagesFirstAndColumnsFitTheirText)
{
	ScratchDirectory directory;
	std::filesystem::copy_file(kColour, directory / "colour.png");
	ASSERT_TRUE(testsupport::WriteWhole(directory / "large.bin", ""));
	ASSERT_EQ(truncate((directory / "large.bin").c_str(), 1500000000), 0);
	ASSERT_TRUE(testsupport::WriteWhole(directory / "packed.tar.xz", ""));
	// Qt's dialogs keep their column widths between runs in the user's
	// settings; these start from none.
	ScratchDirectory settings;
	setenv("XDG_CONFIG_HOME", settings.Path().c_str(), 1);
	RunProgram({directory / "colour.png"}, [&](QtProbe& probe) {
		std::vector<int32> ids = WaitForWindows(probe, 1);
		ASSERT_EQ(ids.size(), 1u);
		ASSERT_EQ(probe.PickMenuItem(ids[0], {"File", std::string("Open") + kEllipsis}), B_OK);
		std::optional<QtProbe::DialogView> panel = WaitForDialog(probe, B_OPEN_PANEL);
		ASSERT_TRUE(panel);
		ASSERT_EQ(panel->filters.size(), 2u);
		EXPECT_EQ(panel->filters[1], "All files (*)");
		const std::string& images = panel->filters[0];
		EXPECT_EQ(images.rfind("Images (", 0), 0u) << images;
		for (const char* pattern : {"*.png ", "*.PNG ", "*.jpg ", "*.jpeg ", "*.gif ", "*.webp ",
				 "*.tif ", "*.tiff ", "*.bmp ", "*.ico ", "*.cur ", "*.ppm ", "*.pgm ", "*.pbm ",
				 "*.pnm ", "*.xpm ", "*.tga "}) {
			EXPECT_NE(images.find(pattern), std::string::npos) << pattern;
		}
		EXPECT_EQ(images.find("xbm"), std::string::npos);

		ASSERT_EQ(
			probe.PickMenuItem(ids[0], {"File", std::string("Save as source code") + kEllipsis}),
			B_OK);
		std::optional<QtProbe::PanelView> save = WaitForPanel(probe, B_SAVE_PANEL);
		ASSERT_TRUE(save);
		// The folder's entries arrive on Qt's own time.
		bool fit = false;
		for (int attempt = 0; attempt < 200 && !fit; attempt++) {
			for (const QtProbe::DialogView& shown : probe.Dialogs())
				fit = fit || (shown.mode == B_SAVE_PANEL && shown.columnsFit);
			if (!fit)
				std::this_thread::sleep_for(std::chrono::milliseconds(50));
		}
		EXPECT_TRUE(fit);
	});
	unsetenv("XDG_CONFIG_HOME");
}

// The usage alert runs on the application's thread (on the Qt server that
// is Qt's, and the box runs a nested loop), and the application waits for
// the answer.
TEST_P(DialogOnEachServer, UsageAlertShowsOnTheApplicationThreadAndTheProgramQuitsAfterOk)
{
	RunProgram(GetParam(), {}, Ending::kQuitsByItself, [&](DisplayProbe& probe) {
		std::vector<DisplayProbe::AlertView> alerts;
		ASSERT_TRUE(probe.WaitUntil(
			[&] {
				alerts = probe.Alerts();
				return !alerts.empty();
			},
			kWatchdogMicroseconds));
		ASSERT_EQ(alerts.size(), 1u);
		EXPECT_EQ(alerts[0].text,
			"Usage: Drop an image onto the Quillpix application or pass "
			"the image filename as an argument at the command line\n");
		EXPECT_EQ(alerts[0].buttons, std::vector<std::string>{"OK"});
		ASSERT_EQ(probe.PressAlertButton("OK"), B_OK);
	});
}

// An alert from another thread blocks only that thread: the windows keep
// working while it waits, and the buttons keep their order.
TEST_P(DialogOnEachServer, AlertFromAnotherThreadKeepsButtonOrderAndBlocksOnlyThatThread)
{
	RunProgram(GetParam(), {kColour}, [&](DisplayProbe& probe) {
		std::vector<int32> ids = WaitForWindows(probe, 1);
		ASSERT_EQ(ids.size(), 1u);
		std::atomic<int32> answer{-1};
		std::thread asker([&] {
			answer = (new BAlert("Question", "Which one?", "First", "Second", "Third"))->Go();
		});
		std::vector<DisplayProbe::AlertView> alerts;
		bool shown = probe.WaitUntil(
			[&] {
				alerts = probe.Alerts();
				return !alerts.empty();
			},
			kWatchdogMicroseconds);
		if (shown) {
			EXPECT_EQ(alerts[0].title, "Question");
			EXPECT_EQ(alerts[0].buttons, (std::vector<std::string>{"First", "Second", "Third"}));
			EXPECT_EQ(alerts[0].defaultButton, "Third");

			ASSERT_EQ(probe.PickMenuItem(ids[0], {"File", "Color space", "B_CMAP8"}), B_OK);
			EXPECT_TRUE(probe.WaitUntil(
				[&] { return Marked(probe, ids[0]) == "cmap8"; }, kWatchdogMicroseconds));
			EXPECT_EQ(answer.load(), -1);
			EXPECT_EQ(probe.PressAlertButton("Second"), B_OK);
		}
		asker.join();
		EXPECT_EQ(answer.load(), 1);
	});
}

// A panel's filter decides what the dialog lists in its folder, and the
// dialog answers with nothing else, even a name typed in.
TEST(QtDialogTest, OpenDialogListsAndTakesOnlyWhatThePanelsFilterOffers)
{
	class NoTextFilter : public BRefFilter {
	public:
		bool Filter(const entry_ref* ref, BNode*, struct stat*, const char*) override
		{
			std::string name = ref->name;
			return name.size() < 4 || name.compare(name.size() - 4, 4, ".txt") != 0;
		}
	};

	ScratchDirectory directory;
	std::filesystem::copy_file(kColour, directory / "picture.png");
	ASSERT_TRUE(testsupport::WriteWhole(directory / "notes.txt", "not an image"));
	entry_ref folder;
	ASSERT_EQ(BEntry(directory.Path().c_str()).GetRef(&folder), B_OK);
	RunProgram({kColour}, [&](QtProbe& probe) {
		ASSERT_EQ(WaitForWindows(probe, 1).size(), 1u);
		NoTextFilter filter;
		BFilePanel panel(B_OPEN_PANEL, nullptr, &folder, 0, true, nullptr, &filter);
		panel.Show();
		std::optional<QtProbe::DialogView> shown = WaitForDialog(probe, B_OPEN_PANEL);
		ASSERT_TRUE(shown);
		EXPECT_EQ(shown->directory, directory.Path());
		// The folder's entries arrive on Qt's own time.
		bool listed = false;
		for (int attempt = 0; attempt < 200 && !listed; attempt++) {
			shown = WaitForDialog(probe, B_OPEN_PANEL);
			listed = shown && shown->entries == std::vector<std::string>{"picture.png"};
			if (!listed)
				std::this_thread::sleep_for(std::chrono::milliseconds(50));
		}
		ASSERT_TRUE(shown);
		EXPECT_TRUE(listed) << shown->entries.size() << " entries listed";
		// Not only the first of the folder's entries to arrive: the list stays so.
		std::this_thread::sleep_for(std::chrono::milliseconds(300));
		shown = WaitForDialog(probe, B_OPEN_PANEL);
		ASSERT_TRUE(shown);
		EXPECT_EQ(shown->entries, std::vector<std::string>{"picture.png"});

		ASSERT_EQ(probe.AcceptOpenPanel(shown->id, {directory / "notes.txt"}), B_OK);
		ASSERT_EQ(probe.AcceptOpenPanel(shown->id, {directory / "picture.png"}), B_OK);
		std::vector<int32> all = WaitForWindows(probe, 2);
		ASSERT_EQ(all.size(), 2u);
		EXPECT_EQ(probe.Window(all[1])->title, "picture.png.h");
		// The text file did not reach the application, which would have
		// refused it in an alert and opened no window.
		EXPECT_TRUE(probe.Alerts().empty());
		EXPECT_EQ(probe.Windows().size(), 2u);
	});
}
