#pragma once

// A one-line strip along the bottom of an image window that shows a text
// (what the window holds, or how far a save has come) on a light grey
// ground below a thin rule. Its height follows the plain font; it follows
// its window's left, right and bottom edges.
//
// Runs on its window's thread with the window locked (or in the window's
// constructor, before that thread starts).

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

	// The line's height in pixels, rule included.
	static float PreferredHeight();

private:
	std::string fText;
};
