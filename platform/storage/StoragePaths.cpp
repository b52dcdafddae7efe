#include "StoragePaths.h"

#include <cerrno>
#include <climits>
#include <unistd.h>

namespace BPrivate {

status_t
AbsolutePath(const char* path, std::string* result)
{
	if (path == nullptr || path[0] == '\0' || result == nullptr)
		return B_BAD_VALUE;

	std::string raw;
	if (path[0] != '/') {
		char cwd[PATH_MAX];
		if (getcwd(cwd, sizeof(cwd)) == nullptr)
			return errno_to_status(errno);
		raw = cwd;
		raw += '/';
	}
	raw += path;

	std::string clean;
	clean.reserve(raw.size());
	for (char c : raw) {
		if (c == '/' && !clean.empty() && clean.back() == '/')
			continue;
		clean += c;
	}
	if (clean.size() > 1 && clean.back() == '/')
		clean.pop_back();
	*result = std::move(clean);
	return B_OK;
}

std::string
JoinPath(const std::string& directory, const std::string& leaf)
{
	if (directory.empty())
		return leaf;
	if (directory.back() == '/')
		return directory + leaf;
	return directory + '/' + leaf;
}

size_t
LeafOffset(const std::string& path)
{
	size_t slash = path.rfind('/');
	if (slash == std::string::npos)
		return 0;
	return slash + 1;
}

} // namespace BPrivate
