// SPDX-License-Identifier: MIT
#pragma once

// Writing a small image with alpha for a test: a PAM file (RGB_ALPHA, 8
// bits a sample) whose pixel (x, y) is what `pixel` answers.

#include <GraphicsDefs.h>
#include <SupportDefs.h>

#include <fstream>
#include <functional>
#include <string>

namespace testsupport {

inline bool
WritePamImage(const std::string& path, int32 width, int32 height,
	const std::function<rgb_color(int32, int32)>& pixel)
{
	std::ofstream out(path, std::ios::binary);
	out << "P7\nWIDTH " << width << "\nHEIGHT " << height
		<< "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
	for (int32 y = 0; y < height; y++) {
		for (int32 x = 0; x < width; x++) {
			rgb_color value = pixel(x, y);
			out << char(value.red) << char(value.green) << char(value.blue) << char(value.alpha);
		}
	}
	return bool(out.flush());
}

} // namespace testsupport
