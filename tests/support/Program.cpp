// SPDX-License-Identifier: MIT
#include "support/Program.h"

#include <RetryOnInterrupt.h>
#include <UniqueFd.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <csignal>
#include <cstring>

extern char** environ;

namespace testsupport {

namespace {

using BPrivate::RetryOnInterrupt;
using BPrivate::UniqueFd;

// The name of a "NAME=value" or "NAME" entry.
std::string
VariableName(const std::string& entry)
{
	return entry.substr(0, entry.find('='));
}

std::vector<std::string>
EnvironmentOf(const Program& program)
{
	std::vector<std::string> variables;
	if (!program.onlyThisEnvironment) {
		for (char** entry = environ; *entry != nullptr; entry++) {
			std::string variable = *entry;
			bool replaced = false;
			for (const std::string& given : program.environment)
				replaced = replaced || VariableName(given) == VariableName(variable);
			if (!replaced)
				variables.push_back(variable);
		}
	}
	for (const std::string& given : program.environment) {
		if (given.find('=') != std::string::npos)
			variables.push_back(given);
	}
	return variables;
}

// An unnamed file in memory, closed in the program once it starts (its
// copy on a standard descriptor stays).
UniqueFd
MemoryFile(const std::string& content = std::string())
{
	UniqueFd file(memfd_create("program-stream", MFD_CLOEXEC));
	size_t written = 0;
	while (file.IsValid() && written < content.size()) {
		ssize_t count = RetryOnInterrupt(
			[&] { return write(file.Get(), content.data() + written, content.size() - written); });
		if (count <= 0)
			return UniqueFd();
		written += size_t(count);
	}
	if (file.IsValid())
		lseek(file.Get(), 0, SEEK_SET);
	return file;
}

std::string
ReadFromStart(const UniqueFd& file)
{
	std::string text;
	if (!file.IsValid() || lseek(file.Get(), 0, SEEK_SET) != 0)
		return text;
	char buffer[65536];
	while (true) {
		ssize_t count = RetryOnInterrupt([&] { return read(file.Get(), buffer, sizeof(buffer)); });
		if (count <= 0)
			break;
		text.append(buffer, size_t(count));
	}
	return text;
}

// What a started program's standard descriptors are: -1 where the child
// opens a path of the program's instead.
struct Streams {
	UniqueFd input;
	UniqueFd output;
	UniqueFd error;
};

pid_t
Start(const Program& program, Streams& streams)
{
	if (program.arguments.empty())
		return -1;
	// Everything the child needs is made before the fork: the test runs
	// threads, and the child may only set up its descriptors and exec.
	std::vector<std::string> words = program.arguments;
	std::vector<char*> argv;
	for (std::string& word : words)
		argv.push_back(word.data());
	argv.push_back(nullptr);
	std::vector<std::string> variables = EnvironmentOf(program);
	std::vector<char*> envp;
	for (std::string& variable : variables)
		envp.push_back(variable.data());
	envp.push_back(nullptr);
	const std::string outputPath = program.outputPath;
	const std::string errorPath = program.errorPath;
	const std::string directory = program.directory;
	const int kept = program.keptDescriptor;
	const bool errorToOutput = program.errorToOutput;
	const int input = streams.input.Get();
	const int output = streams.output.Get();
	const int error = streams.error.Get();

	return StartInChild(
		[&]() -> int {
			// A program started from a shell meets a file size limit as
			// SIGXFSZ; the child process ignores it only for bodies of its own.
			signal(SIGXFSZ, SIG_DFL);
			if (!directory.empty() && chdir(directory.c_str()) != 0)
				return 126;
			int out = output;
			if (!outputPath.empty())
				out = open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
			int err = error;
			if (!errorPath.empty())
				err = open(errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
			if (errorToOutput)
				err = out;
			if (input < 0 || out < 0 || err < 0)
				return 126;
			if (dup2(input, STDIN_FILENO) < 0 || dup2(out, STDOUT_FILENO) < 0
				|| dup2(err, STDERR_FILENO) < 0) {
				return 126;
			}
			if (kept > STDERR_FILENO) {
				// Kept even where the test opened it to be closed on exec.
				if (fcntl(kept, F_SETFD, 0) != 0)
					return 126;
				close_range(STDERR_FILENO + 1, unsigned(kept) - 1, 0);
				close_range(unsigned(kept) + 1, ~0U, 0);
			} else {
				close_range(STDERR_FILENO + 1, ~0U, 0);
			}
			execvpe(argv[0], argv.data(), envp.data());
			return 127;
		},
		program.limits);
}

} // namespace

std::string
ProgramOutcome::Describe() const
{
	return child.Describe() + (err.empty() ? std::string() : ": " + err);
}

ProgramOutcome
RunProgram(const Program& program)
{
	Streams streams;
	streams.input = program.input ? MemoryFile(*program.input)
								  : UniqueFd(open("/dev/null", O_RDONLY | O_CLOEXEC));
	if (program.outputPath.empty())
		streams.output = MemoryFile();
	if (program.errorPath.empty() && !program.errorToOutput)
		streams.error = MemoryFile();

	ProgramOutcome outcome;
	outcome.child = WaitForChild(Start(program, streams));
	outcome.out = ReadFromStart(streams.output);
	outcome.err = ReadFromStart(streams.error);
	return outcome;
}

pid_t
StartProgram(const Program& program)
{
	Streams streams;
	streams.input = program.input ? MemoryFile(*program.input)
								  : UniqueFd(open("/dev/null", O_RDONLY | O_CLOEXEC));
	// What is not sent to a file goes where the test's own output goes.
	streams.output = UniqueFd(fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0));
	streams.error = UniqueFd(fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0));
	return Start(program, streams);
}

} // namespace testsupport
