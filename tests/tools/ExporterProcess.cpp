#include "ExporterProcess.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace ExporterProcess {

pid_t
Start(const std::vector<std::string>& arguments, const std::string& outPath,
	const std::string& errPath)
{
	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
		0644);
	posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
		0644);

	std::vector<char*> argv;
	argv.push_back(const_cast<char*>(QUILLPIX_EXPORT_BINARY));
	for (const std::string& argument : arguments)
		argv.push_back(const_cast<char*>(argument.c_str()));
	argv.push_back(nullptr);

	pid_t child = -1;
	if (posix_spawn(&child, QUILLPIX_EXPORT_BINARY, &actions, nullptr, argv.data(), environ) != 0)
		child = -1;
	posix_spawn_file_actions_destroy(&actions);
	return child;
}

int
Wait(pid_t child)
{
	int status = 0;
	if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status))
		return -1;
	return WEXITSTATUS(status);
}

Outcome
Run(const testsupport::ScratchDirectory& scratch, const std::vector<std::string>& arguments)
{
	const std::string outPath = scratch / ".stdout";
	const std::string errPath = scratch / ".stderr";
	Outcome outcome;
	outcome.exitCode = Wait(Start(arguments, outPath, errPath));
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
