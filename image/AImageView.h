// SPDX-License-Identifier: MIT
#pragma once

// The view that shows a window's image. It owns the image's bitmap, keeps it
// in B_RGB32 or B_CMAP8 (converting anything else to B_RGB32 when it is
// handed over) unless its window hands it one it converted into another
// space on purpose (KeepBitmap), and draws it at a 16-unit margin on white: unscaled at 1×,
// magnified by a whole factor (exact square blocks) up to 16×, or shrunk to
// 1/2, 1/4, 1/8 or to fit its window by averaging the pixels each screen
// pixel covers. Transparent pixels show in the magic colour, or, once asked
// (SetShowTransparency), laid over a light checkerboard. Without a bitmap
// it may show a short text instead, at the same margin, in its high colour:
// why the window's file gave no image.
//
// Where the image and its margins do not fit, the view scrolls: it lays
// itself out in the area its window gives it (LayOut), with scroll bars
// along the right and bottom edges only where they are needed, and answers
// the arrow keys, Page Up and Page Down, Home (the top-left corner) and End
// (the bottom-right corner) and the wheel; the wheel with the command key
// (Ctrl) held zooms around the pointer. Zooming and scrolling change only
// what is shown, never the bitmap. Whenever the scale changes the view
// posts kMsgScaleChanged to its window.
//
// Runs on its window's thread with the window locked (or in the window's
// constructor, before that thread starts).

#include "ImageDisplay.h"
#include "ImageViewport.h"

#include <Bitmap.h>
#include <View.h>

#include <memory>
#include <optional>
#include <string>

class BScrollBar;

class AImageView : public BView {
public:
	explicit AImageView(BRect frame);
	~AImageView() override;

	void Draw(BRect updateRect) override;
	void FrameResized(float newWidth, float newHeight) override;
	void KeyDown(const char* bytes, int32 numBytes) override;
	// The wheel with the command key held zooms one step a notch (away from
	// the person: in) and keeps the image point under the pointer there;
	// everything else goes to BView.
	void MessageReceived(BMessage* message) override;

	// Takes ownership of `bitmap` (null: no image) and redraws. The bitmap
	// held before is deleted, unless it is the one passed in again. A bitmap
	// in neither B_RGB32 nor B_CMAP8 is converted to B_RGB32.
	void SetBitmap(BBitmap* bitmap);
	// Like SetBitmap, but keeps `bitmap` in whatever colour space it is:
	// for an image the window has converted into one of the other spaces it
	// offers, or a text read back in the space it was written in.
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
	void ZoomIn();
	void ZoomOut();
	void ActualSize();
	// Until the next zoom the scale follows the window's size.
	void FitInWindow();

	// Whether transparent pixels are laid over a checkerboard (off at first).
	void SetShowTransparency(bool show);
	bool ShowsTransparency() const { return fShowTransparency; }

	// Places the view and its scroll bars in `area` (the parent's
	// coordinates) for the bitmap and the scale; call it with the view
	// attached, and again when the area changes.
	void LayOut(BRect area);
	const ViewportLayout& Layout() const { return fLayout; }

private:
	// Lays the view out again for the bitmap and redraws it.
	void BitmapChanged();
	void DrawStatusText(BRect updateRect);
	// False when there was no memory for it.
	bool DrawCheckered(BRect updateRect, BRect destination);
	// The image point `anchor` pixels from the view's left-top corner stays
	// there; without an anchor, the one at the view's centre.
	void ChangeScale(float scale, bool fitting, std::optional<BPoint> anchor = std::nullopt);
	void AnnounceScale();
	// Adds or removes one bar; answers the bar when it is shown.
	BScrollBar* ShowBar(
		std::unique_ptr<BScrollBar>& spare, BScrollBar*& shown, bool show, BRect frame);
	BRect ImageRect() const;

	std::unique_ptr<BBitmap> fBitmap;
	std::string fStatusText;
	float fScale;
	float fAnnouncedScale; // the scale the window last heard of
	bool fFitting;
	bool fShowTransparency;
	ImageDisplay fDisplay;
	BRect fArea; // invalid until the first LayOut
	ViewportLayout fLayout;
	BScrollBar* fHorizontalShown; // in the window, which owns it; or null
	BScrollBar* fVerticalShown;
	std::unique_ptr<BScrollBar> fHorizontalSpare; // not in the window
	std::unique_ptr<BScrollBar> fVerticalSpare;
};
