#include "ExporterProcess.h"

#include <ImageReaderList.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using ExporterProcess::Outcome;
using ExporterProcess::Replaced;
using TestFiles::ReadWhole;
using TestFiles::ScratchDirectory;
using TestFiles::WriteWhole;

namespace {

const std::string kData = std::string(QUILLPIX_SOURCE_DIR) + "/tests/data/export/";

Outcome
RunExporter(const ScratchDirectory& scratch, const std::vector<std::string>& arguments)
{
	return ExporterProcess::Run(scratch, arguments);
}

} // namespace

bool IsRecognized(const std::string& path)
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
		{{"--name", "kAlpha"}, "alpha.png", "alpha.h"},
		{{"--name", "kGray"}, "gray.jpg", "gray.h"},
		{{"--name", "kPalette"}, "palette.gif", "palette.h"},
		{{"--name", "kPalette", "--color-space", "cmap8"}, "palette.gif", "palette.h"},
		{{"--name", "kPalette", "--color-space", "rgb32"}, "palette.gif", "palette-rgb32.h"},
	};
	for (const Row& row : rows) {
		// BMP is read by code of our own that may not be in this build yet.
		if (std::string(row.image) == "rgb.bmp" && !IsRecognized(kData + row.image))
			continue;
		ScratchDirectory scratch;
		std::vector<std::string> arguments = row.options;
		arguments.insert(arguments.end(), {"-o", scratch / "out.h", kData + row.image});
		Outcome outcome = RunExporter(scratch, arguments);
		const std::string label = std::string(row.image) + " -> " + row.expected;
		EXPECT_EQ(outcome.exitCode, 0) << label << "\n" << outcome.err;
		EXPECT_EQ(outcome.err, "") << label;
		EXPECT_EQ(ReadWhole(scratch / "out.h"), ReadWhole(kData + row.expected)) << label;
		EXPECT_EQ(scratch.Listing(), "out.h") << label;
	}
}

TEST(QuillpixExport, TheDefaultOutputIsTheImagePathWithDotH)
{
	ScratchDirectory scratch;
	WriteWhole(scratch / "rgb.png", ReadWhole(kData + "rgb.png"));
	WriteWhole(scratch / "palette.gif", ReadWhole(kData + "palette.gif"));
	Outcome outcome = RunExporter(scratch, {scratch / "rgb.png", scratch / "palette.gif"});
	EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
	EXPECT_EQ(ReadWhole(scratch / "rgb.png.h"),
		Replaced(ReadWhole(kData + "rgb.h"), "kRgb", "rgb.png.h"));
	EXPECT_EQ(ReadWhole(scratch / "palette.gif.h"),
		Replaced(ReadWhole(kData + "palette.h"), "kPalette", "palette.gif.h"));
	// The leaves are no identifiers: the text is written as it is, with a warning.
	EXPECT_NE(outcome.err.find("warning: icon name \"rgb.png.h\" is not a valid C++ identifier"),
		std::string::npos) << outcome.err;
	EXPECT_NE(outcome.err.find("\"palette.gif.h\""), std::string::npos) << outcome.err;
}

TEST(QuillpixExport, AnUnreadableImageFailsAloneAndLeavesNoFile)
{
	ScratchDirectory scratch;
	WriteWhole(scratch / "text.png", "this is no image\n");
	WriteWhole(scratch / "rgb.png", ReadWhole(kData + "rgb.png"));
	Outcome outcome = RunExporter(scratch,
		{"--name", "kRgb", scratch / "text.png", scratch / "missing.gif", scratch / "rgb.png"});
	EXPECT_EQ(outcome.exitCode, 1);
	EXPECT_NE(outcome.err.find(scratch / "text.png" + " is not an image we can read\n"), std::string::npos)
		<< outcome.err;
	EXPECT_NE(outcome.err.find(scratch / "missing.gif" + ": No such file or directory\n"),
		std::string::npos) << outcome.err;
	EXPECT_EQ(ReadWhole(scratch / "rgb.png.h"), ReadWhole(kData + "rgb.h"));
	EXPECT_EQ(scratch.Listing(), "rgb.png rgb.png.h text.png");
}

TEST(QuillpixExport, AnUnwritableOutputIsNamedWithItsReason)
{
	ScratchDirectory scratch;
	const std::string output = scratch / "missing/out.h";
	Outcome outcome = RunExporter(scratch, {"--name", "kRgb", "-o", output, kData + "rgb.png"});
	EXPECT_EQ(outcome.exitCode, 1);
	EXPECT_NE(outcome.err.find("cannot write " + output + ": No such file or directory"),
		std::string::npos) << outcome.err;
	EXPECT_EQ(scratch.Listing(), "");
}

TEST(QuillpixExport, UsageErrorsHelpAndVersion)
{
	ScratchDirectory scratch;
	const std::vector<std::vector<std::string>> usageErrors = {
		{},
		{"-o", scratch / "out.h", kData + "rgb.png", kData + "rgb.bmp"},
		{"--color-space", "rgb16", kData + "rgb.png"},
		{"--bogus", kData + "rgb.png"},
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
