// SPDX-License-Identifier: MIT
#pragma once

// Hostile image files made in memory, byte for byte, so each test states
// exactly what it feeds the loader: headers that claim what their data does
// not hold, palettes too short for their pixels, images of no size.
// PNG chunks get their real CRC (zlib's crc32), so it is the claim, not a
// checksum, that the loader has to deal with. Tests that include it link
// ZLIB::ZLIB.

#include <zlib.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace testsupport {

inline void
PutBig32(std::string& out, uint32_t value)
{
	for (int shift = 24; shift >= 0; shift -= 8)
		out += char((value >> shift) & 0xff);
}

inline void
PutLittle16(std::string& out, uint32_t value)
{
	out += char(value & 0xff);
	out += char((value >> 8) & 0xff);
}

inline void
PutLittle32(std::string& out, uint32_t value)
{
	PutLittle16(out, value & 0xffff);
	PutLittle16(out, value >> 16);
}

inline void
PngChunk(std::string& out, const char* type, const std::string& data)
{
	PutBig32(out, uint32_t(data.size()));
	std::string typed = std::string(type, 4) + data;
	out += typed;
	PutBig32(
		out, uint32_t(crc32(0, reinterpret_cast<const Bytef*>(typed.data()), uInt(typed.size()))));
}

// zlib data that inflates to `length` zero bytes, made without holding them.
inline std::string
DeflatedZeros(uint64_t length)
{
	z_stream stream = {};
	deflateInit(&stream, Z_BEST_COMPRESSION);
	static const std::vector<Bytef> zeros(1 << 20, 0);
	std::vector<Bytef> chunk(1 << 16);
	std::string out;
	uint64_t left = length;
	int flush = Z_NO_FLUSH;
	do {
		uInt now = uInt(std::min<uint64_t>(left, zeros.size()));
		left -= now;
		flush = left == 0 ? Z_FINISH : Z_NO_FLUSH;
		stream.next_in = const_cast<Bytef*>(zeros.data());
		stream.avail_in = now;
		do {
			stream.next_out = chunk.data();
			stream.avail_out = uInt(chunk.size());
			deflate(&stream, flush);
			out.append(reinterpret_cast<char*>(chunk.data()), chunk.size() - stream.avail_out);
		} while (stream.avail_out == 0);
	} while (flush != Z_FINISH);
	deflateEnd(&stream);
	return out;
}

// A PNG of `width` x `height`: colour type 3 (palette) when `palette` is
// given (RGB triples), else 2 (RGB), 8 bits, with `idat` as image data.
inline std::string
Png(uint32_t width, uint32_t height, const std::string& idat, const std::string& palette = "")
{
	std::string png = "\x89PNG\r\n\x1a\n";
	std::string header;
	PutBig32(header, width);
	PutBig32(header, height);
	header += char(8);
	header += char(palette.empty() ? 2 : 3);
	header += std::string(3, '\0');
	PngChunk(png, "IHDR", header);
	if (!palette.empty())
		PngChunk(png, "PLTE", palette);
	PngChunk(png, "IDAT", idat);
	PngChunk(png, "IEND", "");
	return png;
}

// `raw` compressed into a zlib stream, as a PNG's image data holds it.
inline std::string
Deflated(const std::string& raw)
{
	uLongf size = compressBound(uLong(raw.size()));
	std::string out(size, '\0');
	compress(reinterpret_cast<Bytef*>(out.data()), &size,
		reinterpret_cast<const Bytef*>(raw.data()), uLong(raw.size()));
	out.resize(size);
	return out;
}

// Rows of palette indices, each behind its filter byte 0, deflated.
inline std::string
PngIndices(const std::vector<std::vector<uint8_t>>& rows)
{
	std::string raw;
	for (const auto& row : rows) {
		raw += '\0';
		raw.append(row.begin(), row.end());
	}
	return Deflated(raw);
}

