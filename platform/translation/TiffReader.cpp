// SPDX-License-Identifier: MIT
#include "TiffReader.h"

#include "BitmapBuilder.h"
#include "DecodeLimits.h"
#include "PixelRules.h"
#include "Refusal.h"
#include "TiffRows.h"

#include <PageMemory.h>

// Our integer types, not the library's old ones of the same names.
#define TIFF_DISABLE_DEPRECATED
#include <tiffio.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace BPrivate {

namespace {

// The file in memory and what the library said about it.
struct TiffSource {
	const ImageData* image;
	uint64 position = 0;
	bool cutOff = false;
	char message[200] = {};
};

tmsize_t
ReadData(thandle_t handle, void* out, tmsize_t length)
{
	auto* source = static_cast<TiffSource*>(handle);
	if (length < 0)
		return -1;
	uint64 left = source->position < source->image->size ? source->image->size - source->position
														 : 0;
	uint64 count = uint64(length) < left ? uint64(length) : left;
	if (count < uint64(length))
		source->cutOff = true;
	std::memcpy(out, source->image->data + source->position, size_t(count));
	source->position += count;
	return tmsize_t(count);
}

tmsize_t
WriteData(thandle_t, void*, tmsize_t)
{
	return -1;
}

toff_t
SeekData(thandle_t handle, toff_t offset, int whence)
{
	auto* source = static_cast<TiffSource*>(handle);
	uint64 base = whence == SEEK_CUR ? source->position
		: whence == SEEK_END         ? source->image->size
									 : 0;
	source->position = base + offset;
	return source->position;
}

int
CloseData(thandle_t)
{
	return 0;
}

toff_t
SizeOfData(thandle_t handle)
{
	return static_cast<TiffSource*>(handle)->image->size;
}

// The first error is the reason a read fails. libtiff sends a few of its
// warnings through this channel too, their text starting "Warning"; they
// are dropped as the warnings are.
int
OnError(TIFF*, void* user, const char*, const char* format, va_list arguments)
{
	auto* source = static_cast<TiffSource*>(user);
	if (std::strncmp(format, "Warning", 7) == 0)
		return 1;
	if (source->message[0] == '\0')
		std::vsnprintf(source->message, sizeof(source->message), format, arguments);
	return 1;
}

int
OnWarning(TIFF*, void*, const char*, const char*, va_list)
{
	return 1;
}

struct TiffCloser {
	void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};

using TiffFile = std::unique_ptr<TIFF, TiffCloser>;

// Opens the data with the library's largest single allocation held to
// `maxAllocation`; its errors are kept in `source`, its warnings dropped.
TiffFile
Open(TiffSource& source, tmsize_t maxAllocation)
{
	TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
	if (options == nullptr)
		return nullptr;
	TIFFOpenOptionsSetMaxSingleMemAlloc(options, maxAllocation);
	TIFFOpenOptionsSetErrorHandlerExtR(options, OnError, &source);
	TIFFOpenOptionsSetWarningHandlerExtR(options, OnWarning, &source);
	source.position = 0;
	source.cutOff = false;
	source.message[0] = '\0';
	// "m": the data is read through ReadData, never mapped.
	TIFF* tiff = TIFFClientOpenExt("image", "rm", &source, ReadData, WriteData, SeekData, CloseData,
		SizeOfData, nullptr, nullptr, options);
	TIFFOpenOptionsFree(options);
	return TiffFile(tiff);
}

// The refusal for what the library reported.
Failure
LibraryFailure(const TiffSource& source)
{
	return source.cutOff ? Refusal::CutOff() : Refusal::Damaged("TIFF", source.message);
}

} // namespace

bool
TiffReader::Recognizes(const ImageData& image) const
{
	if (image.size < 4)
		return false;
	const uint8* d = image.data;
	return (d[0] == 'I' && d[1] == 'I' && (d[2] == 42 || d[2] == 43) && d[3] == 0)
		|| (d[0] == 'M' && d[1] == 'M' && d[2] == 0 && (d[3] == 42 || d[3] == 43));
}

