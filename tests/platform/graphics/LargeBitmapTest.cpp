// SPDX-License-Identifier: MIT
// Large bitmaps take their memory from the system in 2 MiB pages rather
// than from the heap; they must behave as every other bitmap does.

#include <Bitmap.h>
#include <PageMemory.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

bool
AllZero(const uint8* bytes, size_t length)
{
	for (size_t i = 0; i < length; i++) {
		if (bytes[i] != 0)
			return false;
	}
	return true;
}

} // namespace

// Lengths around the size from which memory is mapped and around whole
// 2 MiB pages: every byte is zero, writable and kept.
TEST(LargeBitmapTest, BlocksOfEverySizeStartZeroedAndKeepTheirBytes)
{
	const size_t kMiB = size_t(1) << 20;
	for (size_t length :
		{size_t(1), 4 * kMiB - 1, 4 * kMiB, 4 * kMiB + 1, 6 * kMiB + 4095, 64 * kMiB}) {
		BPrivate::PageMemory block = BPrivate::AllocatePageMemory(length);
		ASSERT_NE(block, nullptr) << length;
		EXPECT_TRUE(AllZero(block.get(), length)) << length;
		std::memset(block.get(), 0xA5, length);
		EXPECT_EQ(block.get()[0], 0xA5);
		EXPECT_EQ(block.get()[length - 1], 0xA5);
	}
}

// A 4096 x 4096 B_RGB32 bitmap made where another one just was still starts
// as zeroes, and its conversions reach its last pixel.
TEST(LargeBitmapTest, ALargeBitmapStartsZeroedAfterAnotherOne)
{
	const BRect bounds(0, 0, 4095, 4095);
	{
		BBitmap first(bounds, B_RGB32);
		ASSERT_TRUE(first.IsValid());
		std::memset(first.Bits(), 0xFF, size_t(first.BitsLength()));
	}
	BBitmap second(bounds, B_RGB32);
	ASSERT_TRUE(second.IsValid());
	const auto* bits = static_cast<const uint8*>(second.Bits());
	EXPECT_TRUE(AllZero(bits, size_t(second.BitsLength())));

	BBitmap indexed(bounds, B_CMAP8);
	std::memset(indexed.Bits(), 63, size_t(indexed.BitsLength())); // white
	second.SetBits(indexed.Bits(), indexed.BitsLength(), 0, B_CMAP8);
	const uint8* last = bits + second.BitsLength() - 4;
	EXPECT_EQ(last[0], 255);
	EXPECT_EQ(last[1], 255);
	EXPECT_EQ(last[2], 255);
	EXPECT_EQ(last[3], 255);
}
