// SPDX-License-Identifier: MIT
/* Reads the image compiled into this program through the standalone header
 * alone: its size, its colour space and its bytes, as any C program would
 * hand them to a display or a toolkit. */

#include "quill.h"

#include <stdio.h>

int
main(void)
{
	unsigned long opaque = 0;
	int y;
	int x;
	if (quill_ColorSpace != QUILLPIX_B_RGB32
		|| sizeof(quill_MData) != (size_t)quill_BytesPerRow * quill_Height) {
		fprintf(stderr, "quill: not the layout the header says\n");
		return 1;
	}
	/* B_RGB32: B, G, R and 255, or the transparent pixel 0x77, 0x74, 0x77, 0x00. */
	for (y = 0; y < quill_Height; y++) {
		for (x = 0; x < quill_Width; x++)
			opaque += quill_MData[y * quill_BytesPerRow + x * 4 + 3] == 255;
	}
	printf("quill: %d x %d, %lu bytes, %lu opaque pixels\n", quill_Width, quill_Height,
		(unsigned long)sizeof(quill_MData), opaque);
	return 0;
}
