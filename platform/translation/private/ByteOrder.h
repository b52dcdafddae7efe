// SPDX-License-Identifier: MIT
#pragma once

// Reading multi-byte fields of image files, whatever the machine's own
// byte order. The caller has checked that the bytes exist.

#include <SupportDefs.h>

namespace BPrivate {

inline uint16
ReadLE16(const uint8* bytes)
{
	return uint16(bytes[0] | bytes[1] << 8);
}

inline uint32
ReadLE32(const uint8* bytes)
{
	return uint32(bytes[0]) | uint32(bytes[1]) << 8 | uint32(bytes[2]) << 16
		| uint32(bytes[3]) << 24;
}

inline int32
ReadLE32Signed(const uint8* bytes)
{
	return int32(ReadLE32(bytes));
}

inline uint32
ReadBE32(const uint8* bytes)
{
	return uint32(bytes[0]) << 24 | uint32(bytes[1]) << 16 | uint32(bytes[2]) << 8
		| uint32(bytes[3]);
}

} // namespace BPrivate
