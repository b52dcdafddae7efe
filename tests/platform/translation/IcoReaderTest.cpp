// SPDX-License-Identifier: MIT
#include "DibBuilder.h"

#include <IcoReader.h>

namespace readers {
namespace {

// Stands in for the PNG reader: answers every PNG with a 3 x 2 bitmap of
// one colour and remembers the bytes it was given.
class FakePngReader : public ImageReader {
public:
	const char* FormatName() const override { return "PNG"; }
	bool Recognizes(const ImageData& image) const override
	{
		return image.size >= 8 && std::memcmp(image.data, "\x89PNG", 4) == 0;
	}
	BPrivate::BitmapResult Read(const ImageData& image) const override
	{
		fGiven.assign(image.data, image.data + image.size);
		auto bitmap = std::make_unique<BBitmap>(BRect(0, 0, 2, 1), B_RGB32);
		uint32 color = Rgb(0x123456);
		for (int32 y = 0; y < 2; y++) {
			for (int32 x = 0; x < 3; x++) {
				std::memcpy(static_cast<uint8*>(bitmap->Bits()) + y * bitmap->BytesPerRow() + 4 * x,
					&color, 4);
			}
		}
		return bitmap;
	}

	mutable std::vector<uint8> fGiven;
};

struct Entry {
	Bytes data;
	uint8 width;
	uint8 height;
	uint16 bits;
};

Bytes
IcoFile(const std::vector<Entry>& entries, uint16 type = 1)
{
	Bytes file;
	file.LE16(0).LE16(type).LE16(uint16(entries.size()));
	uint32 offset = uint32(6 + 16 * entries.size());
	for (const Entry& entry : entries) {
		file.U8({entry.width, entry.height, 0, 0}).LE16(1).LE16(entry.bits);
		file.LE32(uint32(entry.data.Size())).LE32(offset);
		offset += uint32(entry.data.Size());
	}
	for (const Entry& entry : entries)
		file.Append(entry.data);
	return file;
}

// An icon entry's DIB: colour rows bottom-up, then the AND mask rows.
Entry
DibEntry(
	int32 width, int32 height, uint16 bits, std::vector<uint32> palette, Bytes pixels, Bytes mask)
{
	Dib dib;
	dib.width = width;
	dib.height = 2 * height;
	dib.bits = bits;
	dib.colorsUsed = uint32(palette.size());
	dib.palette = std::move(palette);
	dib.pixels = std::move(pixels).Append(mask);
	return {DibBytes(dib), uint8(width), uint8(height), bits};
}

Entry
Solid24(int32 width, uint32 rgb)
{
	Bytes row;
	for (int32 x = 0; x < width; x++)
		row.U8({int(rgb & 0xff), int(rgb >> 8 & 0xff), int(rgb >> 16)});
	row.Zeros((4 - row.Size() % 4) % 4);
	return DibEntry(width, 1, 24, {}, row, Bytes().Zeros(4));
}

using IcoCase = ImageCase<Bytes>;

std::vector<IcoCase>
Cases()
{
	Bytes rows24 = Bytes().U8({1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0});
	// Bottom row: its second pixel masked; top row: its first.
	Bytes mask = Bytes().U8({0x40, 0, 0, 0, 0x80, 0, 0, 0});
	Bytes alphaPixel = Bytes().U8({10, 20, 30, 128});
	Bytes zeroAlpha = Bytes().U8({10, 20, 30, 0, 40, 50, 60, 0});
	return {
		{"AndMaskOn24Bit", IcoFile({DibEntry(2, 2, 24, {}, rows24, mask)}), 2, 2,
			{kTransparent, Rgb(0x0c0b0a), Rgb(0x030201), kTransparent}},
		{"AlphaKeptStraight",
			IcoFile({DibEntry(1, 1, 32, {}, alphaPixel, Bytes().U8({0x80, 0, 0, 0}))}), 1, 1,
			{PackColor(30, 20, 10, 128)}},
		{"ZeroAlphaUsesMask",
			IcoFile({DibEntry(2, 1, 32, {}, zeroAlpha, Bytes().U8({0x40, 0, 0, 0}))}), 2, 1,
			{Rgb(0x1e140a), kTransparent}},
		{"PaletteWithMask",
			IcoFile({DibEntry(2, 1, 8, {0x123456, 0x654321}, Bytes().U8({1, 0, 0, 0}),
				Bytes().U8({0x80, 0, 0, 0}))}),
			2, 1, {kTransparent, Rgb(0x123456)}},
		{"CursorFile", IcoFile({Solid24(1, 0x010203)}, 2), 1, 1, {Rgb(0x010203)}},
		{"LargestThenDeepest",
			IcoFile({Solid24(1, 0x111111),
				DibEntry(2, 1, 4, {0, 0x222222}, Bytes().U8({0x11, 0, 0, 0}), Bytes().Zeros(4)),
				Solid24(2, 0x333333),
				DibEntry(2, 1, 8, {0x444444}, Bytes().Zeros(4), Bytes().Zeros(4))}),
			2, 1, {Rgb(0x333333), Rgb(0x333333)}},
	};
}

TEST(IcoReader, GivesExpectedPixels)
{
	FakePngReader png;
	ExpectImages(BPrivate::IcoReader(png), Cases());
}

TEST(IcoReader, PngEntryGoesToThePngReader)
{
	FakePngReader png;
	Bytes pngEntry;
	pngEntry.U8({0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'}).BE32(13).Text("IHDR");
	pngEntry.BE32(3).BE32(2).U8({8, 6, 0, 0, 0}).Zeros(20);
	Bytes file = IcoFile({Solid24(2, 0x010203), {pngEntry, 3, 2, 32}});
	ExpectImage(BPrivate::IcoReader(png), file, 3, 2, std::vector<uint32>(6, Rgb(0x123456)));
	ASSERT_EQ(png.fGiven.size(), pngEntry.Size());
	EXPECT_EQ(std::memcmp(png.fGiven.data(), pngEntry.Image().data, pngEntry.Size()), 0);
}

TEST(IcoReader, RefusesCutFiles)
{
	FakePngReader png;
	BPrivate::IcoReader reader(png);
	Entry noMask = DibEntry(2, 1, 24, {}, Bytes().Zeros(8), Bytes());
	ExpectRefusal(reader, IcoFile({noMask}), B_ILLEGAL_DATA, "is cut off");
	Bytes file = IcoFile({Solid24(2, 0x010203)});
	ExpectRefusal(reader, file.Cut(6 + 16 + 30), B_ILLEGAL_DATA, "is cut off");
	file.SetLE32(6 + 12, 5000);
	ExpectRefusal(reader, file, B_ILLEGAL_DATA, "is cut off");
}

TEST(IcoReader, RecognizesIconAndCursorDirectories)
{
	FakePngReader png;
	BPrivate::IcoReader reader(png);
	EXPECT_TRUE(reader.Recognizes(IcoFile({Solid24(1, 0)}, 1).Image()));
	EXPECT_TRUE(reader.Recognizes(IcoFile({Solid24(1, 0)}, 2).Image()));
	EXPECT_FALSE(reader.Recognizes(IcoFile({Solid24(1, 0)}, 3).Image()));
	EXPECT_FALSE(reader.Recognizes(IcoFile({}, 1).Zeros(16).Image()));
}

} // namespace
} // namespace readers
