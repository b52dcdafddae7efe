#include "AImageView.h"

#include "export/BitmapConversion.h"
#include "MessageLines.h"

#include <InterfaceDefs.h>
#include <LockChecks.h>
#include <ScrollBar.h>
#include <Window.h>

#include <algorithm>

namespace {

constexpr float kMarginLeft = 16.0f;
constexpr float kMarginTop = 16.0f;
// An arrow key or a scroll bar's arrow moves this far; a page keeps this
// much of what was in view.
constexpr float kSmallStep = 40.0f;

} // namespace

AImageView::AImageView(BRect frame)
	:
	BView(frame, nullptr, B_FOLLOW_ALL, B_WILL_DRAW),
	fScale(1),
	fFitting(false),
	fHorizontalShown(nullptr),
	fVerticalShown(nullptr)
{
	SetViewColor(255, 255, 255, 255);
	fHorizontalSpare = std::make_unique<BScrollBar>(BRect(0, 0, 0, B_H_SCROLL_BAR_HEIGHT),
		"horizontal", nullptr, 0, 0, B_HORIZONTAL);
	fVerticalSpare = std::make_unique<BScrollBar>(BRect(0, 0, B_V_SCROLL_BAR_WIDTH, 0),
		"vertical", nullptr, 0, 0, B_VERTICAL);
}

AImageView::~AImageView() = default;

void
AImageView::Draw(BRect updateRect)
{
	if (!fBitmap) {
		DrawStatusText(updateRect);
		return;
	}
	BRect destination = ImageRect();
	if (updateRect.Intersects(destination))
		DrawBitmap(fBitmap.get(), fBitmap->Bounds(), destination);
}

// Where the image lands in the view's coordinates; at 1× the bitmap's
// bounds moved by the margin.
BRect
AImageView::ImageRect() const
{
	BRect destination = fBitmap->Bounds();
	destination.OffsetBy(kMarginLeft, kMarginTop);
	if (fScale != 1) {
		destination.right = destination.left
			+ float(ImageViewport::ScaledLength(fBitmap->Width(), fScale) - 1);
		destination.bottom = destination.top
			+ float(ImageViewport::ScaledLength(fBitmap->Height(), fScale) - 1);
	}
	return destination;
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
		BPrivate::Result<std::unique_ptr<BBitmap>> converted = ConvertedBitmap(*fBitmap, B_RGB32);
		fBitmap = converted ? std::move(converted).Value() : nullptr;
	}
	BitmapChanged();
}

void
AImageView::KeepBitmap(BBitmap* bitmap)
{
	ASSERT_LOCKED(Window());
	if (bitmap != fBitmap.get())
		fBitmap.reset(bitmap);
	BitmapChanged();
}

