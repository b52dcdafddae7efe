// SPDX-License-Identifier: MIT
// quillpix_add_image_sources where real projects use it: images of one name
// in a static library, a shared library, a C library of the standalone form
// and the program that links them, each keeping its own bytes (GCC in C++17,
// Clang in C++20, C99 for the C library, warnings as errors); generated files
// that build anywhere; Make as quiet as Ninja; and the configure step's
// messages for what a person gets wrong.

#include "EmbedProjects.h"
#include "export/BitmapConversion.h"
#include "support/Files.h"

#include <Bitmap.h>
#include <TranslationUtils.h>

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using embedtest::InstalledPrefix;
using embedtest::PamImage;
using embedtest::RunTool;
using namespace testsupport;

namespace {

// The flags readelf -S -W gives the section whose name starts with `prefix`
// (one word, such as "WA"), or empty when there is none.
std::string
SectionFlags(const std::string& sections, const std::string& prefix)
{
	const size_t at = sections.find(" " + prefix);
	if (at == std::string::npos)
		return {};
	std::istringstream line(sections.substr(at, sections.find('\n', at) - at));
	// Name, type, address, offset, size, entry size, flags.
	std::string field;
	for (int index = 0; index < 7; index++)
		line >> field;
	return field;
}

int
Count(const std::string& text, const std::string& part)
{
	int count = 0;
	for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
		count++;
	return count;
}

// Four images named icon: the program's, a static library's, a shared
// library's (in B_CMAP8) and a C library's in the standalone form. Each
// library answers its own bitmap (the C library its constants) and bytes;
// the program writes all four into NAME.dump: "WIDTH HEIGHT BYTES_PER_ROW
// SPACE\n" and the bytes twice, checking its own constants against its
// bitmap.
struct IconImage {
	const char* owner;
	const char* file;
	int width;
	int height;
	color_space space;
};

const IconImage kIcons[] = {
	{"app", "img/icon.pam", 64, 64, B_RGB32},
	{"parts", "img/sub/icon.pam", 70, 46, B_RGB32},
	{"plugin", "img/plugin/icon.pam", 23, 9, B_CMAP8},
	{"plain", "img/plain/icon.pam", 31, 5, B_RGB32},
};

const char* const kLists = R"(cmake_minimum_required(VERSION 3.25)
project(EmbedTargets LANGUAGES C CXX)
set(CMAKE_C_STANDARD 99)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
add_compile_options(-Wall -Wextra -Wshadow -Werror)
if(CMAKE_CXX_STANDARD)
	add_compile_definitions(STANDARD=20${CMAKE_CXX_STANDARD})
endif()
find_package(Quillpix REQUIRED)
add_library(parts STATIC parts.cpp)
quillpix_add_image_sources(TARGET parts IMAGES img/sub/icon.pam)
add_library(plugin SHARED plugin.cpp)
quillpix_add_image_sources(TARGET plugin COLOR_SPACE cmap8 IMAGES img/plugin/icon.pam)
add_library(plain STATIC plain.c)
target_compile_options(plain PRIVATE -Wpedantic)
quillpix_add_image_sources(TARGET plain STANDALONE IMAGES img/plain/icon.pam)
add_executable(app main.cpp)
quillpix_add_image_sources(TARGET app IMAGES img/icon.pam)
target_link_libraries(app PRIVATE parts plugin plain)
)";

// The C library: its header's constants and array, as C sees them.
const char* const kPlainSource = R"(#include "quillpix-images/icon.h"

const uint8_t* plainBytes(unsigned long* size, int facts[4]);

const uint8_t*
plainBytes(unsigned long* size, int facts[4])
{
	switch (icon_ColorSpace) {
	case QUILLPIX_B_RGB32:
		break;
	default:
		return 0;
	}
	facts[0] = icon_Width;
	facts[1] = icon_Height;
	facts[2] = icon_BytesPerRow;
	facts[3] = icon_ColorSpace;
	*size = sizeof(icon_MData);
	return icon_MData;
}
)";

