// SPDX-License-Identifier: MIT
// "Copy as source code" against a save: the text of a 1024 x 1024 B_RGB32
// bitmap made and put on the clipboard (the headless server's, which holds
// it once the commit returns), and the same bitmap saved as source into a
// file the way the window saves (replacing the previous save, synced).
// bytes_per_second counts pixel bytes. The target: the copy takes at most
// 1.5 times the save.

#include "export/BitmapSourceExport.h"
#include "image/ImageClipboard.h"

#include <Bitmap.h>
#include <DisplayServer.h>
#include <HeadlessServer.h>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

constexpr int32 kSide = 1024;

// A fixed pseudo-random picture, so every run formats the same text.
const BBitmap&
Picture()
{
	static BBitmap* sPicture = [] {
		auto* bitmap = new BBitmap(BRect(0, 0, kSide - 1, kSide - 1), B_RGB32);
		uint32 state = 0x12345678;
		auto* bytes = static_cast<uint8*>(bitmap->Bits());
		for (int32 index = 0; index < bitmap->BitsLength(); index++) {
			state ^= state << 13;
			state ^= state >> 17;
			state ^= state << 5;
			bytes[index] = static_cast<uint8>(state);
		}
		return bitmap;
	}();
	return *sPicture;
}

void
BM_CopyAsSourceCode(benchmark::State& state)
{
	static HeadlessServer* sServer = HeadlessServer::InstallNew();
	const BBitmap& picture = Picture();
	for (auto _ : state) {
		if (!ImageClipboard::CopySource(&picture, "picture")) {
			state.SkipWithError("the copy failed");
			break;
		}
		state.PauseTiming();
		sServer->WriteClipboard({});
		state.ResumeTiming();
	}
	state.SetBytesProcessed(int64_t(state.iterations()) * picture.BitsLength());
}

void
BM_SaveAsSourceCode(benchmark::State& state)
{
	const char* directory = getenv("TMPDIR");
	const std::string path = std::string(directory != nullptr ? directory : "/tmp")
		+ "/bench-clipboard-" + std::to_string(getpid()) + ".h";
	const BBitmap& picture = Picture();
	for (auto _ : state) {
		if (!ExportBitmapSource(&picture, path.c_str())) {
			state.SkipWithError("the save failed");
			break;
		}
	}
	unlink(path.c_str());
	state.SetBytesProcessed(int64_t(state.iterations()) * picture.BitsLength());
}

} // namespace

BENCHMARK(BM_CopyAsSourceCode)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SaveAsSourceCode)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
