// SPDX-License-Identifier: MIT
#pragma once

// The keys that move rather than type (arrows, Page Up and Down, Home, End,
// ...) as the kit's key bytes (B_LEFT_ARROW, B_PAGE_DOWN, ...).

#include <SupportDefs.h>

namespace BPrivate {

// The kit's byte for a Qt key; 0 for a key that is not one of them.
char NavigationKeyByte(int qtKey);

} // namespace BPrivate
