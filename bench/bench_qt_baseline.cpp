// Plain QImageReader on the PNG that bench_bitmap's LoadPng4096 reads, as
// the baseline that loader is held to (within 1.2 times this). The one
// benchmark outside the platform that uses Qt directly.

#include <QImage>
#include <QImageReader>
#include <QString>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <sys/stat.h>

namespace {

// The same file as bench_bitmap: QUILLPIX_BENCH_PNG, or a plasma picture
// that ImageMagick makes once in the working directory.
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

void QImageReaderPng4096(benchmark::State& state)
{
	std::string path = BenchPng();
	if (path.empty()) {
		state.SkipWithError("no 4096 x 4096 PNG (needs ImageMagick's convert)");
		return;
	}
	QImageReader::setAllocationLimit(512);
	for (auto _ : state) {
		QImageReader reader(QString::fromStdString(path));
		QImage image = reader.read();
		if (image.width() != 4096) {
			state.SkipWithError("the PNG did not load");
			return;
		}
		benchmark::DoNotOptimize(image.constBits());
	}
	state.SetItemsProcessed(state.iterations() * 4096 * 4096);
}
BENCHMARK(QImageReaderPng4096)->Unit(benchmark::kMillisecond)->MinTime(3.0);

} // namespace

BENCHMARK_MAIN();
