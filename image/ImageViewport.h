#pragma once

// How an image sits in the part of a window below its menu bar: drawn at
// a scale, with a 16-pixel margin on every side, and scroll bars along the
// right and bottom edges where the image and its margins do not fit. Plain
// arithmetic in whole pixels, so that the window and its tests agree on
// every position.
//
// Scales: whole factors from 1 to 16 (nearest-neighbour magnification), and
// below 1 only where "Fit in window" shrinks a large image.

#include <SupportDefs.h>

struct ViewportLayout {
	int32 viewWidth = 0;     // the image view, in pixels
	int32 viewHeight = 0;
	bool horizontalBar = false;
	bool verticalBar = false;
	int32 contentWidth = 0;  // margin, image at its scale, margin
	int32 contentHeight = 0;
	int32 maxScrollX = 0;    // the largest scrolling origin
	int32 maxScrollY = 0;
};

class ImageViewport {
public:
	static constexpr int32 kMargin = 16;
	static constexpr int32 kMinimumZoom = 1;
	static constexpr int32 kMaximumZoom = 16;
	// Pixels a scroll bar takes from the view.
	static constexpr int32 kBarThickness = 15;

	// Pixels that `imagePixels` take at `scale` (at least one).
	static int32 ScaledLength(int32 imagePixels, float scale);

	// The layout in an area of `areaWidth` by `areaHeight` pixels for an
	// image of `imageWidth` by `imageHeight` pixels (0 by 0: none) at
	// `scale`. A bar appears only where the content does not fit; one bar
	// taking room can make the other needed.
	static ViewportLayout Layout(int32 areaWidth, int32 areaHeight, int32 imageWidth,
		int32 imageHeight, float scale);

	// The scale that shows the whole image with its margins in the area
	// without scroll bars: below 1 for an image larger than the area,
	// otherwise the largest whole factor that fits (1 to 16).
	static float FitScale(int32 areaWidth, int32 areaHeight, int32 imageWidth,
		int32 imageHeight);

	// The next whole factor up (at most 16) and down (at least 1); a scale
	// below 1 zooms in to 1 and stays when zoomed out.
	static float ZoomedIn(float scale);
	static float ZoomedOut(float scale);

	// Where to scroll after the scale changed from `oldScale` to `newScale`
	// so that the image point at the centre of the view stays there,
	// clamped to what `layout` (at the new scale) allows. `origin` is the
	// scrolling origin before; `oldViewLength` the view's length before.
	static int32 KeepCentre(int32 origin, int32 oldViewLength, float oldScale, float newScale,
		int32 newViewLength, int32 maxScroll);

	static int32 Clamp(int32 origin, int32 maxScroll);
};
