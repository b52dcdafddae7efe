#include "DecodeLimits.h"

#include <TranslationUtils.h>

#include <string>

namespace BPrivate {

bool CheckImageSize(int64 width, int64 height, BTranslationFailure& failure)
{
	if (width <= 0 || height <= 0) {
		failure = {B_ILLEGAL_DATA, "is damaged: its header gives no pixels"};
		return false;
	}
	// Each side is at most the file's bytes times eight (one bit a pixel),
	// so the product cannot overflow before the comparison.
	if (width > kMaxImagePixels || height > kMaxImagePixels || width * height > kMaxImagePixels) {
		failure = {B_NO_MEMORY,
			"is " + std::to_string(width) + "\u00d7" + std::to_string(height)
				+ " pixels; the limit is " + std::to_string(kMaxImageSide) + "\u00d7"
				+ std::to_string(kMaxImageSide)};
		return false;
	}
	return true;
}

} // namespace BPrivate
