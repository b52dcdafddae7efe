// SPDX-License-Identifier: MIT
#pragma once

// Decodes a device-independent bitmap: an info header (OS/2 1.x core, OS/2
// 2.x, or the Windows header and its V4/V5 extensions), its palette or
// channel masks, and its pixels, uncompressed or run-length encoded. BMP
// files hold one after a file header; icon and cursor files hold one per
// entry, at twice the image's height with a 1-bit AND mask after the colour
// pixels. Private to the translation kit: one decoder for one decode, on the
// caller's thread.

#include "DecodedImage.h"

#include <Result.h>
#include <SupportDefs.h>

#include <cstddef>

namespace BPrivate {

enum class DibLayout {
	File, // a BMP file's bitmap: the pixels start where the file header says
	IconEntry // an icon entry: pixels right after the palette, then the AND mask
};

struct DibSource {
	const uint8* data;
	size_t size;
	size_t headerOffset; // where the info header begins in data
	size_t pixelOffset; // File layout: where the pixels begin in data
	DibLayout layout;
	const char* formatName; // for messages: "BMP", "ICO"
};

// The size and depth an info header claims, for choosing among icon
// entries; false when the bytes hold no plausible header.
bool ReadDibDimensions(
	const uint8* header, size_t size, int64& width, int64& height, int32& bitsPerPixel);

class DibDecoder {
public:
	explicit DibDecoder(const DibSource& source);

	// Decodes into `image` and answers what its pixels stand for, or the
	// refusal.
	Result<PixelKind> Decode(DecodedImage& image);

private:
	Result<void> ReadHeader();
	Result<void> ReadMasksAndPalette();
	void DecodeUncompressed(DecodedImage& image);
	Result<void> DecodeRunLength(DecodedImage& image);
	Result<void> ApplyAndMask(DecodedImage& image);
	uint32 MaskedColor(uint32 value) const;

	struct Channel {
		uint32 mask = 0;
		int shift = 0;
		int bits = 0;
	};
	static Channel ChannelFor(uint32 mask);

	DibSource fSource;
	uint32 fHeaderSize = 0;
	int64 fWidth = 0;
	int64 fHeight = 0;
	bool fTopDown = false;
	int32 fBitsPerPixel = 0;
	uint32 fCompression = 0;
	bool fOs2 = false;
	uint32 fColorsUsed = 0;
	Channel fRed, fGreen, fBlue, fAlpha;
	uint32 fPalette[256];
	size_t fPaletteOffset = 0;
	size_t fPixelOffset = 0;
	size_t fPixelBytesUsed = 0;
};

} // namespace BPrivate
