// SPDX-License-Identifier: MIT
// The program itself, on the headless server, given hostile files and
// failing disks: every hostile file still gets its window, with no image
// (or the part a cut-off file holds), within the memory and time limits;
// every failed save answers with the window's previous name and title and
// the previous file, byte for byte, and leaves no temporary file behind.

#include "support/ChildProcess.h"
#include "support/Files.h"
#include "support/HostileImages.h"
#include "support/ProgramFixture.h"

#include <AppDefs.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

using namespace testsupport;

using WindowReliabilityTest = ProgramFixture;

TEST_F(WindowReliabilityTest, HostileFilesOpenWindowsWithoutImages)
{
	ASSERT_EQ(chmod(fDirectory.c_str(), 0755), 0);
	const std::string images = QUILLPIX_SOURCE_DIR "/tests/data/images/";
	struct Row {
		const char* name;
		std::string bytes;
	};
	const Row rows[] = {
		{"bomb.png", Png(100000, 100000, DeflatedZeros(uint64_t(16) << 20))},
		{"zero.gif", Gif(0, 0, std::string(6, '\0'), {})},
		{"random.png", RandomBytes(4096, 3)},
		{"random.gif", RandomBytes(70000, 4)},
		{"empty.png", ""},
		{"secret.png", ReadWhole(images + "colour.png")},
	};
	std::vector<std::string> paths;
	for (const Row& row : rows) {
		paths.push_back(fDirectory + "/" + row.name);
		ASSERT_TRUE(WriteWhole(paths.back(), row.bytes));
	}
	ASSERT_EQ(chmod((fDirectory + "/secret.png").c_str(), 0), 0);
	paths.push_back(fDirectory + "/folder.png");
	ASSERT_EQ(mkdir(paths.back().c_str(), 0755), 0);
	paths.push_back(fDirectory + "/pipe.png");
	ASSERT_EQ(mkfifo(paths.back().c_str(), 0666), 0);
	paths.push_back(fDirectory + "/missing.png");
	paths.push_back(CopyImage("truncated.jpg", "cut.jpg"));

	// The program runs in a child, as nobody when the test runs as root (so
	// that the unreadable file is unreadable), with the hostile-input limits.
	ChildLimits limits;
	limits.dropPrivileges = true;
	const long before = ResidentKiB();
	ChildOutcome outcome = RunInChild(
		[&] {
			AnswerAlerts();
			Launch(paths);
			std::vector<int32> windows = VisibleWindows(paths.size());
			if (windows.size() != paths.size())
				return 100;
			int wrong = 0;
			for (const std::string& path : paths) {
				const std::string title = path.substr(path.rfind('/') + 1) + ".h";
				// A cut-off image is refused too: no window shows an image.
				if (HasImage(title) != 0) {
					fprintf(stderr, "%s: image %d\n", title.c_str(), HasImage(title));
					wrong++;
				}
			}
			// A window without an image switches and refuses to save, harmlessly.
			int32 first = windows[0];
			if (fProbe->PickMenuItem(first, {"File", "Color space", "B_CMAP8"}) != B_OK
				|| !WithImageWindow("bomb.png.h",
					[](BitmapImageWindow& window) { window.PostMessage(B_SAVE_REQUESTED); })
				|| !Settle(first) || Listing(fDirectory).find("bomb.png.h") != std::string::npos) {
				wrong++;
			}
			// The person is told why nothing was saved.
			if (AlertTexts(1)
				!= std::vector<std::string>{
					"Could not save \"bomb.png.h\": there is no image to save."}) {
				fprintf(stderr, "no alert for a save without an image\n");
				wrong++;
			}
			if (fProbe->PressShortcut(first, 'Q') != B_OK || !WaitForExit())
				return 101;
			return wrong;
		},
		limits);
	if (outcome.exited && outcome.exitCode == 125)
		GTEST_SKIP() << "cannot drop privileges";
	EXPECT_TRUE(outcome.exited) << outcome.Describe();
	EXPECT_EQ(outcome.exitCode, 0);
	EXPECT_LT(outcome.peakResidentKiB - before, long(kHostileMemoryLimit >> 10));
}

// One image window, pic.png, and an earlier export "icon.h" in saved/.
class FailedSaveTest : public ProgramFixture {
public:
	void SetUp() override
	{
		ProgramFixture::SetUp();
		fImage = CopyImage("colour.png", "pic.png");
		fSaved = fDirectory + "/saved";
		ASSERT_EQ(mkdir(fSaved.c_str(), 0755), 0);
		ASSERT_TRUE(WriteWhole(fSaved + "/icon.h", kOldText));
		AnswerAlerts();
		Launch({fImage});
		std::vector<int32> windows = VisibleWindows(1);
		ASSERT_EQ(windows.size(), 1u);
		fWindow = windows[0];
	}

	// The window still has its first name and title, and saved/ holds the
	// old export alone.
	void ExpectNothingChanged(const char* what)
	{
		SCOPED_TRACE(what);
		EXPECT_EQ(fProbe->Title(fWindow), "pic.png.h");
		EXPECT_EQ(DocumentNameOf("pic.png.h"), fImage + ".h");
		EXPECT_EQ(Listing(fSaved), "icon.h");
		EXPECT_EQ(ReadWhole(fSaved + "/icon.h"), kOldText);
	}

	static inline const std::string kOldText = "// the previous export, 300 bytes\n"
		+ std::string(266, 'x');
	std::string fImage;
	std::string fSaved;
	int32 fWindow = -1;
};

