// SPDX-License-Identifier: MIT
#include "PrintableName.h"

#include <Utf8.h>

#include <cstdio>

namespace {

// Characters that are valid but move or reorder what a terminal shows.
bool
IsInvisibleControl(char32_t character)
{
	return (character >= 0x80 && character <= 0x9F) || character == 0x2028 || character == 0x2029
		|| (character >= 0x202A && character <= 0x202E)
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
		const size_t length = BPrivate::DecodeUtf8(name, at, character);
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
