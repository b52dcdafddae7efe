#pragma once

// The view that shows a window's image. It owns the image's bitmap, keeps it
// in B_RGB32 or B_CMAP8 (converting anything else to B_RGB32 when it is
// handed over), and draws it unscaled at a 16-unit margin on white.
//
// Runs on its window's thread with the window locked (or in the window's
// constructor, before that thread starts).

#include <Bitmap.h>
#include <View.h>

#include <memory>

class AImageView : public BView {
public:
	explicit AImageView(BRect frame);
	~AImageView() override;

	void Draw(BRect updateRect) override;

	// Takes ownership of `bitmap` (null: no image) and redraws. The bitmap
	// held before is deleted, unless it is the one passed in again.
	void SetBitmap(BBitmap* bitmap);
	// The held bitmap, still owned by the view; valid until the next
	// SetBitmap or the view's destruction.
	BBitmap* Bitmap() const { return fBitmap.get(); }

private:
	std::unique_ptr<BBitmap> fBitmap;
};
