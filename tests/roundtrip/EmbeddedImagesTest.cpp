// SPDX-License-Identifier: MIT
// Images turned into sources by quillpix_add_image_sources when this test
// was built: each generated bitmap equals the one the image loads into.

#include "export/BitmapConversion.h"
#include <ColorMapDither.h>

#include "quillpix-images/colour.h"
#include "quillpix-images/colour_floyd_steinberg.h"
#include "quillpix-images/colour_ordered.h"
#include "quillpix-images/image_9_grey.h"
#include "quillpix-images/palette_system.h"

#include <TranslationUtils.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

const std::string kImages = std::string(QUILLPIX_SOURCE_DIR) + "/tests/data/images/";

void
ExpectSameBitmap(const BBitmap* built, const std::string& image, color_space space)
{
	ASSERT_NE(built, nullptr);
	ASSERT_EQ(built->InitCheck(), B_OK);
	std::unique_ptr<BBitmap> loaded(BTranslationUtils::GetBitmapFile(image.c_str()));
	ASSERT_TRUE(loaded) << image;
	if (loaded->ColorSpace() != space)
		loaded = ConvertedBitmap(*loaded, space).Value();
	ASSERT_TRUE(loaded);
	EXPECT_EQ(built->Bounds(), loaded->Bounds()) << image;
	EXPECT_EQ(built->ColorSpace(), space) << image;
	ASSERT_EQ(built->BitsLength(), loaded->BitsLength()) << image;
	EXPECT_EQ(memcmp(built->Bits(), loaded->Bits(), size_t(loaded->BitsLength())), 0) << image;
}

} // namespace

TEST(EmbeddedImages, EveryGeneratedBitmapEqualsItsImage)
{
	ExpectSameBitmap(colour_MakeBitmap(), kImages + "colour.png", B_RGB32);
	ExpectSameBitmap(palette_system_MakeBitmap(), kImages + "palette-system.png", B_CMAP8);
	ExpectSameBitmap(image_9_grey_MakeBitmap(), kImages + "grey.png", B_CMAP8);
}

// DITHER gives the bytes the dithering gives the image as a window holds it.
TEST(EmbeddedImages, DitheredImagesHoldTheDitheredBytes)
{
	std::unique_ptr<BBitmap> loaded(
		BTranslationUtils::GetBitmapFile((kImages + "colour.jpg").c_str()));
	ASSERT_TRUE(loaded);
	std::unique_ptr<BBitmap> held = ConvertedBitmap(*loaded, B_RGB32).Value();
	ASSERT_TRUE(held);
	const std::pair<PrefilledBitmap*, DitherKind> rows[] = {
		{colour_floyd_steinberg_MakeBitmap(), DitherKind::kFloydSteinberg},
		{colour_ordered_MakeBitmap(), DitherKind::kOrdered},
	};
	std::unique_ptr<BBitmap> nearest = ConvertedBitmap(*held, B_CMAP8).Value();
	for (const auto& [built, kind] : rows) {
		ASSERT_NE(built, nullptr);
		std::unique_ptr<BBitmap> expected = DitheredBitmap(*held, kind);
		ASSERT_TRUE(expected);
		EXPECT_EQ(built->ColorSpace(), B_CMAP8);
		ASSERT_EQ(built->BitsLength(), expected->BitsLength());
		EXPECT_EQ(memcmp(built->Bits(), expected->Bits(), size_t(expected->BitsLength())), 0);
		EXPECT_NE(memcmp(built->Bits(), nearest->Bits(), size_t(nearest->BitsLength())), 0);
	}
}

TEST(EmbeddedImages, TheBitmapIsBuiltOnceAndKeptInItsPointer)
{
	PrefilledBitmap* first = colour_MakeBitmap();
	EXPECT_EQ(colour_MICN, first);
	EXPECT_EQ(colour_MakeBitmap(), first);
	// The header declares the array with its size.
	EXPECT_EQ(sizeof(colour_MData), size_t(first->BitsLength()));
	EXPECT_EQ(memcmp(colour_MData, first->Bits(), sizeof(colour_MData)), 0);
}
