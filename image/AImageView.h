#pragma once

// The view that shows a window's image. It owns the image's bitmap, keeps it
// in B_RGB32 or B_CMAP8 (converting anything else to B_RGB32 when it is
// handed over) unless its window hands it one it converted into another
// space on purpose (KeepBitmap), and draws it at a 16-unit margin on white: unscaled at 1×,
// magnified by a whole factor (nearest neighbour) up to 16×, or shrunk to
// fit its window. Without a bitmap it may show a short text instead, at the
// same margin, in its high colour: why the window's file gave no image.
//
// Where the image and its margins do not fit, the view scrolls: it lays
// itself out in the area its window gives it (LayOut), with scroll bars
// along the right and bottom edges only where they are needed, and answers
// the arrow keys, Page Up and Page Down, Home (the top-left corner) and End
// (the bottom-right corner) and the wheel. Zooming and scrolling change
// only what is shown, never the bitmap.
//
// Runs on its window's thread with the window locked (or in the window's
// constructor, before that thread starts).

#include "ImageViewport.h"

#include <Bitmap.h>
#include <View.h>

#include <memory>
#include <string>

class BScrollBar;

class AImageView : public BView {
public:
	explicit AImageView(BRect frame);
	~AImageView() override;

	void Draw(BRect updateRect) override;
	void FrameResized(float newWidth, float newHeight) override;
	void KeyDown(const char* bytes, int32 numBytes) override;

	// Takes ownership of `bitmap` (null: no image) and redraws. The bitmap
	// held before is deleted, unless it is the one passed in again. A bitmap
	// in neither B_RGB32 nor B_CMAP8 is converted to B_RGB32.
	void SetBitmap(BBitmap* bitmap);
	// Like SetBitmap, but keeps `bitmap` in whatever colour space it is:
	// for an image the window has converted into one of the other spaces it
	// offers.
	void KeepBitmap(BBitmap* bitmap);
	// The held bitmap, still owned by the view; valid until the next
	// SetBitmap or the view's destruction.
	BBitmap* Bitmap() const { return fBitmap.get(); }

	// What the view says while it holds no bitmap (one line; the view breaks
	// it in two when it is too wide). Empty: nothing.
	void SetStatusText(const char* text);
	const std::string& StatusText() const { return fStatusText; }

	// The scale the image is drawn at: 1 at first.
	float Scale() const { return fScale; }
	// True after FitInWindow until the next zoom: the scale follows the
	// window's size.
	bool IsFitting() const { return fFitting; }
	void ZoomIn();
	void ZoomOut();
	void ActualSize();
	void FitInWindow();
	// A whole factor from 1 to 16 (others are brought into that range).
	void SetZoom(int32 factor);

	// Places the view and its scroll bars in `area` (the parent's
	// coordinates) for the bitmap and the scale; call it with the view
	// attached, and again when the area changes.
	void LayOut(BRect area);
	const ViewportLayout& Layout() const { return fLayout; }

private:
	// Lays the view out again for the bitmap and redraws it.
	void BitmapChanged();
	void DrawStatusText(BRect updateRect);
	void ChangeScale(float scale, bool fitting);
	// Adds or removes one bar; answers the bar when it is shown.
	BScrollBar* ShowBar(std::unique_ptr<BScrollBar>& spare, BScrollBar*& shown, bool show,
		BRect frame);
	BRect ImageRect() const;

	std::unique_ptr<BBitmap> fBitmap;
	std::string fStatusText;
	float fScale;
	bool fFitting;
	BRect fArea;                 // invalid until the first LayOut
	ViewportLayout fLayout;
	BScrollBar* fHorizontalShown; // in the window, which owns it; or null
	BScrollBar* fVerticalShown;
	std::unique_ptr<BScrollBar> fHorizontalSpare; // not in the window
	std::unique_ptr<BScrollBar> fVerticalSpare;
};
