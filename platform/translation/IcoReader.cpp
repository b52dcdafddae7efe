// SPDX-License-Identifier: MIT
#include "IcoReader.h"

#include "ByteOrder.h"
#include "DecodedImage.h"
#include "DibDecoder.h"
#include "Refusal.h"

#include <cstring>

namespace BPrivate {

namespace {

constexpr size_t kDirectorySize = 6;
constexpr size_t kEntrySize = 16;
constexpr uint8 kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

struct Entry {
	ImageData data;
	bool png;
	int64 width;
	int64 height;
	int32 depth;
};

// Size and depth from the entry's own data: directories often give 0 for
// 256 and leave the depth out, cursors put the hot spot there.
bool
ReadEntry(const ImageData& file, const uint8* record, Entry& entry)
{
	uint32 length = ReadLE32(record + 8);
	uint32 offset = ReadLE32(record + 12);
	if (offset >= file.size)
		return false;
	size_t available = file.size - offset;
	entry.data = {file.data + offset, length < available ? length : available};
	const uint8* bytes = entry.data.data;
	entry.png = entry.data.size >= sizeof(kPngSignature)
		&& std::memcmp(bytes, kPngSignature, sizeof(kPngSignature)) == 0;
	if (entry.png) {
		if (entry.data.size < 26)
			return false;
		entry.width = ReadBE32(bytes + 16);
		entry.height = ReadBE32(bytes + 20);
		static const int32 kChannels[7] = {1, 0, 3, 1, 2, 0, 4};
		uint8 colorType = bytes[25];
		entry.depth = bytes[24] * (colorType < 7 ? kChannels[colorType] : 0);
		return true;
	}
	if (!ReadDibDimensions(bytes, entry.data.size, entry.width, entry.height, entry.depth))
		return false;
	entry.height /= 2;
	return true;
}

// Sizes for comparing entries only, kept where their product cannot
// overflow; the chosen entry's decoder judges the real size.
int64
Side(int64 side)
{
	constexpr int64 kLargest = int64(1) << 30;
	return side < 0 ? 0 : side > kLargest ? kLargest : side;
}

} // namespace

IcoReader::IcoReader(const ImageReader& pngReader) : fPngReader(pngReader)
{ }

bool
IcoReader::Recognizes(const ImageData& image) const
{
	if (image.size < kDirectorySize + kEntrySize)
		return false;
	const uint8* data = image.data;
	uint16 type = ReadLE16(data + 2);
	uint16 count = ReadLE16(data + 4);
	return ReadLE16(data) == 0 && (type == 1 || type == 2) && count > 0
		&& ReadLE32(data + kDirectorySize + 12) >= kDirectorySize + kEntrySize * count;
}

BitmapResult
IcoReader::Read(const ImageData& image) const
{
	if (!Recognizes(image))
		return Refusal::NotA("an icon or cursor file");
	uint16 count = ReadLE16(image.data + 4);
	if (image.size < kDirectorySize + kEntrySize * count)
		return Refusal::CutOff();
	Entry best{};
	bool found = false;
	for (uint16 i = 0; i < count; i++) {
		Entry entry;
		if (!ReadEntry(image, image.data + kDirectorySize + kEntrySize * i, entry))
			continue;
		int64 area = Side(entry.width) * Side(entry.height);
		int64 bestArea = Side(best.width) * Side(best.height);
		if (!found || area > bestArea || (area == bestArea && entry.depth > best.depth)) {
			best = entry;
			found = true;
		}
	}
	if (!found)
		return Refusal::CutOff();
	if (best.png)
		return fPngReader.Read(best.data);

	DibSource source{best.data.data, best.data.size, 0, 0, DibLayout::IconEntry,
		ReadLE16(image.data + 2) == 2 ? "CUR" : "ICO"};
	return DecodeToBitmap(DibDecoder(source));
}

} // namespace BPrivate
