// SPDX-License-Identifier: MIT
// B_RGB32 to B_CMAP8 with each kind of dithering, against the nearest mapping
// (the exporter's conversion without --dither), on the plasma pictures. Each
// run makes the new bitmap, as the exporter does. items_per_second counts
// pixels.
// Targets: ordered within 1.2 times the nearest mapping; Floyd-Steinberg at
// most 0.2 s more than it at 4096 x 4096.

#include "PlasmaRuns.h"

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
	std::unique_ptr<BBitmap> loaded = BenchInputs::DecodedPlasma(side);
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
	BenchInputs::TimeConversion(
		state, LoadPlasma, [kind](const BBitmap& source) { return DitheredBitmap(source, kind); });
}

BENCHMARK_CAPTURE(Dither, none, DitherKind::kNone)->Apply(BenchInputs::Sides);
BENCHMARK_CAPTURE(Dither, ordered, DitherKind::kOrdered)->Apply(BenchInputs::Sides);
BENCHMARK_CAPTURE(Dither, floyd_steinberg, DitherKind::kFloydSteinberg)->Apply(BenchInputs::Sides);

} // namespace

BENCHMARK_MAIN();
