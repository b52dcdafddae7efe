// SPDX-License-Identifier: MIT
#include <Bitmap.h>
#include <View.h>
#include <Window.h>

#include "support/BitmapPixels.h"
#include "support/Waiting.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

namespace {

using testsupport::EventLog;
using testsupport::RgbAt;

constexpr rgb_color kRed = {255, 0, 0, 255};

class TrackedView : public BView {
public:
	TrackedView(BRect frame, EventLog& log) : BView(frame, nullptr, B_FOLLOW_ALL, 0), fLog(log) { }
	~TrackedView() override { fLog.Add("view deleted"); }

private:
	EventLog& fLog;
};

TEST(BitmapViewTest, AViewInABitmapBelongsToItsOffscreenLooper)
{
	EventLog log;
	BBitmap bitmap(BRect(0, 0, 7, 7), B_RGB32, true);
	EXPECT_EQ(bitmap.OffscreenWindow(), nullptr);
	auto* view = new TrackedView(bitmap.Bounds(), log);
	bitmap.AddChild(view);

	BWindow* looper = view->Window();
	ASSERT_NE(looper, nullptr);
	EXPECT_EQ(looper, bitmap.OffscreenWindow());
	EXPECT_TRUE(looper->IsOffscreen());
	EXPECT_EQ(looper->Thread(), -1) << "an offscreen looper has no thread";
	EXPECT_EQ(bitmap.CountChildren(), 1);
	EXPECT_EQ(bitmap.ChildAt(0), view);

	ASSERT_TRUE(looper->Lock());
	std::thread other([looper] { EXPECT_EQ(looper->LockWithTimeout(1000), B_TIMED_OUT); });
	other.join();
	looper->Unlock();
}

TEST(BitmapViewTest, DrawingIntoABitmapHappensAtOnceClippedToTheView)
{
	BBitmap target(BRect(0, 0, 7, 7), B_RGB32, true);
	auto* view = new BView(BRect(2, 2, 5, 5), nullptr, B_FOLLOW_NONE, 0);
	target.AddChild(view);

	BBitmap source(BRect(0, 0, 1, 1), B_RGB32);
	const uint8 pixels[] = {1, 2, 3, 255, 4, 5, 6, 255, 7, 8, 9, 255, 10, 11, 12, 255};
	source.SetBits(pixels, sizeof(pixels), 0, B_RGB32);

	ASSERT_TRUE(view->Window()->Lock());
	view->DrawBitmap(&source, BRect(0, 0, 1, 1));
	view->FillRect(BRect(3, 3, 20, 20), kRed);
	view->Window()->Unlock();

	using Rgb = std::array<uint8, 3>;
	EXPECT_EQ(RgbAt(target, 2, 2), (Rgb{3, 2, 1})) << "view origin is at (2, 2)";
	EXPECT_EQ(RgbAt(target, 3, 2), (Rgb{6, 5, 4}));
	EXPECT_EQ(RgbAt(target, 2, 3), (Rgb{9, 8, 7}));
	EXPECT_EQ(RgbAt(target, 5, 5), (Rgb{255, 0, 0})) << "red fills up to the view's edge";
	EXPECT_EQ(RgbAt(target, 6, 6), (Rgb{0, 0, 0})) << "nothing beyond the view";
	EXPECT_EQ(RgbAt(target, 1, 1), (Rgb{0, 0, 0}));
}

TEST(BitmapViewTest, DrawingIntoAnEightBitBitmapMatchesSetBits)
{
	// Some colours of an image, drawn into a B_CMAP8 bitmap and converted by
	// SetBits: both roads must give the same indices.
	BBitmap source(BRect(0, 0, 3, 0), B_RGB32);
	const uint8 pixels[] = {0, 0, 0, 255, 255, 255, 255, 255, 0, 0, 255, 255, 40, 200, 90, 255};
	source.SetBits(pixels, sizeof(pixels), 0, B_RGB32);

	BBitmap drawn(source.Bounds(), B_CMAP8, true);
	auto* view = new BView(source.Bounds(), nullptr, B_FOLLOW_ALL, 0);
	drawn.AddChild(view);
	ASSERT_TRUE(drawn.Lock());
	view->DrawBitmap(&source, source.Bounds());
	drawn.Unlock();

	BBitmap converted(source.Bounds(), B_CMAP8);
	converted.SetBits(source.Bits(), source.BitsLength(), 0, B_RGB32);
	EXPECT_EQ(memcmp(drawn.Bits(), converted.Bits(), 4), 0);
}

TEST(BitmapViewTest, TheBitmapOwnsItsViews)
{
	EventLog log;
	auto* kept = new TrackedView(BRect(0, 0, 3, 3), log);
	{
		BBitmap bitmap(BRect(0, 0, 3, 3), B_CMAP8, true);
		bitmap.AddChild(new TrackedView(BRect(0, 0, 3, 3), log));
		bitmap.AddChild(kept);
		EXPECT_TRUE(bitmap.RemoveChild(kept));
		EXPECT_EQ(kept->Window(), nullptr);
		EXPECT_EQ(bitmap.CountChildren(), 1);
	}
	EXPECT_EQ(log.Events(), (std::vector<std::string>{"view deleted"}));
	delete kept;

	BBitmap plain(BRect(0, 0, 3, 3), B_RGB32);
	auto* refused = new TrackedView(BRect(0, 0, 3, 3), log);
	plain.AddChild(refused);
	EXPECT_EQ(plain.CountChildren(), 0) << "a bitmap made without views takes none";
	EXPECT_FALSE(plain.Lock());
	delete refused;
}

} // namespace
