// SPDX-License-Identifier: MIT
#pragma once

// The "Edit" menu of an image window, after "File": "Copy as source code"
// (Ctrl+C) and "Copy image" (Ctrl+Shift+C), for the window, and "Paste as
// new image" (Ctrl+V), for the application, which opens the clipboard's
// image in a new untitled window.
//
// Runs in the window's constructor; the caller adds the menu to its menu
// bar, which owns it.

class BMenu;

BMenu* BuildEditMenu();
