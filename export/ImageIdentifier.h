// SPDX-License-Identifier: MIT
#pragma once

// The C++ name an image gets from its file name, wherever a name is made for
// it: the exporter's default on standard output and the headers and symbols
// of quillpix_add_image_sources, which asks the exporter (or, inside this
// build tree, a program built from this file alone) for it.
//
// Plain code with no dependencies, so that a build can compile it by itself.

#include <string>

namespace ImageIdentifier {

// True when `name` can stand as a C++ identifier.
bool IsIdentifier(const char* name);

// The image's file name without its last extension, every run of characters
// that cannot stand in an identifier made one '_' (a double underscore is
// reserved) and none in front (reserved before an upper-case letter); "image"
// when nothing is left, and "image_" before a leading digit.
// "icons/save-file.png" gives save_file.
std::string For(const std::string& image);

// Writes For(image) of each of the `count` images to standard output, one a
// line; false when the output failed.
bool Print(int count, const char* const* images);

} // namespace ImageIdentifier
