// SPDX-License-Identifier: MIT
#pragma once

// A one-line strip along the bottom of an image window that shows a text
// (what the window holds, or how far a save has come) on a light grey
// ground below a thin rule. Its height follows the plain font; it follows
// its window's left, right and bottom edges. A save that lasts longer than
// a second shows its progress ("Saving… 42 %").
//
// Runs on its window's thread with the window locked (or in the window's
// constructor, before that thread starts).

#include <OS.h>
#include <View.h>

#include <string>

class StatusLine : public BView {
public:
	// `frame`'s height is ignored: the line takes PreferredHeight().
	explicit StatusLine(BRect frame);

	void Draw(BRect updateRect) override;

	// Shows `text`, redrawing only when it differs from what is shown.
	void SetText(const std::string& text);
	const std::string& Text() const { return fText; }

	// A save starts now.
	void SaveStarted();
	// How far the save is: `written` bytes of `total`. True when the line
	// changed, past the save's first second; the window, whose thread the
	// save holds, then draws it at once.
	bool SaveProgressed(int64 written, int64 total);

	// The line's height in pixels, rule included.
	static float PreferredHeight();

private:
	std::string Fitted(float width) const;

	std::string fText;
	bigtime_t fSaveStart;
	int32 fSavePercent; // shown now; -1: none yet
};
