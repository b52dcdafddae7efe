// SPDX-License-Identifier: MIT
#pragma once

// Points and rectangles in screen or view coordinates, y growing downwards.
// A rectangle's edges are inclusive pixel coordinates: (0, 0, 99, 49) covers
// 100 by 50 pixels, and its Width() is the plain difference, 99.

#include <SupportDefs.h>

class BPoint {
public:
	float x = 0;
	float y = 0;

	constexpr BPoint() = default;
	constexpr BPoint(float px, float py) : x(px), y(py) { }

	// Written out rather than defaulted: the header also serves C++17 code.
	constexpr bool operator==(const BPoint& other) const { return x == other.x && y == other.y; }
	constexpr bool operator!=(const BPoint& other) const { return !(*this == other); }
};

class BRect {
	// Kept here rather than taken from <algorithm>: every generated image
	// source includes this header, and that one header alone is a large
	// share of what the compiler reads for it.
	static constexpr float Min(float a, float b) { return b < a ? b : a; }
	static constexpr float Max(float a, float b) { return a < b ? b : a; }

public:
	float left = 0;
	float top = 0;
	float right = -1;
	float bottom = -1;

	// A default rectangle is invalid (right < left), as on the platform.
	constexpr BRect() = default;
	constexpr BRect(float l, float t, float r, float b) : left(l), top(t), right(r), bottom(b) { }
	constexpr BRect(BPoint leftTop, BPoint rightBottom)
		: left(leftTop.x), top(leftTop.y), right(rightBottom.x), bottom(rightBottom.y)
	{ }

	constexpr float Width() const { return right - left; }
	constexpr float Height() const { return bottom - top; }
	constexpr int32 IntegerWidth() const { return static_cast<int32>(right - left); }
	constexpr int32 IntegerHeight() const { return static_cast<int32>(bottom - top); }
	constexpr bool IsValid() const { return left <= right && top <= bottom; }
	constexpr BPoint LeftTop() const { return BPoint(left, top); }
	constexpr BPoint RightBottom() const { return BPoint(right, bottom); }

	constexpr void Set(float l, float t, float r, float b)
	{
		left = l;
		top = t;
		right = r;
		bottom = b;
	}

	constexpr BRect& InsetBy(float dx, float dy)
	{
		left += dx;
		top += dy;
		right -= dx;
		bottom -= dy;
		return *this;
	}
	constexpr BRect& OffsetBy(float dx, float dy)
	{
		left += dx;
		right += dx;
		top += dy;
		bottom += dy;
		return *this;
	}
	constexpr BRect& OffsetTo(float x, float y) { return OffsetBy(x - left, y - top); }
	constexpr BRect OffsetByCopy(float dx, float dy) const
	{
		BRect copy = *this;
		return copy.OffsetBy(dx, dy);
	}
	constexpr BRect OffsetToCopy(float x, float y) const
	{
		BRect copy = *this;
		return copy.OffsetTo(x, y);
	}

	// True when `rect` lies wholly inside, edges included.
	constexpr bool Contains(BRect rect) const
	{
		return rect.left >= left && rect.top >= top && rect.right <= right && rect.bottom <= bottom;
	}
	constexpr bool Contains(BPoint point) const
	{
		return point.x >= left && point.x <= right && point.y >= top && point.y <= bottom;
	}
	// True when both rectangles are valid and share at least one point.
	constexpr bool Intersects(BRect rect) const
	{
		if (!IsValid() || !rect.IsValid())
			return false;
		return !(rect.right < left || rect.left > right || rect.bottom < top || rect.top > bottom);
	}

	// Intersection; invalid when the two do not meet.
	constexpr BRect operator&(BRect rect) const
	{
		return BRect(Max(left, rect.left), Max(top, rect.top), Min(right, rect.right),
			Min(bottom, rect.bottom));
	}
	// Smallest rectangle holding both.
	constexpr BRect operator|(BRect rect) const
	{
		return BRect(Min(left, rect.left), Min(top, rect.top), Max(right, rect.right),
			Max(bottom, rect.bottom));
	}

	constexpr bool operator==(const BRect& other) const
	{
		return left == other.left && top == other.top && right == other.right
			&& bottom == other.bottom;
	}
	constexpr bool operator!=(const BRect& other) const { return !(*this == other); }
};
