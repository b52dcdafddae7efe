// SPDX-License-Identifier: MIT
// A real client of the standalone form: a C99 program of a project in C alone
// (no Quillpix library linked) that makes an SDL surface straight from each
// image's bytes in the pixel layout SDL names for its colour space, has SDL
// convert it to 8-bit R, G, B, A with its own code, and writes that out; every
// pixel must be the image as ImageMagick decodes it, brought into the space.
// Built with GCC and with Clang. A space the exporter does not know yet is
// skipped, and taken up as soon as it does.

#include "EmbedProjects.h"
#include "support/Files.h"
#include "support/ReferenceDecoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

using embedtest::InstalledPrefix;
using embedtest::RunTool;
using namespace testsupport;

namespace {

// How a pixel of the image comes out of a space, as 8-bit R, G, B, A.
enum class Expect {
	kKept, // as it is, partial alpha included
	kCut, // transparent where alpha is below 128, else opaque
	kMagicGrey, // opaque, where alpha is below 128 the magic grey 0x39CE
	kOverWhite, // laid over white (the default background)
	kBlackWhite, // laid over white, then black where its luminance is below 128
};

struct SdlRow {
	const char* space; // COLOR_SPACE, and the image's name
	const char* format; // SDL_PIXELFORMAT_...
	Expect expect;
	int tolerance; // of a channel, where the space keeps fewer than 8 bits
	bool swapped; // 16-bit values big-endian: SDL names no such layout,
		// so the client swaps each pair's bytes first
};

const SdlRow kRows[] = {
	{"rgb32", "ARGB8888", Expect::kCut, 0, false},
	{"rgba32", "ARGB8888", Expect::kKept, 0, false},
	{"rgb16", "RGB565", Expect::kOverWhite, 5, false},
	{"rgb15", "XRGB1555", Expect::kMagicGrey, 5, false},
	{"rgba15", "ARGB1555", Expect::kCut, 5, false},
	{"cmap8", "INDEX8", Expect::kCut, 0, false},
	{"gray1", "INDEX1MSB", Expect::kBlackWhite, 0, false},
	{"rgb24", "BGR24", Expect::kOverWhite, 0, false},
	{"rgb24-big", "RGB24", Expect::kOverWhite, 0, false},
	{"rgb32-big", "BGRA8888", Expect::kCut, 0, false},
	{"rgba32-big", "BGRA8888", Expect::kKept, 0, false},
	{"rgb16-big", "RGB565", Expect::kOverWhite, 5, true},
	{"rgb15-big", "XRGB1555", Expect::kMagicGrey, 5, true},
	{"rgba15-big", "ARGB1555", Expect::kCut, 5, true},
};

void
PrintTo(const SdlRow& row, std::ostream* out)
{
	*out << row.space << " as " << row.format;
}

// Odd, so that every space pads its rows.
constexpr int kWidth = 37;
constexpr int kHeight = 11;

std::string
Identifier(const char* space)
{
	std::string name = space;
	std::replace(name.begin(), name.end(), '-', '_');
	return name;
}

// The 256 colours of the system colour map, R, G, B each.
std::vector<int>
SystemColorMap()
{
	std::ifstream file(QUILLPIX_SOURCE_DIR "/data/system-colormap.txt");
	std::vector<int> map;
	std::string line;
	while (std::getline(file, line)) {
		std::istringstream fields(line);
		int index, red, green, blue;
		if (line.empty() || line[0] == '#' || !(fields >> index >> red >> green >> blue))
			continue;
		map.insert(map.end(), {red, green, blue});
	}
	return map;
}

// Colours of the map alone (but its transparent index), so that B_CMAP8
// keeps them exactly; every kind of alpha.
std::string
MapColourImage(const std::vector<int>& map)
{
	std::string image = "P7\nWIDTH " + std::to_string(kWidth) + "\nHEIGHT "
		+ std::to_string(kHeight) + "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
	for (int y = 0; y < kHeight; y++) {
		for (int x = 0; x < kWidth; x++) {
			const int index = (x * 7 + y * 13) % 255;
			for (int channel = 0; channel < 3; channel++)
				image += char(map[size_t(index) * 3 + size_t(channel)]);
			const int alpha = (x + y) % 7 == 0 ? 0
				: (x * y) % 5 == 1             ? 100
				: (x + 2 * y) % 6 == 1         ? 200
											   : 255;
			image += char(alpha);
		}
	}
	return image;
}

// The C program: for each image a surface from its bytes, converted by SDL.
std::string
ClientSource(const std::vector<const SdlRow*>& rows, const std::vector<int>& map)
{
	std::string source = "#define SDL_MAIN_HANDLED\n#include <SDL.h>\n\n#include <stdio.h>\n"
						 "#include <stdlib.h>\n#include <string.h>\n\n";
	for (const SdlRow* row : rows)
		source += "#include \"quillpix-images/" + Identifier(row->space) + ".h\"\n";
	source += "\nstatic const SDL_Color kSystemMap[256] = {\n";
	for (size_t index = 0; index < 256; index++) {
		source += "\t{" + std::to_string(map[index * 3]) + ", " + std::to_string(map[index * 3 + 1])
			+ ", " + std::to_string(map[index * 3 + 2]) + (index == 255 ? ", 0}\n" : ", 255},\n");
	}
	source += R"(};
static const SDL_Color kBlackAndWhite[2] = {{255, 255, 255, 255}, {0, 0, 0, 255}};

/* The bytes as a surface of `format`, converted to R, G, B, A bytes into `file`. */
static int
Convert(const char* file, const uint8_t* bytes, size_t size, int width, int height, int pitch,
	Uint32 format, int swapped)
{
	uint8_t* swappedBytes = NULL;
	void* pixels = (void*)bytes;
	if (swapped) {
		size_t at;
		swappedBytes = (uint8_t*)malloc(size);
		for (at = 0; at + 1 < size; at += 2) {
			swappedBytes[at] = bytes[at + 1];
			swappedBytes[at + 1] = bytes[at];
		}
		pixels = swappedBytes;
	}
	SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(pixels, width, height,
		SDL_BITSPERPIXEL(format), pitch, format);
	if (surface == NULL)
		return 1;
	if (format == SDL_PIXELFORMAT_INDEX8)
		SDL_SetPaletteColors(surface->format->palette, kSystemMap, 0, 256);
	if (format == SDL_PIXELFORMAT_INDEX1MSB)
		SDL_SetPaletteColors(surface->format->palette, kBlackAndWhite, 0, 2);
	SDL_Surface* converted = SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_RGBA32, 0);
	if (converted == NULL)
		return 2;
	FILE* out = fopen(file, "wb");
	int y;
	for (y = 0; y < height; y++)
		fwrite((const uint8_t*)converted->pixels + y * converted->pitch, 4, (size_t)width, out);
	SDL_FreeSurface(converted);
	SDL_FreeSurface(surface);
	free(swappedBytes);
	return fclose(out) == 0 ? 0 : 3;
}

int
main(void)
{
	int failure = 0;
)";
	for (const SdlRow* row : rows) {
		const std::string name = Identifier(row->space);
		source += "\tfailure = failure ? failure : Convert(\"" + name + ".rgba\", " + name
			+ "_MData, sizeof(" + name + "_MData), " + name + "_Width, " + name + "_Height, " + name
			+ "_BytesPerRow, SDL_PIXELFORMAT_" + row->format + ", " + (row->swapped ? "1" : "0")
			+ ");\n";
	}
	return source + "\treturn failure;\n}\n";
}

