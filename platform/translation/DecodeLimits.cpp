#include "DecodeLimits.h"

#include "Refusal.h"

namespace BPrivate {

bool CheckImageSize(int64 width, int64 height, BTranslationFailure& failure)
{
	if (width <= 0 || height <= 0) {
		return Refuse(failure, Refusal::NoPixels());
	}
	// Each side is at most the file's bytes times eight (one bit a pixel),
	// so the product cannot overflow before the comparison.
	if (width > kMaxImagePixels || height > kMaxImagePixels || width * height > kMaxImagePixels) {
		return Refuse(failure, Refusal::TooLarge(width, height));
	}
	return true;
}

} // namespace BPrivate
