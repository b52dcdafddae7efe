#include "BmpReader.h"

#include "ByteOrder.h"
#include "DecodedImage.h"
#include "DibDecoder.h"
#include "Refusal.h"

namespace BPrivate {

namespace {

constexpr size_t kFileHeaderSize = 14;

} // namespace

bool BmpReader::Recognizes(const ImageData& image) const
{
	if (image.size < kFileHeaderSize + 4 || image.data[0] != 'B' || image.data[1] != 'M')
		return false;
	uint32 headerSize = ReadLE32(image.data + kFileHeaderSize);
	return headerSize == 12 || (headerSize >= 16 && headerSize <= 64) || headerSize == 108
		|| headerSize == 124;
}

std::unique_ptr<BBitmap> BmpReader::Read(const ImageData& image,
	BTranslationFailure& failure) const
{
	if (!Recognizes(image)) {
		failure = Refusal::NotA("a BMP file");
		return nullptr;
	}
	DibSource source{image.data, image.size, kFileHeaderSize,
		ReadLE32(image.data + 10), DibLayout::File, "BMP"};
	DecodedImage pixels;
	PixelKind kind = PixelKind::TrueColor;
	if (!DibDecoder(source).Decode(pixels, kind, failure))
		return nullptr;
	return pixels.TakeBitmap(kind, failure);
}

} // namespace BPrivate
