// SPDX-License-Identifier: MIT
#pragma once

// Pixels read back from a bitmap of four bytes a pixel (B_RGB32, B_RGBA32:
// blue, green, red and alpha in memory).

#include <Bitmap.h>

#include <array>

namespace testsupport {

// The red, green and blue of the pixel at (x, y).
inline std::array<uint8, 3>
RgbAt(const BBitmap& bitmap, int32 x, int32 y)
{
	const uint8* pixel = static_cast<const uint8*>(bitmap.Bits()) + y * bitmap.BytesPerRow()
		+ x * 4;
	return {pixel[2], pixel[1], pixel[0]};
}

} // namespace testsupport
