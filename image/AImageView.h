#pragma once

// The view that shows a window's image. It owns the image's bitmap, keeps it
// in B_RGB32 or B_CMAP8 (converting anything else to B_RGB32 when it is
// handed over), and draws it unscaled at a 16-unit margin on white. Without
// a bitmap it may show a short text instead, at the same margin, in its high
// colour: why the window's file gave no image.
//
// Runs on its window's thread with the window locked (or in the window's
// constructor, before that thread starts).

#include <Bitmap.h>
#include <View.h>

#include <memory>
#include <string>

class AImageView : public BView {
public:
	explicit AImageView(BRect frame);
	~AImageView() override;

	void Draw(BRect updateRect) override;
	void FrameResized(float newWidth, float newHeight) override;

	// Takes ownership of `bitmap` (null: no image) and redraws. The bitmap
	// held before is deleted, unless it is the one passed in again.
	void SetBitmap(BBitmap* bitmap);
	// The held bitmap, still owned by the view; valid until the next
	// SetBitmap or the view's destruction.
	BBitmap* Bitmap() const { return fBitmap.get(); }

	// What the view says while it holds no bitmap (one line; the view breaks
	// it in two when it is too wide). Empty: nothing.
	void SetStatusText(const char* text);
	const std::string& StatusText() const { return fStatusText; }

private:
	void DrawStatusText(BRect updateRect);

	std::unique_ptr<BBitmap> fBitmap;
	std::string fStatusText;
};
