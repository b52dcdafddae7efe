// SPDX-License-Identifier: MIT
#include "ColorConversion.h"

#include "PixelAccess.h"

#include <Bitmap.h>

#include <cstring>

namespace BPrivate {

namespace {

using namespace pixel;

// The palette as packed pixels, with index 255 as the transparent value.
struct PackedColorMap {
	uint32 colors[256];

	PackedColorMap()
	{
		const ColorMap& map = SystemColorMap();
		for (int32 index = 0; index < 256; index++) {
			const rgb_color& color = map.ColorAt(uint8(index));
			colors[index] = Pack(color.red, color.green, color.blue, 255);
		}
		colors[B_TRANSPARENT_MAGIC_CMAP8] = kMagic;
	}
};

const uint32*
PackedColors()
{
	static const PackedColorMap sColors;
	return sColors.colors;
}

// Source pixel positions: consecutive, or one per target pixel.
struct LinearColumns {
	int32 first;
	int32 operator[](int32 i) const { return first + i; }
};

struct MappedColumns {
	const int32* columns;
	int32 operator[](int32 i) const { return columns[i]; }
};

template <typename Reader, typename Writer, typename Columns>
void
Convert(const Reader& reader, const uint8* source, Columns columns, const Writer& writer,
	uint8* target, int32 targetFirst, int32 count)
{
	for (int32 i = 0; i < count; i++)
		writer.Write(target, targetFirst + i, reader.Read(source, columns[i]));
}

template <typename Writer, typename Columns>
void
ConvertFrom(color_space sourceSpace, const uint8* source, Columns columns, const Writer& writer,
	uint8* target, int32 targetFirst, int32 count)
{
	switch (sourceSpace) {
	case B_RGB32:
		return Convert(ReadRGB32{}, source, columns, writer, target, targetFirst, count);
	case B_RGBA32:
		return Convert(ReadRGBA32{}, source, columns, writer, target, targetFirst, count);
	case B_RGB32_BIG:
		return Convert(ReadRGB32Big{}, source, columns, writer, target, targetFirst, count);
	case B_RGBA32_BIG:
		return Convert(ReadRGBA32Big{}, source, columns, writer, target, targetFirst, count);
	case B_RGB24:
		return Convert(ReadRGB24{}, source, columns, writer, target, targetFirst, count);
	case B_RGB24_BIG:
		return Convert(ReadRGB24Big{}, source, columns, writer, target, targetFirst, count);
	case B_RGB16:
		return Convert(ReadRGB16{}, source, columns, writer, target, targetFirst, count);
	case B_RGB15:
		return Convert(ReadRGB15{}, source, columns, writer, target, targetFirst, count);
	case B_RGBA15:
		return Convert(ReadRGBA15{}, source, columns, writer, target, targetFirst, count);
	case B_RGB16_BIG:
		return Convert(ReadRGB16Big{}, source, columns, writer, target, targetFirst, count);
	case B_RGB15_BIG:
		return Convert(ReadRGB15Big{}, source, columns, writer, target, targetFirst, count);
	case B_RGBA15_BIG:
		return Convert(ReadRGBA15Big{}, source, columns, writer, target, targetFirst, count);
	case B_CMAP8:
		return Convert(
			ReadCMAP8{PackedColors()}, source, columns, writer, target, targetFirst, count);
	case B_GRAY8:
		return Convert(ReadGray8{}, source, columns, writer, target, targetFirst, count);
	case B_GRAY1:
		return Convert(ReadGray1{}, source, columns, writer, target, targetFirst, count);
	case B_NO_COLOR_SPACE:
		return;
	}
}

template <typename Columns>
void
ConvertTo(color_space targetSpace, color_space sourceSpace, const uint8* source, Columns columns,
	uint8* target, int32 targetFirst, int32 count)
{
	switch (targetSpace) {
	case B_RGB32:
		return ConvertFrom(sourceSpace, source, columns, WriteRGB32{}, target, targetFirst, count);
	case B_RGBA32:
		return ConvertFrom(sourceSpace, source, columns, WriteRGBA32{}, target, targetFirst, count);
	case B_RGB32_BIG:
		return ConvertFrom(
			sourceSpace, source, columns, WriteRGB32Big{}, target, targetFirst, count);
	case B_RGBA32_BIG:
		return ConvertFrom(
			sourceSpace, source, columns, WriteRGBA32Big{}, target, targetFirst, count);
	case B_RGB24:
		return ConvertFrom(sourceSpace, source, columns, WriteRGB24{}, target, targetFirst, count);
	case B_RGB24_BIG:
		return ConvertFrom(
			sourceSpace, source, columns, WriteRGB24Big{}, target, targetFirst, count);
	case B_RGB16:
		return ConvertFrom(sourceSpace, source, columns, WriteRGB16{}, target, targetFirst, count);
	case B_RGB15:
		return ConvertFrom(sourceSpace, source, columns, WriteRGB15{}, target, targetFirst, count);
	case B_RGBA15:
		return ConvertFrom(sourceSpace, source, columns, WriteRGBA15{}, target, targetFirst, count);
	case B_RGB16_BIG:
		return ConvertFrom(
			sourceSpace, source, columns, WriteRGB16Big{}, target, targetFirst, count);
	case B_RGB15_BIG:
		return ConvertFrom(
			sourceSpace, source, columns, WriteRGB15Big{}, target, targetFirst, count);
	case B_RGBA15_BIG:
		return ConvertFrom(
			sourceSpace, source, columns, WriteRGBA15Big{}, target, targetFirst, count);
	case B_CMAP8: {
		const ColorMap& map = SystemColorMap();
		return ConvertFrom(sourceSpace, source, columns, WriteCMAP8{map.FullTable(), &map}, target,
			targetFirst, count);
	}
	case B_GRAY8:
		return ConvertFrom(sourceSpace, source, columns, WriteGray8{}, target, targetFirst, count);
	case B_GRAY1:
		return ConvertFrom(sourceSpace, source, columns, WriteGray1{}, target, targetFirst, count);
	case B_NO_COLOR_SPACE:
		return;
	}
}

// Within one colour space pixels are copied as they are, so that a copy is
// exact even where a conversion would not be (B_CMAP8 index 136 holds the
// same colour as 19; a B_RGB32 alpha byte carries no meaning).
template <typename Columns>
void
CopyPixels(color_space space, const uint8* source, Columns columns, uint8* target,
	int32 targetFirst, int32 count)
{
	int32 bits = bits_per_pixel_for(space);
	if (bits == 1) {
		for (int32 i = 0; i < count; i++) {
			int32 from = columns[i];
			int32 to = targetFirst + i;
			uint8 mask = uint8(0x80 >> (to & 7));
			if ((source[from >> 3] >> (7 - (from & 7))) & 1)
				target[to >> 3] |= mask;
			else
				target[to >> 3] &= uint8(~mask);
		}
		return;
	}
	int32 bytes = bits / 8;
	for (int32 i = 0; i < count; i++)
		std::memcpy(target + int64(targetFirst + i) * bytes, source + int64(columns[i]) * bytes,
			size_t(bytes));
}

// 32-bit colour into B_CMAP8, the road of every switch to B_CMAP8, with one
// full-table look-up per pixel. Pictures with many colours touch the 16 MiB
// table all over, so the entry for a pixel some way ahead is fetched early;
// that keeps several cache misses in flight instead of one.
template <typename Reader>
void
TrueColorToCmap8(const uint8* source, uint8* target, int32 count, const uint8* table)
{
	constexpr int32 kAhead = 64;
	Reader reader;
	auto convert = [&](int32 i) {
		uint32 pixel = reader.Read(source, i);
		target[i] = IsTransparent(pixel) ? B_TRANSPARENT_MAGIC_CMAP8 : table[pixel & kColorMask];
	};
	int32 i = 0;
	for (; i < count - kAhead; i++) {
		__builtin_prefetch(table + (Load32(source + 4 * (i + kAhead)) & kColorMask));
		convert(i);
	}
	for (; i < count; i++)
		convert(i);
}

// B_CMAP8 into 32-bit colour, the road of every switch back to B_RGB32: the
// packed palette already holds each index's pixel, the transparent value at
// index 255 included, so a pixel is one look-up and one store.
void
Cmap8ToTrueColor(const uint8* source, uint8* target, int32 count)
{
	const uint32* colors = PackedColors();
	for (int32 i = 0; i < count; i++)
		Store32(target + 4 * i, colors[source[i]]);
}

} // namespace

bool
IsSupportedColorSpace(color_space space)
{
	// Every space the bitmaps know has a pixel size; no other has one.
	return bits_per_pixel_for(space) != 0;
}

void
ConvertPixels(const uint8* source, color_space sourceSpace, int32 sourceFirst, uint8* target,
	color_space targetSpace, int32 targetFirst, int32 count)
{
	if (count <= 0 || !IsSupportedColorSpace(sourceSpace) || !IsSupportedColorSpace(targetSpace))
		return;
	if (sourceSpace == targetSpace && bits_per_pixel_for(sourceSpace) >= 8) {
		int32 bytes = bits_per_pixel_for(sourceSpace) / 8;
		std::memcpy(target + int64(targetFirst) * bytes, source + int64(sourceFirst) * bytes,
			size_t(count) * bytes);
		return;
	}
	if (sourceSpace == targetSpace)
		return CopyPixels(
			sourceSpace, source, LinearColumns{sourceFirst}, target, targetFirst, count);
	if (targetSpace == B_CMAP8 && (sourceSpace == B_RGB32 || sourceSpace == B_RGBA32)) {
		if (const uint8* table = SystemColorMap().FullTable()) {
			if (sourceSpace == B_RGB32)
				TrueColorToCmap8<ReadRGB32>(
					source + 4 * int64(sourceFirst), target + targetFirst, count, table);
			else
				TrueColorToCmap8<ReadRGBA32>(
					source + 4 * int64(sourceFirst), target + targetFirst, count, table);
			return;
		}
	}
	// The palette's packed pixels are what both 32-bit writers would store.
	if (sourceSpace == B_CMAP8 && (targetSpace == B_RGB32 || targetSpace == B_RGBA32)) {
		Cmap8ToTrueColor(source + sourceFirst, target + 4 * int64(targetFirst), count);
		return;
	}
	ConvertTo(
		targetSpace, sourceSpace, source, LinearColumns{sourceFirst}, target, targetFirst, count);
}

void
ConvertMappedPixels(const uint8* source, color_space sourceSpace, const int32* sourceColumns,
	uint8* target, color_space targetSpace, int32 targetFirst, int32 count)
{
	if (count <= 0 || !IsSupportedColorSpace(sourceSpace) || !IsSupportedColorSpace(targetSpace))
		return;
	if (sourceSpace == targetSpace)
		return CopyPixels(
			sourceSpace, source, MappedColumns{sourceColumns}, target, targetFirst, count);
	ConvertTo(
		targetSpace, sourceSpace, source, MappedColumns{sourceColumns}, target, targetFirst, count);
}

} // namespace BPrivate
