// SPDX-License-Identifier: MIT
#pragma once

// The X11 colour names ("light goldenrod yellow", "gray50"), for XPM files.
// The table is generated from data/x11-rgb.txt when CMake configures.

#include <SupportDefs.h>

#include <cstddef>

namespace BPrivate {

struct X11Color {
	const char* name; // lower case, no spaces
	uint8 red;
	uint8 green;
	uint8 blue;
};

// Sorted by name, as strcmp orders them.
extern const X11Color kX11Colors[];
extern const size_t kX11ColorCount;

// The colour of `name`, of `length` bytes, ignoring case and spaces; null
// for a name that is not in the table.
const X11Color* FindX11Color(const char* name, size_t length);

} // namespace BPrivate
