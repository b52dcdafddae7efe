// SPDX-License-Identifier: MIT
#pragma once

// Hands out the frames of new document windows so that they cascade down and
// to the right across the main screen in columns, instead of piling up.
// Used from one thread at a time (the application's); no lock.

#include <Rect.h>

class WindowStagger {
public:
	explicit WindowStagger(BRect start);

	// The frame for the next window, on the main screen as it is now.
	BRect NextFrame();
	// The same, for a screen whose frame the caller knows.
	BRect NextFrame(BRect screenFrame);

private:
	void EnsureMinimumSize(BRect& rect) const;
	bool IsTooSmall(BRect rect) const;

	BRect fStart;
	BRect fCurrent;
	BRect fColumnStart;
	float fMinWidth;
	float fMinHeight;
};
