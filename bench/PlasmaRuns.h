// SPDX-License-Identifier: MIT
#pragma once

// What the size-dependent Google Benchmark programs share: the sides they
// run at, and a timed conversion of the plasma picture into a new bitmap.

#include "BenchInputs.h"

#include <SystemColorMap.h>

#include <Bitmap.h>
#include <TranslationUtils.h>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace BenchInputs {

// Runs a benchmark at every side of kSides, timed in milliseconds of real time.
inline void
Sides(benchmark::internal::Benchmark* benchmark)
{
	for (int side : kSides)
		benchmark->Arg(side);
	benchmark->Unit(benchmark::kMillisecond)->UseRealTime();
}

// The PNG plasma picture of `side` pixels as the translators decode it;
// null when it cannot be made or read.
inline std::unique_ptr<BBitmap>
DecodedPlasma(int32 side)
{
	const std::string path = Plasma(side, "png");
	if (path.empty())
		return nullptr;
	return std::unique_ptr<BBitmap>(BTranslationUtils::GetBitmapFile(path.c_str()));
}

// Times `convert`, which makes a new bitmap from the one `load` gives for the
// benchmark's side; items_per_second counts pixels. The system colour map's
// full table is built before the timing starts, once per process.
template <typename Load, typename Convert>
void
TimeConversion(benchmark::State& state, Load load, Convert convert)
{
	const int32 side = int32(state.range(0));
	std::unique_ptr<BBitmap> source = load(side);
	if (!source) {
		state.SkipWithError("the plasma picture could not be made or loaded");
		return;
	}
	BPrivate::SystemColorMap().FullTable();
	for (auto _ : state) {
		std::unique_ptr<BBitmap> result = convert(*source);
		benchmark::DoNotOptimize(result->Bits());
	}
	state.SetItemsProcessed(state.iterations() * int64(side) * side);
}

} // namespace BenchInputs
