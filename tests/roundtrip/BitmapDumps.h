// SPDX-License-Identifier: MIT
#pragma once

// How a program built against the package shows a test the bitmaps it
// built, and what it must show for an image.

#include <GraphicsDefs.h>

#include <string>

namespace embedtest {

// C++ for a check program: Dump(file, bitmap, size) writes the bitmap's
// bounds and colour space on a line, then its bytes, answering 0 or a
// failure code; DumpBytes(file, bytes, size) writes the bytes alone.
extern const char* const kDumpFunctions;

// What Dump writes for the image file as the exporter turns it into `space`
// (DumpBytes: the bytes alone); empty when the file cannot be read.
std::string ExpectedDump(const std::string& imageFile, color_space space, bool bytesOnly = false);

} // namespace embedtest
