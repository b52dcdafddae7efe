// SPDX-License-Identifier: MIT
#include "BitmapPainter.h"

#include "ColorConversion.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

// Drawing is B_OP_COPY: every pixel drawn replaces the target's, converted
// into its colour space; nothing is blended. A transparent source pixel thus
// becomes the target's transparent value (index 255 in B_CMAP8, the magic
// 0x00777477 in B_RGB32), as the platform's copy mode does; a window shows
// that as the magic colour.

namespace BPrivate {

namespace {

// Coordinates far beyond any bitmap are cut to this, so that float to
// integer conversions stay defined.
constexpr float kCoordinateLimit = 1 << 30;

// An inclusive range of whole pixel coordinates; empty when first > last.
struct Span {
	int64 first;
	int64 last;

	int64 Length() const { return last - first + 1; }
	bool IsEmpty() const { return first > last; }
	Span operator&(Span other) const
	{
		return {std::max(first, other.first), std::min(last, other.last)};
	}
};

// Pixel centres sit on whole coordinates; an edge rounds to the nearest one.
int64
ToPixel(float coordinate)
{
	return int64(std::floor(std::clamp(coordinate, -kCoordinateLimit, kCoordinateLimit) + 0.5f));
}

bool
ToSpans(BRect rect, Span& horizontal, Span& vertical)
{
	if (std::isnan(rect.left) || std::isnan(rect.top) || std::isnan(rect.right)
		|| std::isnan(rect.bottom) || !rect.IsValid()) {
		return false;
	}
	horizontal = {ToPixel(rect.left), ToPixel(rect.right)};
	vertical = {ToPixel(rect.top), ToPixel(rect.bottom)};
	return !horizontal.IsEmpty() && !vertical.IsEmpty();
}

// The area of a bitmap in its own coordinates.
void
BitmapSpans(const BBitmap& bitmap, Span& horizontal, Span& vertical)
{
	int64 left = ToPixel(bitmap.Bounds().left);
	int64 top = ToPixel(bitmap.Bounds().top);
	horizontal = {left, left + bitmap.Width() - 1};
	vertical = {top, top + bitmap.Height() - 1};
}

// Nearest neighbour: destination pixel d of `destination` takes the source
// pixel whose span its centre falls in. Equal lengths map one to one.
int64
SourceFor(int64 d, Span destination, Span source)
{
	return source.first
		+ ((2 * (d - destination.first) + 1) * source.Length()) / (2 * destination.Length());
}

// Narrows `drawn` (destination coordinates) to the pixels whose source lies
// inside `available` (source coordinates). The mapping only grows, so the
// pixels that stay form one range.
Span
KeepInside(Span drawn, Span destination, Span source, Span available)
{
	while (!drawn.IsEmpty() && SourceFor(drawn.first, destination, source) < available.first)
		drawn.first++;
	while (!drawn.IsEmpty() && SourceFor(drawn.last, destination, source) > available.last)
		drawn.last--;
	return drawn;
}

// A shortcut for the loops above when the scale is one, so that a large
// unscaled clip does not walk pixel by pixel.
Span
KeepInsideUnscaled(Span drawn, Span destination, Span source, Span available)
{
	int64 shift = source.first - destination.first;
	return drawn & Span{available.first - shift, available.last - shift};
}

} // namespace

void
FillRect(BBitmap* target, BRect rect, rgb_color color, BRect clip)
{
	if (target == nullptr || !target->IsValid())
		return;
	Span rectX, rectY, clipX, clipY, targetX, targetY;
	if (!ToSpans(rect, rectX, rectY) || !ToSpans(clip, clipX, clipY))
		return;
	BitmapSpans(*target, targetX, targetY);
	Span drawX = rectX & clipX & targetX;
	Span drawY = rectY & clipY & targetY;
	if (drawX.IsEmpty() || drawY.IsEmpty())
		return;

	// One B_RGBA32 source pixel, read again for every target pixel.
	const uint8 source[4] = {color.blue, color.green, color.red, color.alpha};
	std::vector<int32> sameColumn(size_t(drawX.Length()), 0);
	uint8* bits = static_cast<uint8*>(target->Bits());
	for (int64 y = drawY.first; y <= drawY.last; y++) {
		uint8* row = bits + (y - targetY.first) * target->BytesPerRow();
		ConvertMappedPixels(source, B_RGBA32, sameColumn.data(), row, target->ColorSpace(),
			int32(drawX.first - targetX.first), int32(drawX.Length()));
	}
}

void
DrawBitmap(BBitmap* target, const BBitmap& source, BRect sourceRect, BRect destination, BRect clip)
{
	if (target == nullptr || !target->IsValid() || !source.IsValid())
		return;
	// Drawing a bitmap into itself reads from a copy, so that no pixel is
	// read after it was overwritten.
	std::unique_ptr<BBitmap> copy;
	const BBitmap* from = &source;
	if (from == target) {
		copy = std::make_unique<BBitmap>(source.Bounds(), source.ColorSpace());
		if (!copy->IsValid())
			return;
		std::memcpy(copy->Bits(), source.Bits(), size_t(source.BitsLength()));
		from = copy.get();
	}

	Span fromX, fromY, toX, toY, clipX, clipY, targetX, targetY, sourceX, sourceY;
	if (!ToSpans(sourceRect, fromX, fromY) || !ToSpans(destination, toX, toY)
		|| !ToSpans(clip, clipX, clipY)) {
		return;
	}
	BitmapSpans(*target, targetX, targetY);
	BitmapSpans(*from, sourceX, sourceY);
	bool scaledX = fromX.Length() != toX.Length();
	bool scaledY = fromY.Length() != toY.Length();
	Span drawX = toX & clipX & targetX;
	Span drawY = toY & clipY & targetY;
	drawX = scaledX ? KeepInside(drawX, toX, fromX, sourceX)
					: KeepInsideUnscaled(drawX, toX, fromX, sourceX);
	drawY = scaledY ? KeepInside(drawY, toY, fromY, sourceY)
					: KeepInsideUnscaled(drawY, toY, fromY, sourceY);
	if (drawX.IsEmpty() || drawY.IsEmpty())
		return;

	int32 count = int32(drawX.Length());
	int32 targetFirst = int32(drawX.first - targetX.first);
	std::vector<int32> columns;
	if (scaledX) {
		columns.resize(size_t(count));
		for (int32 i = 0; i < count; i++)
			columns[i] = int32(SourceFor(drawX.first + i, toX, fromX) - sourceX.first);
	}
	int32 sourceFirst = int32(SourceFor(drawX.first, toX, fromX) - sourceX.first);

	const uint8* sourceBits = static_cast<const uint8*>(from->Bits());
	uint8* targetBits = static_cast<uint8*>(target->Bits());
	for (int64 y = drawY.first; y <= drawY.last; y++) {
		int64 sourceRow = SourceFor(y, toY, fromY) - sourceY.first;
		const uint8* in = sourceBits + sourceRow * from->BytesPerRow();
		uint8* out = targetBits + (y - targetY.first) * target->BytesPerRow();
		if (scaledX) {
			ConvertMappedPixels(in, from->ColorSpace(), columns.data(), out, target->ColorSpace(),
				targetFirst, count);
		} else {
			ConvertPixels(
				in, from->ColorSpace(), sourceFirst, out, target->ColorSpace(), targetFirst, count);
		}
	}
}

} // namespace BPrivate
