#include "TgaTranslator.h"

#include "BitmapBuilder.h"

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

constexpr char kFooterSignature[] = "TRUEVISION-XFILE.";

bool HasTgaName(const std::string& extension)
{
	return extension == "tga" || extension == "icb" || extension == "vda" || extension == "vst";
}

bool HasTgaFooter(const ImageSource& source)
{
	// The footer ends in the signature and a NUL.
	constexpr size_t length = sizeof(kFooterSignature);
	return source.size >= 18 + length
		&& std::memcmp(source.data + source.size - length, kFooterSignature, length) == 0;
}

bool ReadDimensions(const ImageSource& source, int& width, int& height, int& channels)
{
	if (source.size > size_t(INT_MAX))
		return false;
	return stbi_info_from_memory(source.data, int(source.size), &width, &height, &channels)
		!= 0;
}

// Image types 1 (colour-mapped) and 9 (colour-mapped, RLE).
bool IsColorMapped(const ImageSource& source)
{
	return source.size > 2 && (source.data[2] == 1 || source.data[2] == 9);
}

struct StbPixels {
	stbi_uc* data = nullptr;
	~StbPixels() { stbi_image_free(data); }
};

} // namespace

float TgaTranslator::Identify(const ImageSource& source) const
{
	if (!HasTgaName(source.extension) && !HasTgaFooter(source))
		return 0.0f;
	int width, height, channels;
	return ReadDimensions(source, width, height, channels) ? 0.8f : 0.0f;
}

std::unique_ptr<BBitmap> TgaTranslator::Translate(const ImageSource& source) const
{
	int width, height, channels;
	if (!ReadDimensions(source, width, height, channels) || width <= 0 || height <= 0
		|| int64(width) * height > kMaxImagePixels) {
		return nullptr;
	}
	StbPixels pixels;
	pixels.data = stbi_load_from_memory(source.data, int(source.size), &width, &height,
		&channels, 0);
	if (pixels.data == nullptr)
		return nullptr;
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
