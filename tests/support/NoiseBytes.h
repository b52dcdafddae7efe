// SPDX-License-Identifier: MIT
#pragma once

// Bytes that do not repeat in step with a text's lines, chunks or buffers:
// the same for the same seed on every run.

#include <SupportDefs.h>

#include <cstddef>
#include <vector>

namespace testsupport {

inline std::vector<uint8>
NoiseBytes(size_t count, uint32 seed)
{
	std::vector<uint8> bytes(count);
	uint32 state = seed;
	for (uint8& byte : bytes) {
		state = state * 1103515245 + 12345;
		byte = static_cast<uint8>(state >> 16);
	}
	return bytes;
}

} // namespace testsupport
