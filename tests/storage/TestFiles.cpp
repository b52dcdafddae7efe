#include "TestFiles.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace TestFiles {

ScratchDirectory::ScratchDirectory()
{
	std::string pattern = std::filesystem::temp_directory_path() / "quillpix-test-XXXXXX";
	std::vector<char> buffer(pattern.begin(), pattern.end());
	buffer.push_back('\0');
	if (mkdtemp(buffer.data()) == nullptr)
		abort();
	// Resolved, so tests can compare with paths the storage kit resolves.
	char resolved[PATH_MAX];
	if (realpath(buffer.data(), resolved) == nullptr)
		abort();
	fPath = resolved;
}

ScratchDirectory::~ScratchDirectory()
{
	std::error_code error;
	// Directories a test made read-only must be writable again to be emptied.
	for (auto& entry : std::filesystem::recursive_directory_iterator(fPath, error)) {
		if (entry.is_directory(error) && !entry.is_symlink(error))
			std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
				std::filesystem::perm_options::add, error);
	}
	std::filesystem::remove_all(fPath, error);
}

std::string
ScratchDirectory::ListingOf(const std::string& directory)
{
	std::vector<std::string> names;
	for (auto& entry : std::filesystem::directory_iterator(directory))
		names.push_back(entry.path().filename().string());
	std::sort(names.begin(), names.end());
	std::string listing;
	for (auto& name : names)
		listing += (listing.empty() ? "" : " ") + name;
	return listing;
}

std::string
ReadWhole(const std::string& path)
{
	std::ifstream stream(path, std::ios::binary);
	std::ostringstream content;
	content << stream.rdbuf();
	return content.str();
}

void
WriteWhole(const std::string& path, const std::string& content)
{
	std::ofstream stream(path, std::ios::binary | std::ios::trunc);
	stream << content;
}

int
RunInChild(const std::function<int()>& body)
{
	pid_t child = fork();
	if (child < 0)
		return -1;
	if (child == 0) {
		signal(SIGXFSZ, SIG_IGN);
		_exit(body());
	}
	int status = 0;
	pid_t waited;
	do {
		waited = waitpid(child, &status, 0);
	} while (waited < 0 && errno == EINTR);
	if (waited < 0)
		return -1;
	return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool
LimitFileSize(long long bytes)
{
	struct rlimit limit;
	if (getrlimit(RLIMIT_FSIZE, &limit) != 0)
		return false;
	limit.rlim_cur = static_cast<rlim_t>(bytes);
	return setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

} // namespace TestFiles
