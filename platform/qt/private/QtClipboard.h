// SPDX-License-Identifier: MIT
#pragma once

// The desktop's clipboard through QClipboard (X11's CLIPBOARD selection, or
// Wayland's data device). Qt allows it on its own thread only: every
// function here runs on the Qt thread.

#include <DisplayServer.h>

namespace BPrivate {

class QtDisplay;

// Takes the clipboard over with `contents`: "text/plain" as text (so every
// text target of the desktop is offered), every other type as its bytes.
// Nothing in `contents` clears it.
void SetDesktopClipboard(const ClipboardInfo& contents);

// What the clipboard holds, in the types the kit reads: the text as UTF-8
// "text/plain", the "text/uri-list" of copied files, and one image, the PNG
// when it is offered, otherwise the first image type offered (a program
// offers one picture in many types; fetching each would be wasted).
ClipboardInfo DesktopClipboard();

// Tells `display`'s waiters of every change of the clipboard.
void WatchDesktopClipboard(QtDisplay& display);

} // namespace BPrivate
