// SPDX-License-Identifier: MIT
#include "ColorSpaceNames.h"

#include <cstring>
#include <iterator>

namespace {

struct NamedSpace {
	color_space space;
	const char* argument;
};

// The entry of a space, its name taken from the constant itself.
#define NAMED_SPACE(constant)                                                                      \
	NamedSpace                                                                                     \
	{                                                                                              \
		constant, #constant ","                                                                    \
	}

// In the order the export's colour spaces are offered.
constexpr NamedSpace kNamedSpaces[] = {
	NAMED_SPACE(B_CMAP8),
	NAMED_SPACE(B_RGB32),
	NAMED_SPACE(B_RGBA32),
	NAMED_SPACE(B_RGB16),
	NAMED_SPACE(B_RGB15),
	NAMED_SPACE(B_RGBA15),
	NAMED_SPACE(B_GRAY8),
	NAMED_SPACE(B_GRAY1),
	NAMED_SPACE(B_RGB24),
	NAMED_SPACE(B_RGB24_BIG),
	NAMED_SPACE(B_RGB16_BIG),
	NAMED_SPACE(B_RGB15_BIG),
	NAMED_SPACE(B_RGBA15_BIG),
	NAMED_SPACE(B_RGB32_BIG),
	NAMED_SPACE(B_RGBA32_BIG),
};

#undef NAMED_SPACE

} // namespace

const char*
SourceColorSpaceArgument(color_space space)
{
	for (const NamedSpace& entry : kNamedSpaces) {
		if (entry.space == space)
			return entry.argument;
	}
	return nullptr;
}

bool
SourceColorSpaceNamed(std::string_view name, color_space& space)
{
	for (const NamedSpace& entry : kNamedSpaces) {
		const size_t length = std::strlen(entry.argument) - 1;
		if (name.size() == length && name.compare(0, length, entry.argument, length) == 0) {
			space = entry.space;
			return true;
		}
	}
	return false;
}
