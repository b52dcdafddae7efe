// SPDX-License-Identifier: MIT
#pragma once

// Writes an RGBA image as a PNG file with no compression (stored deflate
// blocks), which needs no library; meant for small images such as icons.

#include <SupportDefs.h>

#include <string>
#include <vector>

// The PNG bytes of a `width` by `height` image; `rgba` holds four bytes per
// pixel (R, G, B, A), rows top to bottom.
std::vector<uint8> EncodePng(int32 width, int32 height, const std::vector<uint8>& rgba);

// B_OK, B_BAD_VALUE for a size that does not fit `rgba`, or the failure to
// write the file.
status_t WritePng(
	const std::string& path, int32 width, int32 height, const std::vector<uint8>& rgba);
