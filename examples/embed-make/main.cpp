// SPDX-License-Identifier: MIT
// Builds the bitmap of the image compiled into this program and checks it
// against what the generated header declares: the array holds exactly the
// bitmap's bytes, rows of quill_BytesPerRow bytes, quill_Height of them.

#include "quill.h"

#include <cstdio>

int
main()
{
	// A real program makes its BApplication first; the bitmap comes after.
	const PrefilledBitmap* bitmap = quill_MakeBitmap();
	if (bitmap == nullptr || bitmap->InitCheck() != B_OK) {
		fprintf(stderr, "quill: no bitmap\n");
		return 1;
	}
	const BRect bounds = bitmap->Bounds();
	const int32 width = bounds.IntegerWidth() + 1;
	const int32 height = bounds.IntegerHeight() + 1;
	const int32 length = bitmap->BitsLength();
	bool ok = true;
	if (width != quill_Width || height != quill_Height
		|| bitmap->ColorSpace() != quill_ColorSpace) {
		fprintf(stderr, "quill: the bitmap is %d x %d, the header says %d x %d\n",
			static_cast<int>(width), static_cast<int>(height), static_cast<int>(quill_Width),
			static_cast<int>(quill_Height));
		ok = false;
	}
	if (length != static_cast<int32>(sizeof(quill_MData))
		|| length != quill_BytesPerRow * quill_Height) {
		fprintf(stderr, "quill: %d bytes in the bitmap, %zu in the array, %d rows of %d\n",
			static_cast<int>(length), sizeof(quill_MData), static_cast<int>(quill_Height),
			static_cast<int>(quill_BytesPerRow));
		ok = false;
	}
	if (bitmap != quill_MICN || quill_MakeBitmap() != bitmap) {
		fprintf(stderr, "quill: a second call built another bitmap\n");
		ok = false;
	}
	printf("quill: %d x %d, %d bytes\n", static_cast<int>(width), static_cast<int>(height),
		static_cast<int>(length));
	delete quill_MICN;
	return ok ? 0 : 1;
}
