// SPDX-License-Identifier: MIT
#include "EmbeddedBitmap.h"

#include "PrefilledBitmap.h"

PrefilledBitmap*
BuildEmbeddedBitmap(PrefilledBitmap*& bitmap, const void* bits, float left, float top, float right,
	float bottom, int colorSpace)
{
	if (bitmap == nullptr) {
		bitmap = new PrefilledBitmap(BRect(left, top, right, bottom),
			static_cast<color_space>(colorSpace), bits, false, false);
	}
	return bitmap;
}
