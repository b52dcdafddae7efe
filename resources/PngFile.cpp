// SPDX-License-Identifier: MIT
#include "PngFile.h"

#include <System.h>

#include <array>
#include <fcntl.h>

namespace {

const std::array<uint32, 256>&
CrcTable()
{
	static const std::array<uint32, 256> table = [] {
		std::array<uint32, 256> entries{};
		for (uint32 n = 0; n < 256; n++) {
			uint32 c = n;
			for (int k = 0; k < 8; k++)
				c = (c & 1) != 0 ? 0xedb88320u ^ (c >> 1) : c >> 1;
			entries[n] = c;
		}
		return entries;
	}();
	return table;
}

uint32
Crc(const uint8* data, size_t length, uint32 crc = 0xffffffffu)
{
	for (size_t index = 0; index < length; index++)
		crc = CrcTable()[(crc ^ data[index]) & 0xff] ^ (crc >> 8);
	return crc;
}

void
PutBigEndian(std::vector<uint8>& out, uint32 value)
{
	for (int shift = 24; shift >= 0; shift -= 8)
		out.push_back(static_cast<uint8>(value >> shift));
}

void
PutChunk(std::vector<uint8>& out, const char type[4], const std::vector<uint8>& data)
{
	PutBigEndian(out, static_cast<uint32>(data.size()));
	size_t start = out.size();
	out.insert(out.end(), type, type + 4);
	out.insert(out.end(), data.begin(), data.end());
	PutBigEndian(out, Crc(out.data() + start, out.size() - start) ^ 0xffffffffu);
}

// A zlib stream of stored (uncompressed) deflate blocks.
std::vector<uint8>
StoredZlib(const std::vector<uint8>& raw)
{
	std::vector<uint8> out{0x78, 0x01};
	size_t offset = 0;
	do {
		size_t length = std::min<size_t>(raw.size() - offset, 65535);
		bool last = offset + length == raw.size();
		out.push_back(last ? 1 : 0);
		out.push_back(static_cast<uint8>(length));
		out.push_back(static_cast<uint8>(length >> 8));
		out.push_back(static_cast<uint8>(~length));
		out.push_back(static_cast<uint8>(~length >> 8));
		out.insert(out.end(), raw.begin() + offset, raw.begin() + offset + length);
		offset += length;
	} while (offset < raw.size());

	uint32 a = 1;
	uint32 b = 0;
	for (uint8 byte : raw) {
		a = (a + byte) % 65521;
		b = (b + a) % 65521;
	}
	PutBigEndian(out, b << 16 | a);
	return out;
}

} // namespace

std::vector<uint8>
EncodePng(int32 width, int32 height, const std::vector<uint8>& rgba)
{
	std::vector<uint8> raw;
	raw.reserve(size_t(height) * (size_t(width) * 4 + 1));
	for (int32 row = 0; row < height; row++) {
		raw.push_back(0); // filter: none
		auto begin = rgba.begin() + size_t(row) * width * 4;
		raw.insert(raw.end(), begin, begin + size_t(width) * 4);
	}

	std::vector<uint8> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
	std::vector<uint8> header;
	PutBigEndian(header, static_cast<uint32>(width));
	PutBigEndian(header, static_cast<uint32>(height));
	header.insert(header.end(), {8, 6, 0, 0, 0}); // 8 bits, RGBA, no interlace
	PutChunk(png, "IHDR", header);
	PutChunk(png, "IDAT", StoredZlib(raw));
	PutChunk(png, "IEND", {});
	return png;
}

status_t
WritePng(const std::string& path, int32 width, int32 height, const std::vector<uint8>& rgba)
{
	if (width <= 0 || height <= 0 || rgba.size() != size_t(width) * height * 4)
		return B_BAD_VALUE;
	std::vector<uint8> png = EncodePng(width, height, rgba);
	using namespace BPrivate;
	Result<UniqueFd> file = System::Open(
		path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
	if (!file)
		return B_FILE_ERROR;
	Result<void> written = System::WriteAll(file.Value().Get(), png.data(), png.size());
	Result<void> closed = System::Close(std::move(file).Value());
	return written && closed ? B_OK : B_FILE_ERROR;
}
