// SPDX-License-Identifier: MIT
#include "ExporterProcess.h"

#include "support/Program.h"

#include <unistd.h>

namespace ExporterProcess {

namespace {

testsupport::Program
Exporter(const std::vector<std::string>& arguments, const std::string& outPath,
	const std::string& errPath)
{
	testsupport::Program program;
	program.arguments.push_back(QUILLPIX_EXPORT_BINARY);
	program.arguments.insert(program.arguments.end(), arguments.begin(), arguments.end());
	program.outputPath = outPath;
	program.errorPath = errPath;
	return program;
}

} // namespace

pid_t
Start(const std::vector<std::string>& arguments, const std::string& outPath,
	const std::string& errPath)
{
	return testsupport::StartProgram(Exporter(arguments, outPath, errPath));
}

int
Wait(pid_t child)
{
	testsupport::ChildOutcome outcome = testsupport::WaitForChild(child);
	return outcome.exited ? outcome.exitCode : -1;
}

Outcome
Run(const testsupport::ScratchDirectory& scratch, const std::vector<std::string>& arguments)
{
	// The output goes into files of the scratch directory, as a shell user
	// sends it into files.
	const std::string outPath = scratch / ".stdout";
	const std::string errPath = scratch / ".stderr";
	Outcome outcome;
	outcome.exitCode = testsupport::RunProgram(Exporter(arguments, outPath, errPath)).ExitCode();
	outcome.out = testsupport::ReadWhole(outPath);
	outcome.err = testsupport::ReadWhole(errPath);
	unlink(outPath.c_str());
	unlink(errPath.c_str());
	return outcome;
}

std::string
Replaced(std::string text, const std::string& from, const std::string& to)
{
	for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
		text.replace(at, from.size(), to);
	return text;
}

} // namespace ExporterProcess