// `reference` (R, G, B, A bytes) as it comes out of a row's space.
std::string
Expected(const std::string& reference, Expect expect)
{
	std::string expected = reference;
	for (size_t at = 0; at + 3 < expected.size(); at += 4) {
		unsigned char* pixel = reinterpret_cast<unsigned char*>(&expected[at]);
		const int alpha = pixel[3];
		switch (expect) {
		case Expect::kKept:
			break;
		case Expect::kCut:
			pixel[3] = alpha < 128 ? 0 : 255;
			break;
		case Expect::kMagicGrey:
			if (alpha < 128)
				pixel[0] = pixel[1] = pixel[2] = 115;
			pixel[3] = 255;
			break;
		case Expect::kOverWhite:
		case Expect::kBlackWhite:
			for (int channel = 0; channel < 3; channel++)
				pixel[channel] = (alpha * pixel[channel] + (255 - alpha) * 255 + 127) / 255;
			pixel[3] = 255;
			if (expect == Expect::kBlackWhite) {
				const int luminance = (299 * pixel[0] + 587 * pixel[1] + 114 * pixel[2] + 500)
					/ 1000;
				pixel[0] = pixel[1] = pixel[2] = luminance < 128 ? 0 : 255;
			}
			break;
		}
	}
	return expected;
}

// Whether the installed exporter knows the colour space.
bool
ExporterKnows(const char* space)
{
	return RunTool({InstalledPrefix() + "/bin/quillpix-export", "--color-space", space,
					   "--identifiers", "x.pam"},
			   "/", "/dev/null")
		== 0;
}