BitmapResult
TiffReader::Read(const ImageData& image) const
{
	TiffSource source{&image};
	uint32 width = 0, height = 0;
	{
		// First only the directory, to learn the size the limits depend on.
		TiffFile tiff = Open(source, tmsize_t(kDecodeOverhead));
		if (!tiff)
			return LibraryFailure(source);
		TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width);
		TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height);
		if (Result<void> fits = CheckImageSize(width, height); !fits)
			return fits.TakeError();
	}
	const size_t pixels = size_t(width) * height;
	TiffFile tiff = Open(source, tmsize_t(kDecodeOverhead + pixels * 8));
	if (!tiff)
		return LibraryFailure(source);
	TIFF* t = tiff.get();
	TiffLayout layout;
	layout.width = int32(width);
	layout.height = int32(height);
	uint16* extraKinds = nullptr;
	TIFFGetFieldDefaulted(t, TIFFTAG_PHOTOMETRIC, &layout.photometric);
	TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLESPERPIXEL, &layout.samples);
	TIFFGetFieldDefaulted(t, TIFFTAG_BITSPERSAMPLE, &layout.bits);
	TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLEFORMAT, &layout.sampleFormat);
	TIFFGetFieldDefaulted(t, TIFFTAG_PLANARCONFIG, &layout.planar);
	TIFFGetFieldDefaulted(t, TIFFTAG_INKSET, &layout.inkSet);
	TIFFGetFieldDefaulted(t, TIFFTAG_EXTRASAMPLES, &layout.extraCount, &extraKinds);
	if (layout.extraCount > 0 && extraKinds != nullptr)
		layout.firstExtra = extraKinds[0];
	layout.tiled = TIFFIsTiled(t) != 0;
	const uint16 photometric = layout.photometric;
	const uint16 extraCount = extraKinds != nullptr ? layout.extraCount : 0;
	const int32 w = int32(width), h = int32(height);

	if (TiffRowReader::Handles(layout)) {
		BitmapResult bitmap = TiffRowReader::Read(t, layout);
		if (!bitmap && bitmap.Error().status == B_ILLEGAL_DATA)
			return LibraryFailure(source);
		return bitmap;
	}

	// The RGBA interface premultiplies unassociated alpha; told the alpha is
	// associated, it passes the stored (straight) values through unchanged.
	bool premultiplied = false;
	if (extraCount > 0 && extraKinds != nullptr) {
		if (extraKinds[0] == EXTRASAMPLE_UNASSALPHA) {
			std::vector<uint16> kinds(extraKinds, extraKinds + extraCount);
			kinds[0] = EXTRASAMPLE_ASSOCALPHA;
			TIFFSetField(t, TIFFTAG_EXTRASAMPLES, extraCount, kinds.data());
		} else if (extraKinds[0] == EXTRASAMPLE_ASSOCALPHA) {
			premultiplied = true;
		}
	}
	// Rows as stored, top first: the orientation tag is not applied.
	TIFFSetField(t, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);

	char message[1024] = {};
	if (!TIFFRGBAImageOK(t, message))
		return Refusal::UnsupportedKind("TIFF", message);
	TIFFRGBAImage reader;
	if (!TIFFRGBAImageBegin(&reader, t, 0, message))
		return LibraryFailure(source);
	reader.req_orientation = ORIENTATION_TOPLEFT;
	PageMemory raster = AllocatePageMemory(pixels * 4);
	if (!raster) {
		TIFFRGBAImageEnd(&reader);
		return Refusal::NoMemory();
	}
	bool read = TIFFRGBAImageGet(&reader, reinterpret_cast<uint32*>(raster.get()), width, height)
		!= 0;
	TIFFRGBAImageEnd(&reader);
	if (!read || source.message[0] != '\0')
		return LibraryFailure(source);
	tiff.reset();

	// The library gives R, G, B, A bytes; bitmaps hold B, G, R, A.
	uint8* p = raster.get();
	for (size_t i = 0; i < pixels; i++, p += 4) {
		uint8 red = p[0];
		p[0] = p[2];
		p[2] = red;
		if (premultiplied) {
			p[0] = Unpremultiply(p[0], p[3]);
			p[1] = Unpremultiply(p[1], p[3]);
			p[2] = Unpremultiply(p[2], p[3]);
		}
	}
	std::unique_ptr<BBitmap> bitmap;
	bool gray = (photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE)
		&& extraCount == 0;
	if (gray) {
		// One byte a pixel, gathered in place (each lands before it is read).
		for (size_t i = 0; i < pixels; i++)
			raster.get()[i] = raster.get()[4 * i + 1];
		bitmap = BitmapFromGray(raster.get(), w, w, h);
	} else {
		bitmap = BitmapFromTrueColor(raster.get(), w * 4, w, h,
			photometric == PHOTOMETRIC_PALETTE ? PixelOrigin::Palette : PixelOrigin::TrueColor);
	}
	if (!bitmap)
		return Refusal::NoMemory();
	return bitmap;
}

} // namespace BPrivate
