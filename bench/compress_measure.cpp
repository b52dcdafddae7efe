// SPDX-License-Identifier: MIT
// The measures of bench/compress.sh for one set of images: the bytes each
// way of embedding puts into a program and the time to make every bitmap of
// the set from them, against libpng decoding the PNG files.
//
// Usage: compress-measure SET RUNS LIST
//   LIST has a line per image: its PNG, its raw bytes (B_RGB32, from
//   quillpix-export --embed) and what quillpix-export --embed --compress
//   wrote at zstd levels 3, 9 and 19 (the frame, or the raw bytes where the
//   frame was not 10 % smaller).
// Prints markdown table rows: set, form, bytes, against the PNGs, against
// raw, images compressed, median CPU milliseconds to make all the bitmaps,
// libpng's against it.
//
// LZ4 is measured here only: compressed in this process (the default and
// HC at its highest level), with the same 10 % threshold, decompressed with
// LZ4_decompress_safe into the bitmap's bits.

#include <CompressedBitmap.h>
#include <PrefilledBitmap.h>

#include <lz4.h>
#include <lz4hc.h>
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <time.h>
#include <vector>

namespace {

std::string
ReadFile(const std::string& path)
{
	std::ifstream in(path, std::ios::binary);
	return std::string(std::istreambuf_iterator<char>(in), {});
}

struct Image {
	std::string png;
	std::string raw;
	std::vector<std::string> zstd; // at the levels, in order
	std::vector<std::string> lz4; // the forms, in order ("" for raw)
	int width;
	int height;
};

const int kLevels[] = {3, 9, 19};

// The form of `raw` LZ4 gives: default or HC 12; empty when it is not 10 %
// smaller.
std::string
Lz4(const std::string& raw, bool high)
{
	std::string frame(size_t(LZ4_compressBound(int(raw.size()))), '\0');
	const int written = high
		? LZ4_compress_HC(
			raw.data(), frame.data(), int(raw.size()), int(frame.size()), LZ4HC_CLEVEL_MAX)
		: LZ4_compress_default(raw.data(), frame.data(), int(raw.size()), int(frame.size()));
	if (written <= 0 || size_t(written) > raw.size() * 9 / 10)
		return std::string();
	frame.resize(size_t(written));
	return frame;
}

double
CpuMilliseconds()
{
	timespec now;
	clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
	return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// The median of `runs` timings of `work`, in milliseconds of the process's
// CPU time (which a busy machine inflates far less than real time).
double
MedianMilliseconds(int runs, const std::function<bool()>& work)
{
	std::vector<double> times;
	for (int run = 0; run < runs; run++) {
		const double start = CpuMilliseconds();
		if (!work()) {
			fprintf(stderr, "compress-measure: a bitmap was not made\n");
			exit(1);
		}
		times.push_back(CpuMilliseconds() - start);
	}
	std::sort(times.begin(), times.end());
	return times[times.size() / 2];
}

// Every bitmap made by libpng from the PNG files' bytes in memory, as B, G,
// R, A (the bitmap's order), each into a buffer of its own.
bool
DecodePngs(const std::vector<std::string>& files)
{
	for (const std::string& file : files) {
		png_image image = {};
		image.version = PNG_IMAGE_VERSION;
		if (!png_image_begin_read_from_memory(&image, file.data(), file.size()))
			return false;
		image.format = PNG_FORMAT_BGRA;
		std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
		if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr))
			return false;
		png_image_free(&image);
	}
	return true;
}

} // namespace

