// SPDX-License-Identifier: MIT
#include "ExportFixtures.h"
#include "ExporterProcess.h"

#include <ImageReaderList.h>
#include <TranslationUtils.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

using ExporterProcess::Outcome;
using ExporterProcess::Replaced;
using namespace testsupport;

namespace {

Outcome
RunExporter(const ScratchDirectory& scratch, const std::vector<std::string>& arguments)
{
	return ExporterProcess::Run(scratch, arguments);
}

} // namespace

bool
IsRecognized(const std::string& path)
{
	std::string bytes = ReadWhole(path);
	BPrivate::ImageData image{reinterpret_cast<const uint8*>(bytes.data()), bytes.size()};
	return BPrivate::ImageReaderList::Default().ReaderFor(image) != nullptr;
}

TEST(QuillpixExport, EveryFormatGivesTheExpectedSource)
{
	struct Row {
		std::vector<std::string> options;
		const char* image;
		const char* expected;
	};
	const Row rows[] = {
		{{"--name", "kRgb"}, "rgb.png", "rgb.h"},
		{{"--name", "kRgb"}, "rgb.bmp", "rgb.h"},
		{{"--name", "kRgb"}, "rgb.webp", "rgb.h"},
		{{"--name", "kRgb", "--color-space", "rgb32"}, "rgb.png", "rgb.h"},
		{{"--name", "kRgb", "--color-space", "cmap8"}, "rgb.png", "rgb-cmap8.h"},
		{{"--name", "kRgb", "--color-space", "cmap8", "--dither", "none"}, "rgb.png",
			"rgb-cmap8.h"},
		{{"--name", "kAlpha"}, "alpha.png", "alpha.h"},
		{{"--name", "kGray"}, "gray.jpg", "gray.h"},
		{{"--name", "kPalette"}, "palette.gif", "palette.h"},
		{{"--name", "kPalette", "--color-space", "cmap8"}, "palette.gif", "palette.h"},
		{{"--name", "kPalette", "--color-space", "rgb32"}, "palette.gif", "palette-rgb32.h"},
		// The other spaces from the colour as decoded: every edge of their
		// rules in one image of 5 x 2 pixels.
		{{"--name", "kEdges", "--color-space", "rgba32"}, "edges.png", "edges-rgba32.h"},
		{{"--name", "kEdges", "--color-space", "rgb16"}, "edges.png", "edges-rgb16.h"},
		{{"--name", "kEdges", "--color-space", "rgb16", "--dither", "none"}, "edges.png",
			"edges-rgb16.h"},
		{{"--name", "kEdges", "--color-space", "rgb16", "--background", "204060"}, "edges.png",
			"edges-rgb16-slate.h"},
		{{"--name", "kEdges", "--color-space", "rgb15"}, "edges.png", "edges-rgb15.h"},
		{{"--name", "kEdges", "--color-space", "rgba15", "--dither=none"}, "edges.png",
			"edges-rgba15.h"},
		{{"--name", "kEdges", "--color-space", "gray8"}, "edges.png", "edges-gray8.h"},
		{{"--name", "kEdges", "--color-space", "gray8", "--background=204060"}, "edges.png",
			"edges-gray8-slate.h"},
		{{"--name", "kEdges", "--color-space", "gray1"}, "edges.png", "edges-gray1.h"},
		{{"--name", "kEdges", "--color-space", "gray1", "--background", "204060"}, "edges.png",
			"edges-gray1-slate.h"},
	};
	for (const Row& row : rows) {
		// BMP is read by code of our own that may not be in this build yet.
		if (std::string(row.image) == "rgb.bmp" && !IsRecognized(kExportData + row.image))
			continue;
		ScratchDirectory scratch;
		std::vector<std::string> arguments = row.options;
		arguments.insert(arguments.end(), {"-o", scratch / "out.h", kExportData + row.image});
		Outcome outcome = RunExporter(scratch, arguments);
		const std::string label = std::string(row.image) + " -> " + row.expected;
		EXPECT_EQ(outcome.exitCode, 0) << label << "\n" << outcome.err;
		EXPECT_EQ(outcome.err, "") << label;
		EXPECT_EQ(ReadWhole(scratch / "out.h"), ReadWhole(kExportData + row.expected)) << label;
		EXPECT_EQ(scratch.Listing(), "out.h") << label;
	}
}

