// SPDX-License-Identifier: MIT
#pragma once

// Drawing into a bitmap's pixels: what BView's drawing calls come down to,
// both for a window's backing store (B_RGB32) and for an offscreen bitmap
// (B_RGB32 or B_CMAP8). All rectangles are in the target's pixel coordinates
// (its Bounds()), inclusive; nothing is drawn outside `clip` or the target.

#include <Bitmap.h>
#include <GraphicsDefs.h>
#include <Rect.h>

namespace BPrivate {

// Fills `rect` with `color`, converted into the target's colour space the way
// SetBits converts it.
void FillRect(BBitmap* target, BRect rect, rgb_color color, BRect clip);

// Draws the `sourceRect` part of `source` scaled into `destination`, each
// pixel converted into the target's colour space with the same tables as
// SetBits, so drawing and SetBits give the same bytes for the same colours.
// Transparent source pixels (alpha below 128, or the transparent magic
// values) draw as the target's transparent value.
void DrawBitmap(
	BBitmap* target, const BBitmap& source, BRect sourceRect, BRect destination, BRect clip);

} // namespace BPrivate
