// SPDX-License-Identifier: MIT
#include "PngReader.h"

#include "BitmapBuilder.h"
#include "DecodeLimits.h"
#include "Refusal.h"

#include <PageMemory.h>

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <vector>

namespace BPrivate {

namespace {

constexpr uint8 kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

// What one decode shares with libpng's callbacks. It lives outside the
// function that calls setjmp, so nothing with a destructor is skipped when
// libpng jumps back on an error.
struct PngDecode {
	const ImageData* image = nullptr;
	size_t position = 0;
	bool cutOff = false;
	char message[200] = {};

	png_structp png = nullptr;
	png_infop info = nullptr;

	png_uint_32 width = 0;
	png_uint_32 height = 0;
	int colorType = 0;
	int bitDepth = 0;
	bool hasTransparency = false;

	// The image's rows as libpng delivers them after the transformations.
	std::vector<png_bytep> rows;
	PageMemory pixels;
	int32 bytesPerRow = 0;
	std::unique_ptr<BBitmap> bitmap;

	uint32 palette[256] = {};
	int32 paletteSize = 0;

	~PngDecode() { png_destroy_read_struct(&png, &info, nullptr); }
};

void
ReadData(png_structp png, png_bytep out, size_t length)
{
	auto* decode = static_cast<PngDecode*>(png_get_io_ptr(png));
	const ImageData& image = *decode->image;
	if (length > image.size - decode->position) {
		decode->cutOff = true;
		png_error(png, "cut off");
	}
	std::memcpy(out, image.data + decode->position, length);
	decode->position += length;
}

[[noreturn]] void
OnError(png_structp png, png_const_charp message)
{
	auto* decode = static_cast<PngDecode*>(png_get_error_ptr(png));
	std::strncpy(decode->message, message, sizeof(decode->message) - 1);
	png_longjmp(png, 1);
}

void
OnWarning(png_structp, png_const_charp)
{
	// Warnings are about data libpng could read past; they go nowhere.
}

enum class Layout {
	Palette,
	Gray,
	Direct,
	DirectWithAlpha
};

Layout
LayoutOf(const PngDecode& decode)
{
	if (decode.colorType == PNG_COLOR_TYPE_PALETTE)
		return Layout::Palette;
	if (decode.colorType == PNG_COLOR_TYPE_GRAY && !decode.hasTransparency)
		return Layout::Gray;
	if ((decode.colorType & PNG_COLOR_MASK_ALPHA) != 0 || decode.hasTransparency)
		return Layout::DirectWithAlpha;
	return Layout::Direct;
}

// The refusal for what stopped libpng.
Failure
LibraryFailure(const PngDecode& decode)
{
	return decode.cutOff ? Refusal::CutOff() : Refusal::Damaged("PNG", decode.message);
}

// Reads the header, sets libpng's transformations for the layout the image
// needs and decodes every row; the refusal when libpng stopped on an error
// or a limit. libpng leaves through longjmp, so no object with a
// destructor may be alive here while libpng runs.
Result<void>
Decode(PngDecode& decode)
{
	png_structp png = decode.png;
	png_infop info = decode.info;
	if (setjmp(png_jmpbuf(png)))
		return LibraryFailure(decode);

	png_set_read_fn(png, &decode, ReadData);
	// The size is judged below, by the kit's own rule and with its message.
	png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
	png_set_chunk_malloc_max(png, kMaxMetadataBytes);
	png_set_chunk_cache_max(png, 128);
	// Every ancillary chunk but tRNS is skipped without being kept: text,
	// profiles, gamma and the rest are not applied.
	png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
	png_read_info(png, info);

	int interlace = 0;
	png_get_IHDR(png, info, &decode.width, &decode.height, &decode.bitDepth, &decode.colorType,
		&interlace, nullptr, nullptr);
	if (Result<void> fits = CheckImageSize(decode.width, decode.height); !fits)
		return fits;
	decode.hasTransparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
	const int32 width = int32(decode.width);
	const int32 height = int32(decode.height);

	Layout layout = LayoutOf(decode);
	if (layout == Layout::Palette) {
		png_colorp colors = nullptr;
		int count = 0;
		png_get_PLTE(png, info, &colors, &count);
		png_bytep alphas = nullptr;
		int alphaCount = 0;
		if (decode.hasTransparency)
			png_get_tRNS(png, info, &alphas, &alphaCount, nullptr);
		decode.paletteSize = count;
		for (int i = 0; i < count && i < 256; i++) {
			uint32 alpha = i < alphaCount ? alphas[i] : 255;
			decode.palette[i] = uint32(colors[i].blue) | uint32(colors[i].green) << 8
				| uint32(colors[i].red) << 16 | alpha << 24;
		}
		png_set_packing(png);
		decode.bytesPerRow = (width + 3) & ~3;
	} else if (layout == Layout::Gray) {
		png_set_expand_gray_1_2_4_to_8(png);
		png_set_scale_16(png);
		decode.bytesPerRow = (width + 3) & ~3;
	} else {
		// tRNS becomes alpha while the samples still have their full depth,
		// so 16-bit colour keys match exactly; then 16 bits are rounded.
		png_set_expand(png);
		png_set_scale_16(png);
		png_set_gray_to_rgb(png);
		png_set_bgr(png);
		png_set_filler(png, 0xff, PNG_FILLER_AFTER);
		decode.bytesPerRow = width * 4;
	}
	if (interlace != PNG_INTERLACE_NONE)
		png_set_interlace_handling(png);
	png_read_update_info(png, info);
	if (png_get_rowbytes(png, info) > size_t(decode.bytesPerRow)) {
		png_error(png, "unexpected row length");
	}

	decode.rows.resize(size_t(height));
	if (layout == Layout::Direct) {
		// Opaque colour goes straight into the bitmap.
		decode.bitmap = std::make_unique<BBitmap>(
			BRect(0, 0, float(width - 1), float(height - 1)), B_RGB32);
		if (!decode.bitmap->IsValid())
			return Refusal::NoMemory();
		auto* bits = static_cast<uint8*>(decode.bitmap->Bits());
		for (int32 y = 0; y < height; y++)
			decode.rows[size_t(y)] = bits + int64(y) * decode.bitmap->BytesPerRow();
	} else {
		decode.pixels = AllocatePageMemory(size_t(decode.bytesPerRow) * size_t(height));
		if (!decode.pixels)
			return Refusal::NoMemory();
		for (int32 y = 0; y < height; y++)
			decode.rows[size_t(y)] = decode.pixels.get() + int64(y) * decode.bytesPerRow;
	}
	png_read_image(png, decode.rows.data());
	// What follows the image data is not read: a damaged trailer does not
	// spoil a complete image.
	return {};
}

} // namespace

bool
PngReader::Recognizes(const ImageData& image) const
{
	return image.size >= sizeof(kSignature)
		&& std::memcmp(image.data, kSignature, sizeof(kSignature)) == 0;
}

BitmapResult
PngReader::Read(const ImageData& image) const
{
	PngDecode decode;
	decode.image = &image;
	decode.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &decode, OnError, OnWarning);
	if (decode.png == nullptr)
		return Refusal::NoMemory();
	decode.info = png_create_info_struct(decode.png);
	if (decode.info == nullptr)
		return Refusal::NoMemory();
	if (Result<void> decoded = Decode(decode); !decoded)
		return decoded.TakeError();
	const int32 width = int32(decode.width);
	const int32 height = int32(decode.height);
	switch (LayoutOf(decode)) {
	case Layout::Direct:
		return std::move(decode.bitmap);
	case Layout::Gray:
		decode.bitmap = BitmapFromGray(decode.pixels.get(), decode.bytesPerRow, width, height);
		break;
	case Layout::Palette:
		decode.bitmap = BitmapFromPalette(decode.pixels.get(), decode.bytesPerRow, width, height,
			decode.palette, decode.paletteSize);
		break;
	case Layout::DirectWithAlpha:
		decode.bitmap = BitmapFromTrueColor(
			decode.pixels.get(), decode.bytesPerRow, width, height, PixelOrigin::TrueColor);
		break;
	}
	if (!decode.bitmap)
		return Refusal::NoMemory();
	return std::move(decode.bitmap);
}

} // namespace BPrivate
