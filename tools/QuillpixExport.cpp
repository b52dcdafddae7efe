// quillpix-export: the source-code export without a window. It loads each
// image through the translation kit, brings the bitmap into the colour
// space an image window would hold, and writes it through the same export
// function as the window's save, so the output is byte-identical.

#include "ExportOptions.h"
#include "document/LeafName.h"
#include "image/BitmapConversion.h"
#include "image/BitmapSourceExport.h"

#include <Bitmap.h>
#include <TranslationUtils.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

const char* const kProgram = "quillpix-export";

// Replaces `bitmap` by its conversion into `space` unless it is in it
// already; false when the new bitmap cannot be made.
bool
ConvertTo(std::unique_ptr<BBitmap>& bitmap, color_space space)
{
	if (bitmap->ColorSpace() == space)
		return true;
	bitmap = ConvertedBitmap(*bitmap, space);
	return bitmap != nullptr;
}

bool
IsIdentifier(const char* name)
{
	auto isStart = [](char c) {
		return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
	};
	if (!isStart(name[0]))
		return false;
	for (const char* c = name + 1; *c != '\0'; c++) {
		if (!isStart(*c) && !(*c >= '0' && *c <= '9'))
			return false;
	}
	return true;
}

const char*
StatusText(status_t status)
{
	switch (status) {
		case B_ENTRY_NOT_FOUND: return "No such file or directory";
		case B_PERMISSION_DENIED: return "Permission denied";
		case B_DEVICE_FULL: return "No space left on device";
		case B_READ_ONLY_DEVICE: return "Read-only file system";
		case B_IS_A_DIRECTORY: return "Is a directory";
		case B_NOT_A_DIRECTORY: return "Not a directory";
		case B_NAME_TOO_LONG: return "File name too long";
		case B_LINK_LIMIT: return "Too many levels of symbolic links";
		case B_NO_MORE_FDS: return "Too many open files";
		case B_NO_MEMORY: return "Out of memory";
		case B_IO_ERROR: return "Input/output error";
		case B_BAD_VALUE: return "Invalid argument";
		case B_BUSY: return "Device or resource busy";
		default: return "Write error";
	}
}

// Exports one image; false (after saying why) when it failed.
bool
ExportImage(const std::string& image, const ExportOptions& options)
{
	std::unique_ptr<BBitmap> bitmap(BTranslationUtils::GetBitmapFile(image.c_str()));
	if (!bitmap || !bitmap->IsValid()) {
		fprintf(stderr, "%s: %s: cannot read image\n", kProgram, image.c_str());
		return false;
	}
	// First what an image window holds (B_CMAP8 stays, anything else becomes
	// B_RGB32), then the colour space asked for, as the window's menu would.
	color_space held = bitmap->ColorSpace() == B_CMAP8 ? B_CMAP8 : B_RGB32;
	color_space wanted = held;
	if (options.TargetColorSpace() == ExportOptions::ColorSpace::kRgb32)
		wanted = B_RGB32;
	else if (options.TargetColorSpace() == ExportOptions::ColorSpace::kCmap8)
		wanted = B_CMAP8;
	if (!ConvertTo(bitmap, held) || !ConvertTo(bitmap, wanted)) {
		fprintf(stderr, "%s: %s: cannot convert image: %s\n", kProgram, image.c_str(),
			StatusText(B_NO_MEMORY));
		return false;
	}

	const std::string output = options.Output() != nullptr ? options.Output() : image + ".h";
	const char* iconName = options.IconName() != nullptr ? options.IconName()
		: LeafName(output.c_str());
	if (!IsIdentifier(iconName)) {
		fprintf(stderr, "%s: warning: icon name \"%s\" is not a valid C++ identifier; "
			"the source written to %s will not compile as it is\n", kProgram, iconName,
			output.c_str());
	}

	status_t status = B_OK;
	if (!ExportBitmapSource(bitmap.get(), output.c_str(), options.IconName(), &status)) {
		fprintf(stderr, "%s: cannot write %s: %s\n", kProgram, output.c_str(),
			StatusText(status));
		return false;
	}
	return true;
}

} // namespace

int
main(int argc, char** argv)
{
	ExportOptions options;
	if (!options.Parse(argc, argv)) {
		fprintf(stderr, "%s: %s\n%s\n", kProgram, options.Error().c_str(),
			ExportOptions::UsageLine());
		return 2;
	}
	switch (options.WhatToDo()) {
		case ExportOptions::Action::kHelp:
			printf("%s\n\n%s", ExportOptions::UsageLine(), ExportOptions::Help());
			return 0;
		case ExportOptions::Action::kVersion:
			printf("%s %s\n", kProgram, QUILLPIX_VERSION);
			return 0;
		case ExportOptions::Action::kExport:
			break;
	}

	bool allWritten = true;
	for (const std::string& image : options.Images())
		allWritten = ExportImage(image, options) && allWritten;
	return allWritten ? 0 : 1;
}
