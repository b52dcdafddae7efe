// SPDX-License-Identifier: MIT
#include "TgaReader.h"

#include "ByteOrder.h"
#include "DecodeLimits.h"
#include "DecodedImage.h"
#include "PixelRules.h"
#include "Refusal.h"

#include <cstring>
#include <vector>

namespace BPrivate {

namespace {

constexpr size_t kHeaderSize = 18;
constexpr size_t kFooterSize = 26;
constexpr size_t kExtensionSize = 495;
constexpr char kSignature[] = "TRUEVISION-XFILE."; // with its NUL, 18 bytes

enum ImageType : uint8 {
	kColorMapped = 1,
	kTrueColor = 2,
	kGray = 3,
	kRunLength = 8 // added to the three above
};

// What the extension area's attribute type says of the alpha bits.
enum class AlphaMeaning {
	FromDepth,
	None,
	Straight,
	Premultiplied
};

struct Header {
	uint8 idLength;
	uint8 colorMapType;
	uint8 imageType;
	uint16 mapFirst;
	uint16 mapLength;
	uint8 mapEntryBits;
	int32 width;
	int32 height;
	uint8 depth;
	uint8 descriptor;

	uint8 BaseType() const { return imageType & ~kRunLength; }
	bool RunLength() const { return (imageType & kRunLength) != 0; }
	size_t MapEntryBytes() const { return (mapEntryBits + 7) / 8; }
	size_t MapBytes() const { return colorMapType == 1 ? MapEntryBytes() * mapLength : 0; }
	size_t PixelBytes() const { return (depth + 7) / 8; }
	size_t DataOffset() const { return kHeaderSize + idLength + MapBytes(); }
	int AlphaBits() const { return descriptor & 0x0f; }
	bool RightToLeft() const { return (descriptor & 0x10) != 0; }
	bool TopDown() const { return (descriptor & 0x20) != 0; }
};

Header
ParseHeader(const uint8* data)
{
	Header header;
	header.idLength = data[0];
	header.colorMapType = data[1];
	header.imageType = data[2];
	header.mapFirst = ReadLE16(data + 3);
	header.mapLength = ReadLE16(data + 5);
	header.mapEntryBits = data[7];
	header.width = ReadLE16(data + 12);
	header.height = ReadLE16(data + 14);
	header.depth = data[16];
	header.descriptor = data[17];
	return header;
}

bool
IsColorDepth(uint8 bits)
{
	return bits == 15 || bits == 16 || bits == 24 || bits == 32;
}

bool
IsPlausible(const Header& header, size_t size)
{
	if (header.colorMapType > 1 || header.width == 0 || header.height == 0)
		return false;
	// Bits 6 and 7 once chose interleaving, which nothing writes any more.
	if ((header.descriptor & 0xc0) != 0 || header.AlphaBits() > 8)
		return false;
	if (header.colorMapType == 1 && header.mapLength > 0 && !IsColorDepth(header.mapEntryBits))
		return false;
	uint8 type = header.imageType;
	if (type != 1 && type != 2 && type != 3 && type != 9 && type != 10 && type != 11)
		return false;
	switch (header.BaseType()) {
	case kColorMapped:
		if (header.colorMapType != 1 || header.mapLength == 0
			|| (header.depth != 8 && header.depth != 16))
			return false;
		break;
	case kTrueColor:
		if (!IsColorDepth(header.depth))
			return false;
		break;
	default:
		if (header.depth != 8 && header.depth != 16)
			return false;
		break;
	}
	return size > header.DataOffset();
}

AlphaMeaning
ReadAlphaMeaning(const uint8* data, size_t size)
{
	if (size < kHeaderSize + kFooterSize
		|| std::memcmp(data + size - sizeof(kSignature), kSignature, sizeof(kSignature)) != 0)
		return AlphaMeaning::FromDepth;
	uint32 extension = ReadLE32(data + size - kFooterSize);
	if (extension < kHeaderSize || extension > size - kFooterSize
		|| size - kFooterSize - extension < kExtensionSize
		|| ReadLE16(data + extension) < kExtensionSize)
		return AlphaMeaning::FromDepth;
	switch (data[extension + kExtensionSize - 1]) {
	case 3:
		return AlphaMeaning::Straight;
	case 4:
		return AlphaMeaning::Premultiplied;
	default:
		// 0: no alpha; 1 and 2: the bits are not alpha, whatever they hold.
		return AlphaMeaning::None;
	}
}

// A 15/16/24/32-bit colour. `alphaBit` tells whether the top bit of a
// 16-bit colour is alpha.
uint32
ReadColor(const uint8* bytes, int bits, bool alpha)
{
	switch (bits) {
	case 15:
	case 16: {
		uint16 value = ReadLE16(bytes);
		uint8 opacity = !alpha || bits == 15 || (value & 0x8000) ? 255 : 0;
		return PackColor(WidenBits((value >> 10) & 0x1f, 5), WidenBits((value >> 5) & 0x1f, 5),
			WidenBits(value & 0x1f, 5), opacity);
	}
	case 24:
		return PackColor(bytes[2], bytes[1], bytes[0]);
	default:
		return PackColor(bytes[2], bytes[1], bytes[0], alpha ? bytes[3] : 255);
	}
}

class TgaDecoder {
public:
	TgaDecoder(const ImageData& image, const Header& header) : fImage(image), fHeader(header) { }

	// Decodes into `pixels` and answers what they stand for, or the refusal.
	Result<PixelKind> Decode(DecodedImage& pixels);

private:
	uint32 ReadPixel(const uint8* bytes) const;
	void Place(DecodedImage& pixels, int64 index, uint32 color) const;

