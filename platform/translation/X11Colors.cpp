// SPDX-License-Identifier: MIT
#include "X11Colors.h"

#include <algorithm>
#include <cstring>

namespace BPrivate {

const X11Color*
FindX11Color(const char* name, size_t length)
{
	// The longest name has 20 letters; anything much longer is no name.
	char key[48];
	size_t keyLength = 0;
	for (size_t i = 0; i < length; i++) {
		char c = name[i];
		if (c == ' ' || c == '\t')
			continue;
		if (keyLength + 1 >= sizeof(key))
			return nullptr;
		key[keyLength++] = c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
	}
	key[keyLength] = '\0';
	const X11Color* end = kX11Colors + kX11ColorCount;
	const X11Color* found = std::lower_bound(
		kX11Colors, end, key, [](const X11Color& color, const char* wanted) {
			return std::strcmp(color.name, wanted) < 0;
		});
	if (found == end || std::strcmp(found->name, key) != 0)
		return nullptr;
	return found;
}

} // namespace BPrivate
