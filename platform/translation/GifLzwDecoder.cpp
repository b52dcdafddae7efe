// SPDX-License-Identifier: MIT
#include "GifLzwDecoder.h"

namespace BPrivate {

GifLzwDecoder::GifLzwDecoder(int minCodeSize, const uint8* data, size_t size)
	: fData(data), fSize(size), fMinCodeSize(minCodeSize), fClearCode(1u << minCodeSize),
	  fEndCode(fClearCode + 1)
{
	for (uint32 i = 0; i < fClearCode; i++)
		fFirst[i] = uint16(i);
	ClearTable();
}

void
GifLzwDecoder::ClearTable()
{
	fCodeBits = fMinCodeSize + 1;
	fNextFree = fEndCode + 1;
	fPrevious = kTableSize;
}

bool
GifLzwDecoder::NextCode(uint32& code)
{
	while (fBitCount < fCodeBits) {
		if (fPosition == fSize)
			return false;
		fBits |= uint32(fData[fPosition++]) << fBitCount;
		fBitCount += 8;
	}
	code = fBits & ((1u << fCodeBits) - 1);
	fBits >>= fCodeBits;
	fBitCount -= fCodeBits;
	return true;
}

void
GifLzwDecoder::Push(uint32 code)
{
	while (code > fEndCode) {
		fStack[fStacked++] = fSuffix[code];
		code = fPrefix[code];
	}
	fStack[fStacked++] = uint16(code);
}

GifLzwDecoder::Status
GifLzwDecoder::Read(uint16* out, size_t count)
{
	size_t done = 0;
	while (done < count) {
		if (fStacked > 0) {
			out[done++] = fStack[--fStacked];
			continue;
		}
		if (fFailed != Status::Ok)
			return fFailed;
		uint32 code;
		if (!NextCode(code))
			return fFailed = Status::DataEnds;
		if (code == fClearCode) {
			ClearTable();
			continue;
		}
		if (code == fEndCode)
			return fFailed = Status::EndTooSoon;
		const bool hasPrevious = fPrevious < uint32(kTableSize);
		// Codes from the end code to the next free entry are not (yet) in
		// the table, but for the next free entry itself, which is the
		// previous string followed by its own first index.
		const bool known = code < fClearCode || (code > fEndCode && code < fNextFree);
		if (!known && !(code == fNextFree && hasPrevious))
			return fFailed = Status::InvalidCode;
		const uint16 first = known ? fFirst[code] : fFirst[fPrevious];
		if (known) {
			Push(code);
		} else {
			fStack[fStacked++] = first;
			Push(fPrevious);
		}
		if (hasPrevious && fNextFree < uint32(kTableSize)) {
			fPrefix[fNextFree] = uint16(fPrevious);
			fSuffix[fNextFree] = first;
			fFirst[fNextFree] = fFirst[fPrevious];
			fNextFree++;
			if (fNextFree == (1u << fCodeBits) && fCodeBits < kMaxCodeBits)
				fCodeBits++;
		}
		fPrevious = code;
	}
	return Status::Ok;
}

} // namespace BPrivate