	const ImageData& fImage;
	Header fHeader;
	bool fAlpha = false;
	std::vector<uint32> fMap;
};

uint32
TgaDecoder::ReadPixel(const uint8* bytes) const
{
	switch (fHeader.BaseType()) {
	case kColorMapped: {
		uint32 index = fHeader.depth == 8 ? bytes[0] : ReadLE16(bytes);
		// Indices count from the map's first entry; one outside the map
		// names no colour and stays transparent.
		if (index < fHeader.mapFirst || index - fHeader.mapFirst >= fMap.size())
			return 0;
		return fMap[index - fHeader.mapFirst];
	}
	case kTrueColor:
		return ReadColor(bytes, fHeader.depth, fAlpha);
	default:
		return PackColor(
			bytes[0], bytes[0], bytes[0], fHeader.depth == 16 && fAlpha ? bytes[1] : 255);
	}
}

void
TgaDecoder::Place(DecodedImage& pixels, int64 index, uint32 color) const
{
	int32 width = pixels.Width();
	int32 row = int32(index / width);
	int32 column = int32(index % width);
	int32 x = fHeader.RightToLeft() ? width - 1 - column : column;
	int32 y = fHeader.TopDown() ? row : pixels.Height() - 1 - row;
	pixels.SetPixel(x, y, color);
}

Result<PixelKind>
TgaDecoder::Decode(DecodedImage& pixels)
{
	const uint8* data = fImage.data;
	size_t size = fImage.size;
	AlphaMeaning meaning = ReadAlphaMeaning(data, size);
	if (meaning == AlphaMeaning::FromDepth) {
		int bits = fHeader.BaseType() == kColorMapped ? fHeader.mapEntryBits : fHeader.depth;
		fAlpha = bits == 32 || (fHeader.BaseType() == kGray && bits == 16)
			|| (bits == 16 && fHeader.AlphaBits() > 0);
	} else {
		fAlpha = meaning != AlphaMeaning::None;
	}

	if (fHeader.BaseType() == kColorMapped) {
		size_t mapStart = kHeaderSize + fHeader.idLength;
		if (size < mapStart + fHeader.MapBytes())
			return Refusal::CutOff();
		fMap.resize(fHeader.mapLength);
		for (size_t i = 0; i < fMap.size(); i++) {
			fMap[i] = ReadColor(
				data + mapStart + i * fHeader.MapEntryBytes(), fHeader.mapEntryBits, fAlpha);
		}
	}

	// The least data the pixels need, checked before they are reserved:
	// every byte of a plain image, or one packet per 128 pixels.
	int64 count = int64(fHeader.width) * fHeader.height;
	size_t pixelBytes = fHeader.PixelBytes();
	size_t offset = fHeader.DataOffset();
	size_t available = size - offset;
	uint64 least = fHeader.RunLength() ? uint64((count + 127) / 128) * (1 + pixelBytes)
									   : uint64(count) * pixelBytes;
	if (available < least) {
		if (Result<void> fits = CheckImageSize(fHeader.width, fHeader.height); !fits)
			return fits.TakeError();
		return Refusal::CutOff();
	}
	if (Result<void> allocated = pixels.Allocate(fHeader.width, fHeader.height); !allocated)
		return allocated.TakeError();

	const uint8* source = data + offset;
	if (!fHeader.RunLength()) {
		for (int64 i = 0; i < count; i++)
			Place(pixels, i, ReadPixel(source + i * pixelBytes));
	} else {
		// Packets may run on from one row to the next; a packet that runs
		// past the last pixel is cut short there.
		size_t position = 0;
		int64 done = 0;
		while (done < count) {
			if (available - position < 1 + pixelBytes)
				return Refusal::CutOff();
			uint8 packet = source[position++];
			int64 length = (packet & 0x7f) + 1;
			if (length > count - done)
				length = count - done;
			if (packet & 0x80) {
				uint32 color = ReadPixel(source + position);
				position += pixelBytes;
				for (int64 i = 0; i < length; i++)
					Place(pixels, done++, color);
			} else {
				if (available - position < length * pixelBytes)
					return Refusal::CutOff();
				for (int64 i = 0; i < length; i++) {
					Place(pixels, done++, ReadPixel(source + position));
					position += pixelBytes;
				}
			}
		}
	}

	if (fAlpha && meaning == AlphaMeaning::FromDepth && !pixels.AnyAlpha()) {
		// Alpha bits that are zero everywhere were never filled in.
		pixels.MakeOpaque();
	}
	if (meaning == AlphaMeaning::Premultiplied) {
		for (int32 y = 0; y < pixels.Height(); y++) {
			uint8* row = pixels.Row(y);
			for (int32 x = 0; x < pixels.Width(); x++) {
				uint8* pixel = row + 4 * x;
				for (int channel = 0; channel < 3; channel++)
					pixel[channel] = Unpremultiply(pixel[channel], pixel[3]);
			}
		}
	}
	switch (fHeader.BaseType()) {
	case kColorMapped:
		return PixelKind::Palette;
	case kTrueColor:
		return PixelKind::TrueColor;
	default:
		return PixelKind::Gray;
	}
}

} // namespace

bool
TgaReader::Recognizes(const ImageData& image) const
{
	return image.size >= kHeaderSize && IsPlausible(ParseHeader(image.data), image.size);
}

BitmapResult
TgaReader::Read(const ImageData& image) const
{
	if (!Recognizes(image))
		return Refusal::NotA("a TGA file");
	return DecodeToBitmap(TgaDecoder(image, ParseHeader(image.data)));
}

} // namespace BPrivate
