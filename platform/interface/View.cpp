// SPDX-License-Identifier: MIT
#include "View.h"

#include "IndexedList.h"

#include <Bitmap.h>
#include <BitmapPainter.h>
#include <AppDefs.h>
#include <LockChecks.h>
#include <Message.h>
#include <ScrollBar.h>
#include <Window.h>

#include <algorithm>
#include <cstring>

BView::BView(BRect frame, const char* name, uint32 resizingMode, uint32 flags)
	: BHandler(name), fFrame(frame), fResizingMode(resizingMode),
	  fFlags(flags), fViewColor{255, 255, 255, 255}, fHighColor{0, 0, 0, 255}, fLowColor{255, 255,
																				   255, 255},
	  fParent(nullptr), fWindow(nullptr), fHorizontalBar(nullptr), fVerticalBar(nullptr)
{ }

BView::~BView()
{
	if (fHorizontalBar != nullptr)
		fHorizontalBar->fTarget = nullptr;
	if (fVerticalBar != nullptr)
		fVerticalBar->fTarget = nullptr;
	if (fParent != nullptr)
		fParent->RemoveChild(this);
	else if (fWindow != nullptr)
		DetachFromWindow();

	while (!fChildren.empty()) {
		std::unique_ptr<BView> child = std::move(fChildren.back());
		fChildren.pop_back();
		child->fParent = nullptr;
		if (child->fWindow != nullptr)
			child->DetachFromWindow();
	}
}

void
BView::Draw(BRect)
{ }

void
BView::AttachedToWindow()
{ }

void
BView::AllAttached()
{ }

void
BView::DetachedFromWindow()
{ }

void
BView::FrameResized(float, float)
{ }

void
BView::FrameMoved(BPoint)
{ }

void
BView::KeyDown(const char* bytes, int32 numBytes)
{
	if (BView* parent = Parent())
		parent->KeyDown(bytes, numBytes);
}

void
BView::MessageReceived(BMessage* message)
{
	if (message->what == B_MOUSE_WHEEL_CHANGED) {
		float dx = 0;
		float dy = 0;
		message->FindFloat("be:wheel_delta_x", &dx);
		message->FindFloat("be:wheel_delta_y", &dy);
		if (fHorizontalBar == nullptr && fVerticalBar == nullptr) {
			if (BView* parent = Parent())
				parent->MessageReceived(message);
			return;
		}
		// A vertical wheel over a view that only scrolls sideways moves it
		// sideways.
		if (fVerticalBar == nullptr && dx == 0)
			std::swap(dx, dy);
		for (BScrollBar* bar : {fHorizontalBar, fVerticalBar}) {
			float delta = bar == fHorizontalBar ? dx : dy;
			if (bar == nullptr || delta == 0)
				continue;
			float small = 0;
			float big = 0;
			bar->GetSteps(&small, &big);
			bar->SetValue(bar->Value() + delta * 3 * small);
		}
		return;
	}
	BHandler::MessageReceived(message);
}

BView*
BView::Parent() const
{
	if (fParent != nullptr && fWindow != nullptr && fParent == fWindow->fTopView.get())
		return nullptr;
	return fParent;
}

void
BView::AddChild(BView* child, BView* before)
{
	ASSERT_LOCKED(fWindow);
	if (child == nullptr || child == this || child->fParent != nullptr)
		return;

	auto position = fChildren.end();
	if (before != nullptr) {
		position = std::find_if(fChildren.begin(), fChildren.end(),
			[before](const std::unique_ptr<BView>& view) { return view.get() == before; });
	}
	fChildren.insert(position, std::unique_ptr<BView>(child));
	child->fParent = this;
	if (fWindow != nullptr) {
		child->AttachTo(fWindow);
		child->Invalidate();
	}
}

bool
BView::RemoveChild(BView* child)
{
	ASSERT_LOCKED(fWindow);
	auto found = std::find_if(fChildren.begin(), fChildren.end(),
		[child](const std::unique_ptr<BView>& view) { return view.get() == child; });
	if (found == fChildren.end())
		return false;

	if (child->fWindow != nullptr) {
		InvalidateInParent(child->fFrame);
		child->DetachFromWindow();
	}
	found->release();
	fChildren.erase(found);
	child->fParent = nullptr;
	return true;
}

bool
BView::RemoveSelf()
{
	return fParent != nullptr && fParent->RemoveChild(this);
}

int32
BView::CountChildren() const
{
	return BPrivate::CountOf(fChildren);
}

BView*
BView::ChildAt(int32 index) const
{
	return BPrivate::ElementAt(fChildren, index);
}

BView*
BView::NextSibling() const
{
	if (fParent == nullptr)
		return nullptr;
	const auto& siblings = fParent->fChildren;
	for (size_t index = 0; index + 1 < siblings.size(); index++) {
		if (siblings[index].get() == this)
			return siblings[index + 1].get();
	}
	return nullptr;
}

