#pragma once

// Small file helpers of the reliability tests: a scratch directory that goes
// with everything in it (also after a test made parts of it read-only),
// whole-file reads and writes, and listings.

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace reliability {

inline std::string
ReadWhole(const std::string& path)
{
	std::ifstream file(path, std::ios::binary);
	return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

inline bool
WriteWhole(const std::string& path, const std::string& content)
{
	std::ofstream file(path, std::ios::binary | std::ios::trunc);
	file << content;
	return bool(file);
}

// The entries of `directory` (dot files included), sorted, one blank apart.
inline std::string
Listing(const std::string& directory)
{
	std::vector<std::string> names;
	if (DIR* dir = opendir(directory.c_str())) {
		while (dirent* entry = readdir(dir)) {
			std::string name = entry->d_name;
			if (name != "." && name != "..")
				names.push_back(name);
		}
		closedir(dir);
	}
	std::sort(names.begin(), names.end());
	std::string listing;
	for (const std::string& name : names)
		listing += (listing.empty() ? "" : " ") + name;
	return listing;
}

class Scratch {
public:
	Scratch()
	{
		char pattern[] = "/tmp/quillpix-reliability-XXXXXX";
		if (mkdtemp(pattern) != nullptr)
			fPath = pattern;
		// Others may look in: tests that drop to nobody work in here.
		chmod(fPath.c_str(), 0755);
	}
	~Scratch()
	{
		std::error_code ignored;
		for (auto& entry : std::filesystem::recursive_directory_iterator(fPath, ignored))
			chmod(entry.path().c_str(), 0755);
		std::filesystem::remove_all(fPath, ignored);
	}
	Scratch(const Scratch&) = delete;
	Scratch& operator=(const Scratch&) = delete;

	const std::string& Path() const { return fPath; }
	std::string operator/(const std::string& leaf) const { return fPath + "/" + leaf; }

private:
	std::string fPath;
};

} // namespace reliability
