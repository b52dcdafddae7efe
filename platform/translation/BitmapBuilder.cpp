// SPDX-License-Identifier: MIT
#include "BitmapBuilder.h"

#include <SystemColorMap.h>

#include <cstring>

namespace BPrivate {

namespace {

BRect
BoundsOf(int32 width, int32 height)
{
	return BRect(0, 0, float(width - 1), float(height - 1));
}

std::unique_ptr<BBitmap>
NewBitmap(int32 width, int32 height, color_space space)
{
	if (width <= 0 || height <= 0)
		return nullptr;
	auto bitmap = std::make_unique<BBitmap>(BoundsOf(width, height), space);
	if (!bitmap->IsValid())
		return nullptr;
	return bitmap;
}

void
CopyRows(BBitmap& bitmap, const uint8* pixels, int32 bytesPerRow, int32 rowBytes)
{
	uint8* out = static_cast<uint8*>(bitmap.Bits());
	for (int32 y = 0; y < bitmap.Height(); y++)
		std::memcpy(
			out + y * bitmap.BytesPerRow(), pixels + int64(y) * bytesPerRow, size_t(rowBytes));
}

// The map index of a straight colour that B_CMAP8 holds without loss, or -1.
int32
LosslessIndex(uint32 pixel)
{
	uint32 alpha = pixel >> 24;
	if (alpha == 0)
		return B_TRANSPARENT_MAGIC_CMAP8;
	if (alpha != 255)
		return -1;
	uint8 red = uint8(pixel >> 16), green = uint8(pixel >> 8), blue = uint8(pixel);
	const ColorMap& map = SystemColorMap();
	uint8 index = map.IndexFor(red, green, blue);
	const rgb_color& color = map.ColorAt(index);
	if (color.red != red || color.green != green || color.blue != blue)
		return -1;
	return index;
}

// B_CMAP8 from palette pixels, or null as soon as one colour is not a map
// colour. A palette image has few colours, so the last answer is kept.
std::unique_ptr<BBitmap>
Cmap8FromTrueColor(const uint8* pixels, int32 bytesPerRow, int32 width, int32 height)
{
	auto bitmap = NewBitmap(width, height, B_CMAP8);
	if (!bitmap)
		return nullptr;
	uint32 lastPixel = 0;
	int32 lastIndex = LosslessIndex(0);
	uint8* out = static_cast<uint8*>(bitmap->Bits());
	for (int32 y = 0; y < height; y++) {
		const uint8* row = pixels + int64(y) * bytesPerRow;
		for (int32 x = 0; x < width; x++) {
			uint32 pixel;
			std::memcpy(&pixel, row + 4 * x, 4);
			if (pixel != lastPixel) {
				lastPixel = pixel;
				lastIndex = LosslessIndex(pixel);
			}
			if (lastIndex < 0)
				return nullptr;
			out[y * bitmap->BytesPerRow() + x] = uint8(lastIndex);
		}
	}
	return bitmap;
}

// Sets used[i] for every index i the image holds.
void
MarkUsed(const uint8* indices, int32 bytesPerRow, int32 width, int32 height, bool used[256])
{
	for (int32 y = 0; y < height; y++) {
		const uint8* row = indices + int64(y) * bytesPerRow;
		for (int32 x = 0; x < width; x++)
			used[row[x]] = true;
	}
}

// A bitmap of `space` whose pixels are table[index] for the image's indices,
// one Entry a pixel; null when the bitmap could not be made.
template <typename Entry>
std::unique_ptr<BBitmap>
ExpandIndices(const uint8* indices, int32 bytesPerRow, int32 width, int32 height, color_space space,
	const Entry* table)
{
	auto bitmap = NewBitmap(width, height, space);
	if (!bitmap)
		return nullptr;
	uint8* out = static_cast<uint8*>(bitmap->Bits());
	for (int32 y = 0; y < height; y++) {
		const uint8* row = indices + int64(y) * bytesPerRow;
		uint8* target = out + int64(y) * bitmap->BytesPerRow();
		for (int32 x = 0; x < width; x++)
			std::memcpy(target + sizeof(Entry) * x, &table[row[x]], sizeof(Entry));
	}
	return bitmap;
}

} // namespace

bool
IsOpaque(const uint8* pixels, int32 bytesPerRow, int32 width, int32 height)
{
	for (int32 y = 0; y < height; y++) {
		const uint8* alpha = pixels + int64(y) * bytesPerRow + 3;
		uint8 all = 0xff;
		for (int32 x = 0; x < width; x++)
			all &= alpha[4 * x];
		if (all != 0xff)
			return false;
	}
	return true;
}

std::unique_ptr<BBitmap>
BitmapFromTrueColor(
	const uint8* pixels, int32 bytesPerRow, int32 width, int32 height, PixelOrigin origin)
{
	if (origin == PixelOrigin::Palette) {
		if (auto bitmap = Cmap8FromTrueColor(pixels, bytesPerRow, width, height))
			return bitmap;
	}
	auto bitmap = NewBitmap(
		width, height, IsOpaque(pixels, bytesPerRow, width, height) ? B_RGB32 : B_RGBA32);
	if (!bitmap)
		return nullptr;
	CopyRows(*bitmap, pixels, bytesPerRow, 4 * width);
	return bitmap;
}

std::unique_ptr<BBitmap>
BitmapFromGray(const uint8* pixels, int32 bytesPerRow, int32 width, int32 height)
{
	auto bitmap = NewBitmap(width, height, B_GRAY8);
	if (!bitmap)
		return nullptr;
	CopyRows(*bitmap, pixels, bytesPerRow, width);
	return bitmap;
}

std::unique_ptr<BBitmap>
BitmapFromIndexed(const uint8* indices, int32 bytesPerRow, int32 width, int32 height,
	const uint32* palette, int32 paletteSize)
{
	bool used[256] = {};
	MarkUsed(indices, bytesPerRow, width, height, used);
	// Only the entries in use count: files often pad their palette.
	uint8 toMap[256] = {};
	uint8 toGray[256] = {};
	bool lossless = true;
	bool gray = true;
	for (int32 entry = 0; entry < 256; entry++) {
		if (!used[entry])
			continue;
		if (entry >= paletteSize)
			return nullptr;
		uint32 color = palette[entry];
		int32 index = LosslessIndex(color);
		lossless = lossless && index >= 0;
		toMap[entry] = uint8(index);
		uint8 red = uint8(color >> 16), green = uint8(color >> 8), blue = uint8(color);
		gray = gray && (color >> 24) == 255 && red == green && green == blue;
		toGray[entry] = red;
	}
	if (!lossless && !gray)
		return nullptr;
	return ExpandIndices(indices, bytesPerRow, width, height, lossless ? B_CMAP8 : B_GRAY8,
		lossless ? toMap : toGray);
}

std::unique_ptr<BBitmap>
BitmapFromPalette(const uint8* indices, int32 bytesPerRow, int32 width, int32 height,
	const uint32* palette, int32 paletteSize)
{
	if (auto bitmap = BitmapFromIndexed(
			indices, bytesPerRow, width, height, palette, paletteSize)) {
		return bitmap;
	}
	uint32 colors[256];
	for (int32 entry = 0; entry < 256; entry++)
		colors[entry] = entry < paletteSize ? palette[entry] : 0xff000000;
	bool used[256] = {};
	MarkUsed(indices, bytesPerRow, width, height, used);
	bool opaque = true;
	for (int32 entry = 0; entry < 256; entry++)
		opaque = opaque && (!used[entry] || colors[entry] >> 24 == 255);
	// Expanded straight into the bitmap: no second image-sized buffer.
	return ExpandIndices(indices, bytesPerRow, width, height, opaque ? B_RGB32 : B_RGBA32, colors);
}

} // namespace BPrivate
