// SPDX-License-Identifier: MIT
#pragma once

// The LZW decoder of GIF image data, for the minimum code sizes giflib does
// not decode (9 to 11 bits per literal, so codes of 10 to 12 bits); giflib
// reads every other part of the file. The data is the image's sub-blocks
// joined, without their length bytes. Codes grow by one bit each time the
// table's next free entry needs it, up to 12 bits; a clear code starts the
// table again. A full table of 4096 entries keeps decoding 12-bit codes
// without adding entries until a clear code comes, if one does. A code past
// the next free entry is damage, never read. Each Read() does work bounded
// by the data it consumes and the indices it gives. One thread.

#include <SupportDefs.h>

#include <array>
#include <cstddef>

namespace BPrivate {

class GifLzwDecoder {
public:
	enum class Status {
		Ok,
		// The end code came before the image was complete.
		EndTooSoon,
		// The data ran out, without an end code, before the image was complete.
		DataEnds,
		// A code past the next free entry of the table.
		InvalidCode,
	};

	// The smallest and largest minimum code size decoded.
	static constexpr int kMinCodeSize = 2;
	static constexpr int kMaxCodeSize = 11;

	// `data` stays owned by the caller and must outlive the decoder;
	// `minCodeSize` is from kMinCodeSize to kMaxCodeSize.
	GifLzwDecoder(int minCodeSize, const uint8* data, size_t size);

	// Writes the next `count` colour indices to `out`. Anything but Ok
	// leaves `out` partly written, and every later call fails the same way.
	Status Read(uint16* out, size_t count);

private:
	static constexpr int kMaxCodeBits = 12;
	static constexpr int kTableSize = 1 << kMaxCodeBits;

	void ClearTable();
	bool NextCode(uint32& code);
	// Puts the string of `code` on fStack, last index first.
	void Push(uint32 code);

	const uint8* fData;
	size_t fSize;
	size_t fPosition = 0;
	uint32 fBits = 0;
	int fBitCount = 0;

	const int fMinCodeSize;
	const uint32 fClearCode;
	const uint32 fEndCode;
	int fCodeBits = 0;
	uint32 fNextFree = 0;
	// The previous code since the last clear, or kTableSize for none.
	uint32 fPrevious = kTableSize;
	Status fFailed = Status::Ok;

	// Entry i above the end code is the string of fPrefix[i] followed by
	// fSuffix[i]; fFirst[i] is its first index. Every prefix is a smaller
	// entry than the one it is the prefix of, so walking it ends.
	std::array<uint16, kTableSize> fPrefix{};
	std::array<uint16, kTableSize> fSuffix{};
	std::array<uint16, kTableSize> fFirst{};
	// Indices of the current string not yet given, the next on top; a
	// string is never longer than the table.
	std::array<uint16, kTableSize + 1> fStack{};
	size_t fStacked = 0;
};

} // namespace BPrivate
