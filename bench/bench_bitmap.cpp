// Colour conversion and image loading speed. Targets: B_RGB32 to B_CMAP8 at
// 300 Mpixel/s or more (items_per_second below counts pixels); loading a
// 4096 x 4096 PNG within 1.2 times plain QImageReader (bench_qt_baseline,
// same file).

#include <Bitmap.h>
#include <BitmapPainter.h>
#include <SystemColorMap.h>
#include <TranslationUtils.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <sys/stat.h>

namespace {

constexpr int32 kSide = 2048;

enum class Content { Gradient, Noise };

// A smooth picture (as photos and icons mostly are) or pure noise (every
// pixel a random colour: the worst case for table look-ups).
std::unique_ptr<BBitmap> MakeRgb32(Content content)
{
	auto bitmap = std::make_unique<BBitmap>(BRect(0, 0, kSide - 1, kSide - 1), B_RGB32);
	std::mt19937 random(1);
	uint8* bits = static_cast<uint8*>(bitmap->Bits());
	for (int32 y = 0; y < kSide; y++) {
		uint8* row = bits + y * bitmap->BytesPerRow();
		for (int32 x = 0; x < kSide; x++) {
			uint32 value = random();
			if (content == Content::Gradient) {
				row[4 * x] = uint8(x / 8 + (value & 3));
				row[4 * x + 1] = uint8(y / 8 + ((value >> 2) & 3));
				row[4 * x + 2] = uint8((x + y) / 16);
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

void Rgb32ToCmap8BySetBits(benchmark::State& state, Content content)
{
	auto source = MakeRgb32(content);
	BBitmap target(source->Bounds(), B_CMAP8);
	BPrivate::SystemColorMap().FullTable(); // built once per process, not timed
	for (auto _ : state) {
		target.SetBits(source->Bits(), source->BitsLength(), 0, B_RGB32);
		benchmark::DoNotOptimize(target.Bits());
	}
	state.SetItemsProcessed(state.iterations() * kSide * kSide);
}
BENCHMARK_CAPTURE(Rgb32ToCmap8BySetBits, gradient, Content::Gradient)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Rgb32ToCmap8BySetBits, noise, Content::Noise)->Unit(benchmark::kMillisecond);

void Rgb32ToCmap8ByDrawBitmap(benchmark::State& state, Content content)
{
	auto source = MakeRgb32(content);
	BBitmap target(source->Bounds(), B_CMAP8);
	BPrivate::SystemColorMap().FullTable();
	for (auto _ : state) {
		BPrivate::DrawBitmap(&target, *source, source->Bounds(), source->Bounds(),
			target.Bounds());
		benchmark::DoNotOptimize(target.Bits());
	}
	state.SetItemsProcessed(state.iterations() * kSide * kSide);
}
BENCHMARK_CAPTURE(Rgb32ToCmap8ByDrawBitmap, gradient, Content::Gradient)
	->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Rgb32ToCmap8ByDrawBitmap, noise, Content::Noise)
	->Unit(benchmark::kMillisecond);

void Cmap8ToRgb32(benchmark::State& state)
{
	auto colour = MakeRgb32(Content::Noise);
	BBitmap source(colour->Bounds(), B_CMAP8);
	source.SetBits(colour->Bits(), colour->BitsLength(), 0, B_RGB32);
	BBitmap target(source.Bounds(), B_RGB32);
	for (auto _ : state) {
		target.SetBits(source.Bits(), source.BitsLength(), 0, B_CMAP8);
		benchmark::DoNotOptimize(target.Bits());
	}
	state.SetItemsProcessed(state.iterations() * kSide * kSide);
}
BENCHMARK(Cmap8ToRgb32)->Unit(benchmark::kMillisecond);

// The same file bench_qt_baseline reads: QUILLPIX_BENCH_PNG, or a plasma
// picture that ImageMagick makes once in the working directory.
std::string BenchPng()
{
	if (const char* path = std::getenv("QUILLPIX_BENCH_PNG"))
		return path;
	std::string path = "bench-4096.png";
	struct stat info;
	if (stat(path.c_str(), &info) != 0) {
		std::string command = "convert -size 4096x4096 -seed 4096 plasma:fractal -depth 8 PNG24:"
			+ path;
		if (std::system(command.c_str()) != 0)
			return std::string();
	}
	return path;
}

void LoadPng4096(benchmark::State& state)
{
	std::string path = BenchPng();
	if (path.empty()) {
		state.SkipWithError("no 4096 x 4096 PNG (needs ImageMagick's convert)");
		return;
	}
	for (auto _ : state) {
		std::unique_ptr<BBitmap> bitmap(BTranslationUtils::GetBitmapFile(path.c_str()));
		if (!bitmap || bitmap->Width() != 4096) {
			state.SkipWithError("the PNG did not load");
			return;
		}
		benchmark::DoNotOptimize(bitmap->Bits());
	}
	state.SetItemsProcessed(state.iterations() * 4096 * 4096);
}
BENCHMARK(LoadPng4096)->Unit(benchmark::kMillisecond)->MinTime(3.0);

} // namespace

BENCHMARK_MAIN();
