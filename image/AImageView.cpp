#include "AImageView.h"

#include "BitmapConversion.h"

#include <InterfaceDefs.h>

namespace {

constexpr float kMarginLeft = 16.0f;
constexpr float kMarginTop = 16.0f;

} // namespace

AImageView::AImageView(BRect frame)
	:
	BView(frame, nullptr, B_FOLLOW_ALL, B_WILL_DRAW)
{
	SetViewColor(255, 255, 255, 255);
}

AImageView::~AImageView() = default;

void
AImageView::Draw(BRect updateRect)
{
	if (!fBitmap)
		return;
	BRect destination = fBitmap->Bounds();
	destination.OffsetBy(kMarginLeft, kMarginTop);
	if (updateRect.Intersects(destination))
		DrawBitmap(fBitmap.get(), destination);
}

void
AImageView::SetBitmap(BBitmap* bitmap)
{
	if (bitmap != fBitmap.get())
		fBitmap.reset(bitmap);

	if (fBitmap && fBitmap->ColorSpace() != B_RGB32 && fBitmap->ColorSpace() != B_CMAP8) {
		// A bitmap that cannot be converted (no memory) leaves the view empty
		// rather than holding a colour space the rest of the program can't use.
		fBitmap = ConvertedBitmap(*fBitmap, B_RGB32);
	}
	Invalidate();
}
