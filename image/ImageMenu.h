// SPDX-License-Identifier: MIT
#pragma once

// The "Image" menu of an image window: a "Dithering" submenu of three radio
// items ("None", marked at first, "Floyd–Steinberg" and "Ordered") that say
// how the window's next switch to a reduced colour space maps colours, and
// "Revert to file", enabled only for a window whose document has a file.
//
// The menu belongs to the window's menu bar; this object keeps the
// choice and the items (owned by the menu). Runs on the window's thread with
// the window locked (or in its constructor).

#include <ColorMapDither.h>
#include <SupportDefs.h>

class BMenu;
class BMenuItem;

class ImageMenu {
public:
	// Builds the menu (the caller adds it to its menu bar, which owns it).
	BMenu* Build(bool canRevert);

	// Takes the choice a "Dithering" item's command names and marks that
	// item alone; false for any other command.
	bool ChooseDither(uint32 command);
	DitherKind Dither() const { return fDither; }

private:
	DitherKind fDither = DitherKind::kNone;
	BMenuItem* fDitherItems[3] = {};
};