std::string
LibrarySource(const std::string& owner)
{
	return "#include \"quillpix-images/icon.h\"\n\n"
		   "PrefilledBitmap* "
		+ owner
		+ "Icon();\n"
		  "const uint8* "
		+ owner
		+ "Bytes(unsigned long* size);\n\n"
		  "PrefilledBitmap*\n"
		+ owner
		+ "Icon()\n{\n\treturn icon_MakeBitmap();\n}\n\n"
		  "const uint8*\n"
		+ owner
		+ "Bytes(unsigned long* size)\n{\n"
		  "\t*size = sizeof(icon_MData);\n\treturn icon_MData;\n}\n";
}

const char* const kMain = R"(#include "quillpix-images/icon.h"

#include <cstdio>

#if defined(STANDARD) && __cplusplus / 100 != STANDARD
#error "compiled in another standard than the project's"
#endif

PrefilledBitmap* partsIcon();
const uint8* partsBytes(unsigned long* size);
PrefilledBitmap* pluginIcon();
const uint8* pluginBytes(unsigned long* size);
extern "C" const uint8_t* plainBytes(unsigned long* size, int facts[4]);

static int
Dump(const char* name, PrefilledBitmap* bitmap, const uint8* bytes, unsigned long size)
{
	if (bitmap == nullptr || bitmap->InitCheck() != B_OK)
		return 1;
	if (static_cast<unsigned long>(bitmap->BitsLength()) != size || bitmap->Bits() == bytes)
		return 2;
	FILE* file = fopen(name, "wb");
	BRect bounds = bitmap->Bounds();
	fprintf(file, "%d %d %d %d\n", bounds.IntegerWidth() + 1, bounds.IntegerHeight() + 1,
		int(bitmap->BytesPerRow()), int(bitmap->ColorSpace()));
	fwrite(bitmap->Bits(), 1, size, file);
	fwrite(bytes, 1, size, file);
	return fclose(file) == 0 ? 0 : 3;
}

int
main()
{
	static_assert(sizeof(icon_MData) == icon_BytesPerRow * icon_Height, "the array's size");
	PrefilledBitmap* own = icon_MakeBitmap();
	if (own != icon_MICN || own->BytesPerRow() != icon_BytesPerRow
		|| own->ColorSpace() != icon_ColorSpace
		|| own->Bounds().IntegerWidth() + 1 != icon_Width)
		return 10;
	unsigned long size = 0;
	if (int failure = Dump("app.dump", own, icon_MData, sizeof(icon_MData)))
		return failure;
	const uint8* bytes = partsBytes(&size);
	if (int failure = Dump("parts.dump", partsIcon(), bytes, size))
		return 20 + failure;
	bytes = pluginBytes(&size);
	if (int failure = Dump("plugin.dump", pluginIcon(), bytes, size))
		return 30 + failure;
	int facts[4];
	bytes = plainBytes(&size, facts);
	if (bytes == nullptr)
		return 40;
	FILE* file = fopen("plain.dump", "wb");
	fprintf(file, "%d %d %d %d\n", facts[0], facts[1], facts[2], facts[3]);
	fwrite(bytes, 1, size, file);
	fwrite(bytes, 1, size, file);
	return fclose(file) == 0 ? 0 : 41;
}
)";

// The project's sources and images, under `scratch`/source.
std::string
WriteProject(const ScratchDirectory& scratch)
{
	const std::string source = scratch / "source";
	for (const char* folder : {"", "/img", "/img/sub", "/img/plugin", "/img/plain"})
		mkdir((source + folder).c_str(), 0755);
	WriteWhole(source + "/CMakeLists.txt", kLists);
	WriteWhole(source + "/parts.cpp", LibrarySource("parts"));
	WriteWhole(source + "/plugin.cpp", LibrarySource("plugin"));
	WriteWhole(source + "/plain.c", kPlainSource);
	WriteWhole(source + "/main.cpp", kMain);
	int seed = 0;
	for (const IconImage& icon : kIcons)
		WriteWhole(source + "/" + icon.file, PamImage(icon.width, icon.height, seed += 40));
	return source;
}

