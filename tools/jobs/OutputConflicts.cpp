// SPDX-License-Identifier: MIT
#include "OutputConflicts.h"

#include "export/ImageIdentifier.h"
#include "tools/options/ImageInput.h"
#include "tools/options/PrintableName.h"

#include <System.h>

#include <map>
#include <sys/stat.h>

using BPrivate::Failure;
using BPrivate::Result;

Result<void>
OutputConflicts::Find(const ExportOptions& options)
{
	Result<void> sameFile = FindSameFile(options);
	if (!sameFile)
		return sameFile;
	return FindSameIdentifier(options);
}

Result<void>
OutputConflicts::FindSameFile(const ExportOptions& options)
{
	if (options.ToStandardOutput())
		return {};
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
		BPrivate::Result<struct stat> outputInfo = BPrivate::System::Stat(output.c_str());
		if (!outputInfo)
			continue;
		for (const std::string& other : images) {
			// A stream is read before anything is written.
			if (ImageInput::StreamOf(other) >= 0)
				continue;
			BPrivate::Result<struct stat> imageInfo = BPrivate::System::Stat(other.c_str());
			if (imageInfo && imageInfo.Value().st_dev == outputInfo.Value().st_dev
				&& imageInfo.Value().st_ino == outputInfo.Value().st_ino) {
				return Failure(B_BAD_VALUE,
					"the output " + PrintableName(output) + " is the image " + PrintableName(other)
						+ " itself; its text would overwrite it");
			}
		}
	}
	return {};
}

Result<void>
OutputConflicts::FindSameIdentifier(const ExportOptions& options)
{
	if (!options.ToStandardOutput() || options.IconName() != nullptr)
		return {};
	std::map<std::string, const std::string*> first;
	for (const std::string& image : options.Images()) {
		std::string identifier = ImageIdentifier::For(image);
		auto [found, added] = first.emplace(identifier, &image);
		if (!added) {
			return Failure(B_BAD_VALUE,
				"images " + ImageInput::MessageName(*found->second) + " and "
					+ ImageInput::MessageName(image) + " would both define " + identifier
					+ "_MData and " + identifier
					+ "_MICN on standard output; export them into files or one at a time");
		}
	}
	return {};
}
