// SPDX-License-Identifier: MIT
// The source-code export's speed: the pixel bytes of a B_RGB32 bitmap of 256,
// 1024 and 4096 pixels a side formatted into text and written through
// PlainBufferedFile with the export's 4095-byte buffer; the same into
// /dev/null (what the text and the buffering cost without a file system);
// the text alone; and a baseline that formats every byte with its own
// snprintf. bytes_per_second counts pixel bytes.
//
// Also command modes for bench/compare.sh:
//   bench_export --make-raw RAW         writes the 4096 x 4096 case's 64 MiB
//                                       of pixel bytes (always the same) to RAW
//   bench_export --export-raw RAW OUT   exports the bytes of the file RAW as
//                                       a 4096 x 4096 B_RGB32 bitmap into OUT,
//                                       the way the export writes (sized file,
//                                       4095-byte buffer), without the rename
//                                       and fsync of a save

#include "export/LeafName.h"
#include "export/FormatBitmapSource.h"
#include "io/PlainBufferedFile.h"

#include "PlasmaRuns.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int32 kRawSide = 4096;
constexpr int32 kRawByteCount = kRawSide * kRawSide * 4;
constexpr uint32 kBufferSize = 4095;
constexpr uint32 kWriteMode = B_WRITE_ONLY | B_CREATE_FILE | B_ERASE_FILE;

// The pixel bytes of a B_RGB32 bitmap `side` pixels square: a fixed
// pseudo-random sequence, so every run formats the same text.
const std::vector<uint8>&
PixelBytes(int32 side)
{
	static std::map<int32, std::vector<uint8>> sBytes;
	std::vector<uint8>& data = sBytes[side];
	if (data.empty()) {
		data.resize(size_t(side) * side * 4);
		uint32 state = 0x12345678;
		for (uint8& byte : data) {
			state ^= state << 13;
			state ^= state >> 17;
			state ^= state << 5;
			byte = static_cast<uint8>(state);
		}
	}
	return data;
}

std::string
OutputPath(const char* leaf)
{
	return std::string("/tmp/quillpix-bench-") + std::to_string(getpid()) + "-" + leaf;
}

// What the export does with the text: size the file, then write the pieces
// through the buffered file and flush.
bool
ExportBytes(
	const uint8* bytes, int32 count, int32 side, const char* path, uint32 bufferSize = kBufferSize)
{
	const char* name = LeafName(path);
	const float last = static_cast<float>(side - 1);
	PlainBufferedFile file(path, kWriteMode, bufferSize);
	if (file.InitCheck() != B_OK)
		return false;
	struct stat info;
	if (file.GetStat(&info) == B_OK && S_ISREG(info.st_mode))
		file.SetSize(BitmapSourceLength(name, 0, 0, last, last, 8, count));
	bool written = FormatBitmapSource(
		name, 0, 0, last, last, 8, bytes, count, BufferedFileConsumer{file});
	return written && file.Flush() == B_OK;
}

void
ExportInto(benchmark::State& state, const std::string& path)
{
	const int32 side = int32(state.range(0));
	const auto& bytes = PixelBytes(side);
	const int32 count = int32(bytes.size());
	for (auto _ : state) {
		if (!ExportBytes(bytes.data(), count, side, path.c_str())) {
			state.SkipWithError("export failed");
			break;
		}
	}
	state.SetBytesProcessed(state.iterations() * count);
}

void
BM_ExportThroughBufferedFile(benchmark::State& state)
{
	const std::string path = OutputPath("export.h");
	ExportInto(state, path);
	unlink(path.c_str());
}

// The export's buffer size against a larger one, on the largest bitmap:
// what the 4095-byte writes cost on this machine's file system.
void
BM_ExportBufferSize(benchmark::State& state)
{
	const auto& bytes = PixelBytes(4096);
	const int32 count = int32(bytes.size());
	const std::string path = OutputPath("buffer.h");
	for (auto _ : state) {
		if (!ExportBytes(bytes.data(), count, 4096, path.c_str(), uint32(state.range(0)))) {
			state.SkipWithError("export failed");
			break;
		}
	}
	state.SetBytesProcessed(state.iterations() * count);
	unlink(path.c_str());
}

