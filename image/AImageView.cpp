#include "AImageView.h"

#include "BitmapConversion.h"
#include "MessageLines.h"

#include <InterfaceDefs.h>
#include <LockChecks.h>
#include <Window.h>

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
	if (!fBitmap) {
		DrawStatusText(updateRect);
		return;
	}
	BRect destination = fBitmap->Bounds();
	destination.OffsetBy(kMarginLeft, kMarginTop);
	if (updateRect.Intersects(destination))
		DrawBitmap(fBitmap.get(), destination);
}

void
AImageView::SetBitmap(BBitmap* bitmap)
{
	ASSERT_LOCKED(Window());
	if (bitmap != fBitmap.get())
		fBitmap.reset(bitmap);

	if (fBitmap && fBitmap->ColorSpace() != B_RGB32 && fBitmap->ColorSpace() != B_CMAP8) {
		// A bitmap that cannot be converted (no memory) leaves the view empty
		// rather than holding a colour space the rest of the program can't use.
		fBitmap = ConvertedBitmap(*fBitmap, B_RGB32);
	}
	Invalidate();
}

void
AImageView::SetStatusText(const char* text)
{
	ASSERT_LOCKED(Window());
	fStatusText = text != nullptr ? text : "";
	Invalidate();
}

// Where the lines break depends on the width.
void
AImageView::FrameResized(float, float)
{
	if (!fBitmap && !fStatusText.empty())
		Invalidate();
}

void
AImageView::DrawStatusText(BRect updateRect)
{
	if (fStatusText.empty())
		return;
	font_height height;
	GetFontHeight(&height);
	float lineHeight = height.ascent + height.descent + height.leading;
	float width = Bounds().Width() - kMarginLeft - kMarginLeft;
	std::vector<std::string> lines = MessageLines(fStatusText, width,
		[this](const std::string& piece) { return StringWidth(piece.c_str()); });

	BRect textArea(kMarginLeft, kMarginTop, Bounds().right,
		kMarginTop + lineHeight * static_cast<float>(lines.size()));
	if (!updateRect.Intersects(textArea))
		return;
	float baseline = kMarginTop + height.ascent;
	for (const std::string& line : lines) {
		DrawString(line.c_str(), BPoint(kMarginLeft, baseline));
		baseline += lineHeight;
	}
}
