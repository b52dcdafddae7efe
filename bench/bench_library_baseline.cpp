// SPDX-License-Identifier: MIT
// The decoding libraries called directly on the images that bench_bitmap's
// LoadImage reads: libpng's simplified API and libjpeg-turbo, each into a
// B, G, R, A buffer of their own, with the file read whole first as our
// loader does. The baseline the translation kit is held to (within 1.1
// times this).

#include "PlasmaRuns.h"

#include <benchmark/benchmark.h>

#include <png.h>

#include <cstdio>
#include <csetjmp>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace {

std::string
ReadWhole(const std::string& path)
{
	std::ifstream file(path, std::ios::binary);
	return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool
DecodePng(const std::string& bytes, std::vector<unsigned char>& pixels)
{
	png_image image = {};
	image.version = PNG_IMAGE_VERSION;
	if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
		return false;
	image.format = PNG_FORMAT_BGRA;
	pixels.resize(PNG_IMAGE_SIZE(image));
	return png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) != 0;
}

struct JpegError {
	jpeg_error_mgr manager;
	jmp_buf jump;
};

void
OnJpegError(j_common_ptr info)
{
	longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}

bool
DecodeJpeg(const std::string& bytes, std::vector<unsigned char>& pixels)
{
	jpeg_decompress_struct info;
	JpegError error;
	info.err = jpeg_std_error(&error.manager);
	error.manager.error_exit = OnJpegError;
	if (setjmp(error.jump)) {
		jpeg_destroy_decompress(&info);
		return false;
	}
	jpeg_create_decompress(&info);
	jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
	jpeg_read_header(&info, TRUE);
	info.out_color_space = JCS_EXT_BGRX;
	jpeg_start_decompress(&info);
	const size_t row = size_t(info.output_width) * 4;
	pixels.resize(row * info.output_height);
	while (info.output_scanline < info.output_height) {
		JSAMPROW target = pixels.data() + row * info.output_scanline;
		jpeg_read_scanlines(&info, &target, 1);
	}
	jpeg_finish_decompress(&info);
	jpeg_destroy_decompress(&info);
	return true;
}

void
LibraryLoad(benchmark::State& state, const char* format)
{
	const int side = int(state.range(0));
	const std::string path = BenchInputs::Plasma(side, format);
	if (path.empty()) {
		state.SkipWithError("no input image (needs ImageMagick's convert)");
		return;
	}
	const bool png = std::string(format) == "png";
	for (auto _ : state) {
		std::string bytes = ReadWhole(path);
		std::vector<unsigned char> pixels;
		if (!(png ? DecodePng(bytes, pixels) : DecodeJpeg(bytes, pixels))
			|| pixels.size() != size_t(side) * side * 4) {
			state.SkipWithError("the image did not load");
			return;
		}
		benchmark::DoNotOptimize(pixels.data());
	}
	state.SetItemsProcessed(state.iterations() * side * side);
}

BENCHMARK_CAPTURE(LibraryLoad, png, "png")->Apply(BenchInputs::Sides);
BENCHMARK_CAPTURE(LibraryLoad, jpeg, "jpg")->Apply(BenchInputs::Sides);

} // namespace

BENCHMARK_MAIN();
