// SPDX-License-Identifier: MIT
// Reading the source-code text back against writing it: a bitmap of 256,
// 1024 and 4096 pixels a side, in B_RGB32 and in B_CMAP8, saved as the
// window and the exporter save it (ExportBitmapSource), and that file read
// back as opening it does (ReadBitmapFile: the whole file into memory, the
// text parsed into a new bitmap). The target: a read takes at most twice the
// time of the write. bytes_per_second counts the text's bytes.

#include "export/BitmapSourceExport.h"

#include <Bitmap.h>
#include <TranslationUtils.h>

#include <benchmark/benchmark.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A bitmap of `side` pixels square in `space`, its bytes a fixed
// pseudo-random sequence (every item of the text is as long as any other, so
// the content does not change the speed).
const BBitmap&
Bitmap(int32 side, color_space space)
{
	static std::map<std::pair<int32, color_space>, std::unique_ptr<BBitmap>> sBitmaps;
	std::unique_ptr<BBitmap>& bitmap = sBitmaps[{side, space}];
	if (!bitmap) {
		bitmap = std::make_unique<BBitmap>(BRect(0, 0, side - 1, side - 1), space);
		uint32 state = 0x12345678;
		uint8* bytes = static_cast<uint8*>(bitmap->Bits());
		for (int32 index = 0; index < bitmap->BitsLength(); index++) {
			state ^= state << 13;
			state ^= state >> 17;
			state ^= state << 5;
			bytes[index] = static_cast<uint8>(state);
		}
	}
	return *bitmap;
}

std::string
TextPath(int32 side, color_space space)
{
	return std::string("/tmp/quillpix-bench-") + std::to_string(getpid()) + "-"
		+ std::to_string(side) + "-" + std::to_string(space) + ".h";
}

int64
FileSize(const std::string& path)
{
	struct stat info;
	return stat(path.c_str(), &info) == 0 ? int64(info.st_size) : 0;
}

color_space
SpaceOf(benchmark::State& state)
{
	return state.range(1) == 0 ? B_RGB32 : B_CMAP8;
}

void
BM_WriteText(benchmark::State& state)
{
	const int32 side = int32(state.range(0));
	const color_space space = SpaceOf(state);
	const BBitmap& bitmap = Bitmap(side, space);
	const std::string path = TextPath(side, space);
	for (auto _ : state) {
		if (!ExportBitmapSource(&bitmap, path.c_str(), {"icon"})) {
			state.SkipWithError("the export failed");
			return;
		}
	}
	state.SetBytesProcessed(int64(state.iterations()) * FileSize(path));
}

void
BM_ReadText(benchmark::State& state)
{
	const int32 side = int32(state.range(0));
	const color_space space = SpaceOf(state);
	const BBitmap& bitmap = Bitmap(side, space);
	const std::string path = TextPath(side, space);
	if (!ExportBitmapSource(&bitmap, path.c_str(), {"icon"})) {
		state.SkipWithError("the export failed");
		return;
	}
	for (auto _ : state) {
		BPrivate::Result<std::unique_ptr<BBitmap>> read = BPrivate::ReadBitmapFile(path.c_str());
		if (!read || read.Value()->BitsLength() != bitmap.BitsLength()
			|| std::memcmp(read.Value()->Bits(), bitmap.Bits(), bitmap.BitsLength()) != 0) {
			state.SkipWithError("the text did not read back");
			break;
		}
		benchmark::DoNotOptimize(read.Value()->Bits());
	}
	state.SetBytesProcessed(int64(state.iterations()) * FileSize(path));
	unlink(path.c_str());
}

void
Cases(benchmark::internal::Benchmark* benchmark)
{
	for (int64 space : {0, 1}) {
		for (int64 side : {256, 1024, 4096})
			benchmark->Args({side, space});
	}
	benchmark->ArgNames({"side", "cmap8"})->Unit(benchmark::kMillisecond)->UseRealTime();
}

} // namespace

BENCHMARK(BM_WriteText)->Apply(Cases);
BENCHMARK(BM_ReadText)->Apply(Cases);

BENCHMARK_MAIN();
