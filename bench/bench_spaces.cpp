// The decoded plasma picture (B_RGB32) into each colour space the export
// writes, nearest values, and into B_RGB16 and B_GRAY1 with each kind of
// dithering. Each run makes the new bitmap, as the exporter does;
// items_per_second counts pixels.
// Targets (whole exporter runs, bench/spaces.sh): every space within 1.1
// times the rgb32 export; Floyd-Steinberg at most 0.2 s more than the
// nearest values at 4096 x 4096.

#include "BenchInputs.h"

#include <SpaceConversion.h>
#include <SystemColorMap.h>

#include <Bitmap.h>
#include <TranslationUtils.h>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

std::unique_ptr<BBitmap>
LoadPlasma(int32 side)
{
	const std::string path = BenchInputs::Plasma(side, "png");
	if (path.empty())
		return nullptr;
	return std::unique_ptr<BBitmap>(BTranslationUtils::GetBitmapFile(path.c_str()));
}

void
Convert(benchmark::State& state, color_space space, DitherKind kind)
{
	const int32 side = int32(state.range(0));
	std::unique_ptr<BBitmap> source = LoadPlasma(side);
	if (!source) {
		state.SkipWithError("the plasma picture could not be made or loaded");
		return;
	}
	BPrivate::SystemColorMap().FullTable(); // built once per process, not timed
	for (auto _ : state) {
		std::unique_ptr<BBitmap> result = BitmapInSpace(*source, {space, kind});
		benchmark::DoNotOptimize(result->Bits());
	}
	state.SetItemsProcessed(state.iterations() * int64(side) * side);
}

void
Sides(benchmark::internal::Benchmark* benchmark)
{
	for (int side : BenchInputs::kSides)
		benchmark->Arg(side);
	benchmark->Unit(benchmark::kMillisecond)->UseRealTime();
}

constexpr DitherKind kNone = DitherKind::kNone;
constexpr DitherKind kOrdered = DitherKind::kOrdered;
constexpr DitherKind kDiffused = DitherKind::kFloydSteinberg;

BENCHMARK_CAPTURE(Convert, rgb32, B_RGB32, kNone)->Apply(Sides);
BENCHMARK_CAPTURE(Convert, cmap8, B_CMAP8, kNone)->Apply(Sides);
BENCHMARK_CAPTURE(Convert, rgba32, B_RGBA32, kNone)->Apply(Sides);
BENCHMARK_CAPTURE(Convert, rgb16, B_RGB16, kNone)->Apply(Sides);
BENCHMARK_CAPTURE(Convert, rgb15, B_RGB15, kNone)->Apply(Sides);
BENCHMARK_CAPTURE(Convert, rgba15, B_RGBA15, kNone)->Apply(Sides);
BENCHMARK_CAPTURE(Convert, gray8, B_GRAY8, kNone)->Apply(Sides);
BENCHMARK_CAPTURE(Convert, gray1, B_GRAY1, kNone)->Apply(Sides);
BENCHMARK_CAPTURE(Convert, rgb16_ordered, B_RGB16, kOrdered)->Apply(Sides);
BENCHMARK_CAPTURE(Convert, rgb16_floyd_steinberg, B_RGB16, kDiffused)->Apply(Sides);
BENCHMARK_CAPTURE(Convert, gray1_ordered, B_GRAY1, kOrdered)->Apply(Sides);
BENCHMARK_CAPTURE(Convert, gray1_floyd_steinberg, B_GRAY1, kDiffused)->Apply(Sides);

} // namespace

BENCHMARK_MAIN();