// Each dump holds the image's size and bytes as the exporter converts it,
// twice: as the bitmap holds them and as the array does.
void
ExpectOwnPictures(const std::string& source, const std::string& build)
{
	for (const IconImage& icon : kIcons) {
		SCOPED_TRACE(icon.owner);
		std::unique_ptr<BBitmap> expected(
			BTranslationUtils::GetBitmapFile((source + "/" + icon.file).c_str()));
		ASSERT_TRUE(expected);
		if (expected->ColorSpace() != icon.space)
			expected = ConvertedBitmap(*expected, icon.space).Value();
		ASSERT_TRUE(expected);
		const std::string bytes(
			static_cast<const char*>(expected->Bits()), size_t(expected->BitsLength()));
		const std::string head = std::to_string(icon.width) + " " + std::to_string(icon.height)
			+ " " + std::to_string(expected->BytesPerRow()) + " " + std::to_string(int(icon.space))
			+ "\n";
		const std::string dump = ReadWhole(build + "/" + icon.owner + ".dump");
		EXPECT_EQ(dump.substr(0, head.size()), head);
		EXPECT_TRUE(dump.substr(head.size()) == bytes + bytes) << dump.size();
	}
}

// Runs one step of a build in `scratch`; a failure carries what it said.
testing::AssertionResult
Step(const ScratchDirectory& scratch, const std::vector<std::string>& argv, const char* log)
{
	if (RunTool(argv, scratch / "source", scratch / log) == 0)
		return testing::AssertionSuccess();
	return testing::AssertionFailure() << argv[0] << " failed:\n" << ReadWhole(scratch / log);
}

// Configures the project of `scratch` into scratch/build with `options`
// (the prefix added) and `generator`.
testing::AssertionResult
Configure(const ScratchDirectory& scratch, std::vector<std::string> options,
	const char* generator = "Ninja")
{
	std::vector<std::string> argv = {"cmake", "-S", scratch / "source", "-B", scratch / "build",
		"-G", generator, "-DCMAKE_PREFIX_PATH=" + InstalledPrefix()};
	argv.insert(argv.end(), options.begin(), options.end());
	return Step(scratch, argv, "configure.log");
}

testing::AssertionResult
Build(const ScratchDirectory& scratch)
{
	return Step(scratch, {"cmake", "--build", scratch / "build"}, "build.log");
}

// The project in `source` made a library of one image and nothing else, to
// be built where no program could be.
void
WriteImageLibrary(const std::string& source)
{
	WriteWhole(source + "/CMakeLists.txt",
		"cmake_minimum_required(VERSION 3.25)\n"
		"project(Images LANGUAGES CXX)\nfind_package(Quillpix REQUIRED)\n"
		"add_library(images STATIC)\n"
		"set_target_properties(images PROPERTIES LINKER_LANGUAGE CXX)\n"
		"quillpix_add_image_sources(TARGET images IMAGES img/icon.pam)\n");
}

struct Toolchain {
	const char* compiler;
	const char* standard;
};

class EmbedTargets : public testing::TestWithParam<Toolchain> { };

} // namespace

TEST_P(EmbedTargets, ImagesOfOneNameInLinkedTargetsKeepTheirOwnBytes)
{
	const Toolchain toolchain = GetParam();
	if (access(toolchain.compiler, X_OK) != 0)
		GTEST_SKIP() << toolchain.compiler << " is not installed";
	ASSERT_FALSE(InstalledPrefix().empty()) << "cannot install the package";
	ScratchDirectory scratch;
	const std::string source = WriteProject(scratch);
	const std::string build = scratch / "build";
	ASSERT_TRUE(Configure(scratch,
		{std::string("-DCMAKE_CXX_COMPILER=") + toolchain.compiler,
			std::string("-DCMAKE_CXX_STANDARD=") + toolchain.standard}));
	ASSERT_TRUE(Build(scratch));
	ASSERT_EQ(RunTool({build + "/app"}, build, scratch / "app.log"), 0)
		<< ReadWhole(scratch / "app.log");
	ExpectOwnPictures(source, build);

	// The standalone bytes are in a read-only section of their own, the Be
	// form's in a writable one (PrefilledBitmap may be given them to keep).
	ASSERT_EQ(RunTool({"readelf", "-S", "-W", build + "/libplain.a", build + "/libparts.a"}, build,
				  scratch / "readelf.log"),
		0);
	const std::string sections = ReadWhole(scratch / "readelf.log");
	const std::string plainSection = SectionFlags(sections, ".rodata.quillpix_plain_");
	EXPECT_EQ(plainSection, "A") << sections;
	EXPECT_EQ(SectionFlags(sections, ".data._ZN23quillpix_parts_"), "WA") << sections;

	// Both headers in one translation unit: the compile stops, naming both.
	const std::string own = build + "/quillpix-images/app/quillpix-images/icon.h";
	const std::string parts = build + "/quillpix-images/parts/quillpix-images/icon.h";
	WriteWhole(scratch / "both.cpp", "#include \"" + own + "\"\n#include \"" + parts + "\"\n");
	EXPECT_NE(
		RunTool({toolchain.compiler, std::string("-std=c++") + toolchain.standard, "-fsyntax-only",
					"-I", InstalledPrefix() + "/include/quillpix", "both.cpp"},
			scratch.Path(), scratch / "both.log"),
		0);
	const std::string said = ReadWhole(scratch / "both.log");
	EXPECT_NE(said.find("two images named icon in one translation unit: img/icon.pam and "
						"img/sub/icon.pam; include one of them only"),
		std::string::npos)
		<< said;
}