BView*
BView::FindView(const char* name) const
{
	if (name == nullptr)
		return nullptr;
	if (Name() != nullptr && strcmp(Name(), name) == 0)
		return const_cast<BView*>(this);
	for (const auto& child : fChildren) {
		if (BView* found = child->FindView(name))
			return found;
	}
	return nullptr;
}

BRect
BView::Bounds() const
{
	return BRect(fOrigin.x, fOrigin.y, fOrigin.x + fFrame.Width(), fOrigin.y + fFrame.Height());
}

void
BView::ScrollTo(BPoint where)
{
	ASSERT_LOCKED(fWindow);
	if (where == fOrigin)
		return;
	fOrigin = where;
	// The bars show where the view is; setting a bar's value to the one it
	// has changes nothing, so this does not come back here.
	if (fHorizontalBar != nullptr)
		fHorizontalBar->SetValue(where.x);
	if (fVerticalBar != nullptr)
		fVerticalBar->SetValue(where.y);
	Invalidate();
}

void
BView::ScrollBy(float dx, float dy)
{
	ScrollTo(BPoint(fOrigin.x + dx, fOrigin.y + dy));
}

BScrollBar*
BView::ScrollBar(orientation direction) const
{
	return direction == B_HORIZONTAL ? fHorizontalBar : fVerticalBar;
}

void
BView::MakeFocus(bool focus)
{
	ASSERT_LOCKED(fWindow);
	if (fWindow == nullptr)
		return;
	if (focus)
		fWindow->fFocus = this;
	else if (fWindow->fFocus == this)
		fWindow->fFocus = nullptr;
}

bool
BView::IsFocus() const
{
	return fWindow != nullptr && fWindow->fFocus == this;
}

void
BView::SetFlags(uint32 flags)
{
	fFlags = flags;
}

void
BView::MoveTo(BPoint where)
{
	SetFrame(fFrame.OffsetToCopy(where.x, where.y));
}

void
BView::MoveBy(float dx, float dy)
{
	SetFrame(fFrame.OffsetByCopy(dx, dy));
}

void
BView::ResizeTo(float width, float height)
{
	BRect frame = fFrame;
	frame.right = frame.left + std::max(width, 0.0f);
	frame.bottom = frame.top + std::max(height, 0.0f);
	SetFrame(frame);
}

void
BView::ResizeBy(float dx, float dy)
{
	ResizeTo(fFrame.Width() + dx, fFrame.Height() + dy);
}

// Moves and sizes the view; children follow by their resizing modes, and the
// old and new places are redrawn.
void
BView::SetFrame(BRect frame)
{
	BRect old = fFrame;
	if (frame == old)
		return;
	fFrame = frame;

	float dw = frame.Width() - old.Width();
	float dh = frame.Height() - old.Height();
	if (dw != 0 || dh != 0) {
		for (const auto& child : fChildren)
			child->ParentResized(dw, dh);
	}

	if (fWindow != nullptr) {
		InvalidateInParent(old);
		InvalidateInParent(frame);
		if ((fFlags & B_FRAME_EVENTS) != 0) {
			if (frame.left != old.left || frame.top != old.top)
				FrameMoved(frame.LeftTop());
			if (dw != 0 || dh != 0)
				FrameResized(frame.Width(), frame.Height());
		}
	}
}

void
BView::ParentResized(float dx, float dy)
{
	BRect frame = fFrame;
	switch (fResizingMode & B_FOLLOW_HORIZONTAL_MASK) {
	case B_FOLLOW_RIGHT:
		frame.OffsetBy(dx, 0);
		break;
	case B_FOLLOW_LEFT_RIGHT:
		frame.right += dx;
		break;
	case B_FOLLOW_H_CENTER:
		frame.OffsetBy(dx / 2, 0);
		break;
	default:
		break;
	}
	switch (fResizingMode & B_FOLLOW_VERTICAL_MASK) {
	case B_FOLLOW_BOTTOM:
		frame.OffsetBy(0, dy);
		break;
	case B_FOLLOW_TOP_BOTTOM:
		frame.bottom += dy;
		break;
	case B_FOLLOW_V_CENTER:
		frame.OffsetBy(0, dy / 2);
		break;
	default:
		break;
	}
	SetFrame(frame);
}

BPoint
BView::ConvertToWindow(BPoint point) const
{
	for (const BView* view = this; view != nullptr; view = view->fParent) {
		point.x += view->fFrame.left - view->fOrigin.x;
		point.y += view->fFrame.top - view->fOrigin.y;
	}
	return point;
}

BRect
BView::ConvertToWindow(BRect rect) const
{
	BPoint shift = ConvertToWindow(BPoint(0, 0));
	return rect.OffsetByCopy(shift.x, shift.y);
}

BPoint
BView::ConvertFromWindow(BPoint point) const
{
	BPoint shift = ConvertToWindow(BPoint(0, 0));
	return BPoint(point.x - shift.x, point.y - shift.y);
}

