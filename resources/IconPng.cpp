// SPDX-License-Identifier: MIT
// quillpix-icon-png: writes the application's B_CMAP8 icons as PNG files for
// the desktop, each index looked up in the system colour map (index 255
// transparent).
// Usage: quillpix-icon-png MINI.png LARGE.png

#include "AppIcons.h"
#include "PngFile.h"

#include <cstdio>

int
main(int argc, char** argv)
{
	if (argc != 3) {
		fprintf(stderr, "usage: quillpix-icon-png MINI.png LARGE.png\n");
		return 2;
	}
	if (WritePng(argv[1], kMiniIconSide, kMiniIconSide, IconRgba(kMiniIcon, kMiniIconSide)) != B_OK
		|| WritePng(argv[2], kLargeIconSide, kLargeIconSide, IconRgba(kLargeIcon, kLargeIconSide))
			!= B_OK) {
		fprintf(stderr, "quillpix-icon-png: cannot write the icons\n");
		return 1;
	}
	return 0;
}