INSTANTIATE_TEST_SUITE_P(Toolchains, EmbedTargets,
	testing::Values(Toolchain{"/usr/bin/g++", "17"}, Toolchain{"/usr/bin/clang++", "20"}),
	[](const testing::TestParamInfo<Toolchain>& info) {
		return std::string(info.param.compiler).find("clang") != std::string::npos ? "ClangCxx20"
																				   : "GccCxx17";
	});

// The generated files name no path of the build: copied elsewhere they
// assemble and compile there, and give the same bytes.
TEST(EmbedTargets, GeneratedFilesBuildWhereverTheyAreCopied)
{
	ASSERT_FALSE(InstalledPrefix().empty()) << "cannot install the package";
	ScratchDirectory scratch;
	const std::string source = WriteProject(scratch);
	const std::string build = scratch / "build";
	ASSERT_TRUE(Configure(scratch, {}));
	ASSERT_TRUE(Build(scratch));
	const std::string generated = build + "/quillpix-images/parts/quillpix-images";
	const std::string plain = build + "/quillpix-images/plain/quillpix-images";
	for (const std::string& file :
		{generated + "/icon.h", generated + "/icon.s", plain + "/icon.h", plain + "/icon.s"}) {
		const std::string text = ReadWhole(file);
		EXPECT_EQ(text.find(scratch.Path()), std::string::npos) << file << ":\n" << text;
		EXPECT_NE(text.find("\"img/"), std::string::npos) << file;
	}

	ASSERT_EQ(
		RunTool({"cp", "-R", generated, scratch / "moved"}, scratch.Path(), scratch / "copy.log"),
		0);
	ASSERT_EQ(RunTool({"rm", "-R", build}, scratch.Path(), scratch / "remove.log"), 0);
	WriteWhole(scratch / "bytes.cpp",
		"#include \"moved/icon.h\"\n#include <cstdio>\n\n"
		"int\nmain()\n{\n\tfwrite(icon_MData, 1, sizeof(icon_MData), stdout);\n"
		"\treturn icon_Width == 70 && icon_Height == 46 ? 0 : 1;\n}\n");
	ASSERT_EQ(RunTool({"c++", "-c", "icon.s", "-o", "icon.o"}, scratch / "moved",
				  scratch / "assemble.log"),
		0)
		<< ReadWhole(scratch / "assemble.log");
	ASSERT_EQ(RunTool({"c++", "-std=c++17", "-I", InstalledPrefix() + "/include/quillpix",
						  "bytes.cpp", "moved/icon.o", "-o", "bytes"},
				  scratch.Path(), scratch / "link.log"),
		0)
		<< ReadWhole(scratch / "link.log");
	ASSERT_EQ(RunTool({"sh", "-c", "./bytes > bytes.out"}, scratch.Path(), scratch / "run.log"), 0);
	EXPECT_TRUE(ReadWhole(scratch / "bytes.out") == ReadWhole(scratch / "moved/icon.bin"));
}

