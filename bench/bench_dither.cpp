// B_RGB32 to B_CMAP8 with each kind of dithering, against the nearest mapping
// (the exporter's conversion without --dither), on the plasma pictures. Each
// run makes the new bitmap, as the exporter does. items_per_second counts
// pixels.
// Targets: ordered within 1.2 times the nearest mapping; Floyd-Steinberg at
// most 0.2 s more than it at 4096 x 4096.

#include "BenchInputs.h"

#include "export/BitmapConversion.h"
#include <ColorMapDither.h>

#include <Bitmap.h>
#include <SystemColorMap.h>
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
	std::unique_ptr<BBitmap> loaded(BTranslationUtils::GetBitmapFile(path.c_str()));
	if (!loaded)
		return nullptr;
	if (loaded->ColorSpace() == B_RGB32)
		return loaded;
	BPrivate::Result<std::unique_ptr<BBitmap>> converted = ConvertedBitmap(*loaded, B_RGB32);
	return converted ? std::move(converted).Value() : nullptr;
}

void
Dither(benchmark::State& state, DitherKind kind)
{
	const int32 side = int32(state.range(0));
	std::unique_ptr<BBitmap> source = LoadPlasma(side);
	if (!source) {
		state.SkipWithError("the plasma picture could not be made or loaded");
		return;
	}
	BPrivate::SystemColorMap().FullTable(); // built once per process, not timed
	for (auto _ : state) {
		std::unique_ptr<BBitmap> result = DitheredBitmap(*source, kind);
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

BENCHMARK_CAPTURE(Dither, none, DitherKind::kNone)->Apply(Sides);
BENCHMARK_CAPTURE(Dither, ordered, DitherKind::kOrdered)->Apply(Sides);
BENCHMARK_CAPTURE(Dither, floyd_steinberg, DitherKind::kFloydSteinberg)->Apply(Sides);

} // namespace

BENCHMARK_MAIN();
