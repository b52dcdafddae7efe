// SPDX-License-Identifier: MIT
// File names as people make them: blanks, quotes, newlines, bytes that are
// not UTF-8, leaves of 255 bytes, a name ending in '/', relative paths. The
// window's title is the document name's leaf and the export's icon name is
// that same leaf, byte for byte: nothing escaped, nothing lost. The exporter
// names its files the same way.

#include "support/Files.h"
#include "support/Program.h"
#include "support/ProgramFixture.h"

#include "export/BitmapSourceExport.h"

#include <AppDefs.h>
#include <TranslationUtils.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace testsupport;

using AwkwardNameTest = ProgramFixture;

const std::string kLongLeaf = std::string(251, 'L') + ".png"; // 255 bytes

const std::vector<std::string> kLeaves = {
	"with blank.png",
	"quote\"s and 'apostrophes'.png",
	"new\nline.png",
	"tab\tand \\backslash.png",
	std::string("latin1-\xe9t\xe9-\xff.png"),
	"-starts-with-a-dash.png",
	kLongLeaf,
};

// The export text of `image` (an image held in B_RGB32) with `iconName`.
std::string
ExpectedExport(const std::string& image, const std::string& iconName, const std::string& scratch)
{
	std::unique_ptr<BBitmap> bitmap(BTranslationUtils::GetBitmapFile(image.c_str()));
	const std::string reference = scratch + "/.reference";
	if (!bitmap
		|| !ExportBitmapSource(bitmap.get(), reference.c_str(), {.iconName = iconName.c_str()}))
		return "(no reference)";
	std::string text = ReadWhole(reference);
	unlink(reference.c_str());
	return text;
}

TEST_F(AwkwardNameTest, TitlesAndExportsKeepEveryByteOfTheName)
{
	ASSERT_EQ(chdir(fDirectory.c_str()), 0);
	std::vector<std::string> arguments;
	for (const std::string& leaf : kLeaves)
		arguments.push_back(CopyImage("colour.png", leaf));
	// A relative path reaches the window as it is.
	CopyImage("colour.png", "relative.png");
	arguments.push_back("relative.png");
	// A directory named with a trailing '/': a window without an image.
	ASSERT_EQ(mkdir((fDirectory + "/folder").c_str(), 0755), 0);
	arguments.push_back(fDirectory + "/folder/");
	std::filesystem::create_directory(fDirectory + "/scratch");

	AnswerAlerts();
	Launch(arguments);
	std::vector<int32> windows = VisibleWindows(arguments.size());
	ASSERT_EQ(windows.size(), arguments.size());
	size_t failures = 0;
	for (size_t index = 0; index < arguments.size(); index++) {
		const std::string& path = arguments[index];
		const std::string document = path + ".h";
		// The leaf: after the last '/' that has something after it.
		const std::string title = path.back() == '/'
			? ".h"
			: document.substr(
				document.rfind('/') == std::string::npos ? 0 : document.rfind('/') + 1);
		SCOPED_TRACE(title);
		EXPECT_EQ(fProbe->Title(windows[index]), title);
		EXPECT_EQ(DocumentNameOf(title), document);
		EXPECT_EQ(HasImage(title), path.back() == '/' ? 0 : 1);

		// A bare save writes the document under its name, with the leaf as
		// the icon name.
		ASSERT_TRUE(WithImageWindow(title.c_str(),
			[](BitmapImageWindow& window) { window.PostMessage(B_SAVE_REQUESTED); }));
		ASSERT_TRUE(Settle(windows[index]));
		if (path.back() == '/' || path == fDirectory + "/" + kLongLeaf) {
			// No image to write; a leaf of 257 bytes no file system takes.
			EXPECT_NE(access(document.c_str(), F_OK), 0);
			EXPECT_EQ(fProbe->Title(windows[index]), title);
			std::vector<std::string> alerts = AlertTexts(++failures);
			ASSERT_EQ(alerts.size(), failures);
			EXPECT_EQ(alerts.back(),
				"Could not save \"" + title + "\": "
					+ (path.back() == '/' ? "there is no image to save." : "File name too long."));
			continue;
		}
		EXPECT_EQ(ReadWhole(document), ExpectedExport(path, title, fDirectory + "/scratch"));
	}
}

// Runs the exporter in `directory` with `arguments`; its exit status, or -1.
int
RunExporter(const std::string& directory, const std::vector<std::string>& arguments)
{
	testsupport::Program exporter;
	exporter.arguments = {QUILLPIX_BINARY_DIR "/tools/quillpix-export"};
	exporter.arguments.insert(exporter.arguments.end(), arguments.begin(), arguments.end());
	exporter.directory = directory;
	return testsupport::RunProgram(exporter).ExitCode();
}

// The exporter given the same names writes the same bytes the window does.
TEST(AwkwardNameExporter, OutputNamesAndIconNamesKeepEveryByte)
{
	ScratchDirectory scratch;
	const std::string image = QUILLPIX_SOURCE_DIR "/tests/data/images/colour.png";
	for (const std::string& leaf : kLeaves) {
		if (leaf == kLongLeaf)
			continue;
		SCOPED_TRACE(leaf);
		const std::string output = scratch / (leaf + ".h");
		EXPECT_EQ(RunExporter(scratch.Path(), {"-o", output, "--", image}), 0);
		EXPECT_EQ(ReadWhole(output), ExpectedExport(image, leaf + ".h", scratch.Path()));
	}
	// Relative output paths are taken from the working directory.
	const std::vector<std::string> relative = {"--name", "kIcon", "-o", "sub dir/../rel.h", image};
	EXPECT_EQ(RunExporter(scratch.Path(), relative), 1) << "\"sub dir\" does not exist yet";
	ASSERT_EQ(mkdir((scratch / "sub dir").c_str(), 0755), 0);
	EXPECT_EQ(RunExporter(scratch.Path(), relative), 0);
	EXPECT_EQ(ReadWhole(scratch / "rel.h"), ExpectedExport(image, "kIcon", scratch.Path()));
}

} // namespace