// Under Make, which has no restat: an up-to-date tree exports nothing, a
// touched image is exported once, and a clean parallel build finds every
// generated file in time.
TEST(EmbedTargets, MakeExportsATouchedImageOnce)
{
	ASSERT_FALSE(InstalledPrefix().empty()) << "cannot install the package";
	ScratchDirectory scratch;
	const std::string source = WriteProject(scratch);
	const std::string build = scratch / "build";
	ASSERT_TRUE(Configure(scratch, {}, "Unix Makefiles"));
	auto make = [&](const char* log) {
		EXPECT_EQ(RunTool({"make", "-j4"}, build, scratch / log), 0) << ReadWhole(scratch / log);
		return ReadWhole(scratch / log);
	};
	EXPECT_EQ(Count(make("first.log"), "Exporting "), 4);
	EXPECT_EQ(Count(make("again.log"), "Exporting "), 0);

	// A second later, so that the touch is newer than every output.
	sleep(1);
	ASSERT_EQ(RunTool({"touch", "img/sub/icon.pam"}, source, scratch / "touch.log"), 0);
	const std::string touched = make("touched.log");
	EXPECT_EQ(Count(touched, "Exporting "), 1) << touched;
	EXPECT_EQ(Count(touched, "main.cpp.o"), 0) << touched;
	EXPECT_EQ(Count(make("quiet.log"), "Exporting "), 0);
	ASSERT_EQ(RunTool({build + "/app"}, build, scratch / "app.log"), 0)
		<< ReadWhole(scratch / "app.log");
	ExpectOwnPictures(source, build);
}

// What a person gets wrong stops the configure step, with a message that
// names the image as they wrote it.
TEST(EmbedTargets, MisusesStopTheConfigureStepNamingTheImage)
{
	ASSERT_FALSE(InstalledPrefix().empty()) << "cannot install the package";
	ScratchDirectory scratch;
	const std::string source = WriteProject(scratch);
	const struct {
		const char* call;
		std::vector<const char*> said;
	} rows[] = {
		{"IMAGES img/icon.pam NAME foo",
			{"the image \"NAME\" of app does not exist",
				"NAME is no keyword of quillpix_add_image_sources"}},
		{"NAME foo IMAGES img/icon.pam", {"unknown arguments: NAME foo (the keywords are"}},
		{"IMAGES img/icn.pam", {"the image \"img/icn.pam\" of app does not exist"}},
		{"IMAGES img/sub", {"the image \"img/sub\" of app is a folder, not an image"}},
		{"IMAGES img/icon.pam img/sub/icon.pam",
			{"\"img/sub/icon.pam\" and \"img/icon.pam\" would both be named icon in app"}},
		{"IMAGES img/icon.pam COLOR_SPACE rgb565", {"COLOR_SPACE is one of rgb32, cmap8, rgba32"}},
		{"IMAGES img/icon.pam COLOR_SPACE gray8 DITHER ordered",
			{"DITHER needs COLOR_SPACE cmap8, rgb16, rgb15, rgba15, gray1, rgb16-big, rgb15-big or "
			 "rgba15-big"}},
		{"IMAGES img/icon.pam COLOR_SPACE rgba32 BACKGROUND 336699",
			{"BACKGROUND needs COLOR_SPACE rgb16, gray8, gray1, rgb24, rgb24-big or rgb16-big"}},
		{"IMAGES img/icon.pam COLOR_SPACE gray1 BACKGROUND 33669x",
			{"BACKGROUND is a colour as RRGGBB, such as ffffff, not 33669x"}},
		{"IMAGES img/icon.pam COMPRESS zstd:20",
			{"COMPRESS is zstd or zstd:LEVEL with LEVEL 1 to 19, not zstd:20"}},
		{"IMAGES img/icon.pam COMPRESS_THRESHOLD 5", {"COMPRESS_THRESHOLD needs COMPRESS"}},
		{"IMAGES img/icon.pam COMPRESS zstd COMPRESS_THRESHOLD 100",
			{"COMPRESS_THRESHOLD is a share in percent, 0 to 99, not 100"}},
	};
	for (const auto& row : rows) {
		SCOPED_TRACE(row.call);
		WriteWhole(source + "/CMakeLists.txt",
			std::string("cmake_minimum_required(VERSION 3.25)\n"
						"project(Misuse LANGUAGES CXX)\nfind_package(Quillpix REQUIRED)\n"
						"add_executable(app main.cpp)\nquillpix_add_image_sources(TARGET app ")
				+ row.call + ")\n");
		RunTool({"rm", "-rf", scratch / "build"}, scratch.Path(), scratch / "rm.log");
		EXPECT_FALSE(Configure(scratch, {}));
		// CMake folds a message's lines: read it with every run of spaces as one.
		std::string log;
		for (char c : ReadWhole(scratch / "configure.log")) {
			const bool space = c == ' ' || c == '\n';
			if (!space || log.empty() || log.back() != ' ')
				log += space ? ' ' : c;
		}
		for (const char* part : row.said)
			EXPECT_NE(log.find(part), std::string::npos) << part << "\nin:\n" << log;
	}
}

