// SPDX-License-Identifier: MIT
#pragma once

// An image whose every pixel names its own place, so that a test reading
// one pixel of a window (or of a screenshot) knows which image pixel is
// shown there, however the view is scrolled or zoomed: red holds x's low
// byte, green y's low byte, blue the high nibbles of x (top) and y (bottom).
// Places up to 4095 in each direction; written as a binary PPM.

#include <GraphicsDefs.h>
#include <SupportDefs.h>

#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

struct ImagePlace {
	int32 x;
	int32 y;
	bool operator==(const ImagePlace&) const = default;
};

inline rgb_color
CoordinateColor(int32 x, int32 y)
{
	return rgb_color{
		uint8(x & 0xff), uint8(y & 0xff), uint8(((x >> 8) & 0x0f) << 4 | ((y >> 8) & 0x0f)), 255};
}

inline ImagePlace
PlaceOf(rgb_color color)
{
	return ImagePlace{int32(color.red) | int32(color.blue >> 4) << 8,
		int32(color.green) | int32(color.blue & 0x0f) << 8};
}

inline bool
WriteCoordinateImage(const std::string& path, int32 width, int32 height)
{
	std::ofstream out(path, std::ios::binary);
	out << "P6\n" << width << " " << height << "\n255\n";
	std::vector<char> row(size_t(width) * 3);
	for (int32 y = 0; y < height; y++) {
		for (int32 x = 0; x < width; x++) {
			rgb_color color = CoordinateColor(x, y);
			row[size_t(x) * 3] = char(color.red);
			row[size_t(x) * 3 + 1] = char(color.green);
			row[size_t(x) * 3 + 2] = char(color.blue);
		}
		out.write(row.data(), std::streamsize(row.size()));
	}
	return bool(out.flush());
}

} // namespace testsupport
