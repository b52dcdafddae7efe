// SPDX-License-Identifier: MIT
#include "AImageView.h"

#include "app/commands/Commands.h"
#include "export/BitmapConversion.h"
#include "MessageLines.h"

#include <AppDefs.h>
#include <InterfaceDefs.h>
#include <LockChecks.h>
#include <ScrollBar.h>
#include <Window.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr float kMargin = float(ImageViewport::kMargin);
// An arrow key or a scroll bar's arrow moves this far; a page keeps this
// much of what was in view.
constexpr float kSmallStep = 40.0f;

// The keys that move one scroll bar by a step: which bar, by its large
// step or its small one, and which way.
struct ScrollKey {
	char key;
	orientation bar;
	bool large;
	float direction;
};

constexpr ScrollKey kScrollKeys[] = {
	{B_LEFT_ARROW, B_HORIZONTAL, false, -1},
	{B_RIGHT_ARROW, B_HORIZONTAL, false, 1},
	{B_UP_ARROW, B_VERTICAL, false, -1},
	{B_DOWN_ARROW, B_VERTICAL, false, 1},
	{B_PAGE_UP, B_VERTICAL, true, -1},
	{B_PAGE_DOWN, B_VERTICAL, true, 1},
};

} // namespace

AImageView::AImageView(BRect frame)
	: BView(frame, nullptr, B_FOLLOW_ALL, B_WILL_DRAW), fScale(1), fAnnouncedScale(1),
	  fFitting(false), fShowTransparency(false), fHorizontalShown(nullptr), fVerticalShown(nullptr)
{
	SetViewColor(255, 255, 255, 255);
	fHorizontalSpare = std::make_unique<BScrollBar>(
		BRect(0, 0, 0, B_H_SCROLL_BAR_HEIGHT), "horizontal", nullptr, 0, 0, B_HORIZONTAL);
	fVerticalSpare = std::make_unique<BScrollBar>(
		BRect(0, 0, B_V_SCROLL_BAR_WIDTH, 0), "vertical", nullptr, 0, 0, B_VERTICAL);
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
	if (!updateRect.Intersects(destination))
		return;
	if (fShowTransparency && DrawCheckered(updateRect, destination))
		return;
	if (fScale < 1) {
		const BBitmap* shrunk = fDisplay.Shrunk(fScale, TransparencyShown::kAsMagicColor);
		if (shrunk != nullptr) {
			DrawBitmap(shrunk, destination.LeftTop());
			return;
		}
	}
	// At 1 and above, and as the last resort below it: the bitmap itself,
	// each screen pixel showing the nearest image pixel.
	DrawBitmap(fBitmap.get(), fBitmap->Bounds(), destination);
}

// Only the part being updated is composed: a screenful, not the image.
bool
AImageView::DrawCheckered(BRect updateRect, BRect destination)
{
	BRect tile = updateRect & destination;
	tile.left = std::floor(tile.left);
	tile.top = std::floor(tile.top);
	tile.right = std::ceil(tile.right);
	tile.bottom = std::ceil(tile.bottom);
	tile = tile & destination;
	std::unique_ptr<BBitmap> pixels = fDisplay.CheckeredTile(tile, destination.LeftTop(), fScale);
	if (!pixels)
		return false;
	DrawBitmap(pixels.get(), tile.LeftTop());
	return true;
}

// Where the image lands in the view's coordinates; at 1× the bitmap's
// bounds moved by the margin.
BRect
AImageView::ImageRect() const
{
	BRect destination = fBitmap->Bounds();
	destination.OffsetBy(kMargin, kMargin);
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
	fDisplay.SetImage(fBitmap.get());
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
	float width = Bounds().Width() - 2 * kMargin;
	std::vector<std::string> lines = MessageLines(fStatusText, width,
		[this](const std::string& piece) { return StringWidth(piece.c_str()); });

	BRect textArea(
		kMargin, kMargin, Bounds().right, kMargin + lineHeight * static_cast<float>(lines.size()));
	if (!updateRect.Intersects(textArea))
		return;
	float baseline = kMargin + height.ascent;
	for (const std::string& line : lines) {
		DrawString(line.c_str(), BPoint(kMargin, baseline));
		baseline += lineHeight;
	}
}

