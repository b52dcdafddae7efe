// The source-code export's speed: 64 MiB of pixel bytes (a 4096 x 4096
// B_RGB32 bitmap) formatted into text and written through PlainBufferedFile
// with the export's 4095-byte buffer, beside a baseline that formats every
// byte with its own snprintf.
//
// Also command modes for bench/compare-export.sh:
//   bench_export --make-raw RAW         writes the benchmark's 64 MiB of
//                                       pixel bytes (always the same) to RAW
//   bench_export --export-raw RAW OUT   exports the bytes of the file RAW as
//                                       such a bitmap into OUT, the way the
//                                       export writes (sized file, 4095-byte
//                                       buffer)

#include "document/LeafName.h"
#include "image/FormatBitmapSource.h"
#include "io/PlainBufferedFile.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int32 kSide = 4096;
constexpr int32 kByteCount = kSide * kSide * 4;
constexpr uint32 kBufferSize = 4095;
constexpr uint32 kWriteMode = B_WRITE_ONLY | B_CREATE_FILE | B_ERASE_FILE;

const std::vector<uint8>&
PixelBytes()
{
	static const std::vector<uint8> bytes = [] {
		std::vector<uint8> data(kByteCount);
		uint32 state = 0x12345678;
		for (uint8& byte : data) {
			state ^= state << 13;
			state ^= state >> 17;
			state ^= state << 5;
			byte = static_cast<uint8>(state);
		}
		return data;
	}();
	return bytes;
}

std::string
OutputPath(const char* leaf)
{
	return std::string("/tmp/quillpix-bench-") + std::to_string(getpid()) + "-" + leaf;
}

// What the export does with the text: size the file, then write the pieces
// through the buffered file and flush.
bool
ExportBytes(const uint8* bytes, int32 count, const char* path)
{
	const char* name = LeafName(path);
	const float side = static_cast<float>(kSide - 1);
	PlainBufferedFile file(path, kWriteMode, kBufferSize);
	if (file.InitCheck() != B_OK)
		return false;
	file.SetSize(BitmapSourceLength(name, 0, 0, side, side, 8, count));
	bool written = FormatBitmapSource(name, 0, 0, side, side, 8, bytes, count,
		[&file](const char* piece, size_t length) { return file.BufferedWrite(piece, length); });
	return written && file.Flush() == B_OK;
}

void
BM_ExportThroughBufferedFile(benchmark::State& state)
{
	const auto& bytes = PixelBytes();
	const std::string path = OutputPath("export.h");
	for (auto _ : state) {
		if (!ExportBytes(bytes.data(), kByteCount, path.c_str()))
			state.SkipWithError("export failed");
	}
	state.SetBytesProcessed(state.iterations() * kByteCount);
	unlink(path.c_str());
}
BENCHMARK(BM_ExportThroughBufferedFile)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same without sizing the file first: the file grows 4095 bytes a time.
void
BM_ExportUnsizedFile(benchmark::State& state)
{
	const auto& bytes = PixelBytes();
	const std::string path = OutputPath("unsized.h");
	for (auto _ : state) {
		PlainBufferedFile file(path.c_str(), kWriteMode, kBufferSize);
		bool written = FormatBitmapSource("unsized", 0, 0, 4095, 4095, 8, bytes.data(),
			kByteCount, [&file](const char* piece, size_t length) {
				return file.BufferedWrite(piece, length);
			});
		if (!written || file.Flush() != B_OK)
			state.SkipWithError("export failed");
	}
	state.SetBytesProcessed(state.iterations() * kByteCount);
	unlink(path.c_str());
}
BENCHMARK(BM_ExportUnsizedFile)->Unit(benchmark::kMillisecond)->UseRealTime();

// The text alone, into a consumer that only counts.
void
BM_FormatOnly(benchmark::State& state)
{
	const auto& bytes = PixelBytes();
	for (auto _ : state) {
		size_t total = 0;
		FormatBitmapSource("icon", 0, 0, 4095, 4095, 8, bytes.data(), kByteCount,
			[&total](const char*, size_t length) {
				total += length;
				return static_cast<ssize_t>(length);
			});
		benchmark::DoNotOptimize(total);
	}
	state.SetBytesProcessed(state.iterations() * kByteCount);
}
BENCHMARK(BM_FormatOnly)->Unit(benchmark::kMillisecond);

// Baseline: one snprintf per byte into the same buffered file.
void
BM_SnprintfPerByteBaseline(benchmark::State& state)
{
	const auto& bytes = PixelBytes();
	const std::string path = OutputPath("baseline.h");
	for (auto _ : state) {
		PlainBufferedFile file(path.c_str(), kWriteMode, kBufferSize);
		char piece[16];
		for (int32 i = 0; i < kByteCount; i++) {
			int length = snprintf(piece, sizeof(piece), i % 16 == 15 ? "0x%02X, \n\t" : "0x%02X, ",
				bytes[i]);
			file.BufferedWrite(piece, static_cast<size_t>(length));
		}
		if (file.Flush() != B_OK)
			state.SkipWithError("write failed");
	}
	state.SetBytesProcessed(state.iterations() * kByteCount);
	unlink(path.c_str());
}
BENCHMARK(BM_SnprintfPerByteBaseline)->Unit(benchmark::kMillisecond)->UseRealTime();

// The bytes are mapped, not read: a bitmap's bytes are in memory already
// when the export starts, so copying them in would only time the copy.
int
ExportRawFile(const char* rawPath, const char* outPath)
{
	int fd = open(rawPath, O_RDONLY);
	struct stat info;
	if (fd < 0 || fstat(fd, &info) != 0 || info.st_size <= 0 || info.st_size > kByteCount) {
		perror(rawPath);
		return 1;
	}
	void* bytes = mmap(nullptr, info.st_size, PROT_READ, MAP_PRIVATE, fd, 0);
	close(fd);
	if (bytes == MAP_FAILED) {
		perror(rawPath);
		return 1;
	}
	bool exported = ExportBytes(static_cast<const uint8*>(bytes),
		static_cast<int32>(info.st_size), outPath);
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
	const auto& bytes = PixelBytes();
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
