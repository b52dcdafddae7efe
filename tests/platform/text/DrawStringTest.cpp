// SPDX-License-Identifier: MIT
// Text drawn by a view into a bitmap: where the glyphs land, in which
// colour, and that nothing escapes the clip.

#include <Bitmap.h>
#include <Font.h>
#include <View.h>
#include <Window.h>

#include <gtest/gtest.h>

#include <array>

namespace {

constexpr rgb_color kWhite = {255, 255, 255, 255};
constexpr rgb_color kRed = {255, 0, 0, 255};

rgb_color
PixelAt(const BBitmap& bitmap, int32 x, int32 y)
{
	const uint8* pixel = static_cast<const uint8*>(bitmap.Bits()) + y * bitmap.BytesPerRow()
		+ x * 4;
	return {pixel[2], pixel[1], pixel[0], pixel[3]};
}

// The smallest rectangle holding every pixel that is not white; invalid
// when all are.
BRect
InkBounds(const BBitmap& bitmap)
{
	BRect ink;
	BRect bounds = bitmap.Bounds();
	for (int32 y = 0; y <= bounds.IntegerHeight(); y++) {
		for (int32 x = 0; x <= bounds.IntegerWidth(); x++) {
			if (PixelAt(bitmap, x, y) == kWhite)
				continue;
			BRect pixel(x, y, x, y);
			ink = ink.IsValid() ? (ink | pixel) : pixel;
		}
	}
	return ink;
}

class DrawStringTest : public testing::Test {
protected:
	void SetUp() override
	{
		fBitmap = std::make_unique<BBitmap>(BRect(0, 0, 199, 39), B_RGB32, true);
		fView = new BView(fBitmap->Bounds(), nullptr, B_FOLLOW_ALL, B_WILL_DRAW);
		fBitmap->AddChild(fView);
		ASSERT_TRUE(fView->Window()->Lock());
		fView->FillRect(fBitmap->Bounds(), kWhite);
	}

	void TearDown() override { fView->Window()->Unlock(); }

	std::unique_ptr<BBitmap> fBitmap;
	BView* fView = nullptr;
};

TEST_F(DrawStringTest, TheGlyphsSitOnTheBaselineWithinTheMeasuredWidth)
{
	font_height height;
	fView->GetFontHeight(&height);
	ASSERT_GT(height.ascent, 0.0f) << "no font was found";
	float width = fView->StringWidth("Hxg");
	ASSERT_GT(width, 0.0f);

	fView->DrawString("Hxg", BPoint(10, 25));
	BRect ink = InkBounds(*fBitmap);
	ASSERT_TRUE(ink.IsValid());
	EXPECT_GE(ink.left, 10.0f);
	EXPECT_LE(ink.right, 10.0f + width);
	// The capital rises above the baseline, the descender goes below it,
	// and neither beyond the font's extent.
	EXPECT_LT(ink.top, 25.0f - height.ascent / 2);
	EXPECT_GE(ink.top, 25.0f - height.ascent);
	EXPECT_GT(ink.bottom, 25.0f);
	EXPECT_LE(ink.bottom, 25.0f + height.descent);
}

TEST_F(DrawStringTest, TextIsInTheHighColourBlendedIntoTheBackground)
{
	fView->SetHighColor(kRed);
	fView->SetFontSize(24);
	fView->DrawString("I", BPoint(10, 30));
	bool fullyRed = false;
	BRect bounds = fBitmap->Bounds();
	for (int32 y = 0; y <= bounds.IntegerHeight(); y++) {
		for (int32 x = 0; x <= bounds.IntegerWidth(); x++) {
			rgb_color pixel = PixelAt(*fBitmap, x, y);
			// Every pixel lies between white and red.
			EXPECT_EQ(pixel.red, 255);
			EXPECT_EQ(pixel.green, pixel.blue);
			fullyRed = fullyRed || pixel == kRed;
		}
	}
	EXPECT_TRUE(fullyRed) << "the stem of the I is solid red";
}

TEST_F(DrawStringTest, NonAsciiTextMeasuresAsItsCharactersNotItsBytes)
{
	// U+00D7 is two bytes in UTF-8 but one glyph, as wide as an x or so.
	float times = fView->StringWidth("\xC3\x97");
	float x = fView->StringWidth("x");
	EXPECT_GT(times, 0.0f);
	EXPECT_LT(times, 2 * x);
	// A cut-off sequence draws something (the replacement) and stops.
	EXPECT_GT(fView->StringWidth("a\xC3"), fView->StringWidth("a"));
}

TEST_F(DrawStringTest, NothingIsDrawnOutsideTheView)
{
	auto* child = new BView(BRect(50, 0, 59, 39), nullptr, B_FOLLOW_NONE, B_WILL_DRAW);
	fView->AddChild(child);
	child->SetFontSize(30);
	// Starts left of the child and runs far past its right edge.
	child->DrawString("WWWWWW", BPoint(-20, 30));
	BRect ink = InkBounds(*fBitmap);
	ASSERT_TRUE(ink.IsValid());
	EXPECT_GE(ink.left, 50.0f);
	EXPECT_LE(ink.right, 59.0f);
}

} // namespace
