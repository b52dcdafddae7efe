#include "Utf8.h"

namespace BPrivate {

namespace {

constexpr uint32 kReplacement = 0xFFFD;

} // namespace

uint32
NextCodePoint(const char** text)
{
	const auto* bytes = reinterpret_cast<const unsigned char*>(*text);
	unsigned char lead = bytes[0];
	int length = 0;
	uint32 codePoint = 0;
	uint32 smallest = 0;
	if (lead < 0x80) {
		*text += 1;
		return lead;
	}
	if ((lead & 0xE0) == 0xC0) {
		length = 2;
		codePoint = lead & 0x1F;
		smallest = 0x80;
	} else if ((lead & 0xF0) == 0xE0) {
		length = 3;
		codePoint = lead & 0x0F;
		smallest = 0x800;
	} else if ((lead & 0xF8) == 0xF0) {
		length = 4;
		codePoint = lead & 0x07;
		smallest = 0x10000;
	} else {
		*text += 1;
		return kReplacement;
	}
	for (int index = 1; index < length; index++) {
		// A NUL ends the loop here too: it is no continuation byte.
		if ((bytes[index] & 0xC0) != 0x80) {
			*text += 1;
			return kReplacement;
		}
		codePoint = (codePoint << 6) | (bytes[index] & 0x3F);
	}
	*text += length;
	bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
	if (codePoint < smallest || codePoint > 0x10FFFF || surrogate)
		return kReplacement;
	return codePoint;
}

} // namespace BPrivate
