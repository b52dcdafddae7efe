// quillpix-icon-png: writes the application's B_CMAP8 icons as PNG files for
// the desktop, each index looked up in the system colour map (index 255
// transparent).
// Usage: quillpix-icon-png MINI.png LARGE.png

#include "AppIcons.h"
#include "PngFile.h"

#include <Bitmap.h>

#include <cstdio>

namespace {

// The icon converted as any B_CMAP8 bitmap is; a hole (index 255) is
// transparent white, the colour the map lists for it.
std::vector<uint8>
IconRgba(const uint8* indices, int32 side)
{
	BBitmap bitmap(BRect(0, 0, side - 1, side - 1), B_RGBA32);
	bitmap.SetBits(indices, side * side, 0, B_CMAP8);
	const auto* bits = static_cast<const uint8*>(bitmap.Bits());
	std::vector<uint8> rgba;
	for (int32 pixel = 0; pixel < side * side; pixel++) {
		const uint8* bgra = bits + (pixel / side) * bitmap.BytesPerRow() + (pixel % side) * 4;
		if (indices[pixel] == B_TRANSPARENT_MAGIC_CMAP8)
			rgba.insert(rgba.end(), {255, 255, 255, 0});
		else
			rgba.insert(rgba.end(), {bgra[2], bgra[1], bgra[0], 255});
	}
	return rgba;
}

} // namespace

int
main(int argc, char** argv)
{
	if (argc != 3) {
		fprintf(stderr, "usage: quillpix-icon-png MINI.png LARGE.png\n");
		return 2;
	}
	if (WritePng(argv[1], kMiniIconSide, kMiniIconSide, IconRgba(kMiniIcon, kMiniIconSide))
			!= B_OK
		|| WritePng(argv[2], kLargeIconSide, kLargeIconSide,
			IconRgba(kLargeIcon, kLargeIconSide)) != B_OK) {
		fprintf(stderr, "quillpix-icon-png: cannot write the icons\n");
		return 1;
	}
	return 0;
}
