// SPDX-License-Identifier: MIT
#include "ScrollBar.h"

#include <ScrollBarState.h>

#include <LockChecks.h>
#include <Window.h>

#include <algorithm>
#include <atomic>
#include <cmath>

namespace {

std::atomic<uint32> sNextBarId{1};

constexpr rgb_color kTrackColor = {200, 200, 200, 255};
constexpr rgb_color kThumbColor = {150, 150, 150, 255};

} // namespace

BScrollBar::BScrollBar(BRect frame, const char* name, BView* target, float minimum, float maximum,
	orientation direction)
	: BView(frame, name,
		direction == B_VERTICAL ? B_FOLLOW_RIGHT | B_FOLLOW_TOP_BOTTOM
								: B_FOLLOW_LEFT_RIGHT | B_FOLLOW_BOTTOM,
		B_WILL_DRAW | B_FRAME_EVENTS),
	  fId(sNextBarId.fetch_add(1)), fTarget(nullptr), fOrientation(direction), fMinimum(minimum),
	  fMaximum(std::max(minimum, maximum)), fValue(minimum), fProportion(0), fSmallStep(1),
	  fLargeStep(10)
{
	SetViewColor(kTrackColor);
	SetTarget(target);
}

BScrollBar::~BScrollBar()
{
	SetTarget(nullptr);
}

void
BScrollBar::ValueChanged(float newValue)
{
	if (fTarget == nullptr)
		return;
	BPoint origin = fTarget->Origin();
	if (fOrientation == B_HORIZONTAL)
		origin.x = newValue;
	else
		origin.y = newValue;
	fTarget->ScrollTo(origin);
}

void
BScrollBar::SetValue(float value)
{
	ASSERT_LOCKED(Window());
	if (std::isnan(value))
		return;
	value = std::clamp(value, fMinimum, fMaximum);
	if (value == fValue)
		return;
	fValue = value;
	Changed();
	ValueChanged(fValue);
}

void
BScrollBar::SetRange(float minimum, float maximum)
{
	ASSERT_LOCKED(Window());
	fMinimum = minimum;
	fMaximum = std::max(minimum, maximum);
	Changed();
	SetValue(fValue);
}

void
BScrollBar::GetRange(float* minimum, float* maximum) const
{
	if (minimum != nullptr)
		*minimum = fMinimum;
	if (maximum != nullptr)
		*maximum = fMaximum;
}

void
BScrollBar::SetProportion(float proportion)
{
	fProportion = std::clamp(proportion, 0.0f, 1.0f);
	Changed();
}

void
BScrollBar::SetSteps(float smallStep, float largeStep)
{
	fSmallStep = smallStep;
	fLargeStep = largeStep;
	Changed();
}

void
BScrollBar::GetSteps(float* smallStep, float* largeStep) const
{
	if (smallStep != nullptr)
		*smallStep = fSmallStep;
	if (largeStep != nullptr)
		*largeStep = fLargeStep;
}

void
BScrollBar::SetTarget(BView* target)
{
	if (fTarget != nullptr) {
		BScrollBar*& slot = fOrientation == B_HORIZONTAL ? fTarget->fHorizontalBar
														 : fTarget->fVerticalBar;
		if (slot == this)
			slot = nullptr;
	}
	fTarget = target;
	if (fTarget != nullptr) {
		BScrollBar*& slot = fOrientation == B_HORIZONTAL ? fTarget->fHorizontalBar
														 : fTarget->fVerticalBar;
		if (slot != nullptr && slot != this)
			slot->fTarget = nullptr;
		slot = this;
	}
}

ScrollBarState
BScrollBar::State() const
{
	ScrollBarState state;
	state.id = fId;
	state.frame = ConvertToWindow(Bounds());
	state.direction = fOrientation;
	state.minimum = fMinimum;
	state.maximum = fMaximum;
	state.value = fValue;
	state.proportion = fProportion;
	state.smallStep = fSmallStep;
	state.largeStep = fLargeStep;
	return state;
}

// The track in the view colour, the thumb in proportion to the visible
// share, at the place of the value.
void
BScrollBar::Draw(BRect)
{
	BRect bounds = Bounds();
	float length = fOrientation == B_HORIZONTAL ? bounds.Width() : bounds.Height();
	float range = fMaximum - fMinimum;
	float thumb = std::max(length * (range > 0 ? fProportion : 1.0f), std::min(length, 8.0f));
	float start = range > 0 ? (length - thumb) * (fValue - fMinimum) / range : 0;
	BRect knob = bounds;
	if (fOrientation == B_HORIZONTAL) {
		knob.left = bounds.left + std::floor(start);
		knob.right = knob.left + std::floor(thumb);
	} else {
		knob.top = bounds.top + std::floor(start);
		knob.bottom = knob.top + std::floor(thumb);
	}
	knob.InsetBy(1, 1);
	FillRect(knob, kThumbColor);
}

void
BScrollBar::AttachedToWindow()
{
	Window()->AddScrollBar(this);
}

void
BScrollBar::DetachedFromWindow()
{
	Window()->RemoveScrollBar(this);
}

void
BScrollBar::FrameMoved(BPoint)
{
	Changed();
}

void
BScrollBar::FrameResized(float, float)
{
	Changed();
	Invalidate();
}

void
BScrollBar::Changed()
{
	if (Window() != nullptr) {
		Window()->ScrollBarsChanged();
		Invalidate();
	}
}
