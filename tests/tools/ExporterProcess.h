// SPDX-License-Identifier: MIT
#pragma once

// Running the real quillpix-export in a child process, for the end-to-end
// tests of the command line.

#include "support/Files.h"

#include <string>
#include <sys/types.h>
#include <vector>

namespace ExporterProcess {

struct Outcome {
	int exitCode = -1;
	std::string out;
	std::string err;
};

// Runs the exporter with `arguments` to its end, its standard output and
// error caught in files of `scratch` (removed afterwards).
Outcome Run(
	const testsupport::ScratchDirectory& scratch, const std::vector<std::string>& arguments);

// Starts the exporter with its standard output and error opened on the given
// paths (its standard input on /dev/null); -1 when it could not be started.
pid_t Start(const std::vector<std::string>& arguments, const std::string& outPath,
	const std::string& errPath);

// Waits for the child and answers its exit code, -1 when it did not exit.
int Wait(pid_t child);

// `text` with every `from` replaced by `to`.
std::string Replaced(std::string text, const std::string& from, const std::string& to);

} // namespace ExporterProcess
