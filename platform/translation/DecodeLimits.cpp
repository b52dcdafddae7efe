// SPDX-License-Identifier: MIT
#include "DecodeLimits.h"

#include "Refusal.h"

namespace BPrivate {

Result<void>
CheckImageSize(int64 width, int64 height)
{
	if (width <= 0 || height <= 0)
		return Refusal::NoPixels();
	// Each side is at most the file's bytes times eight (one bit a pixel),
	// so the product cannot overflow before the comparison.
	if (width > kMaxImagePixels || height > kMaxImagePixels || width * height > kMaxImagePixels)
		return Refusal::TooLarge(width, height);
	return {};
}

} // namespace BPrivate
