#pragma once

// The command line of quillpix-export:
//   quillpix-export [-o OUT] [--color-space rgb32|cmap8] [--name NAME] IMAGE...
// Options may also be written --output OUT, --output=OUT, --color-space=X
// and --name=NAME; "--" ends the options.

#include <string>
#include <vector>

class ExportOptions {
public:
	enum class Action { kExport, kHelp, kVersion };
	enum class ColorSpace { kKeep, kRgb32, kCmap8 };

	// False on a usage error, described by Error().
	bool Parse(int argc, const char* const* argv);

	Action WhatToDo() const { return fAction; }
	// The output file, or null: each image's path with ".h" appended.
	const char* Output() const { return fOutput.empty() ? nullptr : fOutput.c_str(); }
	// The icon name, or null: the leaf of each output file.
	const char* IconName() const { return fHasIconName ? fIconName.c_str() : nullptr; }
	ColorSpace TargetColorSpace() const { return fColorSpace; }
	const std::vector<std::string>& Images() const { return fImages; }
	const std::string& Error() const { return fError; }

	static const char* UsageLine();
	static const char* Help();

private:
	bool Fail(const std::string& message);

	Action fAction = Action::kExport;
	ColorSpace fColorSpace = ColorSpace::kKeep;
	std::string fOutput;
	std::string fIconName;
	bool fHasIconName = false;
	std::vector<std::string> fImages;
	std::string fError;
};