// The build form: the decoded bitmap's bytes as they are, a source and a
// header, each rewritten only when its content changes, so that a build tool
// that checks its outputs again rebuilds only what a change reaches.
TEST(QuillpixExport, EmbedWritesTheBytesAndRewritesOnlyWhatChanged)
{
	ScratchDirectory scratch;
	const std::string image = scratch / "icon.png";
	WriteWhole(image, ReadWhole(kExportData + "rgb.png"));
	const std::vector<std::string> arguments = {"--embed", scratch / "icon.h", image};
	Outcome outcome = RunExporter(scratch, arguments);
	ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
	EXPECT_EQ(scratch.Listing(), "icon.bin icon.h icon.png icon.s");
	std::unique_ptr<BBitmap> bitmap(BTranslationUtils::GetBitmapFile(image.c_str()));
	ASSERT_TRUE(bitmap);
	EXPECT_EQ(ReadWhole(scratch / "icon.bin"),
		std::string(static_cast<const char*>(bitmap->Bits()), size_t(bitmap->BitsLength())));
	EXPECT_NE(ReadWhole(scratch / "icon.h")
				  .find("extern uint8 icon_MData[" + std::to_string(bitmap->BitsLength()) + "];"),
		std::string::npos);

	const std::string outputs[] = {scratch / "icon.h", scratch / "icon.s", scratch / "icon.bin"};
	auto backdate = [&outputs] {
		for (const std::string& output : outputs) {
			struct timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
			utimensat(AT_FDCWD, output.c_str(), times, 0);
		}
	};
	auto untouched = [](const std::string& path) {
		struct stat info;
		return stat(path.c_str(), &info) == 0 && info.st_mtim.tv_sec == 1000000000;
	};
	const std::string header = ReadWhole(scratch / "icon.h");
	const std::string source = ReadWhole(scratch / "icon.s");

	// The same image again: the same bytes, and no file touched.
	backdate();
	outcome = RunExporter(scratch, arguments);
	ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
	for (const std::string& output : outputs)
		EXPECT_TRUE(untouched(output)) << output;
	EXPECT_EQ(ReadWhole(scratch / "icon.s"), source);

	// Other pixels of the same size: new bytes and source, the same header.
	WriteWhole(image, "P6\n3 2\n255\n" + std::string(18, '\x5A'));
	std::unique_ptr<BBitmap> other(BTranslationUtils::GetBitmapFile(image.c_str()));
	ASSERT_TRUE(other);
	ASSERT_EQ(other->Bounds(), bitmap->Bounds());
	ASSERT_NE(memcmp(other->Bits(), bitmap->Bits(), size_t(bitmap->BitsLength())), 0);
	backdate();
	outcome = RunExporter(scratch, arguments);
	ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
	EXPECT_TRUE(untouched(scratch / "icon.h"));
	EXPECT_EQ(ReadWhole(scratch / "icon.h"), header);
	EXPECT_FALSE(untouched(scratch / "icon.s"));
	EXPECT_NE(ReadWhole(scratch / "icon.s"), source);
	EXPECT_EQ(ReadWhole(scratch / "icon.bin"),
		std::string(static_cast<const char*>(other->Bits()), size_t(other->BitsLength())));
	EXPECT_EQ(scratch.Listing(), "icon.bin icon.h icon.png icon.s");
}

TEST(QuillpixExport, EmbedIntoADirectoryThatIsNotThereFailsAndSaysWhichFile)
{
	ScratchDirectory scratch;
	Outcome outcome = RunExporter(
		scratch, {"--embed", scratch / "none/icon.h", kExportData + "rgb.png"});
	EXPECT_EQ(outcome.exitCode, 1);
	EXPECT_EQ(outcome.err,
		"quillpix-export: cannot write " + scratch / "none/icon.bin"
			+ ": No such file or directory\n");
	EXPECT_EQ(scratch.Listing(), "");
}

