// SPDX-License-Identifier: MIT
// The quillpix program starting: without a display it says so and ends;
// on the headless server it runs; --version answers at once.

#include "support/Program.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Outcome {
	int status = -1;
	std::string output; // standard output and standard error
};

// Runs the program with exactly the environment `variables` (and PATH).
Outcome
RunQuillpix(const std::vector<std::string>& variables, const std::vector<std::string>& arguments)
{
	testsupport::Program program;
	program.arguments = {QUILLPIX_BINARY_DIR "/app/quillpix"};
	program.arguments.insert(program.arguments.end(), arguments.begin(), arguments.end());
	program.environment = {"PATH=/usr/bin:/bin"};
	program.environment.insert(program.environment.end(), variables.begin(), variables.end());
	program.onlyThisEnvironment = true;
	program.errorToOutput = true;
	testsupport::ProgramOutcome run = testsupport::RunProgram(program);
	return Outcome{run.ExitCode(), run.out};
}

const std::string kImage = QUILLPIX_SOURCE_DIR "/examples/quill.png";

} // namespace

TEST(StartupTest, WithoutADisplayTheProgramSaysSoInOneLineAndFails)
{
	Outcome outcome = RunQuillpix({}, {kImage});
	EXPECT_EQ(outcome.status, 1);
	EXPECT_EQ(outcome.output,
		"quillpix: no display found (set DISPLAY or WAYLAND_DISPLAY, or "
		"QT_QPA_PLATFORM=offscreen)\n");
}

TEST(StartupTest, AnUnreachableDisplayIsReportedInOneLineNotACrash)
{
	Outcome outcome = RunQuillpix({"DISPLAY=:97", "QT_QPA_PLATFORM=xcb"}, {kImage});
	EXPECT_EQ(outcome.status, 1);
	EXPECT_EQ(outcome.output.rfind("quillpix: cannot open the display: ", 0), 0u) << outcome.output;
	EXPECT_EQ(outcome.output.find('\n'), outcome.output.size() - 1) << outcome.output;
}

TEST(StartupTest, OnTheHeadlessServerTheUsageAlertGoesToStandardErrorAndTheProgramEnds)
{
	Outcome outcome = RunQuillpix({"QUILLPIX_SERVER=headless"}, {});
	EXPECT_EQ(outcome.status, 0);
	EXPECT_EQ(outcome.output,
		"Usage: Drop an image onto the Quillpix application or pass the "
		"image filename as an argument at the command line\n");
}

// Nobody can choose in the Open panel there: it closes, and the program
// ends as when the person closes it, without the usage alert.
TEST(StartupTest, OnTheHeadlessServerOpenClosesItsPanelAndTheProgramEnds)
{
	Outcome outcome = RunQuillpix({"QUILLPIX_SERVER=headless"}, {"--open"});
	EXPECT_EQ(outcome.status, 0);
	EXPECT_EQ(outcome.output, "");
}

TEST(StartupTest, VersionAnswersWithoutADisplay)
{
	Outcome outcome = RunQuillpix({}, {"--version"});
	EXPECT_EQ(outcome.status, 0);
	EXPECT_EQ(outcome.output, std::string("quillpix ") + QUILLPIX_VERSION + "\n");
}

TEST(StartupTest, HelpPrintsTheUsageToStandardOutputWithoutADisplay)
{
	testsupport::Program program;
	program.arguments = {QUILLPIX_BINARY_DIR "/app/quillpix", "--help"};
	program.environment = {"PATH=/usr/bin:/bin"};
	program.onlyThisEnvironment = true;
	testsupport::ProgramOutcome run = testsupport::RunProgram(program);
	EXPECT_EQ(run.ExitCode(), 0);
	EXPECT_EQ(run.out.rfind("usage: quillpix [--] [IMAGE...]\n", 0), 0u) << run.out;
	EXPECT_NE(run.out.find("  --help     print this and exit\n"), std::string::npos) << run.out;
	EXPECT_EQ(run.err, "");
}
