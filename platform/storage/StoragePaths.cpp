// SPDX-License-Identifier: MIT
#include "StoragePaths.h"

#include <System.h>

#include <utility>

namespace BPrivate {

status_t
AbsolutePath(const char* path, std::string* result)
{
	if (path == nullptr || path[0] == '\0' || result == nullptr)
		return B_BAD_VALUE;

	std::string raw;
	if (path[0] != '/') {
		Result<std::string> cwd = System::CurrentDirectory();
		if (!cwd)
			return cwd.Status();
		raw = std::move(cwd).Value();
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
