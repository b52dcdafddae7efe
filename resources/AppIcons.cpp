// SPDX-License-Identifier: MIT
#include "AppIcons.h"

#include <GraphicsDefs.h>
#include <Bitmap.h>

#include <array>

namespace {

// The icons, drawn a character per pixel: a picture with a quill across
// it. Each character stands for one index of the system colour map.
constexpr uint8
IndexOf(char pixel)
{
	switch (pixel) {
	case 'k':
		return 0; // black
	case 'd':
		return 8; // dark grey (64, 64, 64)
	case 'w':
		return 63; // white
	case 'r':
		return 42; // red (255, 0, 0)
	case 'g':
		return 55; // green (0, 178, 0)
	case 'b':
		return 95; // blue (0, 102, 203)
	case 'y':
		return 250; // yellow (255, 255, 0)
	case 'f':
		return 254; // feather (255, 255, 203)
	case 'F':
		return 216; // feather shade (255, 203, 102)
	default:
		return B_TRANSPARENT_MAGIC_CMAP8;
	}
}

template <size_t kSide>
constexpr std::array<uint8, kSide * kSide>
Indices(const char* const (&rows)[kSide])
{
	std::array<uint8, kSide * kSide> indices{};
	for (size_t y = 0; y < kSide; y++) {
		for (size_t x = 0; x < kSide; x++)
			indices[y * kSide + x] = IndexOf(rows[y][x]);
	}
	return indices;
}

constexpr const char* kMiniRows[16] = {
	"................",
	"...........kkkk.",
	"..........kfffFk",
	".........kfffFk.",
	"........kfffFk..",
	"kkkkkkkkfffFkk..",
	"kwwwwwkfffFkwk..",
	"kwrrgkfffFkgwk..",
	"kwrrkfffFkggwk..",
	"kwbbkffFkyyywk..",
	"kwbkFFFkyyyywk..",
	"kwwkFFkwwwwwwk..",
	"kwkdkkwwwwwwwk..",
	"kwdkwwwwwwwwwk..",
	"kkkkkkkkkkkkkk..",
	"................",
};

constexpr const char* kLargeRows[32] = {
	"...........................k....",
	"..........................kff...",
	".........................kffff..",
	"........................kffffFF.",
	".......................kffffFFFk",
	"......................kffffFFFk.",
	".....................kffffFFFk..",
	"....................kffffFFFk...",
	".kkkkkkkkkkkkkkkkkkkffffFFFk....",
	".kwwwwwwwwwwwwwwwwkffffFFFkk....",
	".kwwwwwwwwwwwwwwwkffffFFFkwk....",
	".kwwrrrrrrrrggggkffffFFFkwwk....",
	".kwwrrrrrrrrgggkffffFFFkwwwk....",
	".kwwrrrrrrrrggkffffFFFkwwwwk....",
	".kwwrrrrrrrrgkffffFFFkwwwwwk....",
	".kwwrrrrbbbbkffffFFFkwwwwwwk....",
	".kwwrrrrbbbkffffFFFkwwwwwwwk....",
	".kwwrrrrbbkffffFFFkywwwwwwwk....",
	".kwwrrrrbkffffFFFkyywwwwwwwk....",
	".kwwbbbbkffffFFFkyyywwwwwwwk....",
	".kwwbbbbkfffFFFkyyyywwwwwwwk....",
	".kwwbbbbfffFFFkyyyyywwwwwwwk....",
	".kwwbbbkffFFFkyyyyyywwwwwwwk....",
	".kwwwwwkfFFkkwwwwwwwwwwwwwwk....",
	".kwwwwwdkkwwwwwwwwwwwwwwwwwk....",
	".kwwwwkwwwwwwwwwwwwwwwwwwwwk....",
	".kwwwkwwwwwwwwwwwwwwwwwwwwwk....",
	".kwwwwwwwwwwwwwwwwwwwwwwwwwk....",
	".kwwwwwwwwwwwwwwwwwwwwwwwwwk....",
	".kkkkkkkkkkkkkkkkkkkkkkkkkkk....",
	"................................",
	"................................",
};

constexpr std::array<uint8, 256> kMini = Indices(kMiniRows);
constexpr std::array<uint8, 1024> kLarge = Indices(kLargeRows);

} // namespace

const uint8* const kMiniIcon = kMini.data();
const uint8* const kLargeIcon = kLarge.data();

// The icon converted as any B_CMAP8 bitmap is; a hole (index 255) is
// transparent white, the colour the map lists for it.
std::vector<uint8>
IconRgba(const uint8* indices, int32 side)
{
	BBitmap bitmap(BRect(0, 0, side - 1, side - 1), B_RGBA32);
	bitmap.SetBits(indices, side * side, 0, B_CMAP8);
	const auto* bits = static_cast<const uint8*>(bitmap.Bits());
	std::vector<uint8> rgba;
	rgba.reserve(size_t(side) * size_t(side) * 4);
	for (int32 pixel = 0; pixel < side * side; pixel++) {
		const uint8* bgra = bits + (pixel / side) * bitmap.BytesPerRow() + (pixel % side) * 4;
		if (indices[pixel] == B_TRANSPARENT_MAGIC_CMAP8)
			rgba.insert(rgba.end(), {255, 255, 255, 0});
		else
			rgba.insert(rgba.end(), {bgra[2], bgra[1], bgra[0], 255});
	}
	return rgba;
}
