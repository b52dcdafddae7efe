// SPDX-License-Identifier: MIT
// Running other programs: what they are given (arguments, environment,
// directory, standard input, descriptors) and what comes back (their
// output, apart or together, their exit status, a time limit that ends
// them), with /bin/sh and the core tools as the programs.

#include "support/Files.h"
#include "support/Program.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace {

using namespace testsupport;

Program
Shell(const std::string& script)
{
	return Program{{"/bin/sh", "-c", script}};
}

TEST(Program, ArgumentsArriveAsGivenWithoutAShellInBetween)
{
	ProgramOutcome run = RunProgram({{"/bin/sh", "-c", "printf '%s|' \"$@\"", "sh", "a b",
		"it's \"quoted\"", "", "$HOME", "*"}});
	EXPECT_EQ(run.ExitCode(), 0) << run.Describe();
	EXPECT_EQ(run.out, "a b|it's \"quoted\"||$HOME|*|");
}

TEST(Program, OutputAndErrorAreCaughtApartOrTogetherWithTheExitStatus)
{
	ProgramOutcome apart = RunProgram(Shell("echo one; echo two >&2; echo three; exit 3"));
	EXPECT_TRUE(apart.Exited());
	EXPECT_EQ(apart.ExitCode(), 3);
	EXPECT_EQ(apart.out, "one\nthree\n");
	EXPECT_EQ(apart.err, "two\n");
	EXPECT_EQ(apart.Describe(), "exit 3: two\n");

	Program together = Shell("echo one; echo two >&2; echo three");
	together.errorToOutput = true;
	ProgramOutcome both = RunProgram(together);
	EXPECT_EQ(both.ExitCode(), 0);
	EXPECT_EQ(both.out, "one\ntwo\nthree\n");
	EXPECT_EQ(both.err, "");

	// More than a pipe holds, which nobody reads while the program runs.
	ProgramOutcome large = RunProgram(
		Shell("head -c 1000000 /dev/zero; head -c 300000 /dev/zero >&2"));
	EXPECT_EQ(large.ExitCode(), 0);
	EXPECT_EQ(large.out, std::string(1000000, '\0'));
	EXPECT_EQ(large.err.size(), 300000u);
}

TEST(Program, StandardInputIsTheTextGivenOrNothing)
{
	Program cat{{"cat"}};
	cat.input = std::string("first line\n") + std::string(200000, 'x');
	ProgramOutcome given = RunProgram(cat);
	EXPECT_EQ(given.ExitCode(), 0);
	EXPECT_EQ(given.out, *cat.input);

	// Without input the program reads end of file at once, never the test's.
	ProgramOutcome none = RunProgram({{"cat"}});
	EXPECT_EQ(none.ExitCode(), 0);
	EXPECT_EQ(none.out, "");
}

TEST(Program, TheEnvironmentIsTheTestsWithTheChangesGiven)
{
	ASSERT_EQ(setenv("QUILLPIX_PROGRAM_TEST_KEPT", "kept", 1), 0);
	ASSERT_EQ(setenv("QUILLPIX_PROGRAM_TEST_GONE", "there", 1), 0);
	ASSERT_EQ(setenv("QUILLPIX_PROGRAM_TEST_CHANGED", "old", 1), 0);
	Program program = Shell("echo \"$QUILLPIX_PROGRAM_TEST_KEPT ${QUILLPIX_PROGRAM_TEST_GONE-unset}"
							" $QUILLPIX_PROGRAM_TEST_CHANGED $QUILLPIX_PROGRAM_TEST_NEW\"");
	program.environment = {"QUILLPIX_PROGRAM_TEST_GONE", "QUILLPIX_PROGRAM_TEST_CHANGED=new",
		"QUILLPIX_PROGRAM_TEST_NEW=a=b c"};
	EXPECT_EQ(RunProgram(program).out, "kept unset new a=b c\n");
	unsetenv("QUILLPIX_PROGRAM_TEST_KEPT");
	unsetenv("QUILLPIX_PROGRAM_TEST_GONE");
	unsetenv("QUILLPIX_PROGRAM_TEST_CHANGED");

	Program only{{"/usr/bin/env"}};
	only.environment = {"PATH=/usr/bin:/bin", "ONE=1"};
	only.onlyThisEnvironment = true;
	EXPECT_EQ(RunProgram(only).out, "PATH=/usr/bin:/bin\nONE=1\n");
}

