// SPDX-License-Identifier: MIT
// The comparisons of points, rectangles and colours are written out by hand
// (the headers also serve C++17 code): each must look at every field, and
// != must be its exact opposite, with the floats' own == (so -0 equals 0 and
// NaN equals nothing), as a defaulted comparison would be.
#include <GraphicsDefs.h>
#include <Rect.h>

#include <gtest/gtest.h>

#include <limits>

namespace {

// == answers `equal` both ways round, and != its opposite.
template <typename T>
void
ExpectComparesAs(const T& a, const T& b, bool equal)
{
	EXPECT_EQ(a == b, equal);
	EXPECT_EQ(b == a, equal);
	EXPECT_EQ(a != b, !equal);
	EXPECT_EQ(b != a, !equal);
}

template <typename T>
void
ExpectEqual(const T& a, const T& b)
{
	ExpectComparesAs(a, b, true);
}

template <typename T>
void
ExpectDifferent(const T& a, const T& b)
{
	ExpectComparesAs(a, b, false);
}

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

} // namespace

TEST(Comparison, RectanglesDifferingInAnyOneEdgeAreDifferent)
{
	const BRect base(1, 2, 3, 4);
	const BRect oneEdgeMoved[] = {
		BRect(0, 2, 3, 4), BRect(1, 0, 3, 4), BRect(1, 2, 0, 4), BRect(1, 2, 3, 0)};
	for (const BRect& other : oneEdgeMoved)
		ExpectDifferent(base, other);
	ExpectEqual(base, BRect(BPoint(1, 2), BPoint(3, 4)));
	ExpectEqual(BRect(), BRect(0, 0, -1, -1));
	ExpectEqual(BRect(-0.0f, 0, 1, 1), BRect(0, 0, 1, 1));
	ExpectDifferent(BRect(kNaN, 0, 1, 1), BRect(kNaN, 0, 1, 1));
	static_assert(BRect(1, 2, 3, 4) == BRect(1, 2, 3, 4) && BRect() != BRect(1, 2, 3, 4));
}

TEST(Comparison, PointsDifferingInAnyOneCoordinateAreDifferent)
{
	ExpectDifferent(BPoint(1, 2), BPoint(0, 2));
	ExpectDifferent(BPoint(1, 2), BPoint(1, 0));
	ExpectEqual(BPoint(1, 2), BPoint(1, 2));
	ExpectEqual(BPoint(), BPoint(-0.0f, 0));
	ExpectDifferent(BPoint(kNaN, 0), BPoint(kNaN, 0));
	static_assert(BPoint(1, 2) == BPoint(1, 2) && BPoint(1, 2) != BPoint(2, 1));
}

TEST(Comparison, ColoursDifferingInAnyOneChannelAreDifferent)
{
	const rgb_color base = {10, 20, 30, 40};
	const rgb_color oneChannelChanged[] = {
		{11, 20, 30, 40}, {10, 21, 30, 40}, {10, 20, 31, 40}, {10, 20, 30, 41}};
	for (const rgb_color& other : oneChannelChanged)
		ExpectDifferent(base, other);
	ExpectEqual(base, rgb_color{10, 20, 30, 40});
	static_assert(B_TRANSPARENT_COLOR == rgb_color{0x77, 0x74, 0x77, 0x00});
}
