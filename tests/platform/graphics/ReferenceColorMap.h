// SPDX-License-Identifier: MIT
#pragma once

// The colour map read straight from data/system-colormap.txt, and the
// nearest-colour rule searched by brute force: the reference the tables and
// converters are checked against.

#include <GraphicsDefs.h>

#include <array>

namespace test {

const std::array<rgb_color, 256>& ReferenceColors();

// Smallest squared distance, lower index on ties, never 255.
uint8 BruteForceIndex(uint8 red, uint8 green, uint8 blue);

} // namespace test
