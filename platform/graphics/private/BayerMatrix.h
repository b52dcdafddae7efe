// SPDX-License-Identifier: MIT
#pragma once

// The 8x8 Bayer threshold matrix that ordered dithering into every reduced
// colour space uses: thresholds 0..63, each 2x2 block spread as far over the
// cell as it goes, so that a pixel's result depends on itself and its place.

#include <SupportDefs.h>

namespace BPrivate {

constexpr uint8 kBayer[8][8] = {
	{0, 32, 8, 40, 2, 34, 10, 42},
	{48, 16, 56, 24, 50, 18, 58, 26},
	{12, 44, 4, 36, 14, 46, 6, 38},
	{60, 28, 52, 20, 62, 30, 54, 22},
	{3, 35, 11, 43, 1, 33, 9, 41},
	{51, 19, 59, 27, 49, 17, 57, 25},
	{15, 47, 7, 39, 13, 45, 5, 37},
	{63, 31, 55, 23, 61, 29, 53, 21},
};

} // namespace BPrivate
