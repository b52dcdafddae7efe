// SPDX-License-Identifier: MIT
#include "app/framework/WindowStagger.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

// Lets GoogleTest print rectangles in failure messages.
void
PrintTo(const BRect& rect, std::ostream* os)
{
	*os << "(" << rect.left << ", " << rect.top << ", " << rect.right << ", " << rect.bottom << ")";
}

namespace {

const BRect kStart(30, 30, 430, 280);
const BRect kScreen1024(0, 0, 1023, 767);
const BRect kScreen640(0, 0, 639, 479);

std::vector<BRect>
Frames(WindowStagger& stagger, BRect screen, int count)
{
	std::vector<BRect> frames;
	for (int i = 0; i < count; i++)
		frames.push_back(stagger.NextFrame(screen));
	return frames;
}

} // namespace

struct NumberedFrame {
	int number; // 1-based, as a person counts windows
	BRect frame;
};

class CascadeOn1024 : public testing::TestWithParam<NumberedFrame> { };

TEST_P(CascadeOn1024, HandsOutTheListedFrame)
{
	WindowStagger stagger(kStart);
	std::vector<BRect> frames = Frames(stagger, kScreen1024, GetParam().number);
	BRect frame = frames.back();
	BRect expected = GetParam().frame;
	EXPECT_EQ(frame, expected) << "frame " << GetParam().number << " is "
							   << testing::PrintToString(frame);
}

INSTANTIATE_TEST_SUITE_P(Frames, CascadeOn1024,
	testing::Values(NumberedFrame{1, BRect(30, 30, 430, 280)},
		NumberedFrame{2, BRect(55, 55, 455, 305)}, NumberedFrame{20, BRect(505, 505, 905, 755)},
		NumberedFrame{21, BRect(530, 530, 930, 759)}, NumberedFrame{25, BRect(630, 630, 1015, 759)},
		NumberedFrame{30, BRect(755, 755, 1015, 759)}, NumberedFrame{31, BRect(80, 30, 480, 280)},
		NumberedFrame{32, BRect(105, 55, 505, 305)}, NumberedFrame{61, BRect(130, 30, 530, 280)},
		NumberedFrame{319, BRect(630, 30, 1030, 280)},
		NumberedFrame{320, BRect(655, 55, 1015, 305)}));

TEST(WindowStagger, FramesCascadeBy25WithinAColumn)
{
	WindowStagger stagger(kStart);
	std::vector<BRect> frames = Frames(stagger, kScreen1024, 20);
	for (int n = 0; n < 20; n++)
		EXPECT_EQ(frames[n], BRect(kStart).OffsetBy(25.0f * n, 25.0f * n)) << "frame " << n + 1;
}

TEST(WindowStagger, CutsAtBothEdgesOf640By480Screen)
{
	WindowStagger stagger(kStart);
	std::vector<BRect> frames = Frames(stagger, kScreen640, 10);
	EXPECT_EQ(frames[8], BRect(230, 230, 630, 471));
	EXPECT_EQ(frames[9], BRect(255, 255, 631, 471));
}

TEST(WindowStagger, SizeEqualToMinimumDoesNotOpenColumn)
{
	// A 1-unit-wide start: width equals the minimum, which is not "less".
	WindowStagger stagger(BRect(10, 10, 11, 11));
	EXPECT_EQ(stagger.NextFrame(kScreen1024), BRect(10, 10, 11, 11));
	EXPECT_EQ(stagger.NextFrame(kScreen1024), BRect(35, 35, 36, 36));
}

TEST(WindowStagger, EmptyStartGivesOneByOneFrameAtItsCorner)
{
	WindowStagger stagger(BRect(100, 100, 50, 50));
	EXPECT_EQ(stagger.NextFrame(kScreen1024), BRect(100, 100, 101, 101));
}

