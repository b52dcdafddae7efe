// SPDX-License-Identifier: MIT
#pragma once

// Reading UTF-8 one character at a time, for the code that shows names and
// texts people and files gave us and must treat bytes that are not UTF-8
// apart.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace BPrivate {

// The length of the UTF-8 sequence that starts at `text[at]` (which must be
// inside `text`) and the character it encodes; 0 when the bytes there are
// not valid UTF-8 (a stray continuation byte, a sequence cut short, an
// overlong form, a surrogate or a value above U+10FFFF).
inline size_t
DecodeUtf8(std::string_view text, size_t at, char32_t& character)
{
	const unsigned char lead = static_cast<unsigned char>(text[at]);
	size_t length;
	char32_t lowest;
	if (lead < 0x80) {
		character = lead;
		return 1;
	}
	if (lead >= 0xC2 && lead <= 0xDF) {
		length = 2;
		lowest = 0x80;
		character = lead & 0x1F;
	} else if (lead >= 0xE0 && lead <= 0xEF) {
		length = 3;
		lowest = 0x800;
		character = lead & 0x0F;
	} else if (lead >= 0xF0 && lead <= 0xF4) {
		length = 4;
		lowest = 0x10000;
		character = lead & 0x07;
	} else {
		return 0;
	}
	if (text.size() - at < length)
		return 0;
	for (size_t i = 1; i < length; i++) {
		const unsigned char next = static_cast<unsigned char>(text[at + i]);
		if ((next & 0xC0) != 0x80)
			return 0;
		character = (character << 6) | (next & 0x3F);
	}
	if (character < lowest || character > 0x10FFFF
		|| (character >= 0xD800 && character <= 0xDFFF)) {
		return 0;
	}
	return length;
}

} // namespace BPrivate
