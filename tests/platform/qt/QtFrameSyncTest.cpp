// SPDX-License-Identifier: MIT
// How a Qt window keeps the window manager's geometry while the window's
// frame catches up: which changes are reported, and which frames arriving
// from the window are put back on the widget.

#include <QtFrameSync.h>

#include <gtest/gtest.h>

using BPrivate::QtFrameSync;

namespace {

const QRect kCascade(QPoint(30, 30), QSize(401, 251));

// Maximizing: the size is reported, then the position. The echo of the size
// still has the old position and must not move the widget back there; the
// echo of the position settles it.
TEST(QtFrameSyncTest, TheEchoOfAMaximizedSizeDoesNotPullTheWindowBack)
{
	QtFrameSync sync(kCascade);
	EXPECT_TRUE(sync.SizeChanged(QSize(1280, 781)));
	EXPECT_TRUE(sync.PositionChanged(QPoint(0, 19)));
	EXPECT_FALSE(sync.FrameArrived(QRect(QPoint(30, 30), QSize(1280, 781))));
	EXPECT_TRUE(sync.FrameArrived(QRect(QPoint(0, 19), QSize(1280, 781))));
	// Restoring, the other way round.
	EXPECT_TRUE(sync.PositionChanged(QPoint(30, 30)));
	EXPECT_TRUE(sync.SizeChanged(QSize(401, 251)));
	EXPECT_FALSE(sync.FrameArrived(QRect(QPoint(30, 30), QSize(1280, 781))));
	EXPECT_TRUE(sync.FrameArrived(kCascade));
}

TEST(QtFrameSyncTest, OnlyChangesAreReportedMeasuredAgainstWhatIsOnItsWay)
{
	QtFrameSync sync(kCascade);
	// What the window has already is no change (Qt repeats geometry).
	EXPECT_FALSE(sync.SizeChanged(kCascade.size()));
	EXPECT_FALSE(sync.PositionChanged(kCascade.topLeft()));
	// Away and back before any echo: both are reported, so the window ends
	// where the widget is, not where it was for a moment.
	EXPECT_TRUE(sync.PositionChanged(QPoint(200, 100)));
	EXPECT_FALSE(sync.PositionChanged(QPoint(200, 100)));
	EXPECT_TRUE(sync.PositionChanged(kCascade.topLeft()));
	EXPECT_FALSE(sync.FrameArrived(QRect(QPoint(200, 100), kCascade.size())));
	EXPECT_TRUE(sync.FrameArrived(kCascade));
}

TEST(QtFrameSyncTest, AnEchoSettlesTheReportsBeforeItAndTheWindowsOwnFramesGoOnTheWidget)
{
	QtFrameSync sync(kCascade);
	EXPECT_TRUE(sync.SizeChanged(QSize(500, 300)));
	EXPECT_TRUE(sync.SizeChanged(QSize(520, 330)));
	// The window handled the last size only: nothing is left on its way.
	EXPECT_TRUE(sync.FrameArrived(QRect(QPoint(30, 30), QSize(520, 330))));
	// A frame the window chose itself (MoveTo) with nothing reported.
	EXPECT_TRUE(sync.FrameArrived(QRect(QPoint(90, 60), QSize(520, 330))));
	EXPECT_EQ(sync.Frame(), QRect(QPoint(90, 60), QSize(520, 330)));
}

} // namespace
