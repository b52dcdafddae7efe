// SPDX-License-Identifier: MIT
#pragma once

// How an image sits in the part of a window below its menu bar: drawn at
// a scale, with a 16-pixel margin on every side, and scroll bars along the
// right and bottom edges where the image and its margins do not fit. Plain
// arithmetic in whole pixels, so that the window and its tests agree on
// every position.
//
// Scales: whole factors from 1 to 16 (nearest-neighbour magnification), the
// halving steps 1/2, 1/4 and 1/8 below them, and whatever "Fit in window"
// takes to shrink a large image.

#include <InterfaceDefs.h>
#include <SupportDefs.h>

struct ViewportLayout {
	int32 viewWidth = 0; // the image view, in pixels
	int32 viewHeight = 0;
	bool horizontalBar = false;
	bool verticalBar = false;
	int32 contentWidth = 0; // margin, image at its scale, margin
	int32 contentHeight = 0;
	int32 maxScrollX = 0; // the largest scrolling origin
	int32 maxScrollY = 0;
};

class ImageViewport {
public:
	static constexpr int32 kMargin = 16;
	// The smallest and largest steps of zooming.
	static constexpr float kMinimumZoom = 0.125f;
	static constexpr int32 kMaximumZoom = 16;
	// Pixels a scroll bar takes from the view: a bar's frame spans its
	// thickness plus one, as a BRect does.
	static constexpr int32 kBarThickness = int32(B_H_SCROLL_BAR_HEIGHT) + 1;
	static_assert(B_H_SCROLL_BAR_HEIGHT == B_V_SCROLL_BAR_WIDTH, "both bars take the same room");

	// Pixels that `imagePixels` take at `scale` (at least one).
	static int32 ScaledLength(int32 imagePixels, float scale);

	// The layout in an area of `areaWidth` by `areaHeight` pixels for an
	// image of `imageWidth` by `imageHeight` pixels (0 by 0: none) at
	// `scale`. A bar appears only where the content does not fit; one bar
	// taking room can make the other needed.
	static ViewportLayout Layout(
		int32 areaWidth, int32 areaHeight, int32 imageWidth, int32 imageHeight, float scale);

	// The scale that shows the whole image with its margins in the area
	// without scroll bars: below 1 for an image larger than the area,
	// otherwise the largest whole factor that fits (1 to 16).
	static float FitScale(int32 areaWidth, int32 areaHeight, int32 imageWidth, int32 imageHeight);

	// The next step up and down: 1/8, 1/4, 1/2, then every whole factor
	// from 1 to 16. A scale between steps (a fitted one) goes to the step
	// on that side; at either end the scale stays.
	static float ZoomedIn(float scale);
	static float ZoomedOut(float scale);

	// Where to scroll after the scale changed from `oldScale` to `newScale`
	// so that the image point at the centre of the view stays there,
	// clamped to what `layout` (at the new scale) allows. `origin` is the
	// scrolling origin before; `oldViewLength` the view's length before.
	static int32 KeepCentre(int32 origin, int32 oldViewLength, float oldScale, float newScale,
		int32 newViewLength, int32 maxScroll);
	// The same for the image point `offset` pixels from the view's edge
	// (where the pointer is): it stays that far from the edge.
	static int32 KeepPoint(
		int32 origin, double offset, float oldScale, float newScale, int32 maxScroll);

	static int32 Clamp(int32 origin, int32 maxScroll);
};
