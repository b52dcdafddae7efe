// SPDX-License-Identifier: MIT
#pragma once

// Running another program from a test: the exporter, the program itself, a
// compiler, ImageMagick, the X tools. The program runs in a child process
// started as RunInChild starts one (so the same limits apply: a time limit
// that ends it with SIGALRM, an address-space limit, dropped privileges),
// with the arguments, environment, working directory and standard input the
// test gives, and its standard output and error caught, sent to files, or
// thrown away.
//
// What the program writes is caught in unnamed files in memory, not in
// pipes: the program sees regular files, and nothing it writes can block it
// while the test waits.

#include "support/ChildProcess.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

struct Program {
	Program() = default;
	// Program{{"cat", "file"}}: the arguments alone, everything else as by
	// default.
	Program(std::vector<std::string> words) : arguments(std::move(words)) { }

	// [0] is the program: a path, or a name looked up in PATH.
	std::vector<std::string> arguments;
	// "NAME=value" sets a variable for the program, over the test's own;
	// "NAME" alone takes it away.
	std::vector<std::string> environment;
	// The program gets only `environment`, none of the test's variables.
	bool onlyThisEnvironment = false;
	// Where it runs; empty: the test's working directory.
	std::string directory;
	// What it reads on its standard input; nothing: /dev/null.
	std::optional<std::string> input;
	// Its standard output, or error, goes into this file (created, or
	// truncated) instead of being caught; "/dev/null" throws it away.
	std::string outputPath;
	std::string errorPath;
	// Its standard error goes where its standard output goes (2>&1).
	bool errorToOutput = false;
	// A descriptor of the test's that the program keeps, at its number;
	// every other one above standard error is closed. -1: none.
	int keptDescriptor = -1;
	// No address-space limit and no time limit unless the test sets them.
	ChildLimits limits = {0, 0, false};
};

struct ProgramOutcome {
	// How it ended. A program that could not be started exits with 127, one
	// whose output files could not be opened with 126.
	ChildOutcome child;
	std::string out; // what it wrote to its standard output, when caught
	std::string err; // the same for its standard error

	bool Exited() const { return child.exited; }
	// The exit code; -1 when it did not exit by itself.
	int ExitCode() const { return child.exited ? child.exitCode : -1; }
	// How it ended, and what it said on its standard error.
	std::string Describe() const;
};

// Runs the program to its end.
ProgramOutcome RunProgram(const Program& program);

// Starts the program and answers its process id at once (-1 when it could
// not be started); WaitForChild or StopChild collects it. Its output is
// never caught here: what is not sent to a file goes where the test's goes.
pid_t StartProgram(const Program& program);

} // namespace testsupport