// The project built once per compiler: its folder, or why it failed.
struct Built {
	std::unique_ptr<ScratchDirectory> scratch;
	std::string build;
	std::string source;
	std::string failure;
};

// Builds the project for `compiler` into `result`.
void
BuildClient(const std::string& compiler, Built& result)
{
	result.scratch = std::make_unique<ScratchDirectory>();
	const ScratchDirectory* scratch = result.scratch.get();
	result.source = *scratch / "source";
	result.build = *scratch / "build";
	mkdir(result.source.c_str(), 0755);
	const std::vector<int> map = SystemColorMap();
	std::vector<const SdlRow*> rows;
	std::string lists =
		"cmake_minimum_required(VERSION 3.25)\nproject(SdlClient LANGUAGES C)\n"
		"set(CMAKE_C_STANDARD 99)\nset(CMAKE_C_STANDARD_REQUIRED ON)\n"
		"set(CMAKE_C_EXTENSIONS OFF)\nadd_compile_options(-Wall -Wextra -Wpedantic -Werror)\n"
		"find_package(Quillpix REQUIRED)\nfind_package(SDL2 REQUIRED)\n"
		"add_executable(client client.c)\ntarget_link_libraries(client PRIVATE SDL2::SDL2)\n";
	for (const SdlRow& row : kRows) {
		if (!ExporterKnows(row.space))
			continue;
		rows.push_back(&row);
		const std::string image = Identifier(row.space) + ".pam";
		WriteWhole(result.source + "/" + image, MapColourImage(map));
		lists += "quillpix_add_image_sources(TARGET client STANDALONE COLOR_SPACE "
			+ std::string(row.space) + " IMAGES " + image + ")\n";
	}
	WriteWhole(result.source + "/CMakeLists.txt", lists);
	WriteWhole(result.source + "/client.c", ClientSource(rows, map));
	const std::string log = *scratch / "build.log";
	if (RunTool({"cmake", "-S", result.source, "-B", result.build, "-G", "Ninja",
					"-DCMAKE_C_COMPILER=" + compiler, "-DCMAKE_PREFIX_PATH=" + InstalledPrefix()},
			result.source, log)
			!= 0
		|| RunTool({"cmake", "--build", result.build}, result.source, log) != 0
		|| RunTool({result.build + "/client"}, result.build, log) != 0) {
		result.failure = ReadWhole(log);
	}
}

class SdlClient : public testing::TestWithParam<std::tuple<const char*, SdlRow>> {
protected:
	// The project built once per compiler, for all its rows.
	static const Built& Client(const std::string& compiler)
	{
		Built& built = sBuilt[compiler];
		if (!built.scratch)
			BuildClient(compiler, built);
		return built;
	}
	static void TearDownTestSuite() { sBuilt.clear(); }

private:
	static inline std::map<std::string, Built> sBuilt;
};

} // namespace

TEST_P(SdlClient, SdlReadsEveryPixelAsTheImageInItsSpace)
{
	const auto& [compiler, row] = GetParam();
	if (access(compiler, X_OK) != 0)
		GTEST_SKIP() << compiler << " is not installed";
	if (!HaveReferenceDecoder())
		GTEST_SKIP() << "ImageMagick is not installed";
	ASSERT_FALSE(InstalledPrefix().empty()) << "cannot install the package";
	if (!ExporterKnows(row.space))
		GTEST_SKIP() << "the exporter has no colour space " << row.space << " yet";
	const Built& built = Client(compiler);
	ASSERT_EQ(built.failure, "");
	// A program of C alone, linked to SDL and to no library of ours.
	const std::string rules = ReadWhole(built.build + "/build.ninja");
	EXPECT_EQ(rules.find("libbe_"), std::string::npos);

	const std::string name = Identifier(row.space);
	const std::string reference = ReferenceRgba(built.source + "/" + name + ".pam");
	ASSERT_EQ(reference.size(), size_t(kWidth * kHeight * 4));
	const std::string actual = ReadWhole(built.build + "/" + name + ".rgba");
	EXPECT_EQ(CompareRgba(actual, Expected(reference, row.expect), kWidth, row.tolerance), "");
}

INSTANTIATE_TEST_SUITE_P(Layouts, SdlClient,
	testing::Combine(testing::Values("/usr/bin/gcc", "/usr/bin/clang"), testing::ValuesIn(kRows)),
	[](const testing::TestParamInfo<std::tuple<const char*, SdlRow>>& info) {
		const std::string compiler = std::get<0>(info.param);
		return (compiler.find("clang") != std::string::npos ? "Clang_" : "Gcc_")
			+ Identifier(std::get<1>(info.param).space);
	});
