#include "TgaTranslator.h"

#include "BitmapBuilder.h"
#include "DecodeLimits.h"

#include <climits>
#include <cstring>
#include <vector>

// The one copy of stb_image in the program, with nothing but its TGA reader
// and no global failure text (which would be shared between threads).
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_TGA
#define STBI_NO_STDIO
#define STBI_NO_FAILURE_STRINGS
#include <stb_image.h>

namespace BPrivate {

namespace {

bool ReadDimensions(const ImageData& source, int& width, int& height, int& channels)
{
	if (source.size > size_t(INT_MAX))
		return false;
	return stbi_info_from_memory(source.data, int(source.size), &width, &height, &channels)
		!= 0;
}

// Image types 1 (colour-mapped) and 9 (colour-mapped, RLE).
bool IsColorMapped(const ImageData& source)
{
	return source.size > 2 && (source.data[2] == 1 || source.data[2] == 9);
}

struct StbPixels {
	stbi_uc* data = nullptr;
	~StbPixels() { stbi_image_free(data); }
};

} // namespace

// stb's own check: a known image type, colour map and pixel depth, and a
// size of at least one pixel.
bool TgaTranslator::Recognizes(const ImageData& image) const
{
	int width, height, channels;
	return ReadDimensions(image, width, height, channels);
}

std::unique_ptr<BBitmap> TgaTranslator::Read(const ImageData& source,
	BTranslationFailure& failure) const
{
	int width, height, channels;
	if (!ReadDimensions(source, width, height, channels)
		|| !CheckImageSize(width, height, failure)) {
		return nullptr;
	}
	StbPixels pixels;
	pixels.data = stbi_load_from_memory(source.data, int(source.size), &width, &height,
		&channels, 0);
	if (pixels.data == nullptr) {
		failure = {B_ILLEGAL_DATA, "is a damaged TGA file"};
		return nullptr;
	}
	if (channels == 1)
		return BitmapFromGray(pixels.data, width, width, height);

	// stb gives R, G, B(, A) or grey and alpha; Be colour spaces want B, G, R, A.
	std::vector<uint8> straight(size_t(width) * height * 4);
	const stbi_uc* in = pixels.data;
	uint8* out = straight.data();
	for (size_t i = 0; i < size_t(width) * height; i++, in += channels, out += 4) {
		switch (channels) {
			case 2:
				out[0] = out[1] = out[2] = in[0];
				out[3] = in[1];
				break;
			case 3:
				out[0] = in[2];
				out[1] = in[1];
				out[2] = in[0];
				out[3] = 255;
				break;
			default:
				out[0] = in[2];
				out[1] = in[1];
				out[2] = in[0];
				out[3] = in[3];
				break;
		}
	}
	return BitmapFromTrueColor(straight.data(), width * 4, width, height,
		IsColorMapped(source) ? PixelOrigin::Palette : PixelOrigin::TrueColor);
}

} // namespace BPrivate
