// SPDX-License-Identifier: MIT
#pragma once

// Reading and writing single pixels of every colour space, for the
// converters in ColorConversion.cpp. Private to the interface kit.
//
// Between a reader and a writer a pixel is straight (not premultiplied)
// B, G, R, A packed as b | g << 8 | r << 16 | a << 24, the B_RGBA32 layout
// read as a little-endian value. Transparency follows the platform's
// convention: alpha below 128 is transparent. Readers of spaces without
// alpha give 255, except for the transparent magic values (index 255 in
// B_CMAP8, 0x00777477 in B_RGB32), which read as B_TRANSPARENT_MAGIC_RGBA32
// (alpha 0); so does B_TRANSPARENT_MAGIC_RGBA15 in B_RGB15 and B_RGB15_BIG.
// Writers of spaces with a transparent value (B_CMAP8, the B_RGB32 and
// B_RGB15 spaces of either byte order)
// write it for every transparent pixel; writers of spaces without one write
// the pixel's colour.
//
// Readers and writers are small structs with inline members so that a
// conversion loop instantiated for one pair has no calls per pixel.

#include <GraphicsDefs.h>
#include <SupportDefs.h>

#include "SystemColorMap.h"

#include <bit>
#include <cstring>

namespace BPrivate {
namespace pixel {

constexpr uint32 kOpaque = 0xff000000;
constexpr uint32 kColorMask = 0x00ffffff;
constexpr uint32 kMagic = B_TRANSPARENT_MAGIC_RGBA32;

inline uint32
Pack(uint32 red, uint32 green, uint32 blue, uint32 alpha)
{
	return blue | green << 8 | red << 16 | alpha << 24;
}
inline uint32
Red(uint32 pixel)
{
	return (pixel >> 16) & 0xff;
}
inline uint32
Green(uint32 pixel)
{
	return (pixel >> 8) & 0xff;
}
inline uint32
Blue(uint32 pixel)
{
	return pixel & 0xff;
}
inline uint32
Alpha(uint32 pixel)
{
	return pixel >> 24;
}
inline bool
IsTransparent(uint32 pixel)
{
	return pixel < 0x80000000u;
}

// Rec. 601 weights in 8-bit fixed point; they add up to 256, so white stays 255.
inline uint8
Luma(uint32 pixel)
{
	return uint8((Red(pixel) * 77 + Green(pixel) * 150 + Blue(pixel) * 29 + 128) >> 8);
}

inline uint32
Load32(const uint8* bytes)
{
	uint32 value;
	std::memcpy(&value, bytes, 4);
	return value;
}
inline void
Store32(uint8* bytes, uint32 value)
{
	std::memcpy(bytes, &value, 4);
}
inline void
Store24(uint8* bytes, uint32 first, uint32 second, uint32 third)
{
	bytes[0] = uint8(first);
	bytes[1] = uint8(second);
	bytes[2] = uint8(third);
}
// The big-endian 32-bit layouts hold the four bytes of ours in reverse order.
inline uint32
Swap32(uint32 value)
{
	return __builtin_bswap32(value);
}
inline uint32
Load16(const uint8* bytes)
{
	return uint32(bytes[0]) | uint32(bytes[1]) << 8;
}
inline void
Store16(uint8* bytes, uint32 value)
{
	bytes[0] = uint8(value);
	bytes[1] = uint8(value >> 8);
}
// The 16-bit spaces come in both byte orders, each _BIG space holding its
// twin's value most significant byte first.
enum class ByteOrder {
	kLittle,
	kBig
};
template <ByteOrder kOrder>
inline uint32
Load16In(const uint8* bytes)
{
	return kOrder == ByteOrder::kBig ? uint32(bytes[0]) << 8 | bytes[1] : Load16(bytes);
}
template <ByteOrder kOrder>
inline void
Store16In(uint8* bytes, uint32 value)
{
	Store16(bytes, kOrder == ByteOrder::kBig ? (value >> 8 & 0xff) | (value & 0xff) << 8 : value);
}
// The nearest 5- and 6-bit levels of an 8-bit channel (the levels that
// read back nearest), round(c·31/255) and round(c·63/255).
inline uint32
Level5(uint32 channel)
{
	return (channel * 31 + 127) / 255;
}
inline uint32
Level6(uint32 channel)
{
	return (channel * 63 + 127) / 255;
}
inline uint32
Expand5(uint32 value)
{
	return (value << 3) | (value >> 2);
}
inline uint32
Expand6(uint32 value)
{
	return (value << 2) | (value >> 4);
}

static_assert(
	std::endian::native == std::endian::little, "the pixel layouts assume a little-endian machine");

// Readers: uint32 Read(const uint8* row, int32 x) const.

struct ReadRGB32 {
	uint32 Read(const uint8* row, int32 x) const
	{
		uint32 value = Load32(row + 4 * x);
		return value == kMagic ? kMagic : value | kOpaque;
	}
};

struct ReadRGBA32 {
	uint32 Read(const uint8* row, int32 x) const { return Load32(row + 4 * x); }
};

struct ReadRGB32Big {
	uint32 Read(const uint8* row, int32 x) const
	{
		uint32 value = Swap32(Load32(row + 4 * x));
		return value == kMagic ? kMagic : value | kOpaque;
	}
};

struct ReadRGBA32Big {
	uint32 Read(const uint8* row, int32 x) const { return Swap32(Load32(row + 4 * x)); }
};

struct ReadRGB24 {
	uint32 Read(const uint8* row, int32 x) const
	{
		const uint8* p = row + 3 * x;
		return Pack(p[2], p[1], p[0], 255);
	}
};

struct ReadRGB24Big {
	uint32 Read(const uint8* row, int32 x) const
	{
		const uint8* p = row + 3 * x;
		return Pack(p[0], p[1], p[2], 255);
	}
};

template <ByteOrder kOrder>
struct ReadRGB16In {
	uint32 Read(const uint8* row, int32 x) const
	{
		uint32 value = Load16In<kOrder>(row + 2 * x);
		return Pack(Expand5(value >> 11), Expand6((value >> 5) & 0x3f), Expand5(value & 0x1f), 255);
	}
};

template <ByteOrder kOrder>
struct ReadRGB15In {
	uint32 Read(const uint8* row, int32 x) const
	{
		uint32 value = Load16In<kOrder>(row + 2 * x);
		if (value == B_TRANSPARENT_MAGIC_RGBA15)
			return kMagic;
		return Pack(Expand5((value >> 10) & 0x1f), Expand5((value >> 5) & 0x1f),
			Expand5(value & 0x1f), 255);
	}
};

template <ByteOrder kOrder>
struct ReadRGBA15In {
	uint32 Read(const uint8* row, int32 x) const
	{
		uint32 value = Load16In<kOrder>(row + 2 * x);
		return Pack(Expand5((value >> 10) & 0x1f), Expand5((value >> 5) & 0x1f),
			Expand5(value & 0x1f), (value & 0x8000) != 0 ? 255 : 0);
	}
};

using ReadRGB16 = ReadRGB16In<ByteOrder::kLittle>;
using ReadRGB15 = ReadRGB15In<ByteOrder::kLittle>;
using ReadRGBA15 = ReadRGBA15In<ByteOrder::kLittle>;
using ReadRGB16Big = ReadRGB16In<ByteOrder::kBig>;
using ReadRGB15Big = ReadRGB15In<ByteOrder::kBig>;
using ReadRGBA15Big = ReadRGBA15In<ByteOrder::kBig>;

struct ReadCMAP8 {
	const uint32* colors; // 256 packed colours, index 255 the magic value
	uint32 Read(const uint8* row, int32 x) const { return colors[row[x]]; }
};

struct ReadGray8 {
	uint32 Read(const uint8* row, int32 x) const { return row[x] * 0x010101u | kOpaque; }
};

// One bit per pixel, most significant bit first, 1 = black.
struct ReadGray1 {
	uint32 Read(const uint8* row, int32 x) const
	{
		bool black = (row[x >> 3] >> (7 - (x & 7))) & 1;
		return black ? kOpaque : 0xffffffffu;
	}
};

// Writers: void Write(uint8* row, int32 x, uint32 pixel) const.

struct WriteRGB32 {
	void Write(uint8* row, int32 x, uint32 pixel) const
	{
		Store32(row + 4 * x, IsTransparent(pixel) ? kMagic : pixel | kOpaque);
	}
};

struct WriteRGBA32 {
	void Write(uint8* row, int32 x, uint32 pixel) const { Store32(row + 4 * x, pixel); }
};

struct WriteRGB32Big {
	void Write(uint8* row, int32 x, uint32 pixel) const
	{
		Store32(row + 4 * x, Swap32(IsTransparent(pixel) ? kMagic : pixel | kOpaque));
	}
};

struct WriteRGBA32Big {
	void Write(uint8* row, int32 x, uint32 pixel) const { Store32(row + 4 * x, Swap32(pixel)); }
};

struct WriteRGB24 {
	void Write(uint8* row, int32 x, uint32 pixel) const
	{
		Store24(row + 3 * x, Blue(pixel), Green(pixel), Red(pixel));
	}
};

struct WriteRGB24Big {
	void Write(uint8* row, int32 x, uint32 pixel) const
	{
		Store24(row + 3 * x, Red(pixel), Green(pixel), Blue(pixel));
	}
};

template <ByteOrder kOrder>
struct WriteRGB16In {
	void Write(uint8* row, int32 x, uint32 pixel) const
	{
		Store16In<kOrder>(row + 2 * x,
			Level5(Red(pixel)) << 11 | Level6(Green(pixel)) << 5 | Level5(Blue(pixel)));
	}
};

template <ByteOrder kOrder>
struct WriteRGB15In {
	void Write(uint8* row, int32 x, uint32 pixel) const
	{
		if (IsTransparent(pixel)) {
			Store16In<kOrder>(row + 2 * x, B_TRANSPARENT_MAGIC_RGBA15);
			return;
		}
		Store16In<kOrder>(row + 2 * x,
			Level5(Red(pixel)) << 10 | Level5(Green(pixel)) << 5 | Level5(Blue(pixel)));
	}
};

template <ByteOrder kOrder>
struct WriteRGBA15In {
	void Write(uint8* row, int32 x, uint32 pixel) const
	{
		uint32 alpha = IsTransparent(pixel) ? 0 : 0x8000;
		Store16In<kOrder>(row + 2 * x,
			alpha | Level5(Red(pixel)) << 10 | Level5(Green(pixel)) << 5 | Level5(Blue(pixel)));
	}
};

using WriteRGB16 = WriteRGB16In<ByteOrder::kLittle>;
using WriteRGB15 = WriteRGB15In<ByteOrder::kLittle>;
using WriteRGBA15 = WriteRGBA15In<ByteOrder::kLittle>;
using WriteRGB16Big = WriteRGB16In<ByteOrder::kBig>;
using WriteRGB15Big = WriteRGB15In<ByteOrder::kBig>;
using WriteRGBA15Big = WriteRGBA15In<ByteOrder::kBig>;

// The index comes from the map's full table; when that table could not be
// had (out of memory) from the exact cell search, which is slower but gives
// the same answer.
struct WriteCMAP8 {
	const uint8* table;
	const ColorMap* map;
	void Write(uint8* row, int32 x, uint32 pixel) const
	{
		if (IsTransparent(pixel)) {
			row[x] = B_TRANSPARENT_MAGIC_CMAP8;
			return;
		}
		if (table != nullptr) {
			row[x] = table[pixel & kColorMask];
			return;
		}
		row[x] = map->IndexFor(uint8(Red(pixel)), uint8(Green(pixel)), uint8(Blue(pixel)));
	}
};

struct WriteGray8 {
	void Write(uint8* row, int32 x, uint32 pixel) const { row[x] = Luma(pixel); }
};

struct WriteGray1 {
	void Write(uint8* row, int32 x, uint32 pixel) const
	{
		uint8 bit = uint8(0x80 >> (x & 7));
		if (Luma(pixel) < 128)
			row[x >> 3] |= bit;
		else
			row[x >> 3] &= uint8(~bit);
	}
};

} // namespace pixel
} // namespace BPrivate