void
AImageView::KeyDown(const char* bytes, int32 numBytes)
{
	char key = numBytes == 1 ? bytes[0] : 0;
	for (const ScrollKey& scroll : kScrollKeys) {
		if (scroll.key != key)
			continue;
		if (BScrollBar* bar = ScrollBar(scroll.bar)) {
			float small = 0;
			float big = 0;
			bar->GetSteps(&small, &big);
			bar->SetValue(bar->Value() + scroll.direction * (scroll.large ? big : small));
		}
		return;
	}
	if (key != B_HOME && key != B_END) {
		BView::KeyDown(bytes, numBytes);
		return;
	}
	// Home and End go to the start or the end of both bars.
	for (BScrollBar* bar : {ScrollBar(B_HORIZONTAL), ScrollBar(B_VERTICAL)}) {
		if (bar == nullptr)
			continue;
		float minimum = 0;
		float maximum = 0;
		bar->GetRange(&minimum, &maximum);
		bar->SetValue(key == B_END ? maximum : minimum);
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
AImageView::SetShowTransparency(bool show)
{
	ASSERT_LOCKED(Window());
	if (show == fShowTransparency)
		return;
	fShowTransparency = show;
	Invalidate();
}

void
AImageView::MessageReceived(BMessage* message)
{
	int32 modifiers = 0;
	if (message->what != B_MOUSE_WHEEL_CHANGED
		|| message->FindInt32("modifiers", &modifiers) != B_OK
		|| (modifiers & B_COMMAND_KEY) == 0) {
		BView::MessageReceived(message);
		return;
	}
	float deltaY = 0;
	message->FindFloat("be:wheel_delta_y", &deltaY);
	int32 notches = int32(std::lround(deltaY));
	if (!fBitmap || notches == 0)
		return;
	float scale = fScale;
	for (int32 step = 0; step < std::abs(notches); step++)
		scale = notches < 0 ? ImageViewport::ZoomedIn(scale) : ImageViewport::ZoomedOut(scale);
	BPoint where;
	if (message->FindPoint("where", &where) != B_OK) {
		ChangeScale(scale, false);
		return;
	}
	BPoint inView = ConvertFromWindow(where);
	BPoint origin = Origin();
	ChangeScale(scale, false, BPoint(inView.x - origin.x, inView.y - origin.y));
}

void
AImageView::ChangeScale(float scale, bool fitting, std::optional<BPoint> anchor)
{
	ASSERT_LOCKED(Window());
	float oldScale = fScale;
	ViewportLayout old = fLayout;
	BPoint origin = Origin();
	fScale = scale;
	fFitting = fitting;
	if (!fArea.IsValid()) {
		AnnounceScale();
		return;
	}
	LayOut(fArea);
	if (fScale == oldScale)
		return;
	if (anchor) {
		ScrollTo(float(ImageViewport::KeepPoint(
					 int32(origin.x), anchor->x, oldScale, fScale, fLayout.maxScrollX)),
			float(ImageViewport::KeepPoint(
				int32(origin.y), anchor->y, oldScale, fScale, fLayout.maxScrollY)));
	} else {
		ScrollTo(float(ImageViewport::KeepCentre(int32(origin.x), old.viewWidth, oldScale, fScale,
					 fLayout.viewWidth, fLayout.maxScrollX)),
			float(ImageViewport::KeepCentre(int32(origin.y), old.viewHeight, oldScale, fScale,
				fLayout.viewHeight, fLayout.maxScrollY)));
	}
	Invalidate();
}

// Told once per change, however it came about (a command, the wheel, the
// window's size while fitting).
void
AImageView::AnnounceScale()
{
	if (fScale == fAnnouncedScale || Window() == nullptr)
		return;
	fAnnouncedScale = fScale;
	Window()->PostMessage(kMsgScaleChanged);
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
	BScrollBar* horizontal = ShowBar(
		fHorizontalSpare, fHorizontalShown, fLayout.horizontalBar, bottom);
	BScrollBar* vertical = ShowBar(fVerticalSpare, fVerticalShown, fLayout.verticalBar, right);

	struct Axis {
		BScrollBar* bar;
		int32 view;
		int32 content;
		int32 maxScroll;
	};
	for (const Axis& axis :
		{Axis{horizontal, fLayout.viewWidth, fLayout.contentWidth, fLayout.maxScrollX},
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
	AnnounceScale();
}

BScrollBar*
AImageView::ShowBar(std::unique_ptr<BScrollBar>& spare, BScrollBar*& shown, bool show, BRect frame)
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
