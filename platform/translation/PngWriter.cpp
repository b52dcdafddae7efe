// SPDX-License-Identifier: MIT
// Writing a bitmap as a PNG file's bytes in memory, for the clipboard: what
// other programs paste as a picture.

#include "TranslationUtils.h"

#include <SpaceConversion.h>

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <new>
#include <vector>

namespace BPrivate {

namespace {

// What one encode shares with libpng's callbacks. It lives outside the
// function that calls setjmp, so nothing with a destructor is skipped when
// libpng jumps back on an error.
struct PngEncode {
	std::string bytes;
	char message[200] = {};
	bool outOfMemory = false;
	std::vector<png_bytep> rows;
	png_structp png = nullptr;
	png_infop info = nullptr;

	~PngEncode() { png_destroy_write_struct(&png, &info); }
};

void
WriteData(png_structp png, png_bytep data, size_t length)
{
	auto* encode = static_cast<PngEncode*>(png_get_io_ptr(png));
	try {
		encode->bytes.append(reinterpret_cast<const char*>(data), length);
	} catch (const std::bad_alloc&) {
		encode->outOfMemory = true;
		png_error(png, "out of memory");
	}
}

void
FlushData(png_structp)
{ }

[[noreturn]] void
OnError(png_structp png, png_const_charp message)
{
	auto* encode = static_cast<PngEncode*>(png_get_error_ptr(png));
	std::strncpy(encode->message, message, sizeof(encode->message) - 1);
	png_longjmp(png, 1);
}

void
OnWarning(png_structp, png_const_charp)
{ }

// Every row of `pixels` (B_RGBA32: B, G, R, A) as 8-bit RGBA; libpng leaves
// through longjmp, so no object with a destructor may be made here.
Result<void>
Encode(PngEncode& encode, const BBitmap& pixels)
{
	png_structp png = encode.png;
	png_infop info = encode.info;
	if (setjmp(png_jmpbuf(png))) {
		if (encode.outOfMemory)
			return Failure(B_NO_MEMORY, "there is not enough memory for the PNG image");
		return Failure(B_ERROR, encode.message);
	}
	png_set_write_fn(png, &encode, WriteData, FlushData);
	// The clipboard wants the picture soon more than small.
	png_set_compression_level(png, 3);
	png_set_IHDR(png, info, png_uint_32(pixels.Width()), png_uint_32(pixels.Height()), 8,
		PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
		PNG_FILTER_TYPE_DEFAULT);
	png_write_info(png, info);
	png_set_bgr(png);
	png_write_image(png, encode.rows.data());
	png_write_end(png, info);
	return {};
}

} // namespace

Result<std::string>
EncodePng(const BBitmap& bitmap)
{
	if (!bitmap.IsValid() || bitmap.Width() <= 0 || bitmap.Height() <= 0)
		return Failure(B_BAD_VALUE, "there is no image");
	// Straight alpha, with each space's transparency as the window shows it.
	std::unique_ptr<BBitmap> pixels = BitmapInSpace(bitmap, SpaceConversion{B_RGBA32});
	if (!pixels)
		return Failure(B_NO_MEMORY, "there is not enough memory for the PNG image");
	try {
		PngEncode encode;
		encode.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &encode, OnError, OnWarning);
		if (encode.png != nullptr)
			encode.info = png_create_info_struct(encode.png);
		if (encode.info == nullptr)
			return Failure(B_NO_MEMORY, "there is not enough memory for the PNG image");
		auto* bits = static_cast<png_bytep>(pixels->Bits());
		encode.rows.resize(size_t(pixels->Height()));
		for (size_t row = 0; row < encode.rows.size(); row++)
			encode.rows[row] = bits + row * size_t(pixels->BytesPerRow());
		if (Result<void> written = Encode(encode, *pixels); !written)
			return written.TakeError();
		return std::move(encode.bytes);
	} catch (const std::bad_alloc&) {
		return Failure(B_NO_MEMORY, "there is not enough memory for the PNG image");
	}
}

} // namespace BPrivate
