// SPDX-License-Identifier: MIT
// BFont's measuring and BView's text drawing, on the font engine. They live
// here rather than with the rest of the interface kit so that only programs
// that draw text link FreeType and fontconfig.

#include "FontEngine.h"

#include <Font.h>
#include <LockChecks.h>
#include <View.h>
#include <Window.h>

using BPrivate::FontEngine;

namespace {

const BFont sPlainFont;

} // namespace

const BFont* be_plain_font = &sPlainFont;

float
BFont::StringWidth(const char* string) const
{
	return FontEngine::Default().StringWidth(*this, string);
}

void
BFont::GetHeight(font_height* height) const
{
	FontEngine::Default().GetHeight(*this, height);
}

float
BView::StringWidth(const char* string) const
{
	return fFont.StringWidth(string);
}

void
BView::GetFontHeight(font_height* height) const
{
	fFont.GetHeight(height);
}

void
BView::DrawString(const char* string, BPoint where)
{
	ASSERT_LOCKED(fWindow);
	if (string == nullptr || !CanDraw())
		return;
	BRect clip = ClipForDrawing();
	if (!clip.IsValid())
		return;
	BPoint origin = ConvertToWindow(where);
	BRect drawn = FontEngine::Default().DrawString(
		fWindow->fTarget, fFont, string, origin, fHighColor, clip);
	if (drawn.IsValid())
		fWindow->NoteDrawn(drawn);
}
