// SPDX-License-Identifier: MIT
#include "DecodedImage.h"

#include "BitmapBuilder.h"
#include "DecodeLimits.h"
#include "Refusal.h"

#include <new>

namespace BPrivate {

Result<void>
DecodedImage::Allocate(int64 width, int64 height)
{
	if (Result<void> fits = CheckImageSize(width, height); !fits)
		return fits;
	try {
		fPixels.assign(size_t(width) * size_t(height) * 4, 0);
	} catch (const std::bad_alloc&) {
		return Refusal::NoMemory("pixels");
	}
	fWidth = int32(width);
	fHeight = int32(height);
	return {};
}

void
DecodedImage::SetPixel(int32 x, int32 y, uint32 color)
{
	uint8* pixel = Row(y) + 4 * size_t(x);
	pixel[0] = uint8(color);
	pixel[1] = uint8(color >> 8);
	pixel[2] = uint8(color >> 16);
	pixel[3] = uint8(color >> 24);
}

uint32
DecodedImage::Pixel(int32 x, int32 y) const
{
	const uint8* pixel = fPixels.data() + (size_t(y) * size_t(fWidth) + size_t(x)) * 4;
	return PackColor(pixel[2], pixel[1], pixel[0], pixel[3]);
}

bool
DecodedImage::AnyAlpha() const
{
	for (size_t i = 3; i < fPixels.size(); i += 4) {
		if (fPixels[i] != 0)
			return true;
	}
	return false;
}

void
DecodedImage::MakeOpaque()
{
	for (size_t i = 3; i < fPixels.size(); i += 4)
		fPixels[i] = 255;
}

bool
DecodedImage::IsOpaqueGray() const
{
	for (size_t i = 0; i < fPixels.size(); i += 4) {
		const uint8* pixel = &fPixels[i];
		if (pixel[3] != 255 || pixel[0] != pixel[1] || pixel[1] != pixel[2])
			return false;
	}
	return true;
}

// Rewrites the pixels as one grey byte each at the front of the buffer. The
// grey byte of pixel i lands at i, never past the four bytes it comes from,
// so the rewrite needs no second buffer.
void
DecodedImage::CompactToGray()
{
	size_t count = fPixels.size() / 4;
	for (size_t i = 0; i < count; i++)
		fPixels[i] = fPixels[4 * i];
}

Result<std::unique_ptr<BBitmap>>
DecodedImage::TakeBitmap(PixelKind kind)
{
	if (fPixels.empty())
		return Refusal::NoPixels();
	std::unique_ptr<BBitmap> bitmap;
	if (kind != PixelKind::TrueColor && IsOpaqueGray()) {
		CompactToGray();
		if (kind == PixelKind::Gray) {
			bitmap = BitmapFromGray(fPixels.data(), fWidth, fWidth, fHeight);
		} else {
			// Grey palette images still become B_CMAP8 when every grey is a
			// map colour.
			uint32 grays[256];
			for (uint32 level = 0; level < 256; level++)
				grays[level] = PackColor(uint8(level), uint8(level), uint8(level));
			bitmap = BitmapFromIndexed(fPixels.data(), fWidth, fWidth, fHeight, grays, 256);
		}
	} else {
		bitmap = BitmapFromTrueColor(fPixels.data(), fWidth * 4, fWidth, fHeight,
			kind == PixelKind::Palette ? PixelOrigin::Palette : PixelOrigin::TrueColor);
	}
	fPixels.clear();
	fPixels.shrink_to_fit();
	fWidth = fHeight = 0;
	if (!bitmap)
		return Refusal::NoMemory("bitmap");
	return bitmap;
}

} // namespace BPrivate
