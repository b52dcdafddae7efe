// SPDX-License-Identifier: MIT
#include "ImageRows.h"

#include <cstring>

namespace {

constexpr uint32 kOpaque = 0xff000000u;

} // namespace

ImageRows::ImageRows(const BBitmap& bitmap)
	: fBitmap(bitmap), fWidth(bitmap.Width()), fHeight(bitmap.Height()),
	  fValid(bitmap.IsValid() && bitmap.Bits() != nullptr && fWidth > 0 && fHeight > 0)
{
	if (!fValid)
		return;
	fRow.resize(size_t(fWidth));
	color_space space = bitmap.ColorSpace();
	if (space != B_RGB32 && space != B_RGBA32) {
		fScratch = std::make_unique<BBitmap>(BRect(0, 0, float(fWidth - 1), 0), B_RGBA32);
		fValid = fScratch->IsValid();
	}
}

ImageRows::~ImageRows() = default;

const uint32*
ImageRows::Row(int32 y)
{
	const uint8* bits = static_cast<const uint8*>(fBitmap.Bits())
		+ int64(y) * fBitmap.BytesPerRow();
	size_t bytes = fRow.size() * sizeof(uint32);
	if (fScratch) {
		fScratch->SetBits(bits, fBitmap.BytesPerRow(), 0, fBitmap.ColorSpace());
		std::memcpy(fRow.data(), fScratch->Bits(), bytes);
		return fRow.data();
	}
	std::memcpy(fRow.data(), bits, bytes);
	if (fBitmap.ColorSpace() == B_RGB32) {
		// The alpha byte of B_RGB32 means nothing but in the transparent value.
		for (uint32& pixel : fRow) {
			if (pixel != B_TRANSPARENT_MAGIC_RGBA32)
				pixel |= kOpaque;
		}
	}
	return fRow.data();
}
