// SPDX-License-Identifier: MIT
#include "DibDecoder.h"

#include "ByteOrder.h"
#include "DecodeLimits.h"
#include "PixelRules.h"
#include "Refusal.h"

#include <algorithm>
#include <string>

namespace BPrivate {

namespace {

constexpr uint32 kRgb = 0;
constexpr uint32 kRle8 = 1;
constexpr uint32 kRle4 = 2;
constexpr uint32 kBitFields = 3;
constexpr uint32 kJpeg = 4;
constexpr uint32 kPng = 5;
constexpr uint32 kAlphaBitFields = 6;
// OS/2 2.x gives 3 and 4 their own meanings.
constexpr uint32 kOs2Huffman = 3;
constexpr uint32 kOs2Rle24 = 4;

constexpr uint32 kCoreHeaderSize = 12;
constexpr uint32 kInfoHeaderSize = 40;

// Windows' header sizes between the OS/2 2.x ones (16 to 64 bytes).
bool
IsWindowsHeaderSize(uint32 size)
{
	return size == 40 || size == 52 || size == 56 || size >= 108;
}

uint64
RowBytes(int64 width, int32 bits)
{
	return (uint64(width) * uint64(bits) + 31) / 32 * 4;
}

} // namespace

bool
ReadDibDimensions(
	const uint8* header, size_t size, int64& width, int64& height, int32& bitsPerPixel)
{
	if (size < 4)
		return false;
	uint32 headerSize = ReadLE32(header);
	if (headerSize == kCoreHeaderSize && size >= kCoreHeaderSize) {
		width = ReadLE16(header + 4);
		height = ReadLE16(header + 6);
		bitsPerPixel = ReadLE16(header + 10);
		return true;
	}
	if (headerSize < 16 || size < 16)
		return false;
	width = ReadLE32Signed(header + 4);
	height = ReadLE32Signed(header + 8);
	if (height < 0)
		height = -height;
	bitsPerPixel = ReadLE16(header + 14);
	return true;
}

DibDecoder::DibDecoder(const DibSource& source) : fSource(source)
{
	for (uint32& color : fPalette)
		color = PackColor(0, 0, 0);
}

DibDecoder::Channel
DibDecoder::ChannelFor(uint32 mask)
{
	Channel channel;
	channel.mask = mask;
	if (mask == 0)
		return channel;
	while ((mask & 1) == 0) {
		mask >>= 1;
		channel.shift++;
	}
	// The width from the lowest set bit to the highest: a mask with holes
	// still gives values within its range.
	while (mask != 0) {
		mask >>= 1;
		channel.bits++;
	}
	return channel;
}

Result<void>
DibDecoder::ReadHeader()
{
	const uint8* data = fSource.data;
	size_t offset = fSource.headerOffset;
	if (fSource.size < offset + 4)
		return Refusal::CutOff();
	fHeaderSize = ReadLE32(data + offset);
	if (fHeaderSize != kCoreHeaderSize && (fHeaderSize < 16 || fHeaderSize > 4096))
		return Refusal::Damaged(fSource.formatName, "its header has an unknown size");
	if (fSource.size - offset < fHeaderSize)
		return Refusal::CutOff();
	const uint8* header = data + offset;
	int64 height;
	if (fHeaderSize == kCoreHeaderSize) {
		fOs2 = true;
		fWidth = ReadLE16(header + 4);
		height = ReadLE16(header + 6);
		fBitsPerPixel = ReadLE16(header + 10);
	} else {
		fOs2 = !IsWindowsHeaderSize(fHeaderSize);
		fWidth = ReadLE32Signed(header + 4);
		height = ReadLE32Signed(header + 8);
		fBitsPerPixel = ReadLE16(header + 14);
		if (fHeaderSize >= 20)
			fCompression = ReadLE32(header + 16);
		if (fHeaderSize >= 36)
			fColorsUsed = ReadLE32(header + 32);
	}
	fTopDown = height < 0;
	fHeight = fTopDown ? -height : height;
	if (fSource.layout == DibLayout::IconEntry)
		fHeight /= 2;

	if (fOs2 && fCompression == kOs2Huffman) {
		return Refusal::UnreadFeature(fSource.formatName, "Huffman compression");
	}
	if (!fOs2 && (fCompression == kJpeg || fCompression == kPng)) {
		return Refusal::UnreadFeature(
			fSource.formatName, fCompression == kJpeg ? "embedded JPEG data" : "embedded PNG data");
	}

	bool depthFits;
	switch (fCompression) {
	case kRgb:
		depthFits = fBitsPerPixel == 1 || fBitsPerPixel == 2 || fBitsPerPixel == 4
			|| fBitsPerPixel == 8 || fBitsPerPixel == 16 || fBitsPerPixel == 24
			|| fBitsPerPixel == 32;
		break;
	case kRle8:
		depthFits = fBitsPerPixel == 8;
		break;
	case kRle4:
		depthFits = fBitsPerPixel == 4;
		break;
	case kBitFields:
	case kAlphaBitFields:
		depthFits = fBitsPerPixel == 16 || fBitsPerPixel == 32;
		break;
	default:
		if (fOs2 && fCompression == kOs2Rle24) {
			depthFits = fBitsPerPixel == 24;
			break;
		}
		return Refusal::Damaged(fSource.formatName, "its compression is unknown");
	}
	if (!depthFits)
		return Refusal::Damaged(fSource.formatName, "its bit depth does not suit its compression");
	return {};
}

Result<void>
DibDecoder::ReadMasksAndPalette()
{
	const uint8* data = fSource.data;
	size_t headerEnd = fSource.headerOffset + fHeaderSize;
	size_t masksEnd = headerEnd;
	bool maskFields = !fOs2 && (fCompression == kBitFields || fCompression == kAlphaBitFields);
	if (maskFields) {
		// The masks follow the 40-byte header; later headers hold them.
		bool alphaMask = fCompression == kAlphaBitFields || fHeaderSize >= 56;
		size_t maskStart = fSource.headerOffset + kInfoHeaderSize;
		masksEnd = std::max(headerEnd, maskStart + (alphaMask ? 16 : 12));
		if (fSource.size < masksEnd)
			return Refusal::CutOff();
		fRed = ChannelFor(ReadLE32(data + maskStart));
		fGreen = ChannelFor(ReadLE32(data + maskStart + 4));
		fBlue = ChannelFor(ReadLE32(data + maskStart + 8));
		if (alphaMask)
			fAlpha = ChannelFor(ReadLE32(data + maskStart + 12));
	} else if (fBitsPerPixel == 16) {
		fRed = ChannelFor(0x7c00);
		fGreen = ChannelFor(0x03e0);
		fBlue = ChannelFor(0x001f);
	} else if (fBitsPerPixel == 32) {
		fRed = ChannelFor(0x00ff0000);
		fGreen = ChannelFor(0x0000ff00);
		fBlue = ChannelFor(0x000000ff);
		// Often padding, sometimes alpha: used when any pixel sets it.
		fAlpha = ChannelFor(0xff000000);
	}

	fPaletteOffset = masksEnd;
	size_t entrySize = fHeaderSize == kCoreHeaderSize ? 3 : 4;
	uint64 entries = fColorsUsed;
	if (fBitsPerPixel <= 8 && entries == 0)
		entries = uint64(1) << fBitsPerPixel;
	uint64 paletteEnd = uint64(fPaletteOffset) + entries * entrySize;

	if (fSource.layout == DibLayout::File) {
		fPixelOffset = fSource.pixelOffset;
		if (fPixelOffset < fPaletteOffset)
			return Refusal::Damaged(fSource.formatName, "its pixels start inside its header");
		// Files whose palette is shorter than its depth allows end it where
		// the pixels begin.
		if (paletteEnd > fPixelOffset)
			paletteEnd = fPixelOffset;
	} else {
		fPixelOffset = paletteEnd > fSource.size ? fSource.size + 1 : size_t(paletteEnd);
	}
	if (paletteEnd > fSource.size || fPixelOffset > fSource.size)
		return Refusal::CutOff();

	if (fBitsPerPixel <= 8) {
		uint64 count = (paletteEnd - fPaletteOffset) / entrySize;
		if (count > 256)
			count = 256;
		for (uint64 i = 0; i < count; i++) {
			const uint8* entry = data + fPaletteOffset + i * entrySize;
			fPalette[i] = PackColor(entry[2], entry[1], entry[0]);
		}
	}
	return {};
}

uint32
DibDecoder::MaskedColor(uint32 value) const
{
	auto channel = [value](const Channel& c) -> uint8 {
		if (c.mask == 0)
			return 0;
		return WidenBits((value & c.mask) >> c.shift, c.bits);
	};
	uint8 alpha = fAlpha.mask == 0 ? 255 : channel(fAlpha);
	return PackColor(channel(fRed), channel(fGreen), channel(fBlue), alpha);
}

void
DibDecoder::DecodeUncompressed(DecodedImage& image)
{
	uint64 stride = RowBytes(fWidth, fBitsPerPixel);
	const uint8* pixels = fSource.data + fPixelOffset;
	int32 width = image.Width();
	int32 height = image.Height();
	for (int32 row = 0; row < height; row++) {
		const uint8* source = pixels + row * stride;
		int32 y = fTopDown ? row : height - 1 - row;
		uint8* target = image.Row(y);
		for (int32 x = 0; x < width; x++) {
			uint32 color;
			switch (fBitsPerPixel) {
			case 1:
			case 2:
			case 4:
			case 8: {
				int32 bit = x * fBitsPerPixel;
				int32 shift = 8 - fBitsPerPixel - bit % 8;
				uint32 index = (source[bit / 8] >> shift) & ((1u << fBitsPerPixel) - 1);
				color = fPalette[index];
				break;
			}
			case 16:
				color = MaskedColor(ReadLE16(source + 2 * x));
				break;
			case 24:
				color = PackColor(source[3 * x + 2], source[3 * x + 1], source[3 * x]);
				break;
			default:
				color = MaskedColor(ReadLE32(source + 4 * x));
				break;
			}
			target[4 * x] = uint8(color);
			target[4 * x + 1] = uint8(color >> 8);
			target[4 * x + 2] = uint8(color >> 16);
			target[4 * x + 3] = uint8(color >> 24);
		}
	}
	fPixelBytesUsed = stride * uint64(height);
}

// Run-length data: pairs of (count, value) for runs, and escapes after a
// zero count for the end of a line, the end of the bitmap, a jump (delta)
// and literal pixels padded to a 16-bit boundary. Pixels it never writes
// stay transparent.
Result<void>
DibDecoder::DecodeRunLength(DecodedImage& image)
{
	const uint8* data = fSource.data + fPixelOffset;
	size_t size = fSource.size - fPixelOffset;
	int64 width = image.Width();
	int64 height = image.Height();
	int64 x = 0;
	int64 row = 0; // in file order: bottom-up unless the height was negative
	size_t position = 0;

	auto put = [&](uint32 color) -> bool {
		if (row >= height)
			return false;
		if (x < width)
			image.SetPixel(int32(x), int32(fTopDown ? row : height - 1 - row), color);
		x++;
		return true;
	};
	auto runsPast = [&]() {
		return Refusal::Damaged(fSource.formatName, "RLE data runs past the image");
	};

	while (true) {
		if (size - position < 2) {
			// Some writers leave out the end-of-bitmap mark after the last
			// line; anything earlier is a cut.
			if (position == size && row >= height - 1)
				break;
			return Refusal::CutOff();
		}
		uint8 count = data[position];
		uint8 value = data[position + 1];
		position += 2;
		if (count > 0) {
			uint32 colors[2];
			if (fCompression == kOs2Rle24) {
				// The pair was count and blue; green and red follow.
				if (size - position < 2)
					return Refusal::CutOff();
				colors[0] = colors[1] = PackColor(data[position + 1], data[position], value);
				position += 2;
			} else if (fCompression == kRle4) {
				colors[0] = fPalette[value >> 4];
				colors[1] = fPalette[value & 0x0f];
			} else {
				colors[0] = colors[1] = fPalette[value];
			}
			for (uint32 i = 0; i < count; i++) {
				if (!put(colors[i & 1]))
					return runsPast();
			}
			continue;
		}
		switch (value) {
		case 0:
			x = 0;
			row++;
			continue;
		case 1:
			fPixelBytesUsed = position;
			return {};
		case 2: {
			if (size - position < 2)
				return Refusal::CutOff();
			x += data[position];
			row += data[position + 1];
			position += 2;
			continue;
		}
		default: {
			size_t bytes;
			if (fCompression == kRle4)
				bytes = (size_t(value) + 1) / 2;
			else if (fCompression == kOs2Rle24)
				bytes = size_t(value) * 3;
			else
				bytes = value;
			size_t padded = (bytes + 1) & ~size_t(1);
			if (size - position < bytes)
				return Refusal::CutOff();
			const uint8* literal = data + position;
			for (uint32 i = 0; i < value; i++) {
				uint32 color;
				if (fCompression == kRle4)
					color = fPalette[(i & 1) ? literal[i / 2] & 0x0f : literal[i / 2] >> 4];
				else if (fCompression == kOs2Rle24)
					color = PackColor(literal[3 * i + 2], literal[3 * i + 1], literal[3 * i]);
				else
					color = fPalette[literal[i]];
				if (!put(color))
					return runsPast();
			}
			position += padded > size - position ? size - position : padded;
			continue;
		}
		}
	}
	fPixelBytesUsed = position;
	return {};
}

Result<void>
DibDecoder::ApplyAndMask(DecodedImage& image)
{
	int32 width = image.Width();
	int32 height = image.Height();
	uint64 stride = RowBytes(width, 1);
	uint64 start = uint64(fPixelOffset) + fPixelBytesUsed;
	if (start > fSource.size || (fSource.size - start) / stride < uint64(height))
		return Refusal::CutOff();
	const uint8* mask = fSource.data + start;
	for (int32 row = 0; row < height; row++) {
		const uint8* bits = mask + row * stride;
		int32 y = fTopDown ? row : height - 1 - row;
		for (int32 x = 0; x < width; x++) {
			if ((bits[x / 8] >> (7 - x % 8)) & 1)
				image.SetPixel(x, y, 0);
		}
	}
	return {};
}

Result<PixelKind>
DibDecoder::Decode(DecodedImage& image)
{
	if (Result<void> header = ReadHeader(); !header)
		return header.TakeError();
	if (Result<void> palette = ReadMasksAndPalette(); !palette)
		return palette.TakeError();
	if (fWidth <= 0 || fHeight <= 0)
		return Refusal::Damaged(fSource.formatName, "its header gives no pixels");

	bool runLength = fCompression == kRle8 || fCompression == kRle4
		|| (fOs2 && fCompression == kOs2Rle24);
	if (!runLength) {
		// Checked before the pixels are reserved: a short file cannot claim
		// a large image. The padding after the last row may be missing.
		uint64 stride = RowBytes(fWidth, fBitsPerPixel);
		uint64 lastRow = (uint64(fWidth) * uint64(fBitsPerPixel) + 7) / 8;
		uint64 available = fSource.size - fPixelOffset;
		if (available < lastRow || (available - lastRow) / stride < uint64(fHeight - 1)) {
			if (Result<void> fits = CheckImageSize(fWidth, fHeight); !fits)
				return fits.TakeError();
			return Refusal::CutOff();
		}
	}
	if (Result<void> pixels = image.Allocate(fWidth, fHeight); !pixels)
		return pixels.TakeError();
	if (runLength) {
		if (Result<void> decoded = DecodeRunLength(image); !decoded)
			return decoded.TakeError();
	} else {
		DecodeUncompressed(image);
	}

	bool hasAlpha = !runLength && fAlpha.mask != 0;
	if (hasAlpha && !image.AnyAlpha()) {
		// An alpha channel that is zero everywhere is unused, not invisible.
		image.MakeOpaque();
		hasAlpha = false;
	}
	if (fSource.layout == DibLayout::IconEntry && !hasAlpha) {
		// 32-bit entries with alpha need no mask, and some leave it out.
		if (Result<void> masked = ApplyAndMask(image); !masked)
			return masked.TakeError();
	}
	return fBitsPerPixel <= 8 ? PixelKind::Palette : PixelKind::TrueColor;
}

} // namespace BPrivate
