// Plain QImageReader on the images that bench_bitmap's LoadImage reads, as
// the baseline that loader is held to (within 1.2 times this). The one
// benchmark outside the platform that uses Qt directly.

#include "BenchInputs.h"

#include <QImage>
#include <QImageReader>
#include <QString>

#include <benchmark/benchmark.h>

#include <string>

namespace {

void
QImageReaderLoad(benchmark::State& state, const char* format)
{
	const int side = int(state.range(0));
	const std::string path = BenchInputs::Plasma(side, format);
	if (path.empty()) {
		state.SkipWithError("no input image (needs ImageMagick's convert)");
		return;
	}
	QImageReader::setAllocationLimit(512);
	for (auto _ : state) {
		QImageReader reader(QString::fromStdString(path));
		QImage image = reader.read();
		if (image.width() != side) {
			state.SkipWithError("the image did not load");
			return;
		}
		benchmark::DoNotOptimize(image.constBits());
	}
	state.SetItemsProcessed(state.iterations() * side * side);
}

void
Sides(benchmark::internal::Benchmark* benchmark)
{
	for (int side : BenchInputs::kSides)
		benchmark->Arg(side);
	benchmark->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK_CAPTURE(QImageReaderLoad, png, "png")->Apply(Sides);
BENCHMARK_CAPTURE(QImageReaderLoad, jpeg, "jpg")->Apply(Sides);

} // namespace

BENCHMARK_MAIN();
