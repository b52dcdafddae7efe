// SPDX-License-Identifier: MIT
#include "ImageDisplay.h"

#include "ImageRows.h"
#include "ImageViewport.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

inline uint32
Blend(uint32 channel, uint32 alpha, uint32 background)
{
	return (channel * alpha + background * (255 - alpha) + 127) / 255;
}

} // namespace

ImageDisplay::ImageDisplay()
	: fImage(nullptr), fShrunkScale(0), fShrunkTransparency(TransparencyShown::kAsMagicColor)
{ }

ImageDisplay::~ImageDisplay() = default;

void
ImageDisplay::SetImage(const BBitmap* image)
{
	fImage = image;
	fShrunk.reset();
}

const BBitmap*
ImageDisplay::Shrunk(float scale, TransparencyShown transparency)
{
	if (fImage == nullptr || scale >= 1)
		return nullptr;
	if (fShrunk && fShrunkScale == scale && fShrunkTransparency == transparency)
		return fShrunk.get();
	// The copy made before goes first: a large image has room for one.
	fShrunk.reset();
	fShrunk = ShrinkImage(*fImage, ImageViewport::ScaledLength(fImage->Width(), scale),
		ImageViewport::ScaledLength(fImage->Height(), scale), transparency);
	fShrunkScale = scale;
	fShrunkTransparency = transparency;
	return fShrunk.get();
}

uint8
ImageDisplay::CheckerLevel(int32 x, int32 y)
{
	bool dark = ((x / kCheckerSquare) + (y / kCheckerSquare)) % 2 != 0;
	return dark ? kCheckerDark : kCheckerLight;
}

std::unique_ptr<BBitmap>
ImageDisplay::CheckeredTile(BRect tile, BPoint imageLeftTop, float scale)
{
	const BBitmap* source = scale < 1 ? Shrunk(scale, TransparencyShown::kAsAlpha) : fImage;
	if (source == nullptr || !tile.IsValid())
		return nullptr;
	// Above 1 the scale is a whole factor: each image pixel a square block.
	const int32 factor = scale < 1 ? 1 : std::max(int32(std::lround(scale)), int32(1));
	ImageRows rows(*source);
	auto result = std::make_unique<BBitmap>(tile.OffsetToCopy(0, 0), B_RGB32);
	if (!rows.IsValid() || !result->IsValid())
		return nullptr;

	const int32 left = int32(std::floor(tile.left));
	const int32 top = int32(std::floor(tile.top));
	const int32 width = result->Width();
	const int32 height = result->Height();
	const int32 imageLeft = int32(std::floor(imageLeftTop.x));
	const int32 imageTop = int32(std::floor(imageLeftTop.y));
	std::vector<uint32> out(static_cast<size_t>(width));
	uint8* bits = static_cast<uint8*>(result->Bits());
	const uint32* row = nullptr;
	int32 rowRead = -1;
	for (int32 y = 0; y < height; y++) {
		const int32 fromTop = top + y - imageTop;
		const int32 sourceY = std::clamp(fromTop / factor, int32(0), rows.Height() - 1);
		if (sourceY != rowRead) {
			row = rows.Row(sourceY);
			rowRead = sourceY;
		}
		for (int32 x = 0; x < width; x++) {
			const int32 fromLeft = left + x - imageLeft;
			const int32 sourceX = std::clamp(fromLeft / factor, int32(0), rows.Width() - 1);
			const uint32 pixel = row[sourceX];
			const uint32 alpha = pixel >> 24;
			if (alpha == 255) {
				out[size_t(x)] = pixel;
				continue;
			}
			const uint32 grey = CheckerLevel(fromLeft, fromTop);
			out[size_t(x)] = Blend(pixel & 0xff, alpha, grey)
				| Blend((pixel >> 8) & 0xff, alpha, grey) << 8
				| Blend((pixel >> 16) & 0xff, alpha, grey) << 16 | 0xff000000u;
		}
		std::memcpy(
			bits + int64(y) * result->BytesPerRow(), out.data(), out.size() * sizeof(uint32));
	}
	return result;
}
