// SPDX-License-Identifier: MIT
#pragma once

// A window's scroll bars as the display server sees them, and the message
// it answers with when the person moves one. A server shows each bar over
// its frame (the window's coordinates) and sends kMsgScrollBarMoved with the
// bar's id in kFieldScrollBar and the new value (float) in kFieldValue to
// the window when the person drags it, clicks its arrows or track, or turns
// the wheel over it.

#include <InterfaceDefs.h>
#include <Rect.h>
#include <SupportDefs.h>

#include <vector>

struct ScrollBarState {
	uint32 id = 0; // unique in the process
	BRect frame; // in the window
	orientation direction = B_VERTICAL;
	float minimum = 0;
	float maximum = 0;
	float value = 0;
	float proportion = 0; // the visible share of the whole, 0 to 1
	float smallStep = 1; // an arrow's click
	float largeStep = 10; // a click in the track: a page

	bool operator==(const ScrollBarState&) const = default;
};

namespace BPrivate {
constexpr uint32 kMsgScrollBarMoved = '_SBM';
constexpr const char* kFieldScrollBar = "be:scroll_bar";
constexpr const char* kFieldValue = "be:value";
} // namespace BPrivate
