// SPDX-License-Identifier: MIT
#pragma once

// A font: a family, a style and a size. Sizes are in points, and a point is
// one pixel on our screens.
//
// A BFont is a plain value; making and copying one needs nothing else. What
// measures or draws text (StringWidth, GetHeight, BView::DrawString) lives in
// the font engine library, be_text, which only the programs that draw text
// link: its fonts are found with fontconfig and rendered with FreeType.

#include <SupportDefs.h>

#include <string>

struct font_height {
	float ascent;
	float descent;
	float leading;
};

class BFont {
public:
	// The plain font: DejaVu Sans, Book, 12 points.
	BFont() = default;

	void SetFamilyAndStyle(const char* family, const char* style)
	{
		if (family != nullptr)
			fFamily = family;
		if (style != nullptr)
			fStyle = style;
	}
	const char* Family() const { return fFamily.c_str(); }
	const char* Style() const { return fStyle.c_str(); }

	void SetSize(float size) { fSize = size; }
	float Size() const { return fSize; }

	// Any thread. The width of `string` (UTF-8) when drawn in this font.
	float StringWidth(const char* string) const;
	// Any thread. Zero metrics when no font file could be found.
	void GetHeight(font_height* height) const;

	bool operator==(const BFont&) const = default;

private:
	std::string fFamily = "DejaVu Sans";
	std::string fStyle = "Book";
	float fSize = 12.0f;
};

// The font views draw with until told otherwise.
extern const BFont* be_plain_font;
