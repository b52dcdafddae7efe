// SPDX-License-Identifier: MIT
#pragma once

// Device-independent bitmaps built for the BMP and icon tests.

#include "ReaderTestSupport.h"

namespace readers {

struct Dib {
	uint32 headerSize = 40;
	int32 width = 1;
	int32 height = 1; // as written: doubled by the caller for icons
	uint16 bits = 24;
	uint32 compression = 0;
	uint32 colorsUsed = 0;
	std::vector<uint32> masks; // red, green, blue[, alpha]
	std::vector<uint32> palette; // 0xRRGGBB
	Bytes pixels;
};

inline Bytes
DibBytes(const Dib& dib)
{
	Bytes bytes;
	bytes.LE32(dib.headerSize);
	if (dib.headerSize == 12) {
		bytes.LE16(uint32(dib.width)).LE16(uint32(dib.height)).LE16(1).LE16(dib.bits);
	} else {
		bytes.LE32(uint32(dib.width)).LE32(uint32(dib.height)).LE16(1).LE16(dib.bits);
		Bytes rest;
		rest.LE32(dib.compression).LE32(0).LE32(2835).LE32(2835).LE32(dib.colorsUsed).LE32(0);
		bool masksInside = dib.headerSize >= 52 && dib.headerSize != 64;
		if (masksInside) {
			for (size_t i = 0; i < 4; i++)
				rest.LE32(i < dib.masks.size() ? dib.masks[i] : 0);
		}
		bytes.Append(rest.Cut(dib.headerSize - 16));
		bytes.Zeros(dib.headerSize - std::min<size_t>(dib.headerSize, bytes.Size()));
		if (!masksInside) {
			for (uint32 mask : dib.masks)
				bytes.LE32(mask);
		}
	}
	for (uint32 color : dib.palette) {
		bytes.U8({int(color & 0xff), int(color >> 8 & 0xff), int(color >> 16 & 0xff)});
		if (dib.headerSize != 12)
			bytes.U8({0});
	}
	return bytes.Append(dib.pixels);
}

inline Bytes
BmpFile(const Dib& dib)
{
	Bytes dibBytes = DibBytes(dib);
	Bytes file;
	file.Text("BM").LE32(uint32(14 + dibBytes.Size())).LE32(0);
	file.LE32(uint32(14 + dibBytes.Size() - dib.pixels.Size()));
	return file.Append(dibBytes);
}

} // namespace readers
