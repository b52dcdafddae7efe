#include "OutputConflicts.h"

#include "ImageIdentifier.h"

#include <map>
#include <sys/stat.h>

std::string
OutputConflicts::Find(const ExportOptions& options)
{
	std::string conflict = FindSameFile(options);
	if (conflict.empty())
		conflict = FindSameIdentifier(options);
	return conflict;
}

std::string
OutputConflicts::FindSameFile(const ExportOptions& options)
{
	if (options.ToStandardOutput())
		return std::string();
	const std::vector<std::string>& images = options.Images();
	std::vector<std::string> outputs;
	if (options.EmbedHeader() != nullptr)
		outputs = {options.EmbedHeader(), options.EmbedSource(), options.EmbedData()};
	else if (options.Output() != nullptr)
		outputs = {options.Output()};
	else
		for (const std::string& image : images)
			outputs.push_back(image + ".h");
	for (const std::string& output : outputs) {
		struct stat outputInfo;
		if (stat(output.c_str(), &outputInfo) != 0)
			continue;
		for (const std::string& other : images) {
			struct stat imageInfo;
			if (stat(other.c_str(), &imageInfo) == 0 && imageInfo.st_dev == outputInfo.st_dev
				&& imageInfo.st_ino == outputInfo.st_ino) {
				return "the output " + output + " is the image " + other
					+ " itself; its text would overwrite it";
			}
		}
	}
	return std::string();
}

std::string
OutputConflicts::FindSameIdentifier(const ExportOptions& options)
{
	if (!options.ToStandardOutput() || options.IconName() != nullptr)
		return std::string();
	std::map<std::string, const std::string*> first;
	for (const std::string& image : options.Images()) {
		std::string identifier = ImageIdentifier::For(image);
		auto [found, added] = first.emplace(identifier, &image);
		if (!added) {
			return "images " + *found->second + " and " + image + " would both define "
				+ identifier + "_MData and " + identifier
				+ "_MICN on standard output; export them into files or one at a time";
		}
	}
	return std::string();
}
