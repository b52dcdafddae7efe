// SPDX-License-Identifier: MIT
// Where the image, its margins and the scroll bars go in a window's image
// area at each scale, and how zooming steps and keeps its centre.

#include "image/ImageViewport.h"

#include <gtest/gtest.h>

namespace {

// The area below the menu bar of a window in the first cascade frame.
constexpr int32 kAreaWidth = 401;
constexpr int32 kAreaHeight = 231;

TEST(ImageViewportTest, ScrollBarsAppearOnlyWhereTheContentDoesNotFit)
{
	struct Row {
		const char* what;
		int32 imageWidth, imageHeight;
		float scale;
		bool horizontal, vertical;
		int32 viewWidth, viewHeight, maxX, maxY;
	};
	const Row rows[] = {
		{"small image", 100, 50, 1, false, false, 401, 231, 0, 0},
		{"image and margins exactly fill the area", 369, 199, 1, false, false, 401, 231, 0, 0},
		{"one pixel too wide", 370, 100, 1, true, false, 401, 216, 1, 0},
		{"large photo", 3000, 2000, 1, true, true, 386, 216, 2646, 1816},
		{"wide strip", 1000, 100, 1, true, false, 401, 216, 631, 0},
		// Fits across only until the vertical bar takes its room.
		{"the vertical bar brings the other", 369, 300, 1, true, true, 386, 216, 15, 116},
		{"icon at 8x", 16, 16, 8, false, false, 401, 231, 0, 0},
		{"icon at 16x", 16, 16, 16, false, true, 386, 231, 0, 57},
		{"no image", 0, 0, 1, false, false, 401, 231, 0, 0},
		{"large photo fitted", 3000, 2000, 0.0995f, false, false, 401, 231, 0, 0},
	};
	for (const Row& row : rows) {
		SCOPED_TRACE(row.what);
		ViewportLayout layout = ImageViewport::Layout(
			kAreaWidth, kAreaHeight, row.imageWidth, row.imageHeight, row.scale);
		EXPECT_EQ(layout.horizontalBar, row.horizontal);
		EXPECT_EQ(layout.verticalBar, row.vertical);
		EXPECT_EQ(layout.viewWidth, row.viewWidth);
		EXPECT_EQ(layout.viewHeight, row.viewHeight);
		EXPECT_EQ(layout.maxScrollX, row.maxX);
		EXPECT_EQ(layout.maxScrollY, row.maxY);
	}
}

TEST(ImageViewportTest, AnAreaTooSmallForTheBarsLeavesAnEmptyViewNotANegativeOne)
{
	ViewportLayout layout = ImageViewport::Layout(10, 5, 3000, 2000, 1);
	EXPECT_EQ(layout.viewWidth, 0);
	EXPECT_EQ(layout.viewHeight, 0);
	EXPECT_EQ(layout.maxScrollX, 3032);
	EXPECT_EQ(layout.maxScrollY, 2032);
}

TEST(ImageViewportTest, FitShrinksALargeImageAndMagnifiesASmallOneByAWholeFactor)
{
	struct Row {
		int32 areaWidth, areaHeight, imageWidth, imageHeight;
		float scale;
	};
	const Row rows[] = {
		{401, 231, 3000, 2000, 199.0f / 2000},
		{401, 231, 2000, 100, 369.0f / 2000},
		{401, 231, 16, 16, 12}, // 199 / 16 = 12.4 down to the whole factor
		{2000, 2000, 16, 16, 16}, // never beyond 16x
		{401, 231, 369, 199, 1}, // fits exactly
		{401, 231, 370, 199, 369.0f / 370},
	};
	for (const Row& row : rows) {
		SCOPED_TRACE(::testing::Message() << row.imageWidth << "x" << row.imageHeight << " in "
										  << row.areaWidth << "x" << row.areaHeight);
		float scale = ImageViewport::FitScale(
			row.areaWidth, row.areaHeight, row.imageWidth, row.imageHeight);
		EXPECT_FLOAT_EQ(scale, row.scale);
		// What fits is shown whole, without a scroll bar.
		ViewportLayout layout = ImageViewport::Layout(
			row.areaWidth, row.areaHeight, row.imageWidth, row.imageHeight, scale);
		EXPECT_FALSE(layout.horizontalBar);
		EXPECT_FALSE(layout.verticalBar);
	}
}

TEST(ImageViewportTest, ZoomStepsThroughHalvesBelowOneAndWholeFactorsUpToSixteen)
{
	struct Row {
		float scale, in, out;
	};
	const Row rows[] = {
		{1, 2, 0.5f},
		{2, 3, 1},
		{8, 9, 7},
		{16, 16, 15},
		{12, 13, 11},
		{0.5f, 1, 0.25f},
		{0.25f, 0.5f, 0.125f},
		{0.125f, 0.25f, 0.125f}, // the smallest step stays
		// Fitted scales between steps go to the step on that side.
		{0.3f, 0.5f, 0.25f},
		{369.0f / 370, 1, 0.5f},
		{0.0995f, 0.125f, 0.0995f}, // below the smallest step: zooming out keeps it
		{0.12f, 0.125f, 0.12f},
		{0.13f, 0.25f, 0.125f},
		// A hair off a step (float arithmetic) counts as the step.
		{0.5f + 1e-6f, 1, 0.25f},
		{2 - 1e-6f, 3, 1},
	};
	for (const Row& row : rows) {
		SCOPED_TRACE(row.scale);
		EXPECT_EQ(ImageViewport::ZoomedIn(row.scale), row.in);
		EXPECT_EQ(ImageViewport::ZoomedOut(row.scale), row.out);
	}
}

TEST(ImageViewportTest, ZoomingKeepsTheImagePointAtTheCentreOfTheView)
{
	// View pixel 193 of 386 shows image column 177 at 1x (margin 16).
	EXPECT_EQ(ImageViewport::KeepCentre(0, 386, 1, 2, 386, 5000), 16 + 354 - 193);
	// Back again.
	EXPECT_EQ(ImageViewport::KeepCentre(177, 386, 2, 1, 386, 5000), 0);
	// Clamped to what the new layout allows.
	EXPECT_EQ(ImageViewport::KeepCentre(2646, 386, 1, 8, 386, 3000), 3000);
	EXPECT_EQ(ImageViewport::KeepCentre(100, 386, 4, 1, 401, 0), 0);
}

TEST(ImageViewportTest, ZoomingAroundThePointerKeepsTheImagePointUnderIt)
{
	struct Row {
		const char* what;
		int32 origin;
		double offset;
		float oldScale, newScale;
		int32 maxScroll;
		int32 expected;
	};
	const Row rows[] = {
		// View pixel 100 shows image column 84 at 1x; at 2x it lies at 16 + 168.
		{"in from the top-left", 0, 100, 1, 2, 5000, 16 + 168 - 100},
		{"scrolled, in", 500, 50, 1, 4, 50000, 16 + (500 + 50 - 16) * 4 - 50},
		{"out to a half", 1000, 200, 2, 0.5f, 5000, 16 + (1000 + 200 - 16) / 4 - 200},
		{"out past the start clamps to 0", 10, 300, 1, 0.5f, 5000, 0},
		{"in past the end clamps", 2600, 380, 1, 16, 3000, 3000},
		{"pointer on the margin stays on it", 0, 8, 1, 8, 5000, 0},
	};
	for (const Row& row : rows) {
		SCOPED_TRACE(row.what);
		EXPECT_EQ(ImageViewport::KeepPoint(
					  row.origin, row.offset, row.oldScale, row.newScale, row.maxScroll),
			row.expected);
	}
}

} // namespace
