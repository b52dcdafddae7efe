// SPDX-License-Identifier: MIT
#pragma once

// A menu bar: a menu laid out in a row across the top of its window. Added
// to a window it takes the window's full width and a fixed height of 20
// pixels, frame (0, 0, width, 19), whatever frame it was made with, and
// becomes the window's key menu bar if the window has none. It draws a plain
// light-grey bar (B_MENU_BACKGROUND_GREY); a desktop server shows a native
// menu bar in that place.

#include <Menu.h>

struct MenuBarState;

class BMenuBar : public BMenu {
public:
	BMenuBar(BRect frame, const char* name,
		uint32 resizingMode = B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP,
		menu_layout layout = B_ITEMS_IN_ROW, bool resizeToFit = true);
	~BMenuBar() override;

	void AttachedToWindow() override;
	void DetachedFromWindow() override;

	// The bar as the display server sees it: its frame and its items.
	MenuBarState State() const;

	static constexpr float kHeight = 20;

protected:
	void MenuChanged() override;

private:
	bool fResizeToFit;
};
