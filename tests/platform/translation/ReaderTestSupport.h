// SPDX-License-Identifier: MIT
#pragma once

// Helpers for the reader tests: files built byte by byte, and pixels read
// back from whatever colour space a reader chose, as straight colours.

#include <DecodedImage.h>
#include <ImageReader.h>
#include <SystemColorMap.h>
#include <TranslationUtils.h>

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace readers {

using BPrivate::ImageData;
using BPrivate::ImageReader;
using BPrivate::PackColor;

class Bytes {
public:
	Bytes& U8(std::initializer_list<int> values)
	{
		for (int value : values)
			fData.push_back(uint8(value));
		return *this;
	}
	Bytes& LE16(uint32 value) { return U8({int(value & 0xff), int(value >> 8 & 0xff)}); }
	Bytes& LE32(uint32 value) { return LE16(value & 0xffff).LE16(value >> 16); }
	Bytes& BE32(uint32 value)
	{
		return U8(
			{int(value >> 24), int(value >> 16 & 0xff), int(value >> 8 & 0xff), int(value & 0xff)});
	}
	Bytes& Text(const std::string& text)
	{
		fData.insert(fData.end(), text.begin(), text.end());
		return *this;
	}
	Bytes& Append(const Bytes& other)
	{
		fData.insert(fData.end(), other.fData.begin(), other.fData.end());
		return *this;
	}
	Bytes& Zeros(size_t count)
	{
		fData.resize(fData.size() + count, 0);
		return *this;
	}

	size_t Size() const { return fData.size(); }
	ImageData Image() const { return {fData.data(), fData.size()}; }
	Bytes Cut(size_t size) const
	{
		Bytes cut;
		cut.fData.assign(fData.begin(), fData.begin() + std::min(size, fData.size()));
		return cut;
	}
	void SetLE32(size_t offset, uint32 value)
	{
		for (int i = 0; i < 4; i++)
			fData[offset + i] = uint8(value >> (8 * i));
	}

private:
	std::vector<uint8> fData;
};

// A pixel as b | g << 8 | r << 16 | a << 24, with every fully transparent
// pixel as 0 whatever colour it keeps.
inline uint32
PixelAt(const BBitmap& bitmap, int32 x, int32 y)
{
	const uint8* row = static_cast<const uint8*>(bitmap.Bits()) + y * bitmap.BytesPerRow();
	switch (bitmap.ColorSpace()) {
	case B_CMAP8: {
		uint8 index = row[x];
		if (index == B_TRANSPARENT_MAGIC_CMAP8)
			return 0;
		const rgb_color& color = BPrivate::SystemColorMap().ColorAt(index);
		return PackColor(color.red, color.green, color.blue);
	}
	case B_GRAY8:
		return PackColor(row[x], row[x], row[x]);
	case B_RGB32:
		return PackColor(row[4 * x + 2], row[4 * x + 1], row[4 * x]);
	default: {
		const uint8* pixel = row + 4 * x;
		if (pixel[3] == 0)
			return 0;
		return PackColor(pixel[2], pixel[1], pixel[0], pixel[3]);
	}
	}
}

inline std::vector<uint32>
Pixels(const BBitmap& bitmap)
{
	std::vector<uint32> pixels;
	int32 width = bitmap.Bounds().IntegerWidth() + 1;
	int32 height = bitmap.Bounds().IntegerHeight() + 1;
	for (int32 y = 0; y < height; y++) {
		for (int32 x = 0; x < width; x++)
			pixels.push_back(PixelAt(bitmap, x, y));
	}
	return pixels;
}

inline std::string
Hex(uint32 value)
{
	char text[16];
	std::snprintf(text, sizeof(text), "%08x", value);
	return text;
}

// Reads `bytes` and checks size and every pixel (rows top to bottom).
inline void
ExpectImage(const ImageReader& reader, const Bytes& bytes, int32 width, int32 height,
	const std::vector<uint32>& expected, color_space space = B_NO_COLOR_SPACE)
{
	ASSERT_TRUE(reader.Recognizes(bytes.Image()));
	BPrivate::BitmapResult read = reader.Read(bytes.Image());
	ASSERT_TRUE(read.Ok()) << read.Error().detail;
	const std::unique_ptr<BBitmap>& bitmap = read.Value();
	ASSERT_NE(bitmap, nullptr);
	ASSERT_EQ(bitmap->Bounds().IntegerWidth() + 1, width);
	ASSERT_EQ(bitmap->Bounds().IntegerHeight() + 1, height);
	if (space != B_NO_COLOR_SPACE) {
		EXPECT_EQ(bitmap->ColorSpace(), space);
	}
	std::vector<uint32> actual = Pixels(*bitmap);
	ASSERT_EQ(actual.size(), expected.size());
	for (size_t i = 0; i < actual.size(); i++) {
		EXPECT_EQ(Hex(actual[i]), Hex(expected[i]))
			<< "pixel (" << i % size_t(width) << ", " << i / size_t(width) << ")";
	}
}

// One row of a reader's table: the file, or what builds it, and the image
// expected from it (`space` B_NO_COLOR_SPACE: any colour space).
template <typename Source>
struct ImageCase {
	const char* name;
	Source source;
	int32 width;
	int32 height;
	std::vector<uint32> expected;
	color_space space = B_NO_COLOR_SPACE;
};

// Reads the file `build` makes from each row's source and checks the row's image.
template <typename Source, typename Build>
void
ExpectImages(const ImageReader& reader, const std::vector<ImageCase<Source>>& rows, Build build)
{
	for (const ImageCase<Source>& row : rows) {
		SCOPED_TRACE(row.name);
		ExpectImage(reader, build(row.source), row.width, row.height, row.expected, row.space);
	}
}

inline void
ExpectImages(const ImageReader& reader, const std::vector<ImageCase<Bytes>>& rows)
{
	ExpectImages(reader, rows, [](const Bytes& file) { return file; });
}

// Reads `bytes`, expecting a refusal with `status` whose detail holds `words`.
inline void
ExpectRefusal(
	const ImageReader& reader, const Bytes& bytes, status_t status, const std::string& words)
{
	BPrivate::BitmapResult read = reader.Read(bytes.Image());
	ASSERT_FALSE(read.Ok());
	const BPrivate::Failure& failure = read.Error();
	EXPECT_EQ(failure.status, status) << failure.detail;
	EXPECT_NE(failure.detail.find(words), std::string::npos) << failure.detail;
	EXPECT_EQ(failure.detail.find('\n'), std::string::npos);
}

// One row of a reader's refusals: a file and the status and words expected.
struct RefusalCase {
	const char* name;
	Bytes file;
	status_t status;
	const char* words;
};

inline void
ExpectRefusals(const ImageReader& reader, const std::vector<RefusalCase>& rows)
{
	for (const RefusalCase& row : rows) {
		SCOPED_TRACE(row.name);
		ExpectRefusal(reader, row.file, row.status, row.words);
	}
}

constexpr uint32 kTransparent = 0;

// An opaque colour given as 0xRRGGBB.
inline uint32
Rgb(uint32 rgb)
{
	return rgb | 0xff000000u;
}

} // namespace readers
