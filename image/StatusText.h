// SPDX-License-Identifier: MIT
#pragma once

// What an image window's status line says, as plain text: the image file's
// name, the image's size in pixels, its colour space, the zoom, the length
// of the text a save writes, and a note when the document name's leaf cannot
// give the text's identifiers. Plain code: no thread or lock of its own.

#include <GraphicsDefs.h>
#include <SupportDefs.h>

class BBitmap;

#include <string>

struct ImageFacts {
	std::string fileName; // the leaf of the image file, or the window's name
	bool hasImage = false;
	int32 width = 0; // in pixels
	int32 height = 0;
	color_space space = B_NO_COLOR_SPACE;
	int64 textBytes = -1; // what a save writes; -1: nothing
	float scale = 1; // 1 is 100 %
	std::string documentLeaf; // the leaf the text's identifiers come from

	// The facts of `bitmap` (null: no image) shown at `scale`, the text's
	// length being what a save under `documentLeaf` writes.
	static ImageFacts Of(
		const BBitmap* bitmap, const char* fileName, const char* documentLeaf, float scale);
};

namespace StatusText {

// The whole line for `facts`, its parts apart by a middle dot.
std::string Describe(const ImageFacts& facts);

// What the line says while a save is under way: "Saving… 42 %".
std::string Saving(int32 percent);

// The constant's name of a colour space ("B_RGB32"); "unknown" for others.
std::string SpaceName(color_space space);

// `value` in decimal with a comma between groups of three digits.
std::string Grouped(int64 value);

// The zoom as a whole percentage, at least 1 ("100 %", "25 %").
std::string Zoom(float scale);

} // namespace StatusText
