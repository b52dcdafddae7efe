// SPDX-License-Identifier: MIT
#pragma once

// A scroll bar: a view that holds a value in a range and scrolls its target
// view to it. Moving the bar (SetValue, or the person through the display
// server) calls ValueChanged, which scrolls the target along the bar's
// orientation; scrolling the target moves the bar.
//
// The display server shows the bar as a control of its own over the bar's
// frame (see ScrollBarState.h); Draw paints a plain track and thumb for a
// server that shows only pixels.
//
// Call its functions with its window locked, as for any view.

struct ScrollBarState;
#include <View.h>

class BScrollBar : public BView {
public:
	BScrollBar(BRect frame, const char* name, BView* target, float minimum, float maximum,
		orientation direction);
	~BScrollBar() override;

	// Scrolls the target to `newValue` along the bar.
	virtual void ValueChanged(float newValue);

	// Clamped to the range; ValueChanged runs when the value changes.
	void SetValue(float value);
	float Value() const { return fValue; }
	// The value is clamped into the new range (maximum below minimum counts
	// as minimum).
	void SetRange(float minimum, float maximum);
	void GetRange(float* minimum, float* maximum) const;
	// The share of the target's contents in view, 0 to 1.
	void SetProportion(float proportion);
	float Proportion() const { return fProportion; }
	// An arrow's step and a page.
	void SetSteps(float smallStep, float largeStep);
	void GetSteps(float* smallStep, float* largeStep) const;

	// The bar belongs to one view at a time, per orientation; null: none.
	void SetTarget(BView* target);
	BView* Target() const { return fTarget; }
	orientation Orientation() const { return fOrientation; }

	// What the display server shows.
	ScrollBarState State() const;

	void Draw(BRect updateRect) override;
	void AttachedToWindow() override;
	void DetachedFromWindow() override;
	void FrameMoved(BPoint newPosition) override;
	void FrameResized(float newWidth, float newHeight) override;

private:
	friend class BView;
	friend class BWindow;

	void Changed();

	const uint32 fId;
	BView* fTarget;
	orientation fOrientation;
	float fMinimum;
	float fMaximum;
	float fValue;
	float fProportion;
	float fSmallStep;
	float fLargeStep;
};
