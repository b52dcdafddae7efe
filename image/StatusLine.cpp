// SPDX-License-Identifier: MIT
#include "StatusLine.h"

#include "StatusText.h"

#include <Font.h>
#include <LockChecks.h>
#include <Window.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr float kPaddingLeft = 8.0f;
// Room above and below the text.
constexpr float kPaddingVertical = 3.0f;
constexpr rgb_color kGround = {236, 236, 236, 255};
constexpr rgb_color kRule = {184, 184, 184, 255};
constexpr rgb_color kInk = {32, 32, 32, 255};
// A save that lasts longer than this shows its progress.
constexpr bigtime_t kProgressDelay = 1000000;

} // namespace

StatusLine::StatusLine(BRect frame)
	: BView(BRect(frame.left, frame.bottom - PreferredHeight() + 1, frame.right, frame.bottom),
		"status", B_FOLLOW_LEFT_RIGHT | B_FOLLOW_BOTTOM, B_WILL_DRAW),
	  fSaveStart(0), fSavePercent(-1)
{
	SetViewColor(kGround);
	SetHighColor(kInk);
}

float
StatusLine::PreferredHeight()
{
	font_height height;
	be_plain_font->GetHeight(&height);
	return std::ceil(height.ascent + height.descent) + 2 * kPaddingVertical + 1;
}

void
StatusLine::Draw(BRect updateRect)
{
	BRect bounds = Bounds();
	FillRect(BRect(bounds.left, bounds.top, bounds.right, bounds.top), kRule);
	if (fText.empty())
		return;
	font_height height;
	GetFontHeight(&height);
	BRect textArea(bounds.left, bounds.top + 1, bounds.right, bounds.bottom);
	if (!updateRect.Intersects(textArea))
		return;
	// The baseline, with the text's ascent and descent centred in the line.
	float baseline = std::floor(bounds.top + 1 + kPaddingVertical + height.ascent);
	DrawString(Fitted(bounds.Width() - 2 * kPaddingLeft).c_str(), BPoint(kPaddingLeft, baseline));
}

void
StatusLine::SetText(const std::string& text)
{
	if (Window() != nullptr)
		ASSERT_LOCKED(Window());
	if (text == fText)
		return;
	fText = text;
	Invalidate();
}

void
StatusLine::SaveStarted()
{
	fSaveStart = system_time();
	fSavePercent = -1;
}

bool
StatusLine::SaveProgressed(int64 written, int64 total)
{
	if (total <= 0 || system_time() - fSaveStart < kProgressDelay)
		return false;
	const int32 percent = static_cast<int32>(std::clamp<int64>(written * 100 / total, 0, 100));
	if (percent == fSavePercent)
		return false;
	fSavePercent = percent;
	SetText(StatusText::Saving(percent));
	return true;
}

// The text, or as much of it as fits in `width` followed by an ellipsis,
// cut between whole UTF-8 characters.
std::string
StatusLine::Fitted(float width) const
{
	if (StringWidth(fText.c_str()) <= width)
		return fText;
	std::string fitted = fText;
	while (!fitted.empty()) {
		while (!fitted.empty() && (static_cast<unsigned char>(fitted.back()) & 0xC0) == 0x80)
			fitted.pop_back();
		if (!fitted.empty())
			fitted.pop_back();
		std::string candidate = fitted + "\xE2\x80\xA6";
		if (StringWidth(candidate.c_str()) <= width)
			return candidate;
	}
	return fitted;
}
