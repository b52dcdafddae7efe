// The quillpix program starting: without a display it says so and ends;
// on the headless server it runs; --version answers at once.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace {

struct Outcome {
	int status = -1;
	std::string output; // standard output and standard error
};

// Runs the program with exactly the environment `variables` (and PATH).
Outcome
RunQuillpix(const std::string& variables, const std::string& arguments)
{
	std::string command = "env -i PATH=/usr/bin:/bin " + variables + " '"
		+ QUILLPIX_BINARY_DIR + "/app/quillpix' " + arguments + " 2>&1";
	Outcome outcome;
	FILE* pipe = popen(command.c_str(), "r");
	if (pipe == nullptr)
		return outcome;
	char buffer[512];
	size_t length;
	while ((length = fread(buffer, 1, sizeof(buffer), pipe)) > 0)
		outcome.output.append(buffer, length);
	int status = pclose(pipe);
	outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
	return outcome;
}

const std::string kImage = std::string("'") + QUILLPIX_SOURCE_DIR + "/examples/quill.png'";

} // namespace

TEST(StartupTest, WithoutADisplayTheProgramSaysSoInOneLineAndFails)
{
	Outcome outcome = RunQuillpix("", kImage);
	EXPECT_EQ(outcome.status, 1);
	EXPECT_EQ(outcome.output, "quillpix: no display found (set DISPLAY or WAYLAND_DISPLAY, or "
		"QT_QPA_PLATFORM=offscreen)\n");
}

TEST(StartupTest, AnUnreachableDisplayIsReportedInOneLineNotACrash)
{
	Outcome outcome = RunQuillpix("DISPLAY=:97 QT_QPA_PLATFORM=xcb", kImage);
	EXPECT_EQ(outcome.status, 1);
	EXPECT_EQ(outcome.output.rfind("quillpix: cannot open the display: ", 0), 0u) << outcome.output;
	EXPECT_EQ(outcome.output.find('\n'), outcome.output.size() - 1) << outcome.output;
}

TEST(StartupTest, OnTheHeadlessServerTheUsageAlertGoesToStandardErrorAndTheProgramEnds)
{
	Outcome outcome = RunQuillpix("QUILLPIX_SERVER=headless", "");
	EXPECT_EQ(outcome.status, 0);
	EXPECT_EQ(outcome.output, "Usage: Drop an image onto the Quillpix application or pass the "
		"image filename as an argument at the command line\n");
}

// Nobody can choose in the Open panel there: it closes, and the program
// ends as when the person closes it, without the usage alert.
TEST(StartupTest, OnTheHeadlessServerOpenClosesItsPanelAndTheProgramEnds)
{
	Outcome outcome = RunQuillpix("QUILLPIX_SERVER=headless", "--open");
	EXPECT_EQ(outcome.status, 0);
	EXPECT_EQ(outcome.output, "");
}

TEST(StartupTest, VersionAnswersWithoutADisplay)
{
	Outcome outcome = RunQuillpix("", "--version");
	EXPECT_EQ(outcome.status, 0);
	EXPECT_EQ(outcome.output, std::string("quillpix ") + QUILLPIX_VERSION + "\n");
}