// A GIF of `width` x `height` with a global colour table of `colors` RGB
// triples (a power of two, 2 to 256) and `indices` as its pixels, which may
// point past the table. The LZW stream uses literal codes only, with a clear
// code every two pixels so the code width stays at its first size.
inline std::string
Gif(uint16_t width, uint16_t height, const std::string& colors, const std::vector<uint8_t>& indices)
{
	int tableBits = 1;
	while ((3u << tableBits) < colors.size())
		tableBits++;
	std::string gif = "GIF89a";
	PutLittle16(gif, width);
	PutLittle16(gif, height);
	gif += char(0x80 | (tableBits - 1));
	gif += '\0';
	gif += '\0';
	gif += colors;
	gif += std::string(size_t(3) << tableBits, '\0').substr(colors.size());
	gif += ',';
	PutLittle16(gif, 0);
	PutLittle16(gif, 0);
	PutLittle16(gif, width);
	PutLittle16(gif, height);
	gif += '\0';

	// Code size: enough for every index given and the table.
	int minimum = 2;
	for (uint8_t index : indices) {
		while ((1 << minimum) <= index)
			minimum++;
	}
	while ((1 << minimum) < (1 << tableBits))
		minimum++;
	const uint32_t clear = 1u << minimum;
	const int codeWidth = minimum + 1;
	std::string data;
	uint32_t buffer = 0;
	int bits = 0;
	auto put = [&](uint32_t code) {
		buffer |= code << bits;
		bits += codeWidth;
		while (bits >= 8) {
			data += char(buffer & 0xff);
			buffer >>= 8;
			bits -= 8;
		}
	};
	for (size_t index = 0; index < indices.size(); index++) {
		if (index % 2 == 0)
			put(clear);
		put(indices[index]);
	}
	put(clear + 1);
	if (bits > 0)
		data += char(buffer & 0xff);

	gif += char(minimum);
	for (size_t at = 0; at < data.size(); at += 255) {
		std::string block = data.substr(at, 255);
		gif += char(block.size());
		gif += block;
	}
	gif += '\0';
	gif += ';';
	return gif;
}

// A 24-bit BMP header of `width` x `height` with `pixelBytes` after it.
inline std::string
Bmp(int32_t width, int32_t height, const std::string& pixelBytes)
{
	std::string bmp = "BM";
	PutLittle32(bmp, uint32_t(54 + pixelBytes.size()));
	PutLittle32(bmp, 0);
	PutLittle32(bmp, 54);
	PutLittle32(bmp, 40);
	PutLittle32(bmp, uint32_t(width));
	PutLittle32(bmp, uint32_t(height));
	PutLittle16(bmp, 1);
	PutLittle16(bmp, 24);
	PutLittle32(bmp, 0);
	PutLittle32(bmp, uint32_t(pixelBytes.size()));
	PutLittle32(bmp, 2835);
	PutLittle32(bmp, 2835);
	PutLittle32(bmp, 0);
	PutLittle32(bmp, 0);
	return bmp + pixelBytes;
}

// An uncompressed 24-bit TGA header of `width` x `height` and its pixels.
inline std::string
Tga(uint16_t width, uint16_t height, const std::string& pixelBytes)
{
	std::string tga(12, '\0');
	tga[2] = 2;
	PutLittle16(tga, width);
	PutLittle16(tga, height);
	tga += char(24);
	tga += char(0x20);
	return tga + pixelBytes;
}

// A baseline JPEG's start-of-frame patched to claim `width` x `height`.
inline std::string
JpegClaiming(std::string jpeg, uint16_t width, uint16_t height)
{
	for (size_t at = 2; at + 9 < jpeg.size(); at++) {
		if (uint8_t(jpeg[at]) == 0xff && (uint8_t(jpeg[at + 1]) & 0xfc) == 0xc0) {
			jpeg[at + 5] = char(height >> 8);
			jpeg[at + 6] = char(height & 0xff);
			jpeg[at + 7] = char(width >> 8);
			jpeg[at + 8] = char(width & 0xff);
			break;
		}
	}
	return jpeg;
}

// `length` bytes of a fixed pseudo-random sequence.
inline std::string
RandomBytes(size_t length, uint32_t seed)
{
	std::mt19937 generator(seed);
	std::string bytes(length, '\0');
	for (char& byte : bytes)
		byte = char(generator() & 0xff);
	return bytes;
}

} // namespace testsupport
