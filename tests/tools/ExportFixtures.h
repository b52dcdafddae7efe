// SPDX-License-Identifier: MIT
#pragma once

// What the exporter's tests share: the folder of fixture images and the texts
// expected of them, and options parsed as the command line gives them.

#include "ExporterProcess.h"

#include "support/Files.h"
#include "tools/options/ExportOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

inline const std::string kExportData = std::string(QUILLPIX_SOURCE_DIR) + "/tests/data/export/";

// Copies the fixture image `fixture` into `scratch` as `name`, by default
// under its own name.
inline void
CopyFixture(const testsupport::ScratchDirectory& scratch, const std::string& fixture,
	const std::string& name = std::string())
{
	testsupport::WriteWhole(
		scratch / (name.empty() ? fixture : name), testsupport::ReadWhole(kExportData + fixture));
}

// The fixture text `fixture`, whose icon is named `fixtureName`, as exported
// under the icon name `iconName`.
inline std::string
FixtureTextNamed(const char* fixture, const char* fixtureName, const std::string& iconName)
{
	return ExporterProcess::Replaced(
		testsupport::ReadWhole(kExportData + fixture), fixtureName, iconName);
}

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
