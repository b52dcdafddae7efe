// SPDX-License-Identifier: MIT
#pragma once

// ImageMagick as the independent decoder the readers' pixels are checked
// against: the images it finds in a file and their pixels, and the
// comparison of two images' pixels. It runs as a program (convert), so a
// suite that uses it needs no library of its.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// False where ImageMagick is not installed; the tests that need it skip.
bool HaveReferenceDecoder();

// The width and height of every image ImageMagick finds in the file (the
// frames of an animation, the entries of an icon), in order.
std::vector<std::pair<int32_t, int32_t>> ReferenceSizes(const std::string& path);

// Image `index` of the file as 8-bit R, G, B, A bytes, row by row; empty
// when ImageMagick cannot decode it.
std::string ReferenceRgba(const std::string& path, int index = 0);

// The same as 8-bit C, M, Y, K bytes, as ImageMagick reads the ink of a
// CMYK file.
std::string ReferenceCmyk(const std::string& path);

// Runs ImageMagick's convert with `arguments` (to make a test file); false,
// with what it said in `error`, when it failed.
bool ReferenceConvert(const std::vector<std::string>& arguments, std::string* error = nullptr);

// Compares two images' R, G, B, A bytes, `width` pixels to a row: empty when
// every channel is within `tolerance`, colour being of no account where the
// expected pixel is wholly transparent; else where they first differ.
std::string CompareRgba(
	const std::string& actual, const std::string& expected, int32_t width, int tolerance = 0);

} // namespace testsupport
