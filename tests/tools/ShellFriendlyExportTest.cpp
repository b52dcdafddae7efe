// SPDX-License-Identifier: MIT
// The exporter as a shell user meets it: standard output, several images at
// once with messages in argument order, and --quiet.

#include "ExportFixtures.h"
#include "ExporterProcess.h"

#include "support/Program.h"

#include <gtest/gtest.h>

#include <string>
#include <unistd.h>
#include <vector>

using ExporterProcess::Outcome;
using namespace testsupport;

TEST(ShellFriendlyExport, StandardOutputTakesEveryTextInArgumentOrder)
{
	ScratchDirectory scratch;
	CopyFixture(scratch, "rgb.png");
	CopyFixture(scratch, "palette.gif");
	CopyFixture(scratch, "alpha.png");
	CopyFixture(scratch, "rgb.png", "rgb-copy.png");
	Outcome outcome = ExporterProcess::Run(scratch,
		{"-q", "-o", "-", scratch / "palette.gif", scratch / "rgb.png", scratch / "alpha.png",
			scratch / "rgb-copy.png"});
	EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
	EXPECT_EQ(outcome.err, "");
	// No file names the text: the default icon name is the image's name
	// made an identifier.
	EXPECT_EQ(outcome.out,
		FixtureTextNamed("palette.h", "kPalette", "palette")
			+ FixtureTextNamed("rgb.h", "kRgb", "rgb")
			+ FixtureTextNamed("alpha.h", "kAlpha", "alpha")
			+ FixtureTextNamed("rgb.h", "kRgb", "rgb_copy"));
	EXPECT_EQ(scratch.Listing(), "alpha.png palette.gif rgb-copy.png rgb.png");

	Outcome named = ExporterProcess::Run(
		scratch, {"--name", "kRgb", "--output=-", scratch / "rgb.png"});
	EXPECT_EQ(named.exitCode, 0) << named.err;
	EXPECT_EQ(named.out, ReadWhole(kExportData + "rgb.h"));
}

TEST(ShellFriendlyExport, ManyImagesKeepTheirMessagesInArgumentOrder)
{
	ScratchDirectory scratch;
	std::vector<std::string> arguments = {"--name", "kRgb"};
	std::string expectedErrors;
	for (int i = 0; i < 24; i++) {
		const std::string leaf = "image" + std::to_string(i) + ".png";
		if (i % 3 == 1) {
			WriteWhole(scratch / leaf, "no image " + std::to_string(i));
			expectedErrors += "quillpix-export: " + (scratch / leaf)
				+ " is not an image we can read\n";
		} else {
			const char* fixture = i % 3 == 0 ? "rgb.png" : "rgb.webp";
			WriteWhole(scratch / leaf, ReadWhole(kExportData + fixture));
		}
		arguments.push_back(scratch / leaf);
	}
	Outcome outcome = ExporterProcess::Run(scratch, arguments);
	EXPECT_EQ(outcome.exitCode, 1);
	EXPECT_EQ(outcome.err, expectedErrors);
	for (int i = 0; i < 24; i++) {
		const std::string output = scratch / ("image" + std::to_string(i) + ".png.h");
		if (i % 3 == 1)
			EXPECT_NE(access(output.c_str(), F_OK), 0) << output;
		else
			EXPECT_EQ(ReadWhole(output), ReadWhole(kExportData + "rgb.h")) << output;
	}
}

TEST(ShellFriendlyExport, QuietDropsWarningsButNotErrors)
{
	ScratchDirectory scratch;
	CopyFixture(scratch, "rgb.png");
	for (const char* quiet : {"-q", "--quiet"}) {
		Outcome outcome = ExporterProcess::Run(
			scratch, {quiet, scratch / "rgb.png", scratch / "missing.png"});
		EXPECT_EQ(outcome.exitCode, 1);
		EXPECT_EQ(outcome.err,
			"quillpix-export: " + (scratch / "missing.png") + ": No such file or directory\n");
		EXPECT_EQ(ReadWhole(scratch / "rgb.png.h"), FixtureTextNamed("rgb.h", "kRgb", "rgb.png.h"));
	}
	Outcome loud = ExporterProcess::Run(scratch, {scratch / "rgb.png"});
	EXPECT_NE(loud.err.find("warning: icon name \"rgb.png.h\""), std::string::npos) << loud.err;
}

// /dev/stdout into a pipe leads to no path at all: the text goes straight
// through the name as given.
TEST(ShellFriendlyExport, DevStdoutIntoAPipeTakesTheText)
{
	const std::string command = std::string("'") + QUILLPIX_BINARY_DIR
		+ "/tools/quillpix-export' --name kRgb -o /dev/stdout '" + kExportData + "rgb.png' | cat";
	testsupport::ProgramOutcome run = testsupport::RunProgram({{"/bin/sh", "-c", command}});
	EXPECT_EQ(run.ExitCode(), 0) << run.Describe();
	EXPECT_EQ(run.out, ReadWhole(kExportData + "rgb.h"));
}
