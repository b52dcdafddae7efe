// SPDX-License-Identifier: MIT
#pragma once

// A view: a rectangle of a window (or of a bitmap) that draws itself.
//
// A view's frame is in its parent's coordinates (the window's, for a view
// added to the window); its bounds are its own, with (0, 0) at the top-left
// corner. Views own their children: deleting a view deletes them, and a
// window or a bitmap deletes the views attached to it.
//
// In a window: when part of the window needs drawing, the window's thread,
// with the window locked, fills each affected view's visible part with its
// view colour and calls its Draw (for views with B_WILL_DRAW) with the
// update rectangle in the view's coordinates, parents before children, each
// clipped to its visible part. Invalidate() asks for such an update.
// Drawing calls made outside Draw (with the window locked, as always) go
// straight into the window's back buffer, clipped to the view; the window
// hands them to the display server when the message being handled is done
// (or, when another thread drew while holding the lock, with the next update
// message). The next update of that area paints over them.
//
// In a bitmap (BBitmap::AddChild): drawing calls draw at once into the
// bitmap's pixels, clipped to the view, with the bitmap's offscreen looper
// (Window()) locked.
//
// Unless said otherwise, call a view's functions with its window locked
// (from its window's thread, or after Lock()).

#include <Font.h>
#include <GraphicsDefs.h>
#include <Handler.h>
#include <InterfaceDefs.h>
#include <Rect.h>

#include <memory>
#include <vector>

class BBitmap;
class BScrollBar;
class BWindow;

class BView : public BHandler {
public:
	BView(BRect frame, const char* name, uint32 resizingMode, uint32 flags);
	~BView() override;

	// Hooks, on the window's thread with the window locked.
	virtual void Draw(BRect updateRect);
	virtual void AttachedToWindow();
	virtual void AllAttached();
	virtual void DetachedFromWindow();
	virtual void FrameResized(float newWidth, float newHeight);
	virtual void FrameMoved(BPoint newPosition);
	// A key press the window's shortcuts did not take, for the focus view:
	// `bytes` is the character (UTF-8) or one of the key bytes of
	// InterfaceDefs.h (B_DOWN_ARROW, B_PAGE_DOWN, ...). The base passes it
	// to the parent view.
	virtual void KeyDown(const char* bytes, int32 numBytes);
	// B_MOUSE_WHEEL_CHANGED ("be:wheel_delta_x" and "be:wheel_delta_y",
	// floats, in notches; positive is right and down; "where", in window
	// coordinates; "modifiers", the keys held) moves the view's
	// scroll bars by three small steps a notch; a view without scroll bars
	// hands the message to its parent.
	void MessageReceived(BMessage* message) override;

	// The window (or the bitmap's offscreen looper) the view is in; null
	// when it is in neither.
	BWindow* Window() const { return fWindow; }
	// The parent view; null for a view added straight to a window or bitmap.
	BView* Parent() const;

	// Children: the view takes ownership of `child` (which must have no
	// parent); `before` (a child) places it before that one.
	void AddChild(BView* child, BView* before = nullptr);
	// Gives ownership back to the caller.
	bool RemoveChild(BView* child);
	bool RemoveSelf();
	int32 CountChildren() const;
	BView* ChildAt(int32 index) const;
	BView* NextSibling() const;
	// The first view of this subtree (this one included) with that name.
	BView* FindView(const char* name) const;

	BRect Frame() const { return fFrame; }
	// The view's own coordinates: its size, with its left-top corner at the
	// scrolling origin ((0, 0) until the view is scrolled).
	BRect Bounds() const;
	uint32 ResizingMode() const { return fResizingMode; }
	void SetResizingMode(uint32 mode) { fResizingMode = mode; }
	uint32 Flags() const { return fFlags; }
	virtual void SetFlags(uint32 flags);

	void MoveTo(BPoint where);
	void MoveTo(float x, float y) { MoveTo(BPoint(x, y)); }
	void MoveBy(float dx, float dy);
	void ResizeTo(float width, float height);
	void ResizeBy(float dx, float dy);

