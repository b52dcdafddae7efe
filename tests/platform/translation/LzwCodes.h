// SPDX-License-Identifier: MIT
#pragma once

// LZW codes of given widths packed as GIF packs them: each code's low bit
// first, into the bytes from their low bit up.

#include <cstdint>
#include <string>
#include <vector>

struct LzwCode {
	uint32_t value;
	int bits;
};

class LzwCodes {
public:
	LzwCodes& Add(uint32_t value, int bits)
	{
		fCodes.push_back({value, bits});
		return *this;
	}

	LzwCodes& Add(const std::vector<LzwCode>& codes)
	{
		fCodes.insert(fCodes.end(), codes.begin(), codes.end());
		return *this;
	}

	std::string Bytes() const
	{
		std::string out;
		uint64_t buffer = 0;
		int count = 0;
		for (const LzwCode& code : fCodes) {
			buffer |= uint64_t(code.value) << count;
			count += code.bits;
			for (; count >= 8; count -= 8, buffer >>= 8)
				out += char(buffer & 0xff);
		}
		if (count > 0)
			out += char(buffer & 0xff);
		return out;
	}

private:
	std::vector<LzwCode> fCodes;
};
