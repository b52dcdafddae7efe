// SPDX-License-Identifier: MIT
// The text "Save as source code…" and quillpix-export write, pasted where
// it asks to be: after the program's start. scripts/run-example.sh compiles
// this with QUILLPIX_TEXT naming the exported file and QUILLPIX_ICON its
// icon name, and runs it.

#include <PrefilledBitmap.h>

#include <cstdio>

#define PASTE_JOIN2(a, b) a##b
#define PASTE_JOIN(a, b) PASTE_JOIN2(a, b)
#define PASTE_BITMAP PASTE_JOIN(QUILLPIX_ICON, _MICN)
#define PASTE_STRING2(a) #a
#define PASTE_STRING(a) PASTE_STRING2(a)

int
main()
{
#include QUILLPIX_TEXT

	const PrefilledBitmap* bitmap = PASTE_BITMAP;
	if (bitmap == nullptr || bitmap->InitCheck() != B_OK)
		return 1;
	BRect bounds = bitmap->Bounds();
	printf("%s: %d x %d %s, %d bytes\n", PASTE_STRING(QUILLPIX_ICON), int(bounds.Width()) + 1,
		int(bounds.Height()) + 1, bitmap->ColorSpace() == B_CMAP8 ? "B_CMAP8" : "B_RGB32",
		int(bitmap->BitsLength()));
	delete bitmap;
	return 0;
}
