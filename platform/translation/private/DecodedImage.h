// SPDX-License-Identifier: MIT
#pragma once

// The pixels a small-format reader decodes into: straight B, G, R, A bytes,
// rows top to bottom, every pixel transparent black until written. Holds the
// reader's only large allocation, made after the image's size has passed
// DecodeLimits, and hands the pixels over as a bitmap in the closest colour
// space. Private to the translation kit; one decode on one thread.

#include <Bitmap.h>
#include <Result.h>
#include <SupportDefs.h>

#include <memory>
#include <vector>

namespace BPrivate {

// What the pixels stand for, which decides the colour spaces worth trying.
enum class PixelKind {
	TrueColor, // B_RGB32, or B_RGBA32 with transparency
	Palette, // B_CMAP8 when lossless, else B_GRAY8 when all opaque grey
	Gray // B_GRAY8 when all opaque, else as true colour
};

class DecodedImage {
public:
	// Checks the size against the limits and reserves the pixels; the
	// refusal when the size is refused or the memory is not there.
	Result<void> Allocate(int64 width, int64 height);

	int32 Width() const { return fWidth; }
	int32 Height() const { return fHeight; }

	uint8* Row(int32 y) { return fPixels.data() + size_t(y) * size_t(fWidth) * 4; }
	void SetPixel(int32 x, int32 y, uint32 color);
	uint32 Pixel(int32 x, int32 y) const;

	// True when some pixel has an alpha other than 0; readers whose alpha is
	// only meaningful when used check this ("all zero means opaque").
	bool AnyAlpha() const;
	void MakeOpaque();

	// Gives the pixels away as a bitmap, never null; the image is empty
	// afterwards. The refusal when the bitmap could not be made, or when
	// there are no pixels to give.
	Result<std::unique_ptr<BBitmap>> TakeBitmap(PixelKind kind);

private:
	bool IsOpaqueGray() const;
	void CompactToGray();

	int32 fWidth = 0;
	int32 fHeight = 0;
	std::vector<uint8> fPixels;
};

// Runs a decoder whose Decode(DecodedImage&) fills the pixels and says what
// they stand for, then hands them over as a bitmap; the decoder's refusal
// when it fails.
template <typename Decoder>
Result<std::unique_ptr<BBitmap>>
DecodeToBitmap(Decoder&& decoder)
{
	DecodedImage pixels;
	Result<PixelKind> kind = decoder.Decode(pixels);
	if (!kind)
		return kind.TakeError();
	return pixels.TakeBitmap(kind.Value());
}

// A straight colour packed as b | g << 8 | r << 16 | a << 24, the byte order
// of B_RGBA32 in memory on a little-endian machine.
inline uint32
PackColor(uint8 red, uint8 green, uint8 blue, uint8 alpha = 255)
{
	return uint32(blue) | uint32(green) << 8 | uint32(red) << 16 | uint32(alpha) << 24;
}

} // namespace BPrivate
