// SPDX-License-Identifier: MIT
// What every generated image header includes, and so every source that uses
// an image, and nothing before it: the header must stay free of the standard
// library's containers, strings and algorithms, which would cost each of
// hundreds of such sources a large part of its compile time. The macros are
// libstdc++'s include guards. (The generated image sources themselves include
// only EmbeddedBitmap.h, which includes nothing.)
#include <PrefilledBitmap.h>

#if defined(_GLIBCXX_MEMORY) || defined(_GLIBCXX_ALGORITHM) || defined(_GLIBCXX_STRING)            \
	|| defined(_GLIBCXX_VECTOR) || defined(_GLIBCXX_FUNCTIONAL) || defined(_GLIBCXX_ATOMIC)        \
	|| defined(_GLIBCXX_MUTEX) || defined(_GLIBCXX_MAP)
#error "PrefilledBitmap.h pulls in a heavy standard-library header"
#endif

#include <gtest/gtest.h>

// The rectangle helpers that replaced <algorithm> keep their meaning.
TEST(LightHeaders, RectangleUnionAndIntersectionStayExact)
{
	constexpr BRect a(0, 0, 10, 10);
	constexpr BRect b(5, -5, 20, 8);
	static_assert((a & b) == BRect(5, 0, 10, 8));
	static_assert((a | b) == BRect(0, -5, 20, 10));
	EXPECT_FALSE((a & BRect(11, 11, 12, 12)).IsValid());
}
