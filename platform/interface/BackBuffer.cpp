// SPDX-License-Identifier: MIT
#include "BackBuffer.h"

#include <cmath>
#include <cstring>

namespace BPrivate {

namespace {

// The smallest rectangle of whole pixels covering `rect`.
BRect
PixelAligned(BRect rect)
{
	return BRect(
		std::floor(rect.left), std::floor(rect.top), std::ceil(rect.right), std::ceil(rect.bottom));
}

BRect
Unite(BRect a, BRect b)
{
	if (!a.IsValid())
		return b;
	if (!b.IsValid())
		return a;
	return a | b;
}

// Adds the whole pixels of `rect` that lie inside `bounds` to `area`;
// false when none do.
bool
AddWithin(BRect& area, BRect rect, BRect bounds)
{
	BRect added = PixelAligned(rect) & bounds;
	if (!added.IsValid())
		return false;
	area = Unite(area, added);
	return true;
}

} // namespace

BackBuffer::BackBuffer(BRect bounds)
	: fBounds(bounds), fBitmap(std::make_unique<BBitmap>(bounds, B_RGB32)), fUpdatePosted(false)
{ }

void
BackBuffer::Resize(BRect bounds)
{
	fBounds = bounds;
	fBitmap = std::make_unique<BBitmap>(bounds, B_RGB32);
	fDrawn = BRect();
}

bool
BackBuffer::Invalidate(BRect rect)
{
	return AddWithin(fDirty, rect, fBounds);
}

bool
BackBuffer::RequestUpdate()
{
	if (fUpdatePosted)
		return false;
	fUpdatePosted = true;
	return true;
}

BRect
BackBuffer::TakeDirty()
{
	BRect dirty = fDirty & fBounds;
	fDirty = BRect();
	return dirty;
}

bool
BackBuffer::NoteDrawn(BRect rect)
{
	return AddWithin(fDrawn, rect, fBounds);
}

std::unique_ptr<BBitmap>
BackBuffer::TakeDrawn(BPoint* where)
{
	if (!fDrawn.IsValid())
		return nullptr;
	BRect area = fDrawn & fBounds;
	fDrawn = BRect();
	if (!area.IsValid() || !fBitmap->IsValid())
		return nullptr;

	int32 left = static_cast<int32>(area.left);
	int32 top = static_cast<int32>(area.top);
	int32 width = static_cast<int32>(area.right) - left + 1;
	int32 height = static_cast<int32>(area.bottom) - top + 1;
	auto pixels = std::make_unique<BBitmap>(BRect(0, 0, width - 1, height - 1), B_RGB32);
	if (!pixels->IsValid())
		return nullptr;

	const uint8* source = static_cast<const uint8*>(fBitmap->Bits());
	uint8* destination = static_cast<uint8*>(pixels->Bits());
	for (int32 row = 0; row < height; row++) {
		memcpy(destination + row * pixels->BytesPerRow(),
			source + (top + row) * fBitmap->BytesPerRow() + left * 4, width * 4);
	}
	*where = BPoint(left, top);
	return pixels;
}

} // namespace BPrivate