	// Between this view's coordinates and its window's (or bitmap's).
	BPoint ConvertToWindow(BPoint point) const;
	BRect ConvertToWindow(BRect rect) const;
	BPoint ConvertFromWindow(BPoint point) const;
	BRect ConvertFromWindow(BRect rect) const;

	// Scrolling: moves the origin, the point of the view's coordinates
	// shown at its left-top corner, and redraws the view. The scroll bars
	// that target the view follow. Children move with the contents.
	virtual void ScrollTo(BPoint where);
	void ScrollTo(float x, float y) { ScrollTo(BPoint(x, y)); }
	void ScrollBy(float dx, float dy);
	BPoint Origin() const { return fOrigin; }
	// The scroll bar of that orientation that targets this view; null for
	// none.
	BScrollBar* ScrollBar(orientation direction) const;

	// The focus view of the window gets the key presses the shortcuts do
	// not take (KeyDown). One view at a time has the focus.
	virtual void MakeFocus(bool focus = true);
	bool IsFocus() const;

	// Asks the window to redraw the view (or `rect`, in view coordinates).
	// The updates are coalesced; without a window it does nothing.
	void Invalidate();
	void Invalidate(BRect rect);

	// The colour the window fills the view with before Draw.
	// B_TRANSPARENT_COLOR: no fill.
	virtual void SetViewColor(rgb_color color);
	void SetViewColor(uint8 red, uint8 green, uint8 blue, uint8 alpha = 255);
	rgb_color ViewColor() const { return fViewColor; }
	virtual void SetHighColor(rgb_color color);
	void SetHighColor(uint8 red, uint8 green, uint8 blue, uint8 alpha = 255);
	rgb_color HighColor() const { return fHighColor; }
	virtual void SetLowColor(rgb_color color);
	void SetLowColor(uint8 red, uint8 green, uint8 blue, uint8 alpha = 255);
	rgb_color LowColor() const { return fLowColor; }

	// Drawing, in view coordinates.
	void FillRect(BRect rect);
	void FillRect(BRect rect, rgb_color color);
	// Draws `bitmap` scaled into `destination`, converting its colours to
	// the target's colour space.
	void DrawBitmap(const BBitmap* bitmap, BRect source, BRect destination);
	void DrawBitmap(const BBitmap* bitmap, BRect destination);
	// Unscaled, with the bitmap's top-left corner at `where`.
	void DrawBitmap(const BBitmap* bitmap, BPoint where);
	void DrawBitmap(const BBitmap* bitmap);

	// Text. The font is the view's own; measuring and drawing it need the
	// font engine library (be_text, see Font.h).
	void SetFont(const BFont* font);
	void GetFont(BFont* font) const;
	void SetFontSize(float size);
	float StringWidth(const char* string) const;
	void GetFontHeight(font_height* height) const;
	// Draws `string` (UTF-8) in the high colour, anti-aliased over what is
	// there, with the start of its baseline at `where`.
	void DrawString(const char* string, BPoint where);
	// Nothing to push: drawing is never deferred.
	void Sync() const { }
	void Flush() const { }

private:
	friend class BWindow;
	friend class BScrollBar;

	void AttachTo(BWindow* window);
	void DetachFromWindow();
	void ParentResized(float dx, float dy);
	void SetFrame(BRect frame);
	// The view's visible part in target coordinates: its frame clipped by
	// every ancestor.
	BRect VisibleInTarget() const;
	BRect ClipForDrawing() const;
	void InvalidateInParent(BRect frame);
	bool CanDraw() const;

	BRect fFrame;
	uint32 fResizingMode;
	uint32 fFlags;
	rgb_color fViewColor;
	rgb_color fHighColor;
	rgb_color fLowColor;
	BFont fFont;
	BPoint fOrigin;
	BView* fParent;
	BWindow* fWindow;
	BScrollBar* fHorizontalBar;
	BScrollBar* fVerticalBar;
	std::vector<std::unique_ptr<BView>> fChildren;
	// The clip of the update being drawn, in target coordinates; invalid
	// outside Draw.
	BRect fUpdateClip;
};