void
AImageView::BitmapChanged()
{
	if (fArea.IsValid() && Window() != nullptr)
		LayOut(fArea);
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

void
AImageView::KeyDown(const char* bytes, int32 numBytes)
{
	BScrollBar* horizontal = ScrollBar(B_HORIZONTAL);
	BScrollBar* vertical = ScrollBar(B_VERTICAL);
	auto move = [](BScrollBar* bar, bool large, float direction) {
		if (bar == nullptr)
			return;
		float small = 0;
		float big = 0;
		bar->GetSteps(&small, &big);
		bar->SetValue(bar->Value() + direction * (large ? big : small));
	};
	auto toEnd = [](BScrollBar* bar, bool last) {
		if (bar == nullptr)
			return;
		float minimum = 0;
		float maximum = 0;
		bar->GetRange(&minimum, &maximum);
		bar->SetValue(last ? maximum : minimum);
	};
	switch (numBytes == 1 ? bytes[0] : 0) {
		case B_LEFT_ARROW:
			move(horizontal, false, -1);
			break;
		case B_RIGHT_ARROW:
			move(horizontal, false, 1);
			break;
		case B_UP_ARROW:
			move(vertical, false, -1);
			break;
		case B_DOWN_ARROW:
			move(vertical, false, 1);
			break;
		case B_PAGE_UP:
			move(vertical, true, -1);
			break;
		case B_PAGE_DOWN:
			move(vertical, true, 1);
			break;
		case B_HOME:
			toEnd(horizontal, false);
			toEnd(vertical, false);
			break;
		case B_END:
			toEnd(horizontal, true);
			toEnd(vertical, true);
			break;
		default:
			BView::KeyDown(bytes, numBytes);
	}
}

void
AImageView::ZoomIn()
{
	ChangeScale(ImageViewport::ZoomedIn(fScale), false);
}

void
AImageView::ZoomOut()
{
	ChangeScale(ImageViewport::ZoomedOut(fScale), false);
}

void
AImageView::ActualSize()
{
	ChangeScale(1, false);
}

void
AImageView::FitInWindow()
{
	// LayOut works the scale out for the area.
	ChangeScale(fScale, true);
}

void
AImageView::SetZoom(int32 factor)
{
	ChangeScale(float(std::clamp(factor, ImageViewport::kMinimumZoom,
		ImageViewport::kMaximumZoom)), false);
}

// The image point at the centre of the view stays there.
void
AImageView::ChangeScale(float scale, bool fitting)
{
	ASSERT_LOCKED(Window());
	float oldScale = fScale;
	ViewportLayout old = fLayout;
	BPoint origin = Origin();
	fScale = scale;
	fFitting = fitting;
	if (!fArea.IsValid())
		return;
	LayOut(fArea);
	if (fScale == oldScale)
		return;
	ScrollTo(float(ImageViewport::KeepCentre(int32(origin.x), old.viewWidth, oldScale, fScale,
				 fLayout.viewWidth, fLayout.maxScrollX)),
		float(ImageViewport::KeepCentre(int32(origin.y), old.viewHeight, oldScale, fScale,
			fLayout.viewHeight, fLayout.maxScrollY)));
	Invalidate();
}

void
AImageView::LayOut(BRect area)
{
	ASSERT_LOCKED(Window());
	fArea = area;
	int32 areaWidth = int32(area.Width()) + 1;
	int32 areaHeight = int32(area.Height()) + 1;
	int32 imageWidth = fBitmap ? fBitmap->Width() : 0;
	int32 imageHeight = fBitmap ? fBitmap->Height() : 0;
	if (fFitting)
		fScale = ImageViewport::FitScale(areaWidth, areaHeight, imageWidth, imageHeight);
	fLayout = ImageViewport::Layout(areaWidth, areaHeight, imageWidth, imageHeight, fScale);

	MoveTo(area.LeftTop());
	ResizeTo(float(fLayout.viewWidth - 1), float(fLayout.viewHeight - 1));

	BRect bottom(area.left, area.bottom - B_H_SCROLL_BAR_HEIGHT,
		area.left + float(fLayout.viewWidth - 1), area.bottom);
	BRect right(area.right - B_V_SCROLL_BAR_WIDTH, area.top, area.right,
		area.top + float(fLayout.viewHeight - 1));
	BScrollBar* horizontal = ShowBar(fHorizontalSpare, fHorizontalShown,
		fLayout.horizontalBar, bottom);
	BScrollBar* vertical = ShowBar(fVerticalSpare, fVerticalShown, fLayout.verticalBar, right);

	struct Axis {
		BScrollBar* bar;
		int32 view;
		int32 content;
		int32 maxScroll;
	};
	for (const Axis& axis : {Axis{horizontal, fLayout.viewWidth, fLayout.contentWidth,
			 fLayout.maxScrollX},
			 Axis{vertical, fLayout.viewHeight, fLayout.contentHeight, fLayout.maxScrollY}}) {
		if (axis.bar == nullptr)
			continue;
		axis.bar->SetRange(0, float(axis.maxScroll));
		axis.bar->SetProportion(float(axis.view) / float(std::max(axis.content, 1)));
		axis.bar->SetSteps(kSmallStep, float(std::max(axis.view - int32(kSmallStep), 1)));
	}
	BPoint origin = Origin();
	ScrollTo(float(ImageViewport::Clamp(int32(origin.x), fLayout.maxScrollX)),
		float(ImageViewport::Clamp(int32(origin.y), fLayout.maxScrollY)));
}

BScrollBar*
AImageView::ShowBar(std::unique_ptr<BScrollBar>& spare, BScrollBar*& shown, bool show,
	BRect frame)
{
	if (show && shown == nullptr) {
		shown = spare.release();
		shown->MoveTo(frame.LeftTop());
		shown->ResizeTo(frame.Width(), frame.Height());
		shown->SetTarget(this);
		Window()->AddChild(shown);
	} else if (!show && shown != nullptr) {
		shown->SetValue(0);
		Window()->RemoveChild(shown);
		shown->SetTarget(nullptr);
		spare.reset(shown);
		shown = nullptr;
	}
	if (shown != nullptr) {
		shown->MoveTo(frame.LeftTop());
		shown->ResizeTo(frame.Width(), frame.Height());
	}
	return shown;
}
