// SPDX-License-Identifier: MIT
// The exporter as a Unix tool: images from standard input and from streams
// a shell hands over, names printed safely on one line whatever bytes they
// hold, the option forms of GNU tools, and the progress line on a terminal.

#include "ExportFixtures.h"
#include "ExporterProcess.h"

#include "support/Program.h"

#include <gtest/gtest.h>

#include <string>
#include <unistd.h>
#include <vector>

using testsupport::ProgramOutcome;
using testsupport::ReadWhole;
using testsupport::ScratchDirectory;
using testsupport::WriteWhole;

namespace {

// Runs `command` with /bin/sh in `directory`, with $E the exporter.
ProgramOutcome
Shell(const std::string& directory, const std::string& command)
{
	testsupport::Program shell{
		{"/bin/sh", "-c", "export E='" QUILLPIX_EXPORT_BINARY "' && " + command}};
	shell.directory = directory;
	return testsupport::RunProgram(shell);
}

} // namespace

TEST(UnixTool, ImagesFromStandardInputAndHeldStreams)
{
	ScratchDirectory scratch;
	CopyFixture(scratch, "rgb.png");
	CopyFixture(scratch, "alpha.png");
	CopyFixture(scratch, "palette.gif", "-");
	const std::string rgb = ReadWhole(kExportData + "rgb.h");
	const struct {
		const char* command;
		int exitCode;
		std::string out;
		std::string err;
	} rows[] = {
		{"cat rgb.png | \"$E\" --name kRgb -o - -", 0, rgb, ""},
		{"cat rgb.png | \"$E\" --name kRgb -o- /dev/stdin", 0, rgb, ""},
		{"\"$E\" --name kRgb -o - - < rgb.png", 0, rgb, ""},
		{"\"$E\" --name kRgb -o - /dev/fd/3 3< rgb.png", 0, rgb, ""},
		{"cat rgb.png | \"$E\" --name kRgb -o out.h - && cat out.h && rm out.h", 0, rgb, ""},
		// An image read from a stream is named "image" on standard output.
		{"cat alpha.png | \"$E\" -q -o - rgb.png -", 0,
			FixtureTextNamed("rgb.h", "kRgb", "rgb")
				+ FixtureTextNamed("alpha.h", "kAlpha", "image"),
			""},
		// "./-" is the file called "-".
		{"\"$E\" --name kPalette -o - ./-", 0, ReadWhole(kExportData + "palette.h"), ""},
		{"\"$E\" -o - - < /dev/null", 1, "", "quillpix-export: standard input is empty\n"},
		{"echo no image | \"$E\" -o - -", 1, "",
			"quillpix-export: standard input is not an image we can read\n"},
	};
	for (const auto& row : rows) {
		SCOPED_TRACE(row.command);
		ProgramOutcome run = Shell(scratch.Path(), row.command);
		EXPECT_EQ(run.ExitCode(), row.exitCode) << run.Describe();
		EXPECT_TRUE(run.out == row.out) << run.out.substr(0, 300);
		EXPECT_EQ(run.err, row.err);
	}
	EXPECT_EQ(scratch.Listing(), "- alpha.png rgb.png");
}

// A name may hold a newline, an escape sequence that retitles or recolours
// the terminal, or bytes that are not UTF-8: each message still is one line,
// and shows them escaped.
TEST(UnixTool, NamesArePrintedEscapedOnOneLine)
{
	ScratchDirectory scratch;
	const struct {
		std::string leaf;
		std::string printed;
	} names[] = {
		{"new\nline.png", "new\\nline.png"},
		{"title\033]0;owned\007.png", "title\\033]0;owned\\007.png"},
		{"red\033[31m.png", "red\\033[31m.png"},
		{"latin1-\xe9t\xe9-\xff.png", "latin1-\\xe9t\\xe9-\\xff.png"},
	};
	for (const auto& name : names) {
		SCOPED_TRACE(name.printed);
		const std::string image = scratch / name.leaf;
		const std::string printed = scratch / name.printed;
		WriteWhole(image, "no image");
		ExporterProcess::Outcome refused = ExporterProcess::Run(
			scratch, {"-o", "/dev/null", image});
		EXPECT_EQ(refused.exitCode, 1);
		EXPECT_EQ(refused.err, "quillpix-export: " + printed + " is not an image we can read\n");

		unlink(image.c_str());
		ExporterProcess::Outcome missing = ExporterProcess::Run(scratch, {"-q", "-o", "-", image});
		EXPECT_EQ(missing.err, "quillpix-export: " + printed + ": No such file or directory\n");

		// The output's name, and the warning about an icon name made from it.
		const std::string output = scratch / ("missing/" + name.leaf);
		ExporterProcess::Outcome unwritable = ExporterProcess::Run(
			scratch, {"-o", output, kExportData + "rgb.png"});
		EXPECT_EQ(unwritable.exitCode, 1);
		EXPECT_EQ(unwritable.err,
			"quillpix-export: warning: icon name \"" + name.printed
				+ "\" is not a valid C++ "
				  "identifier; the source written to "
				+ (scratch / ("missing/" + name.printed))
				+ " will not compile as it is\n"
				  "quillpix-export: cannot write "
				+ (scratch / ("missing/" + name.printed)) + ": No such file or directory\n");

		ExporterProcess::Outcome usage = ExporterProcess::Run(scratch, {"--" + name.leaf});
		EXPECT_EQ(usage.exitCode, 2);
		EXPECT_EQ(usage.err.substr(0, usage.err.find('\n')),
			"quillpix-export: unknown option --" + name.printed);
	}
	EXPECT_EQ(scratch.Listing(), "");
}