int
main(int argc, char** argv)
{
	if (argc != 4) {
		fprintf(stderr, "usage: compress-measure SET RUNS LIST\n");
		return 2;
	}
	const std::string set = argv[1];
	const int runs = atoi(argv[2]);
	std::vector<Image> images;
	std::vector<std::string> pngs;
	std::ifstream list(argv[3]);
	for (std::string line; std::getline(list, line);) {
		std::istringstream words(line);
		std::string png, raw, z3, z9, z19;
		words >> png >> raw >> z3 >> z9 >> z19;
		Image image{png, ReadFile(raw), {ReadFile(z3), ReadFile(z9), ReadFile(z19)}, {}, 0, 0};
		pngs.push_back(ReadFile(png));
		const std::string& file = pngs.back();
		// The PNG's size, from its header.
		auto big = [&file](size_t at) {
			return int((uint8_t(file[at]) << 24) | (uint8_t(file[at + 1]) << 16)
				| (uint8_t(file[at + 2]) << 8) | uint8_t(file[at + 3]));
		};
		image.width = big(16);
		image.height = big(20);
		if (size_t(image.width) * size_t(image.height) * 4 != image.raw.size()) {
			fprintf(stderr, "compress-measure: %s is not %d x %d B_RGB32\n", raw.c_str(),
				image.width, image.height);
			return 1;
		}
		image.lz4 = {Lz4(image.raw, false), Lz4(image.raw, true)};
		images.push_back(std::move(image));
	}

	size_t pngBytes = 0;
	size_t rawBytes = 0;
	for (size_t i = 0; i < images.size(); i++) {
		pngBytes += pngs[i].size();
		rawBytes += images[i].raw.size();
	}
	const double png = MedianMilliseconds(runs, [&pngs] { return DecodePngs(pngs); });

	auto row = [&](const std::string& form, size_t bytes, int compressed, double milliseconds) {
		printf("| %s | %s | %zu | %.2f | %.3f | %d / %zu | %.2f | %.1f |\n", set.c_str(),
			form.c_str(), bytes, double(bytes) / double(pngBytes), double(bytes) / double(rawBytes),
			compressed, images.size(), milliseconds, png / milliseconds);
	};
	printf("| %s | PNG files (libpng) | %zu | 1.00 | %.3f | | %.2f | 1.0 |\n", set.c_str(),
		pngBytes, double(pngBytes) / double(rawBytes), png);

	// Raw: the bytes copied into each bitmap, as the form without compression.
	row("raw", rawBytes, 0, MedianMilliseconds(runs, [&images] {
		for (const Image& image : images) {
			PrefilledBitmap* bitmap = nullptr;
			if (!BuildCheckedBitmap(bitmap, image.raw.data(), image.raw.size(), 0, 0,
					float(image.width - 1), float(image.height - 1), B_RGB32, nullptr))
				return false;
			delete bitmap;
		}
		return true;
	}));

	for (size_t level = 0; level < std::size(kLevels); level++) {
		size_t bytes = 0;
		int compressed = 0;
		for (const Image& image : images) {
			bytes += image.zstd[level].size();
			compressed += image.zstd[level].size() != image.raw.size();
		}
		row("zstd " + std::to_string(kLevels[level]), bytes, compressed,
			MedianMilliseconds(runs, [&images, level] {
				for (const Image& image : images) {
					const std::string& form = image.zstd[level];
					PrefilledBitmap* bitmap = nullptr;
					const bool raw = form.size() == image.raw.size();
					PrefilledBitmap* made = raw
						? BuildCheckedBitmap(bitmap, form.data(), form.size(), 0, 0,
							float(image.width - 1), float(image.height - 1), B_RGB32, nullptr)
						: BuildCompressedBitmap(bitmap, form.data(), form.size(), image.raw.size(),
							0, 0, float(image.width - 1), float(image.height - 1), B_RGB32,
							nullptr);
					if (made == nullptr)
						return false;
					delete made;
				}
				return true;
			}));
	}

	const char* const lz4Forms[] = {"LZ4 (default)", "LZ4 HC 12"};
	for (size_t form = 0; form < 2; form++) {
		size_t bytes = 0;
		int compressed = 0;
		for (const Image& image : images) {
			bytes += image.lz4[form].empty() ? image.raw.size() : image.lz4[form].size();
			compressed += !image.lz4[form].empty();
		}
		row(lz4Forms[form], bytes, compressed, MedianMilliseconds(runs, [&images, form] {
			for (const Image& image : images) {
				const std::string& frame = image.lz4[form];
				PrefilledBitmap* bitmap = new PrefilledBitmap(
					BRect(0, 0, float(image.width - 1), float(image.height - 1)), B_RGB32,
					frame.empty() ? image.raw.data() : nullptr);
				if (!frame.empty()
					&& LZ4_decompress_safe(frame.data(), static_cast<char*>(bitmap->Bits()),
						   int(frame.size()), bitmap->BitsLength())
						!= bitmap->BitsLength())
					return false;
				delete bitmap;
			}
			return true;
		}));
	}
	return 0;
}