TEST(QuillpixExport, TheDefaultOutputIsTheImagePathWithDotH)
{
	ScratchDirectory scratch;
	CopyFixture(scratch, "rgb.png");
	CopyFixture(scratch, "palette.gif");
	Outcome outcome = RunExporter(scratch, {scratch / "rgb.png", scratch / "palette.gif"});
	EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
	EXPECT_EQ(ReadWhole(scratch / "rgb.png.h"),
		Replaced(ReadWhole(kExportData + "rgb.h"), "kRgb", "rgb.png.h"));
	EXPECT_EQ(ReadWhole(scratch / "palette.gif.h"),
		Replaced(ReadWhole(kExportData + "palette.h"), "kPalette", "palette.gif.h"));
	// The leaves are no identifiers: the text is written as it is, with a warning.
	EXPECT_NE(outcome.err.find("warning: icon name \"rgb.png.h\" is not a valid C++ identifier"),
		std::string::npos)
		<< outcome.err;
	EXPECT_NE(outcome.err.find("\"palette.gif.h\""), std::string::npos) << outcome.err;
}

TEST(QuillpixExport, AnUnreadableImageFailsAloneAndLeavesNoFile)
{
	ScratchDirectory scratch;
	WriteWhole(scratch / "text.png", "this is no image\n");
	CopyFixture(scratch, "rgb.png");
	Outcome outcome = RunExporter(scratch,
		{"--name", "kRgb", scratch / "text.png", scratch / "missing.gif", scratch / "rgb.png"});
	EXPECT_EQ(outcome.exitCode, 1);
	EXPECT_NE(outcome.err.find(scratch / "text.png" + " is not an image we can read\n"),
		std::string::npos)
		<< outcome.err;
	EXPECT_NE(outcome.err.find(scratch / "missing.gif" + ": No such file or directory\n"),
		std::string::npos)
		<< outcome.err;
	EXPECT_EQ(ReadWhole(scratch / "rgb.png.h"), ReadWhole(kExportData + "rgb.h"));
	EXPECT_EQ(scratch.Listing(), "rgb.png rgb.png.h text.png");
}

TEST(QuillpixExport, AnUnwritableOutputIsNamedWithItsReason)
{
	ScratchDirectory scratch;
	const std::string output = scratch / "missing/out.h";
	Outcome outcome = RunExporter(
		scratch, {"--name", "kRgb", "-o", output, kExportData + "rgb.png"});
	EXPECT_EQ(outcome.exitCode, 1);
	EXPECT_NE(outcome.err.find("cannot write " + output + ": No such file or directory"),
		std::string::npos)
		<< outcome.err;
	EXPECT_EQ(scratch.Listing(), "");
}

TEST(QuillpixExport, UsageErrorsHelpAndVersion)
{
	ScratchDirectory scratch;
	const std::vector<std::vector<std::string>> usageErrors = {
		{},
		{"-o", scratch / "out.h", kExportData + "rgb.png", kExportData + "rgb.bmp"},
		{"--color-space", "rgb565", kExportData + "rgb.png"},
		{"--bogus", kExportData + "rgb.png"},
		{"--color-space", "gray8", "--dither", "ordered", kExportData + "rgb.png"},
		{"--color-space", "rgba32", "--background", "000000", kExportData + "rgb.png"},
		{"--dither", "ordered", kExportData + "rgb.png"},
		{"--color-space", "cmap8", "--dither", "sierra", kExportData + "rgb.png"},
	};
	for (const auto& arguments : usageErrors) {
		Outcome outcome = RunExporter(scratch, arguments);
		EXPECT_EQ(outcome.exitCode, 2) << outcome.err;
		EXPECT_NE(outcome.err.find("usage: quillpix-export [-q] [-o OUT|-]"), std::string::npos)
			<< outcome.err;
		EXPECT_EQ(scratch.Listing(), "");
	}

	Outcome help = RunExporter(scratch, {"--help"});
	EXPECT_EQ(help.exitCode, 0);
	EXPECT_EQ(help.out.rfind("usage: quillpix-export", 0), 0u) << help.out;
	Outcome version = RunExporter(scratch, {"--version"});
	EXPECT_EQ(version.exitCode, 0);
	EXPECT_EQ(version.out, std::string("quillpix-export ") + QUILLPIX_VERSION + "\n");
}