TEST(WindowStagger, StartsOverOnceAColumnWouldOpenOffTheScreen)
{
	WindowStagger stagger(kStart);
	std::vector<BRect> frames = Frames(stagger, kScreen1024, 1000);
	BRect usable = kScreen1024;
	usable.InsetBy(8, 8);
	int restarts = 0;
	for (size_t i = 1; i < frames.size(); i++) {
		EXPECT_LE(frames[i].left, usable.right) << "frame " << i + 1 << " lies off the screen";
		if (frames[i] == kStart)
			restarts++;
	}
	EXPECT_GE(restarts, 1);
	// The last column that still starts on the screen begins at 980; the next
	// one would begin at 1030, beyond the usable right edge 1015.
	auto firstRestart = std::find(frames.begin() + 1, frames.end(), kStart);
	ASSERT_NE(firstRestart, frames.end());
	EXPECT_EQ(*(firstRestart - 1), BRect(1005, 55, 1015, 305));
	EXPECT_EQ(*(firstRestart + 1), BRect(55, 55, 455, 305));
}

TEST(WindowStagger, ReadsTheScreenAnewOnEveryCall)
{
	WindowStagger stagger(kStart);
	Frames(stagger, kScreen1024, 8);
	// The ninth frame on a 640 by 480 screen is cut there.
	EXPECT_EQ(stagger.NextFrame(kScreen640), BRect(230, 230, 630, 471));
}

TEST(WindowStagger, ACutToExactlyTheMinimumStaysInTheColumn)
{
	// Cut at the right edge 1015 to a width of exactly 1.
	WindowStagger narrow(BRect(989, 30, 1100, 100));
	EXPECT_EQ(narrow.NextFrame(kScreen1024), BRect(989, 30, 1015, 100));
	EXPECT_EQ(narrow.NextFrame(kScreen1024), BRect(1014, 55, 1015, 125));

	// Cut at the bottom edge 759 to a height of exactly 1.
	WindowStagger flat(BRect(30, 733, 100, 800));
	EXPECT_EQ(flat.NextFrame(kScreen1024), BRect(30, 733, 100, 759));
	EXPECT_EQ(flat.NextFrame(kScreen1024), BRect(55, 758, 125, 759));
	// One more step leaves nothing: the next column, 50 to the right.
	EXPECT_EQ(flat.NextFrame(kScreen1024), BRect(80, 733, 150, 800));
}

TEST(WindowStagger, AnEmptyStartCascadesAsOneByOneFrames)
{
	WindowStagger stagger(BRect(100, 100, 50, 50));
	std::vector<BRect> frames = Frames(stagger, kScreen1024, 3);
	EXPECT_EQ(frames[0], BRect(100, 100, 101, 101));
	EXPECT_EQ(frames[1], BRect(125, 125, 126, 126));
	EXPECT_EQ(frames[2], BRect(150, 150, 151, 151));
}

TEST(WindowStagger, TheWholeFirstColumnOn640By480)
{
	// Usable area (8, 8, 631, 471): bottom cuts from frame 9, right from 10.
	WindowStagger stagger(kStart);
	std::vector<BRect> frames = Frames(stagger, kScreen640, 18);
	for (int n = 0; n < 8; n++)
		EXPECT_EQ(frames[n], BRect(kStart).OffsetBy(25.0f * n, 25.0f * n)) << "frame " << n + 1;
	EXPECT_EQ(frames[10], BRect(280, 280, 631, 471));
	EXPECT_EQ(frames[17], BRect(455, 455, 631, 471));
	// 480 to 471 leaves nothing of the nineteenth: a new column.
	EXPECT_EQ(stagger.NextFrame(kScreen640), BRect(80, 30, 480, 280));
}

TEST(WindowStagger, StartsOverExactlyWhereTheNextColumnWouldLieOffTheScreen)
{
	WindowStagger stagger(kStart);
	std::vector<BRect> frames = Frames(stagger, kScreen1024, 780);
	// The last column on the screen opens at frame 389 with its full size.
	EXPECT_EQ(frames[388], BRect(980, 30, 1380, 280));
	EXPECT_EQ(frames[389], BRect(1005, 55, 1015, 305));
	// Its successor would open at 1030, beyond 1015: frame 391 is the start.
	EXPECT_EQ(frames[390], kStart);
	// From there the cascade repeats itself frame for frame.
	for (size_t i = 390; i < frames.size(); i++)
		ASSERT_EQ(frames[i], frames[i - 390]) << "frame " << i + 1;
}