BRect
BView::ConvertFromWindow(BRect rect) const
{
	BPoint shift = ConvertToWindow(BPoint(0, 0));
	return rect.OffsetByCopy(-shift.x, -shift.y);
}

BRect
BView::VisibleInTarget() const
{
	BRect visible = ConvertToWindow(Bounds());
	for (const BView* view = fParent; view != nullptr; view = view->fParent)
		visible = visible & view->ConvertToWindow(view->Bounds());
	return visible;
}

BRect
BView::ClipForDrawing() const
{
	if (fUpdateClip.IsValid())
		return fUpdateClip;
	return VisibleInTarget();
}

bool
BView::CanDraw() const
{
	return fWindow != nullptr && fWindow->fTarget != nullptr;
}

void
BView::Invalidate()
{
	Invalidate(Bounds());
}

void
BView::Invalidate(BRect rect)
{
	ASSERT_LOCKED(fWindow);
	if (fWindow == nullptr || fWindow->IsOffscreen())
		return;
	BRect area = ConvertToWindow(rect) & VisibleInTarget();
	if (area.IsValid())
		fWindow->Invalidate(area);
}

// Redraws `frame` (in the parent's coordinates) of the parent.
void
BView::InvalidateInParent(BRect frame)
{
	if (fParent != nullptr)
		fParent->Invalidate(frame);
}

void
BView::SetViewColor(rgb_color color)
{
	fViewColor = color;
}

void
BView::SetViewColor(uint8 red, uint8 green, uint8 blue, uint8 alpha)
{
	SetViewColor(rgb_color{red, green, blue, alpha});
}

void
BView::SetHighColor(rgb_color color)
{
	fHighColor = color;
}

void
BView::SetHighColor(uint8 red, uint8 green, uint8 blue, uint8 alpha)
{
	SetHighColor(rgb_color{red, green, blue, alpha});
}

void
BView::SetLowColor(rgb_color color)
{
	fLowColor = color;
}

void
BView::SetLowColor(uint8 red, uint8 green, uint8 blue, uint8 alpha)
{
	SetLowColor(rgb_color{red, green, blue, alpha});
}

void
BView::FillRect(BRect rect)
{
	FillRect(rect, fHighColor);
}

void
BView::FillRect(BRect rect, rgb_color color)
{
	ASSERT_LOCKED(fWindow);
	if (!CanDraw())
		return;
	BRect clip = ClipForDrawing();
	if (!clip.IsValid())
		return;
	BRect target = ConvertToWindow(rect);
	BPrivate::FillRect(fWindow->fTarget, target, color, clip);
	fWindow->NoteDrawn(target & clip);
}

void
BView::DrawBitmap(const BBitmap* bitmap, BRect source, BRect destination)
{
	ASSERT_LOCKED(fWindow);
	if (bitmap == nullptr || !bitmap->IsValid() || !CanDraw())
		return;
	BRect clip = ClipForDrawing();
	if (!clip.IsValid())
		return;
	BRect target = ConvertToWindow(destination);
	BPrivate::DrawBitmap(fWindow->fTarget, *bitmap, source, target, clip);
	fWindow->NoteDrawn(target & clip);
}

void
BView::DrawBitmap(const BBitmap* bitmap, BRect destination)
{
	if (bitmap != nullptr)
		DrawBitmap(bitmap, bitmap->Bounds(), destination);
}

void
BView::DrawBitmap(const BBitmap* bitmap, BPoint where)
{
	if (bitmap == nullptr)
		return;
	BRect bounds = bitmap->Bounds();
	DrawBitmap(bitmap, bounds, bounds.OffsetToCopy(where.x, where.y));
}

void
BView::DrawBitmap(const BBitmap* bitmap)
{
	DrawBitmap(bitmap, BPoint(0, 0));
}

void
BView::SetFont(const BFont* font)
{
	ASSERT_LOCKED(fWindow);
	if (font != nullptr)
		fFont = *font;
}

void
BView::GetFont(BFont* font) const
{
	if (font != nullptr)
		*font = fFont;
}

void
BView::SetFontSize(float size)
{
	ASSERT_LOCKED(fWindow);
	fFont.SetSize(size);
}

void
BView::AttachTo(BWindow* window)
{
	fWindow = window;
	window->AddHandler(this);
	AttachedToWindow();
	for (size_t index = 0; index < fChildren.size(); index++)
		fChildren[index]->AttachTo(window);
	AllAttached();
}

void
BView::DetachFromWindow()
{
	for (const auto& child : fChildren)
		child->DetachFromWindow();
	DetachedFromWindow();
	if (fWindow != nullptr && fWindow->fFocus == this)
		fWindow->fFocus = nullptr;
	if (fWindow != nullptr)
		fWindow->RemoveHandler(this);
	fWindow = nullptr;
}
