// SPDX-License-Identifier: MIT
#include "BmpReader.h"

#include "ByteOrder.h"
#include "DecodedImage.h"
#include "DibDecoder.h"
#include "Refusal.h"

namespace BPrivate {

namespace {

constexpr size_t kFileHeaderSize = 14;

} // namespace

bool
BmpReader::Recognizes(const ImageData& image) const
{
	if (image.size < kFileHeaderSize + 4 || image.data[0] != 'B' || image.data[1] != 'M')
		return false;
	uint32 headerSize = ReadLE32(image.data + kFileHeaderSize);
	return headerSize == 12 || (headerSize >= 16 && headerSize <= 64) || headerSize == 108
		|| headerSize == 124;
}

BitmapResult
BmpReader::Read(const ImageData& image) const
{
	if (!Recognizes(image))
		return Refusal::NotA("a BMP file");
	DibSource source{
		image.data, image.size, kFileHeaderSize, ReadLE32(image.data + 10), DibLayout::File, "BMP"};
	return DecodeToBitmap(DibDecoder(source));
}

} // namespace BPrivate