TEST(Program, ItRunsInTheDirectoryGivenAndWritesIntoTheFilesGiven)
{
	ScratchDirectory scratch;
	Program program = Shell("pwd; echo said >&2");
	program.directory = scratch.Path();
	program.outputPath = "out.txt"; // opened where the program runs
	program.errorPath = scratch / "err.txt";
	ProgramOutcome run = RunProgram(program);
	EXPECT_EQ(run.ExitCode(), 0) << run.Describe();
	EXPECT_EQ(run.out, "");
	EXPECT_EQ(run.err, "");
	EXPECT_EQ(ReadWhole(scratch / "out.txt"), scratch.Path() + "\n");
	EXPECT_EQ(ReadWhole(scratch / "err.txt"), "said\n");

	// A file that cannot be opened, and a program that is not there.
	program.outputPath = scratch / "missing/out.txt";
	EXPECT_EQ(RunProgram(program).ExitCode(), 126);
	EXPECT_EQ(RunProgram({{scratch / "no-such-program"}}).ExitCode(), 127);
	EXPECT_EQ(RunProgram({{"quillpix-no-such-program-on-path"}}).ExitCode(), 127);
}

TEST(Program, OnlyTheDescriptorKeptIsInherited)
{
	// Kept even where the test would have it closed on exec.
	int kept = open("/dev/null", O_RDONLY | O_CLOEXEC);
	int other = open("/dev/null", O_RDONLY);
	ASSERT_GE(kept, 0);
	ASSERT_GE(other, 0);
	Program program = Shell("for fd in " + std::to_string(kept) + " " + std::to_string(other)
		+ "; do if test -e /proc/self/fd/$fd; then echo open $fd; fi; done");
	program.keptDescriptor = kept;
	EXPECT_EQ(RunProgram(program).out, "open " + std::to_string(kept) + "\n");
	program.keptDescriptor = -1;
	EXPECT_EQ(RunProgram(program).out, "");
	close(kept);
	close(other);
}

TEST(Program, TheTimeLimitEndsAProgramThatRunsOn)
{
	Program sleeper{{"sleep", "30"}};
	sleeper.limits.seconds = 1;
	ProgramOutcome run = RunProgram(sleeper);
	EXPECT_FALSE(run.Exited());
	EXPECT_TRUE(run.child.TimedOut()) << run.Describe();
	EXPECT_EQ(run.ExitCode(), -1);
}

TEST(Program, AStartedProgramRunsBesideTheTestUntilItIsStopped)
{
	pid_t child = StartProgram({{"sleep", "30"}});
	ASSERT_GT(child, 0);
	EXPECT_FALSE(WaitForChild(child, std::chrono::milliseconds(50)).has_value());
	ChildOutcome stopped = StopChild(child);
	EXPECT_EQ(stopped.signal, SIGTERM) << stopped.Describe();

	// One that ignores the request is ended all the same (once it has said
	// that it ignores it).
	int ends[2];
	ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
	Program stubborn = Shell("trap '' TERM; echo ready; exec sleep 30");
	stubborn.outputPath = "/dev/fd/" + std::to_string(ends[1]);
	child = StartProgram(stubborn);
	close(ends[1]);
	ASSERT_GT(child, 0);
	char said[6] = {};
	EXPECT_EQ(read(ends[0], said, sizeof(said)), 6);
	EXPECT_EQ(std::string(said, sizeof(said)), "ready\n");
	close(ends[0]);
	stopped = StopChild(child, std::chrono::milliseconds(200));
	EXPECT_EQ(stopped.signal, SIGKILL) << stopped.Describe();

	child = StartProgram(Shell("exit 4"));
	std::optional<ChildOutcome> ended = WaitForChild(child, std::chrono::seconds(20));
	ASSERT_TRUE(ended.has_value());
	EXPECT_EQ(ended->exitCode, 4);
}

} // namespace
