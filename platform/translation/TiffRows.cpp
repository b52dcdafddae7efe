// SPDX-License-Identifier: MIT
#include "TiffRows.h"

#include "BitmapBuilder.h"
#include "PixelRules.h"
#include "Refusal.h"

#include <PageMemory.h>

// Our integer types, not the library's old ones of the same names.
#define TIFF_DISABLE_DEPRECATED
#include <tiffio.h>

#include <vector>

namespace BPrivate {

namespace {

// Samples before the extra ones.
int
BaseSamples(uint16 photometric)
{
	switch (photometric) {
	case PHOTOMETRIC_MINISBLACK:
	case PHOTOMETRIC_MINISWHITE:
		return 1;
	case PHOTOMETRIC_RGB:
		return 3;
	case PHOTOMETRIC_SEPARATED:
		return 4;
	default:
		return 0;
	}
}

enum class Alpha {
	None,
	Straight,
	Premultiplied
};

Alpha
AlphaOf(const TiffLayout& layout)
{
	if (layout.extraCount == 0 || layout.samples <= BaseSamples(layout.photometric))
		return Alpha::None;
	// An unspecified extra sample right after the colour is taken for
	// straight alpha, as the tools that write one mean it.
	return layout.firstExtra == EXTRASAMPLE_ASSOCALPHA ? Alpha::Premultiplied : Alpha::Straight;
}

} // namespace

bool
TiffRowReader::Handles(const TiffLayout& layout)
{
	int base = BaseSamples(layout.photometric);
	if (base == 0 || layout.samples < base || layout.tiled || layout.planar != PLANARCONFIG_CONTIG
		|| layout.sampleFormat != SAMPLEFORMAT_UINT || (layout.bits != 8 && layout.bits != 16)) {
		return false;
	}
	return layout.photometric != PHOTOMETRIC_SEPARATED || layout.inkSet == INKSET_CMYK;
}

Result<std::unique_ptr<BBitmap>>
TiffRowReader::Read(TIFF* tiff, const TiffLayout& layout)
{
	const int32 width = layout.width, height = layout.height;
	const Alpha alpha = AlphaOf(layout);
	const bool gray = layout.photometric == PHOTOMETRIC_MINISBLACK
		|| layout.photometric == PHOTOMETRIC_MINISWHITE;
	const bool inverted = layout.photometric == PHOTOMETRIC_MINISWHITE;
	const int samples = layout.samples;

	// Opaque images go straight into the bitmap; with alpha, through B, G,
	// R, A rows that decide between B_RGB32 and B_RGBA32.
	std::unique_ptr<BBitmap> bitmap;
	PageMemory pixels;
	uint8* target = nullptr;
	int32 targetRow = 0;
	const BRect bounds(0, 0, float(width - 1), float(height - 1));
	if (alpha == Alpha::None) {
		bitmap = std::make_unique<BBitmap>(bounds, gray ? B_GRAY8 : B_RGB32);
		if (!bitmap->IsValid())
			return Refusal::NoMemory();
		target = static_cast<uint8*>(bitmap->Bits());
		targetRow = bitmap->BytesPerRow();
	} else {
		pixels = AllocatePageMemory(size_t(width) * size_t(height) * 4);
		if (!pixels)
			return Refusal::NoMemory();
		target = pixels.get();
		targetRow = width * 4;
	}

	std::vector<uint8> row(size_t(TIFFScanlineSize(tiff)));
	if (row.size() < size_t(width) * samples * (layout.bits / 8))
		return Failure(B_ILLEGAL_DATA);
	const uint16* wide = reinterpret_cast<const uint16*>(row.data());
	// Every sample at 16 bits (libtiff gives 16-bit samples in our byte
	// order); 8-bit ones are widened exactly (v * 257).
	auto sample = [&](int32 index) -> uint32 {
		return layout.bits == 16 ? wide[index] : uint32(row[size_t(index)]) * 257;
	};
	for (int32 y = 0; y < height; y++) {
		if (TIFFReadScanline(tiff, row.data(), uint32(y), 0) < 0)
			return Failure(B_ILLEGAL_DATA);
		uint8* out = target + int64(y) * targetRow;
		for (int32 x = 0; x < width; x++) {
			const int32 first = x * samples;
			uint32 a = alpha == Alpha::None ? 65535
											: sample(first + BaseSamples(layout.photometric));
			uint32 r, g, b;
			if (gray) {
				r = g = b = inverted ? 65535 - sample(first) : sample(first);
			} else if (layout.photometric == PHOTOMETRIC_RGB) {
				r = sample(first);
				g = sample(first + 1);
				b = sample(first + 2);
			} else {
				uint8 k = Narrow16(uint16(sample(first + 3)));
				r = CmykToChannel(Narrow16(uint16(sample(first))), k) * 257u;
				g = CmykToChannel(Narrow16(uint16(sample(first + 1))), k) * 257u;
				b = CmykToChannel(Narrow16(uint16(sample(first + 2))), k) * 257u;
			}
			if (gray && alpha == Alpha::None) {
				out[x] = Narrow16(uint16(r));
				continue;
			}
			uint8* p = out + 4 * x;
			if (alpha == Alpha::Premultiplied) {
				// From the samples at 16 bits, in one rounding.
				p[0] = Unpremultiply(b, a);
				p[1] = Unpremultiply(g, a);
				p[2] = Unpremultiply(r, a);
			} else {
				p[0] = Narrow16(uint16(b));
				p[1] = Narrow16(uint16(g));
				p[2] = Narrow16(uint16(r));
			}
			p[3] = Narrow16(uint16(a));
		}
	}
	if (bitmap)
		return bitmap;
	bitmap = BitmapFromTrueColor(pixels.get(), width * 4, width, height, PixelOrigin::TrueColor);
	if (!bitmap)
		return Refusal::NoMemory();
	return bitmap;
}

} // namespace BPrivate
