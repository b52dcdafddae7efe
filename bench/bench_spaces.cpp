// SPDX-License-Identifier: MIT
// The decoded plasma picture (B_RGB32) into each colour space the export
// writes, nearest values, and into B_RGB16 and B_GRAY1 with each kind of
// dithering (B_RGB16_BIG with Floyd-Steinberg). Each run makes the new
// bitmap, as the exporter does; items_per_second counts pixels.
// Targets (whole exporter runs, bench/spaces.sh): every space within 1.1
// times the rgb32 export; Floyd-Steinberg at most 0.2 s more than the
// nearest values at 4096 x 4096.

#include "PlasmaRuns.h"

#include <SpaceConversion.h>
#include <SystemColorMap.h>

#include <Bitmap.h>
#include <TranslationUtils.h>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

void
Convert(benchmark::State& state, color_space space, DitherKind kind)
{
	BenchInputs::TimeConversion(
		state, BenchInputs::DecodedPlasma, [space, kind](const BBitmap& source) {
			return BitmapInSpace(source, {space, kind});
		});
}

constexpr DitherKind kNone = DitherKind::kNone;
constexpr DitherKind kOrdered = DitherKind::kOrdered;
constexpr DitherKind kDiffused = DitherKind::kFloydSteinberg;

BENCHMARK_CAPTURE(Convert, rgb32, B_RGB32, kNone)->Apply(BenchInputs::Sides);
BENCHMARK_CAPTURE(Convert, cmap8, B_CMAP8, kNone)->Apply(BenchInputs::Sides);
BENCHMARK_CAPTURE(Convert, rgba32, B_RGBA32, kNone)->Apply(BenchInputs::Sides);
BENCHMARK_CAPTURE(Convert, rgb16, B_RGB16, kNone)->Apply(BenchInputs::Sides);
BENCHMARK_CAPTURE(Convert, rgb15, B_RGB15, kNone)->Apply(BenchInputs::Sides);
BENCHMARK_CAPTURE(Convert, rgba15, B_RGBA15, kNone)->Apply(BenchInputs::Sides);
BENCHMARK_CAPTURE(Convert, gray8, B_GRAY8, kNone)->Apply(BenchInputs::Sides);
BENCHMARK_CAPTURE(Convert, gray1, B_GRAY1, kNone)->Apply(BenchInputs::Sides);
BENCHMARK_CAPTURE(Convert, rgb24, B_RGB24, kNone)->Apply(BenchInputs::Sides);
BENCHMARK_CAPTURE(Convert, rgb24_big, B_RGB24_BIG, kNone)->Apply(BenchInputs::Sides);
BENCHMARK_CAPTURE(Convert, rgb16_big, B_RGB16_BIG, kNone)->Apply(BenchInputs::Sides);
BENCHMARK_CAPTURE(Convert, rgb15_big, B_RGB15_BIG, kNone)->Apply(BenchInputs::Sides);
BENCHMARK_CAPTURE(Convert, rgba15_big, B_RGBA15_BIG, kNone)->Apply(BenchInputs::Sides);
BENCHMARK_CAPTURE(Convert, rgb32_big, B_RGB32_BIG, kNone)->Apply(BenchInputs::Sides);
BENCHMARK_CAPTURE(Convert, rgba32_big, B_RGBA32_BIG, kNone)->Apply(BenchInputs::Sides);
BENCHMARK_CAPTURE(Convert, rgb16_ordered, B_RGB16, kOrdered)->Apply(BenchInputs::Sides);
BENCHMARK_CAPTURE(Convert, rgb16_floyd_steinberg, B_RGB16, kDiffused)->Apply(BenchInputs::Sides);
BENCHMARK_CAPTURE(Convert, gray1_ordered, B_GRAY1, kOrdered)->Apply(BenchInputs::Sides);
BENCHMARK_CAPTURE(Convert, gray1_floyd_steinberg, B_GRAY1, kDiffused)->Apply(BenchInputs::Sides);
BENCHMARK_CAPTURE(Convert, rgb16_big_floyd_steinberg, B_RGB16_BIG, kDiffused)
	->Apply(BenchInputs::Sides);

} // namespace

BENCHMARK_MAIN();