TEST(UnixTool, OptionFormsEmptyNamesAndTheNullDevice)
{
	ScratchDirectory scratch;
	const std::string image = kExportData + "rgb.png";
	const std::string text = ReadWhole(kExportData + "rgb.h");
	const std::vector<std::string> sameText[] = {
		{"-qo-", "--name=kRgb", image},
		{"--name", "kRgb", image, "-qo", "-"},
		{"--name=kRgb", "--outp=-", "--", image},
	};
	for (const auto& arguments : sameText) {
		ExporterProcess::Outcome run = ExporterProcess::Run(scratch, arguments);
		EXPECT_EQ(run.exitCode, 0) << arguments[0] << ": " << run.err;
		EXPECT_TRUE(run.out == text) << arguments[0];
	}

	ExporterProcess::Outcome empty = ExporterProcess::Run(scratch, {"-o", "-", image, ""});
	EXPECT_EQ(empty.exitCode, 2);
	EXPECT_EQ(empty.err.rfind("quillpix-export: an empty name is no file\nusage: ", 0), 0u)
		<< empty.err;
	EXPECT_EQ(empty.out, "");

	ExporterProcess::Outcome nowhere = ExporterProcess::Run(scratch,
		{"-q", "-o", "/dev/null", image, kExportData + "alpha.png", kExportData + "palette.gif"});
	EXPECT_EQ(nowhere.exitCode, 0) << nowhere.err;
	EXPECT_EQ(nowhere.err, "");
	EXPECT_EQ(scratch.Listing(), "");
}

// On a terminal (script(1) gives the exporter one), a run that lasts over a
// second shows the count, the name and the share done, and erases the line
// at the end; with -q nothing is shown.
TEST(UnixTool, ATerminalSessionShowsTheCount)
{
	if (access("/usr/bin/script", X_OK) != 0)
		GTEST_SKIP() << "no script(1) here";
	ScratchDirectory scratch;
	CopyFixture(scratch, "rgb.png");
	// The image arrives after a second and a half, through a pipe.
	const std::string slow = "(sleep 1.5; cat rgb.png) | \"$E\" --name kRgb -o out.h";
	ProgramOutcome shown = Shell(scratch.Path(), "script -qec '" + slow + " -' /dev/null");
	EXPECT_EQ(shown.ExitCode(), 0) << shown.Describe();
	EXPECT_NE(shown.out.find("\rquillpix-export: 1/1 standard input 0%\033[K"), std::string::npos)
		<< shown.out;
	EXPECT_EQ(shown.out.substr(shown.out.size() - 4), "\r\033[K") << shown.out;
	EXPECT_EQ(shown.out.find('\n'), std::string::npos) << shown.out;
	EXPECT_EQ(ReadWhole(scratch / "out.h"), ReadWhole(kExportData + "rgb.h"));

	ProgramOutcome quiet = Shell(scratch.Path(), "script -qec '" + slow + " -q -' /dev/null");
	EXPECT_EQ(quiet.ExitCode(), 0) << quiet.Describe();
	EXPECT_EQ(quiet.out, "");
}

// A write to standard output that fails is told once per image, with the
// system's reason, and the run fails.
TEST(UnixTool, AFullStandardOutputIsToldForEachImage)
{
	ScratchDirectory scratch;
	ProgramOutcome run = Shell(scratch.Path(),
		"\"$E\" -q -o - '" + kExportData + "rgb.png' '" + kExportData + "alpha.png' > /dev/full");
	EXPECT_EQ(run.ExitCode(), 1);
	EXPECT_EQ(run.err,
		"quillpix-export: cannot write standard output: No space left on device\n"
		"quillpix-export: cannot write standard output: No space left on device\n");
}
