// SPDX-License-Identifier: MIT
#include "ReferenceColorMap.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace test {

const std::array<rgb_color, 256>&
ReferenceColors()
{
	static const std::array<rgb_color, 256> sColors = [] {
		std::array<rgb_color, 256> colors{};
		std::ifstream file(QUILLPIX_SOURCE_DIR "/data/system-colormap.txt");
		std::string line;
		int count = 0;
		while (std::getline(file, line)) {
			if (line.empty() || line[0] == '#')
				continue;
			std::istringstream fields(line);
			int index, red, green, blue;
			if (!(fields >> index >> red >> green >> blue) || index != count)
				std::abort();
			colors[index] = {uint8(red), uint8(green), uint8(blue), 255};
			count++;
		}
		if (count != 256)
			std::abort();
		return colors;
	}();
	return sColors;
}

uint8
BruteForceIndex(uint8 red, uint8 green, uint8 blue)
{
	const auto& colors = ReferenceColors();
	int best = 0;
	int bestDistance = 1 << 30;
	for (int index = 0; index < 255; index++) {
		int dr = colors[index].red - red;
		int dg = colors[index].green - green;
		int db = colors[index].blue - blue;
		int distance = dr * dr + dg * dg + db * db;
		if (distance < bestDistance) {
			bestDistance = distance;
			best = index;
		}
	}
	return uint8(best);
}

} // namespace test
