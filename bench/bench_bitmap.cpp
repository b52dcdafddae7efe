// SPDX-License-Identifier: MIT
// Colour conversion and image loading speed, at 256, 1024 and 4096 pixels a
// side. items_per_second counts pixels. Targets: B_RGB32 to B_CMAP8 at
// 300 Mpixel/s or more; loading within 1.2 times plain QImageReader
// (bench_qt_baseline, same files).

#include "PlasmaRuns.h"

#include <Bitmap.h>
#include <SystemColorMap.h>
#include <TranslationUtils.h>
#include <View.h>
#include <Window.h>

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>

namespace {

enum class Content {
	Gradient,
	Noise
};

// A smooth picture (as photos and icons mostly are) or pure noise (every
// pixel a random colour: the worst case for the colour table's cache).
std::unique_ptr<BBitmap>
MakeRgb32(int32 side, Content content)
{
	auto bitmap = std::make_unique<BBitmap>(BRect(0, 0, side - 1, side - 1), B_RGB32);
	std::mt19937 random(1);
	// The gradient spans the same colours at every size.
	const int32 step = side / 256 > 0 ? side / 256 : 1;
	uint8* bits = static_cast<uint8*>(bitmap->Bits());
	for (int32 y = 0; y < side; y++) {
		uint8* row = bits + y * bitmap->BytesPerRow();
		for (int32 x = 0; x < side; x++) {
			uint32 value = random();
			if (content == Content::Gradient) {
				row[4 * x] = uint8(x / step + (value & 3));
				row[4 * x + 1] = uint8(y / step + ((value >> 2) & 3));
				row[4 * x + 2] = uint8((x + y) / (2 * step));
			} else {
				row[4 * x] = uint8(value);
				row[4 * x + 1] = uint8(value >> 8);
				row[4 * x + 2] = uint8(value >> 16);
			}
			row[4 * x + 3] = 255;
		}
	}
	return bitmap;
}

void
CountPixels(benchmark::State& state, int64 side)
{
	state.SetItemsProcessed(state.iterations() * side * side);
}

// The bitmap's own data conversion, the road of the exporter and of a
// loaded image that is not yet B_RGB32 or B_CMAP8.
void
Rgb32ToCmap8BySetBits(benchmark::State& state, Content content)
{
	const int32 side = int32(state.range(0));
	auto source = MakeRgb32(side, content);
	BBitmap target(source->Bounds(), B_CMAP8);
	BPrivate::SystemColorMap().FullTable(); // built once per process, not timed
	for (auto _ : state) {
		target.SetBits(source->Bits(), source->BitsLength(), 0, B_RGB32);
		benchmark::DoNotOptimize(target.Bits());
	}
	CountPixels(state, side);
}

// The platform's drawing: a view attached to an 8-bit bitmap that accepts
// views draws the picture unscaled, with the bitmap's looper locked.
void
Rgb32ToCmap8ByDrawBitmap(benchmark::State& state, Content content)
{
	const int32 side = int32(state.range(0));
	auto source = MakeRgb32(side, content);
	const BRect bounds = source->Bounds();
	BBitmap offscreen(bounds, B_CMAP8, true, false);
	BView* drawing = new BView(bounds, nullptr, B_FOLLOW_ALL, 0);
	offscreen.AddChild(drawing);
	BPrivate::SystemColorMap().FullTable();
	for (auto _ : state) {
		if (!drawing->Window()->Lock()) {
			state.SkipWithError("the offscreen bitmap's looper did not lock");
			return;
		}
		drawing->DrawBitmap(source.get(), bounds);
		drawing->Window()->Unlock();
		benchmark::DoNotOptimize(offscreen.Bits());
	}
	CountPixels(state, side);
}

// A whole switch of an image window to B_CMAP8: the offscreen bitmap and its
// view made, the drawing, the copy into a plain bitmap, the offscreen one
// deleted.
void
Rgb32ToCmap8WindowSwitch(benchmark::State& state)
{
	const int32 side = int32(state.range(0));
	auto source = MakeRgb32(side, Content::Gradient);
	const BRect bounds = source->Bounds();
	BPrivate::SystemColorMap().FullTable();
	for (auto _ : state) {
		auto offscreen = std::make_unique<BBitmap>(bounds, B_CMAP8, true, false);
		auto result = std::make_unique<BBitmap>(bounds, B_CMAP8, false, false);
		BView* drawing = new BView(bounds, nullptr, B_FOLLOW_ALL, 0);
		offscreen->AddChild(drawing);
		if (drawing->Window()->Lock()) {
			drawing->DrawBitmap(source.get(), bounds);
			drawing->Window()->Unlock();
		}
		result->SetBits(offscreen->Bits(), offscreen->BitsLength(), 0, B_CMAP8);
		offscreen.reset();
		benchmark::DoNotOptimize(result->Bits());
	}
	CountPixels(state, side);
}

void
Cmap8ToRgb32(benchmark::State& state)
{
	const int32 side = int32(state.range(0));
	auto colour = MakeRgb32(side, Content::Noise);
	BBitmap source(colour->Bounds(), B_CMAP8);
	source.SetBits(colour->Bits(), colour->BitsLength(), 0, B_RGB32);
	BBitmap target(source.Bounds(), B_RGB32);
	for (auto _ : state) {
		target.SetBits(source.Bits(), source.BitsLength(), 0, B_CMAP8);
		benchmark::DoNotOptimize(target.Bits());
	}
	CountPixels(state, side);
}

// What a process pays once before its first conversion to B_CMAP8: the
// colour map's cells, then its full table.
void
ColorMapTables(benchmark::State& state)
{
	for (auto _ : state) {
		BPrivate::ColorMap map;
		benchmark::DoNotOptimize(map.FullTable());
	}
}
BENCHMARK(ColorMapTables)->Unit(benchmark::kMillisecond)->UseRealTime();

void
ColorMapCellsOnly(benchmark::State& state)
{
	for (auto _ : state) {
		BPrivate::ColorMap map;
		benchmark::DoNotOptimize(map.IndexFor(1, 2, 3));
	}
}
BENCHMARK(ColorMapCellsOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

void
LoadImage(benchmark::State& state, const char* format)
{
	const int32 side = int32(state.range(0));
	const std::string path = BenchInputs::Plasma(side, format);
	if (path.empty()) {
		state.SkipWithError("no input image (needs ImageMagick's convert)");
		return;
	}
	for (auto _ : state) {
		std::unique_ptr<BBitmap> bitmap(BTranslationUtils::GetBitmapFile(path.c_str()));
		if (!bitmap || bitmap->Width() != side) {
			state.SkipWithError("the image did not load");
			return;
		}
		benchmark::DoNotOptimize(bitmap->Bits());
	}
	CountPixels(state, side);
}

BENCHMARK_CAPTURE(Rgb32ToCmap8BySetBits, gradient, Content::Gradient)->Apply(BenchInputs::Sides);
BENCHMARK_CAPTURE(Rgb32ToCmap8BySetBits, noise, Content::Noise)->Apply(BenchInputs::Sides);
BENCHMARK_CAPTURE(Rgb32ToCmap8ByDrawBitmap, gradient, Content::Gradient)->Apply(BenchInputs::Sides);
BENCHMARK_CAPTURE(Rgb32ToCmap8ByDrawBitmap, noise, Content::Noise)->Apply(BenchInputs::Sides);
BENCHMARK(Rgb32ToCmap8WindowSwitch)->Apply(BenchInputs::Sides);
BENCHMARK(Cmap8ToRgb32)->Apply(BenchInputs::Sides);
BENCHMARK_CAPTURE(LoadImage, png, "png")->Apply(BenchInputs::Sides);
BENCHMARK_CAPTURE(LoadImage, jpeg, "jpg")->Apply(BenchInputs::Sides);

} // namespace

BENCHMARK_MAIN();
