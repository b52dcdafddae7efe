#include "PrintableName.h"

#include <cstdio>

namespace {

// The length of the UTF-8 sequence that starts at `at`, and the character
// it encodes; 0 when the bytes there are not valid UTF-8 (a stray
// continuation byte, a sequence cut short, an overlong form, a surrogate or
// a value above U+10FFFF).
size_t
SequenceAt(std::string_view text, size_t at, char32_t& character)
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

// Characters that are valid but move or reorder what a terminal shows.
bool
IsInvisibleControl(char32_t character)
{
	return (character >= 0x80 && character <= 0x9F) || character == 0x2028
		|| character == 0x2029 || (character >= 0x202A && character <= 0x202E)
		|| (character >= 0x2066 && character <= 0x2069);
}

void
AppendHex(std::string& out, std::string_view bytes)
{
	for (char byte : bytes) {
		char escaped[5];
		snprintf(escaped, sizeof(escaped), "\\x%02x", static_cast<unsigned char>(byte));
		out += escaped;
	}
}

} // namespace

std::string
PrintableName(std::string_view name)
{
	std::string out;
	out.reserve(name.size());
	size_t at = 0;
	while (at < name.size()) {
		char32_t character = 0;
		const size_t length = SequenceAt(name, at, character);
		if (length == 0) {
			AppendHex(out, name.substr(at, 1));
			at++;
			continue;
		}
		if (character == '\\') {
			out += "\\\\";
		} else if (character == '\n') {
			out += "\\n";
		} else if (character == '\t') {
			out += "\\t";
		} else if (character == '\r') {
			out += "\\r";
		} else if (character < 0x20 || character == 0x7F) {
			char escaped[5];
			snprintf(escaped, sizeof(escaped), "\\%03o", unsigned(character));
			out += escaped;
		} else if (IsInvisibleControl(character)) {
			AppendHex(out, name.substr(at, length));
		} else {
			out.append(name.substr(at, length));
		}
		at += length;
	}
	return out;
}
