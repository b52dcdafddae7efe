#pragma once

// What the exporter's tests share: the folder of fixture images and the texts
// expected of them, and options parsed as the command line gives them.

#include "tools/ExportOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

inline const std::string kExportData = std::string(QUILLPIX_SOURCE_DIR) + "/tests/data/export/";

// The options `arguments` give after the program's name; a parse failure
// fails the test.
inline ExportOptions
ParsedOptions(std::vector<std::string> arguments)
{
	arguments.insert(arguments.begin(), "quillpix-export");
	std::vector<const char*> argv;
	for (const std::string& argument : arguments)
		argv.push_back(argument.c_str());
	ExportOptions options;
	BPrivate::Result<void> parsed = options.Parse(static_cast<int>(argv.size()), argv.data());
	EXPECT_TRUE(parsed.Ok()) << (parsed ? "" : parsed.Error().detail);
	return options;
}