void
BM_ExportToDevNull(benchmark::State& state)
{
	ExportInto(state, "/dev/null");
}

// The text alone, into a consumer that only counts.
void
BM_FormatOnly(benchmark::State& state)
{
	const int32 side = int32(state.range(0));
	const auto& bytes = PixelBytes(side);
	const int32 count = int32(bytes.size());
	for (auto _ : state) {
		size_t total = 0;
		FormatBitmapSource("icon", 0, 0, side - 1, side - 1, 8, bytes.data(), count,
			[&total](const char*, size_t length) {
				total += length;
				return static_cast<ssize_t>(length);
			});
		benchmark::DoNotOptimize(total);
	}
	state.SetBytesProcessed(state.iterations() * count);
}

// Baseline: one snprintf per byte into the same buffered file.
void
BM_SnprintfPerByteBaseline(benchmark::State& state)
{
	const int32 side = int32(state.range(0));
	const auto& bytes = PixelBytes(side);
	const int32 count = int32(bytes.size());
	const std::string path = OutputPath("baseline.h");
	for (auto _ : state) {
		PlainBufferedFile file(path.c_str(), kWriteMode, kBufferSize);
		char piece[16];
		for (int32 i = 0; i < count; i++) {
			int length = snprintf(
				piece, sizeof(piece), i % 16 == 15 ? "0x%02X, \n\t" : "0x%02X, ", bytes[i]);
			file.BufferedWrite(piece, static_cast<size_t>(length));
		}
		if (file.Flush() != B_OK)
			state.SkipWithError("write failed");
	}
	state.SetBytesProcessed(state.iterations() * count);
	unlink(path.c_str());
}

BENCHMARK(BM_ExportThroughBufferedFile)->Apply(BenchInputs::Sides);
BENCHMARK(BM_ExportBufferSize)->Arg(4095)->Arg(65535)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ExportToDevNull)->Apply(BenchInputs::Sides);
BENCHMARK(BM_FormatOnly)->Apply(BenchInputs::Sides);
BENCHMARK(BM_SnprintfPerByteBaseline)
	->Arg(256)
	->Arg(1024)
	->Unit(benchmark::kMillisecond)
	->UseRealTime();

// The bytes are mapped, not read: a bitmap's bytes are in memory already
// when the export starts, so copying them in would only time the copy.
int
ExportRawFile(const char* rawPath, const char* outPath)
{
	int fd = open(rawPath, O_RDONLY);
	struct stat info;
	if (fd < 0 || fstat(fd, &info) != 0 || info.st_size <= 0 || info.st_size > kRawByteCount) {
		perror(rawPath);
		return 1;
	}
	void* bytes = mmap(nullptr, info.st_size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
	close(fd);
	if (bytes == MAP_FAILED) {
		perror(rawPath);
		return 1;
	}
	bool exported = ExportBytes(
		static_cast<const uint8*>(bytes), static_cast<int32>(info.st_size), kRawSide, outPath);
	munmap(bytes, info.st_size);
	if (!exported) {
		fprintf(stderr, "cannot export %s to %s\n", rawPath, outPath);
		return 1;
	}
	return 0;
}

int
MakeRawFile(const char* rawPath)
{
	FILE* raw = fopen(rawPath, "wb");
	if (raw == nullptr) {
		perror(rawPath);
		return 1;
	}
	const auto& bytes = PixelBytes(kRawSide);
	bool written = fwrite(bytes.data(), 1, bytes.size(), raw) == bytes.size();
	if (fclose(raw) != 0 || !written) {
		perror(rawPath);
		return 1;
	}
	return 0;
}

} // namespace

int
main(int argc, char** argv)
{
	if (argc == 3 && strcmp(argv[1], "--make-raw") == 0)
		return MakeRawFile(argv[2]);
	if (argc == 4 && strcmp(argv[1], "--export-raw") == 0)
		return ExportRawFile(argv[2], argv[3]);
	benchmark::Initialize(&argc, argv);
	if (benchmark::ReportUnrecognizedArguments(argc, argv))
		return 1;
	benchmark::RunSpecifiedBenchmarks();
	benchmark::Shutdown();
	return 0;
}