// The export of pic.png is about 2 kB; files may grow to 1 kB here.
TEST_F(FailedSaveTest, AFullDiskKeepsTheNameTitleAndOldFile)
{
	struct rlimit old;
	ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
	struct rlimit small = {1024, old.rlim_max};
	void (*previous)(int) = signal(SIGXFSZ, SIG_IGN);
	ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
	bool saved = SaveThroughPanel(fWindow, fSaved, "icon.h") && Settle(fWindow);
	setrlimit(RLIMIT_FSIZE, &old);
	signal(SIGXFSZ, previous);
	ASSERT_TRUE(saved);
	ExpectNothingChanged("full disk");
	EXPECT_EQ(
		AlertTexts(1), std::vector<std::string>{"Could not save \"icon.h\": File too large."});

	// With room again, the same save works and takes the new name.
	ASSERT_TRUE(SaveThroughPanel(fWindow, fSaved, "icon.h"));
	ASSERT_TRUE(Eventually([&] { return fProbe->Title(fWindow) == "icon.h"; }));
	ASSERT_TRUE(Settle(fWindow));
	EXPECT_NE(
		ReadWhole(fSaved + "/icon.h").find("PrefilledBitmap *icon.h_MICN;"), std::string::npos);
	EXPECT_EQ(Listing(fSaved), "icon.h");
}

TEST_F(FailedSaveTest, UnwritableAndVanishedPlacesKeepTheNameAndTitle)
{
	const std::string gone = fDirectory + "/gone";
	ASSERT_EQ(mkdir(gone.c_str(), 0755), 0);
	// The panel's reply names a folder whose own parent went away as well.
	const std::string outer = fDirectory + "/outer";
	const std::string inner = outer + "/inner";
	ASSERT_EQ(mkdir(outer.c_str(), 0755), 0);
	ASSERT_EQ(mkdir(inner.c_str(), 0755), 0);
	struct Row {
		const char* what;
		std::string directory;
		const char* name;
		const char* alert;
	};
	const Row rows[] = {
		// Creating files in sysfs fails, also for root.
		{"a directory no one may write", "/sys/kernel", "icon.h", nullptr},
		{"a directory that vanished", gone, "icon.h",
			"Could not save \"icon.h\": No such file or directory."},
		{"a directory whose parent vanished too", inner, "icon.h",
			"Could not save \"icon.h\": No such file or directory."},
		{"a name ending in '/'", fSaved, "icon.h/", nullptr},
		{"a name that is a directory", fDirectory, "saved",
			"Could not save \"saved\": Is a directory."},
		{"a name that is too long", fSaved, nullptr, nullptr},
		// The system's own words, also where no status code stands for them.
		{"a FIFO nobody reads", fDirectory, "fifo",
			"Could not save \"fifo\": No such device or address."},
		{"a device that is always full", "/dev", "full",
			"Could not save \"full\": No space left on device."},
	};
	ASSERT_EQ(mkfifo((fDirectory + "/fifo").c_str(), 0644), 0);
	ASSERT_EQ(rmdir(gone.c_str()), 0);
	ASSERT_EQ(rmdir(inner.c_str()), 0);
	ASSERT_EQ(rmdir(outer.c_str()), 0);
	const std::string longName(300, 'n');
	size_t alerts = 0;
	for (const Row& row : rows) {
		ASSERT_TRUE(SaveThroughPanel(
			fWindow, row.directory, row.name != nullptr ? row.name : longName.c_str()))
			<< row.what;
		ASSERT_TRUE(Settle(fWindow)) << row.what;
		ExpectNothingChanged(row.what);
		// Every failure is told, after the old name and title are back.
		std::vector<std::string> texts = AlertTexts(++alerts);
		ASSERT_EQ(texts.size(), alerts) << row.what;
		EXPECT_EQ(texts.back().rfind("Could not save \"", 0), 0u) << texts.back();
		if (row.alert != nullptr) {
			EXPECT_EQ(texts.back(), row.alert) << row.what;
		}
	}
	EXPECT_EQ(Listing(fDirectory), "fifo pic.png saved");
}

// A document whose directory vanished after it was named: a bare save
// request writes nothing, changes nothing and tells the person why.
TEST_F(WindowReliabilityTest, SavingIntoAVanishedDirectoryChangesNothingAndSaysWhy)
{
	const std::string folder = fDirectory + "/folder";
	ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
	std::filesystem::copy_file(
		QUILLPIX_SOURCE_DIR "/tests/data/images/colour.png", folder + "/pic.png");
	Launch({folder + "/pic.png"});
	std::vector<int32> windows = VisibleWindows(1);
	ASSERT_EQ(windows.size(), 1u);
	std::filesystem::remove_all(folder);

	AnswerAlerts();
	ASSERT_TRUE(WithImageWindow(
		"pic.png.h", [](BitmapImageWindow& window) { window.PostMessage(B_SAVE_REQUESTED); }));
	ASSERT_TRUE(Settle(windows[0]));
	EXPECT_EQ(fProbe->Title(windows[0]), "pic.png.h");
	EXPECT_EQ(DocumentNameOf("pic.png.h"), folder + "/pic.png.h");
	EXPECT_EQ(Listing(fDirectory), "");
	EXPECT_EQ(AlertTexts(1),
		std::vector<std::string>{"Could not save \"pic.png.h\": No such file or directory."});
}

} // namespace