// Cross-compiling, the bytes are assembled for the target CMake builds for,
// not for the build machine: Clang told to build for 64-bit ARM makes an
// ARM object of them (a library of images alone, as no ARM system headers
// are at hand).
TEST(EmbedTargets, TheBytesAreAssembledForTheTargetMachine)
{
	if (access("/usr/bin/clang++", X_OK) != 0)
		GTEST_SKIP() << "clang++ is not installed";
	ASSERT_FALSE(InstalledPrefix().empty()) << "cannot install the package";
	ScratchDirectory scratch;
	const std::string source = WriteProject(scratch);
	WriteImageLibrary(source);
	const std::string build = scratch / "build";
	ASSERT_TRUE(Configure(scratch,
		{"-DCMAKE_CXX_COMPILER=/usr/bin/clang++", "-DCMAKE_CXX_COMPILER_TARGET=aarch64-linux-gnu",
			"-DCMAKE_TRY_COMPILE_TARGET_TYPE=STATIC_LIBRARY"}));
	ASSERT_TRUE(Build(scratch));
	ASSERT_EQ(
		RunTool({"readelf", "-h", "-s", build + "/libimages.a"}, source, scratch / "readelf.log"),
		0);
	const std::string said = ReadWhole(scratch / "readelf.log");
	EXPECT_NE(said.find("AArch64"), std::string::npos) << said;
	EXPECT_NE(said.find("16384 OBJECT  GLOBAL DEFAULT"), std::string::npos) << said;
}

// A compiler found through a farm's or a cache's folder of compiler names
// (/usr/lib/distcc or /usr/lib/ccache on PATH) still assembles the bytes on
// this machine, where they are, and as nothing a cache would refuse: with
// no host to reach and no local retry a library of images builds, and the
// cache counts nothing unsupported.
TEST(EmbedTargets, TheBytesAreAssembledHereThroughACompilersWrapper)
{
	ASSERT_FALSE(InstalledPrefix().empty()) << "cannot install the package";
	ScratchDirectory scratch;
	const std::string source = WriteProject(scratch);
	WriteImageLibrary(source);
	const std::string cache = "CCACHE_DIR=" + scratch / "cache";
	const struct {
		const char* compiler;
		std::vector<std::string> environment;
	} rows[] = {
		{"/usr/lib/distcc/c++",
			{"DISTCC_HOSTS=127.0.0.1:1", "DISTCC_FALLBACK=0", "DISTCC_SKIP_LOCAL_RETRY=1"}},
		{"/usr/lib/ccache/c++", {cache, "CCACHE_CONFIGPATH=/dev/null"}},
	};
	for (const auto& row : rows) {
		SCOPED_TRACE(row.compiler);
		if (access(row.compiler, X_OK) != 0)
			continue;
		RunTool({"rm", "-rf", scratch / "build"}, scratch.Path(), scratch / "rm.log");
		ASSERT_TRUE(Configure(scratch, {std::string("-DCMAKE_CXX_COMPILER=") + row.compiler}));
		ASSERT_EQ(RunTool({"cmake", "--build", scratch / "build"}, source, scratch / "build.log",
					  row.environment),
			0)
			<< ReadWhole(scratch / "build.log");
	}
	if (access("/usr/lib/ccache/c++", X_OK) == 0) {
		ASSERT_EQ(RunTool({"ccache", "--print-stats"}, source, scratch / "stats.log",
					  {cache, "CCACHE_CONFIGPATH=/dev/null"}),
			0);
		const std::string stats = ReadWhole(scratch / "stats.log");
		EXPECT_NE(stats.find("\nunsupported_code_directive\t0\n"), std::string::npos) << stats;
	}
}
