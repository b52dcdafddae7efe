// SPDX-License-Identifier: MIT
#include "Bitmap.h"

#include "ColorConversion.h"
#include "PageMemory.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

namespace {

// The pixel count of one side of the bounds: 0 for a side that is no side
// (inverted, not a number, infinite), and at most kMaxPixels + 1 so that
// longer sides are known to be too long without overflowing.
int64
SideLength(float low, float high)
{
	if (!std::isfinite(low) || !std::isfinite(high) || !(low <= high))
		return 0;
	double length = std::floor(double(high) - double(low)) + 1;
	return int64(std::min(length, double(BBitmap::kMaxPixels + 1)));
}

} // namespace

int32
bits_per_pixel_for(color_space colorSpace)
{
	switch (colorSpace) {
	case B_RGB32:
	case B_RGBA32:
	case B_RGB32_BIG:
	case B_RGBA32_BIG:
		return 32;
	case B_RGB24:
	case B_RGB24_BIG:
		return 24;
	case B_RGB16:
	case B_RGB15:
	case B_RGBA15:
	case B_RGB16_BIG:
	case B_RGB15_BIG:
	case B_RGBA15_BIG:
		return 16;
	case B_CMAP8:
	case B_GRAY8:
		return 8;
	case B_GRAY1:
		return 1;
	case B_NO_COLOR_SPACE:
		return 0;
	}
	return 0;
}

int32
bytes_per_row_for(color_space colorSpace, int32 width)
{
	int32 bits = bits_per_pixel_for(colorSpace);
	if (bits == 0 || width <= 0)
		return 0;
	int64 bytes = (int64(width) * bits + 7) / 8;
	bytes = (bytes + 3) & ~int64(3);
	return bytes <= INT32_MAX ? int32(bytes) : 0;
}

BBitmap::BBitmap(BRect bounds, color_space colorSpace, bool acceptsViews,
	bool /*needsContiguousMemory: every bitmap is one block of memory*/)
	: fBounds(bounds), fColorSpace(colorSpace), fAcceptsViews(acceptsViews)
{
	int64 width = SideLength(bounds.left, bounds.right);
	int64 height = SideLength(bounds.top, bounds.bottom);
	if (width == 0 || height == 0 || bits_per_pixel_for(colorSpace) == 0) {
		fInitStatus = B_BAD_VALUE;
		return;
	}
	if (width * height > kMaxPixels) {
		fInitStatus = B_NO_MEMORY;
		return;
	}
	int32 bytesPerRow = bytes_per_row_for(colorSpace, int32(width));
	int64 length = int64(bytesPerRow) * height;
	if (bytesPerRow == 0 || length > INT32_MAX) {
		fInitStatus = B_NO_MEMORY;
		return;
	}
	BPrivate::PageMemory bits = BPrivate::AllocatePageMemory(size_t(length));
	if (!bits) {
		fInitStatus = B_NO_MEMORY;
		return;
	}
	fBitsMapped = bits.get_deleter().mappedLength;
	fBits = bits.release();
	fBytesPerRow = bytesPerRow;
	fBitsLength = int32(length);
	fInitStatus = B_OK;
}

// The attached views go with fViewHost, which the interface kit's window
// side filled in, if it did; they may still draw into the pixels until then.
BBitmap::~BBitmap()
{
	delete fViewHost;
	if (fBits != nullptr)
		BPrivate::PageMemoryDeleter{fBitsMapped}(fBits);
}

int32
BBitmap::Width() const
{
	return IsValid() ? int32(SideLength(fBounds.left, fBounds.right)) : 0;
}

int32
BBitmap::Height() const
{
	return IsValid() ? int32(SideLength(fBounds.top, fBounds.bottom)) : 0;
}

// The data is an image of this bitmap's width in `colorSpace` whose first
// byte lines up with the first whole pixel of the bitmap at or after byte
// `offset`. Each row converts only the pixels the data holds in full, so the
// copy stops early rather than reading past `length`.
void
BBitmap::SetBits(const void* data, int32 length, int32 offset, color_space colorSpace)
{
	if (!IsValid() || data == nullptr || length <= 0 || offset < 0 || offset >= fBitsLength)
		return;
	const uint8* source = static_cast<const uint8*>(data);
	if (colorSpace == fColorSpace) {
		std::memcpy(fBits + offset, source, size_t(std::min(length, fBitsLength - offset)));
		return;
	}
	int32 sourceBits = bits_per_pixel_for(colorSpace);
	if (sourceBits == 0)
		return;

	int32 width = Width();
	int32 height = Height();
	int64 sourceBytesPerRow = bytes_per_row_for(colorSpace, width);
	int32 targetBits = bits_per_pixel_for(fColorSpace);

	int32 row = offset / fBytesPerRow;
	int64 bitInRow = int64(offset % fBytesPerRow) * 8;
	int32 column = int32((bitInRow + targetBits - 1) / targetBits);
	if (column >= width) {
		row++;
		column = 0;
	}
	// Where the first converted pixel sits in a whole source image; the data
	// starts at the byte holding it.
	int64 startBit = row * sourceBytesPerRow * 8 + int64(column) * sourceBits;
	int64 startByte = startBit / 8;

	for (int32 y = row; y < height; y++) {
		int32 first = y == row ? column : 0;
		int64 rowByte = y == row ? startByte : y * sourceBytesPerRow;
		// Source pixel index of `first` counted from the byte at rowByte.
		int32 sourceFirst = y == row ? int32(startBit % 8) / sourceBits : 0;
		int64 available = int64(length) - (rowByte - startByte);
		if (available <= 0)
			return;
		int64 whole = (available * 8 - int64(sourceFirst) * sourceBits) / sourceBits;
		int32 count = int32(std::min<int64>(width - first, whole));
		if (count <= 0)
			return;
		BPrivate::ConvertPixels(source + (rowByte - startByte), colorSpace, sourceFirst,
			fBits + int64(y) * fBytesPerRow, fColorSpace, first, count);
	}
}
