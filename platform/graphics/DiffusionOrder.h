// SPDX-License-Identifier: MIT
#pragma once

// The order in which error diffusion into the colour map takes an image's
// pixels, shared by its plain loop and its vector one so that both give the
// same bytes: two bands of rows taken in turn, each row in the direction its
// number gives it, each row's first and last pixels apart from the rest.
//
// The files that include this are compiled for different processors (the
// vector loop's file with SSSE3 and SSE4.1), so everything here has internal
// linkage: each file keeps its own copy, built for its own processor.

#include <SupportDefs.h>

#include <type_traits>
#include <utility>

namespace {

constexpr int32 kBandedFrom = 64;

// The top band's rows: half the image's, rounded up to an even number; all
// of them below kBandedFrom.
int32
TopBandRows(int32 height)
{
	return height >= kBandedFrom ? ((height + 1) / 2 + 1) & ~1 : height;
}

// Calls diffuseRows(y, bands, direction) for each row y of the top band,
// with `bands` 2 while the bottom band has a row y to take beside it and 1
// after, and `direction` 1 on even rows and -1 on odd ones (both
// compile-time constants).
template <typename DiffuseRows>
void
DiffuseBands(int32 height, int32 topRows, const DiffuseRows& diffuseRows)
{
	auto rows = [&](int32 y, auto bands) {
		if (y % 2 == 0)
			diffuseRows(y, bands, std::integral_constant<int32, 1>{});
		else
			diffuseRows(y, bands, std::integral_constant<int32, -1>{});
	};
	const int32 bottomRows = height - topRows;
	for (int32 y = 0; y < topRows; y++) {
		if (y < bottomRows)
			rows(y, std::integral_constant<int32, 2>{});
		else
			rows(y, std::integral_constant<int32, 1>{});
	}
}

// Calls at(shares, x) for each pixel of a row of `width`, from `x` on in
// steps of kStep, leaving `x` at the last one: `shares` gives the pixel's
// kind as the sixteenths of its error that go behind it and under it (a
// lone pixel, the first, those inside, the last).
template <int32 kStep, typename At>
[[gnu::always_inline]] inline void
WalkRow(int32 width, int32& x, const At& at)
{
	using Lone = std::pair<std::integral_constant<int32, 0>, std::integral_constant<int32, 16>>;
	using First = std::pair<std::integral_constant<int32, 0>, std::integral_constant<int32, 8>>;
	using Inside = std::pair<std::integral_constant<int32, 3>, std::integral_constant<int32, 5>>;
	using Last = std::pair<std::integral_constant<int32, 6>, std::integral_constant<int32, 10>>;
	if (width == 1) {
		at(Lone{}, x);
		return;
	}
	at(First{}, x);
	for (int32 i = 1; i < width - 1; i++)
		at(Inside{}, x += kStep);
	at(Last{}, x += kStep);
}

} // namespace
