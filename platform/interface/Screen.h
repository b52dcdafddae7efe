// SPDX-License-Identifier: MIT
#pragma once

// A screen, as the display server reports it. Only the main screen exists.
// Any thread.

#include <InterfaceDefs.h>
#include <Rect.h>

class BWindow;

class BScreen {
public:
	explicit BScreen(screen_id id = B_MAIN_SCREEN_ID);
	explicit BScreen(BWindow* window);
	~BScreen() = default;

	bool IsValid() const { return fValid; }
	screen_id ID() const { return fId; }
	// The screen's frame, read anew on every call: (0, 0, 1023, 767) for a
	// 1024 by 768 screen. Invalid for an invalid screen.
	BRect Frame() const;
	color_space ColorSpace() const { return B_RGB32; }

private:
	screen_id fId;
	bool fValid;
};
