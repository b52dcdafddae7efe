#pragma once

// Walking UTF-8 text one code point at a time.

#include <SupportDefs.h>

namespace BPrivate {

// The code point that starts at `*text`, moving `*text` past it. A byte that
// does not start a well-formed sequence gives U+FFFD and moves one byte.
// Never reads past the terminating NUL.
uint32 NextCodePoint(const char** text);

} // namespace BPrivate
