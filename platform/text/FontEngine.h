// SPDX-License-Identifier: MIT
#pragma once

// The font engine: fonts found with fontconfig and rendered with FreeType,
// for BFont's measuring and BView::DrawString. One engine serves the whole
// process; every call takes its lock, so any thread may call it.
//
// Glyphs are rendered anti-aliased, hinted, without kerning or shaping: the
// texts the system draws are short lines of Latin script. A character the
// font lacks draws as the font's missing-glyph box.

#include <Font.h>
#include <GraphicsDefs.h>
#include <Rect.h>

#include <memory>
#include <mutex>

class BBitmap;

namespace BPrivate {

class FontEngine {
public:
	static FontEngine& Default();

	~FontEngine();

	float StringWidth(const BFont& font, const char* string);
	void GetHeight(const BFont& font, font_height* height);

	// Draws `string` with the start of its baseline at `origin` (target
	// pixel coordinates) in `color`: each pixel is blended with what is there
	// by the glyph's coverage in 32-bit targets, and set where the coverage
	// is at least half in others. Nothing is drawn outside `clip` or the
	// target. Answers the rectangle it may have changed (invalid: none).
	BRect DrawString(BBitmap* target, const BFont& font, const char* string, BPoint origin,
		rgb_color color, BRect clip);

private:
	struct Faces;

	FontEngine();

	std::mutex fLock;
	std::unique_ptr<Faces> fFaces;
};

} // namespace BPrivate
