// SPDX-License-Identifier: MIT
// The reference decoder: ImageMagick's reading of files made here with known
// pixels, and the comparison the reader tests judge pixels by.

#include "support/Files.h"
#include "support/ReferenceDecoder.h"

#include <gtest/gtest.h>

namespace {

using namespace testsupport;

TEST(ReferenceDecoder, ComparingPixelsKeepsToTheToleranceAndPassesOverTransparentColour)
{
	const std::string opaque("\x10\x20\x30\xff"
							 "\x40\x50\x60\xff",
		8);
	EXPECT_EQ(CompareRgba(opaque, opaque, 2), "");
	std::string near = opaque;
	near[5] = '\x52';
	EXPECT_EQ(CompareRgba(near, opaque, 2, 2), "");
	EXPECT_EQ(CompareRgba(near, opaque, 2, 1), "pixel (1, 0): 64 82 96 255, expected 64 80 96 255");
	// The second row of a one-pixel-wide image.
	EXPECT_EQ(CompareRgba(near, opaque, 1, 0), "pixel (0, 1): 64 82 96 255, expected 64 80 96 255");

	// Where the expected pixel is wholly transparent its colour is of no
	// account; its alpha still is.
	const std::string clear("\x10\x20\x30\x00", 4);
	EXPECT_EQ(CompareRgba(std::string("\xff\xff\xff\x00", 4), clear, 1), "");
	EXPECT_NE(CompareRgba(std::string("\x10\x20\x30\x01", 4), clear, 1), "");
	EXPECT_EQ(CompareRgba(opaque, opaque.substr(0, 4), 1), "sizes differ: 8 vs 4");
}

TEST(ReferenceDecoder, ItReadsTheImagesOfAFileAndTheirPixels)
{
	if (!HaveReferenceDecoder())
		GTEST_SKIP() << "ImageMagick is not installed";
	ScratchDirectory scratch;
	// A PAM image of two pixels, the second half transparent.
	const std::string pam = scratch / "two.pam";
	ASSERT_TRUE(WriteWhole(pam,
		std::string("P7\nWIDTH 2\nHEIGHT 1\nDEPTH 4\nMAXVAL 255\n"
					"TUPLTYPE RGB_ALPHA\nENDHDR\n")
			+ std::string("\x01\x02\x03\xff\x04\x05\x06\x80", 8)));
	EXPECT_EQ(ReferenceSizes(pam), (std::vector<std::pair<int32_t, int32_t>>{{2, 1}}));
	EXPECT_EQ(ReferenceRgba(pam), std::string("\x01\x02\x03\xff\x04\x05\x06\x80", 8));

	// Two frames of other sizes; a file it cannot read gives nothing.
	const std::string gif = scratch / "frames.gif";
	std::string error;
	ASSERT_TRUE(
		ReferenceConvert({"-size", "3x2", "xc:red", "-size", "1x4", "xc:blue", gif}, &error))
		<< error;
	EXPECT_EQ(ReferenceSizes(gif), (std::vector<std::pair<int32_t, int32_t>>{{3, 2}, {1, 4}}));
	std::string blue;
	for (int pixel = 0; pixel < 4; pixel++)
		blue += std::string("\x00\x00\xff\xff", 4);
	EXPECT_EQ(ReferenceRgba(gif, 1), blue);
	ASSERT_TRUE(WriteWhole(scratch / "garbage.png", "not an image"));
	EXPECT_EQ(ReferenceRgba(scratch / "garbage.png"), "");
	EXPECT_TRUE(ReferenceSizes(scratch / "garbage.png").empty());
	EXPECT_FALSE(ReferenceConvert({scratch / "garbage.png", scratch / "out.png"}));
}

} // namespace
