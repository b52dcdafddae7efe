// SPDX-License-Identifier: MIT
// Compiled by the round-trip test, once for every exported file: the file
// "Exported.h" is placed where its last line asks, after the program's
// start, and the bitmap it builds is written out for the test to compare:
// a line "left top right bottom colour-space length", then the raw bytes.
//
// QUILLPIX_ICON is the icon name the file was exported with.

#include <PrefilledBitmap.h>

#include <cstdio>

#define ROUNDTRIP_JOIN2(a, b) a##b
#define ROUNDTRIP_JOIN(a, b) ROUNDTRIP_JOIN2(a, b)
#define ROUNDTRIP_BITMAP ROUNDTRIP_JOIN(QUILLPIX_ICON, _MICN)

int
main(int argc, char** argv)
{
	if (argc != 2)
		return 2;

#include "Exported.h"

	const PrefilledBitmap* bitmap = ROUNDTRIP_BITMAP;
	if (bitmap == nullptr || bitmap->InitCheck() != B_OK)
		return 3;
	FILE* dump = fopen(argv[1], "wb");
	if (dump == nullptr)
		return 4;
	BRect bounds = bitmap->Bounds();
	fprintf(dump, "%.1f %.1f %.1f %.1f %d %d\n", bounds.left, bounds.top, bounds.right,
		bounds.bottom, static_cast<int>(bitmap->ColorSpace()),
		static_cast<int>(bitmap->BitsLength()));
	size_t length = static_cast<size_t>(bitmap->BitsLength());
	bool written = fwrite(bitmap->Bits(), 1, length, dump) == length;
	written = fclose(dump) == 0 && written;
	delete bitmap;
	return written ? 0 : 5;
}
