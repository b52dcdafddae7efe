// SPDX-License-Identifier: MIT
#include "support/Files.h"

#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace testsupport {

ScratchDirectory::ScratchDirectory()
{
	std::string pattern = std::filesystem::temp_directory_path() / "quillpix-test-XXXXXX";
	std::vector<char> buffer(pattern.begin(), pattern.end());
	buffer.push_back('\0');
	// Without a directory every path would lead to the file system's root.
	if (mkdtemp(buffer.data()) == nullptr) {
		perror("mkdtemp");
		abort();
	}
	char resolved[PATH_MAX];
	if (realpath(buffer.data(), resolved) == nullptr) {
		perror("realpath");
		abort();
	}
	fPath = resolved;
	chmod(fPath.c_str(), 0755);
}

ScratchDirectory::~ScratchDirectory()
{
	std::error_code error;
	// Directories a test made read-only must be writable again to be emptied.
	for (auto& entry : std::filesystem::recursive_directory_iterator(fPath, error)) {
		std::error_code ignored;
		if (entry.is_directory(ignored) && !entry.is_symlink(ignored))
			std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
				std::filesystem::perm_options::add, ignored);
	}
	std::filesystem::remove_all(fPath, error);
}

std::string
ScratchDirectory::Listing() const
{
	return testsupport::Listing(fPath);
}

std::string
Listing(const std::string& directory)
{
	std::vector<std::string> names;
	std::error_code error;
	for (std::filesystem::directory_iterator entry(directory, error), end; !error && entry != end;
		 entry.increment(error)) {
		names.push_back(entry->path().filename().string());
	}
	std::sort(names.begin(), names.end());
	std::string listing;
	for (const std::string& name : names)
		listing += (listing.empty() ? "" : " ") + name;
	return listing;
}

std::string
ReadWhole(const std::string& path)
{
	std::ifstream file(path, std::ios::binary);
	return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool
WriteWhole(const std::string& path, const std::string& content)
{
	std::ofstream file(path, std::ios::binary | std::ios::trunc);
	file << content;
	file.close();
	return bool(file);
}

} // namespace testsupport
