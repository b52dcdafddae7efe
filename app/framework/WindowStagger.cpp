// SPDX-License-Identifier: MIT
#include "WindowStagger.h"

#include <Screen.h>

namespace {

constexpr float kScreenInset = 8;
constexpr float kCascadeStep = 25;
constexpr float kColumnStep = 50;

} // namespace

WindowStagger::WindowStagger(BRect start)
	: fStart(start), fCurrent(start), fColumnStart(start), fMinWidth(1.0f), fMinHeight(1.0f)
{ }

BRect
WindowStagger::NextFrame()
{
	return NextFrame(BScreen(B_MAIN_SCREEN_ID).Frame());
}

BRect
WindowStagger::NextFrame(BRect screenFrame)
{
	BRect area = screenFrame;
	area.InsetBy(kScreenInset, kScreenInset);

	EnsureMinimumSize(fCurrent);

	// Cut the frame back to the usable area; only the right and bottom edges move,
	// and the cut stays for the rest of the column.
	if (!area.Contains(fCurrent)) {
		if (fCurrent.right > area.right)
			fCurrent.right = area.right;
		if (fCurrent.bottom > area.bottom)
			fCurrent.bottom = area.bottom;
	}

	bool newColumn = false;
	if (IsTooSmall(fCurrent)) {
		fCurrent = fColumnStart;
		fCurrent.OffsetBy(kColumnStep, 0);
		fColumnStart = fCurrent;
		newColumn = true;
	}

	// A too small column start (an empty start rectangle) goes back to the start;
	// so does a new column lying wholly beyond the right edge, which would only
	// hand out frames off the screen from here on.
	if (IsTooSmall(fCurrent) || (newColumn && fColumnStart.left > area.right)) {
		fCurrent = fStart;
		EnsureMinimumSize(fCurrent);
		fColumnStart = fCurrent;
	}

	BRect frame = fCurrent;
	fCurrent.OffsetBy(kCascadeStep, kCascadeStep);
	return frame;
}

void
WindowStagger::EnsureMinimumSize(BRect& rect) const
{
	if (rect.Width() < fMinWidth)
		rect.right = rect.left + fMinWidth;
	if (rect.Height() < fMinHeight)
		rect.bottom = rect.top + fMinHeight;
}

bool
WindowStagger::IsTooSmall(BRect rect) const
{
	return rect.Width() < fMinWidth || rect.Height() < fMinHeight;
}
