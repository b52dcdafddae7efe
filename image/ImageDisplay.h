// SPDX-License-Identifier: MIT
#pragma once

// What the image view puts on the screen besides the plain bitmap: the
// image averaged down for scales below 1 (kept for the next draw, since a
// large photograph takes a moment to shrink), and the image laid over a
// light checkerboard where it is transparent. Plain code with no window.
//
// Runs on the view's window thread with the window locked, as the view does.

#include "ShrunkImage.h"

#include <Bitmap.h>
#include <Rect.h>

#include <memory>

class ImageDisplay {
public:
	// The side of a checkerboard square and its two levels of grey.
	static constexpr int32 kCheckerSquare = 8;
	static constexpr uint8 kCheckerLight = 255;
	static constexpr uint8 kCheckerDark = 204;

	ImageDisplay();
	~ImageDisplay();

	// The image to show (not owned; null: none). Forgets what was made from
	// the one before: call it whenever the image or its pixels change.
	void SetImage(const BBitmap* image);

	// The image averaged down to `scale` (below 1) in B_RGBA32, sized as
	// ImageViewport::ScaledLength gives; made once for each image, scale and
	// way of counting transparency, then reused. Null without an image, at
	// a scale of 1 or more, or without memory.
	const BBitmap* Shrunk(float scale, TransparencyShown transparency);

	// The view pixels `tile` (view coordinates, whole pixels, within the
	// image) of the image drawn at `scale` with its top-left pixel at
	// `imageLeftTop`, laid over the checkerboard (fixed to the image, so it
	// scrolls with it): opaque B_RGB32, ready to draw unscaled. Null without
	// an image or memory.
	std::unique_ptr<BBitmap> CheckeredTile(BRect tile, BPoint imageLeftTop, float scale);

	// The checkerboard's grey at (x, y) pixels from the image's top-left.
	static uint8 CheckerLevel(int32 x, int32 y);

private:
	const BBitmap* fImage;
	std::unique_ptr<BBitmap> fShrunk;
	float fShrunkScale;
	TransparencyShown fShrunkTransparency;
};
