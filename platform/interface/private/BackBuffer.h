// SPDX-License-Identifier: MIT
#pragma once

// A window's back buffer (B_RGB32, the window's bounds) and the bookkeeping
// of its update cycle. The window drives the cycle: Invalidate adds to the
// area waiting for an update and asks for one update message at a time;
// when it arrives the window takes that area, draws its views into Bitmap()
// and notes what it drew; after each message the window hands the server
// a copy of everything drawn since the last time (TakeDrawn).
//
// Private to BWindow; used on the window's thread with the window locked
// (or before its first Show, by the thread that made it).

#include <Bitmap.h>
#include <Rect.h>

#include <memory>

namespace BPrivate {

class BackBuffer {
public:
	explicit BackBuffer(BRect bounds);

	BBitmap* Bitmap() const { return fBitmap.get(); }
	// A new, blank buffer for new bounds; nothing drawn is waiting any more.
	void Resize(BRect bounds);

	// Adds `rect` (window coordinates, widened to whole pixels, clipped to
	// the bounds) to the area waiting for an update; false when that adds
	// nothing.
	bool Invalidate(BRect rect);
	// True when the window must post its update message now: none is on its
	// way. From then on one is, until UpdateArrived.
	bool RequestUpdate();
	void UpdateArrived() { fUpdatePosted = false; }
	// The area waiting for an update, now taken.
	BRect TakeDirty();

	// Adds `rect` to the area drawn but not yet handed to the server; false
	// when that adds nothing.
	bool NoteDrawn(BRect rect);
	// A copy of the drawn area's pixels and, in `where`, its top-left corner
	// in the window; null when nothing was drawn (or memory ran out). The
	// area is taken either way.
	std::unique_ptr<BBitmap> TakeDrawn(BPoint* where);

private:
	BRect fBounds;
	std::unique_ptr<BBitmap> fBitmap;
	BRect fDirty; // waiting for the update
	BRect fDrawn; // drawn but not yet sent to the server
	bool fUpdatePosted;
};

} // namespace BPrivate
