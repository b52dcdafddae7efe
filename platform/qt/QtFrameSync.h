// SPDX-License-Identifier: MIT
#pragma once

// Keeps a top-level widget and its BWindow's frame in step without the two
// fighting over it.
//
// The window manager moves and resizes the widget (maximize, restore, a
// drag); each change is reported to the window, which takes it as its new
// frame and echoes that frame back. The echoes trail behind: while the
// window manager maximizes, the echo of the new size still carries the old
// position. Pushing such a trailing frame back onto the widget would move a
// maximized window to where it was before, partly off the screen, and undo
// the maximized state. So a frame from the window is put on the widget only
// once every change reported has come back; until then the widget keeps
// the geometry the window manager gave it, and the window's frame catches
// up with it.
//
// Values only, no Qt objects; lives on the Qt thread with its QtWindow.

#include <QPoint>
#include <QRect>
#include <QSize>

#include <deque>

namespace BPrivate {

class QtFrameSync {
public:
	// `frame`: the window's frame the widget starts with.
	explicit QtFrameSync(const QRect& frame);

	// The widget got a new size / position from outside: true when the
	// window must be told (it differs from what the window has, or will
	// have once its echoes are in).
	bool SizeChanged(const QSize& size);
	bool PositionChanged(const QPoint& position);

	// The window's frame arrived. Answers whether the widget must take it:
	// true only when no reported change is still on its way, that is, when
	// the window changed its frame on its own.
	bool FrameArrived(const QRect& frame);

	// The window's frame as it last arrived.
	QRect Frame() const { return fFrame; }

private:
	QRect fFrame;
	std::deque<QSize> fSizes; // reported, not yet echoed
	std::deque<QPoint> fPositions;
};

} // namespace BPrivate
