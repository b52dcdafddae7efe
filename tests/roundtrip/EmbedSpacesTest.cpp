// SPDX-License-Identifier: MIT
// Every colour space through quillpix_add_image_sources into a program that
// builds each bitmap: its colour space, its bytes per row (the header's
// constants and the bitmap's) and its bytes are the conversion's, with
// dithering and a background too, with GCC and with Clang. Each image also
// goes compressed (COMPRESS) into a static or a shared library, and the
// bitmap decompressed from it holds the same bytes.

#include "EmbedProjects.h"
#include "support/Files.h"

#include <SpaceConversion.h>
#include <TranslationUtils.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using embedtest::InstalledPrefix;
using embedtest::RunTool;
using namespace testsupport;

namespace {

struct SpaceImage {
	const char* name; // the image's file name without ".pam", and its identifier
	const char* arguments; // after COLOR_SPACE
	SpaceConversion conversion;
};

// 109 pixels a row: every space pads its rows.
const SpaceImage kImages[] = {
	{"in_rgba32", "rgba32", {B_RGBA32}},
	{"in_rgb16", "rgb16", {B_RGB16}},
	{"in_rgb15", "rgb15", {B_RGB15}},
	{"in_rgba15", "rgba15", {B_RGBA15}},
	{"in_gray8", "gray8", {B_GRAY8}},
	{"in_gray1", "gray1", {B_GRAY1}},
	{"in_rgb16_fs", "rgb16 DITHER floyd-steinberg", {B_RGB16, DitherKind::kFloydSteinberg}},
	{"in_gray1_ordered", "gray1 DITHER ordered BACKGROUND 336699",
		{B_GRAY1, DitherKind::kOrdered, {0x33, 0x66, 0x99, 255}}},
	{"in_rgb24", "rgb24 BACKGROUND 336699", {B_RGB24, DitherKind::kNone, {0x33, 0x66, 0x99, 255}}},
	{"in_rgb24_big", "rgb24-big", {B_RGB24_BIG}},
	{"in_rgb16_big", "rgb16-big DITHER ordered", {B_RGB16_BIG, DitherKind::kOrdered}},
	{"in_rgb15_big", "rgb15-big", {B_RGB15_BIG}},
	{"in_rgba15_big", "rgba15-big DITHER floyd-steinberg",
		{B_RGBA15_BIG, DitherKind::kFloydSteinberg}},
	{"in_rgb32_big", "rgb32-big", {B_RGB32_BIG}},
	{"in_rgba32_big", "rgba32-big", {B_RGBA32_BIG}},
};

class EmbedSpaces : public embedtest::EachCompiler { };

} // namespace

TEST_P(EmbedSpaces, EverySpaceComesOutOfTheBuildAsConverted)
{
	const std::string compiler = GetParam();
	ScratchDirectory scratch;
	const std::string source = scratch / "source";
	const std::string build = scratch / "build";
	mkdir(source.c_str(), 0755);
	std::string lists =
		"cmake_minimum_required(VERSION 3.25)\nproject(Spaces LANGUAGES CXX)\n"
		"set(CMAKE_CXX_STANDARD 17)\nfind_package(Quillpix REQUIRED)\n"
		"add_executable(spaces main.cpp)\n"
		"add_library(compressed_static STATIC)\n"
		"add_library(compressed_shared SHARED)\n"
		"target_link_libraries(spaces PRIVATE compressed_static compressed_shared)\n";
	std::string main = "#include <cstdio>\n";
	std::string body;
	bool shared = false;
	for (const SpaceImage& image : kImages) {
		const std::string name = image.name;
		const std::string pixels = embedtest::PamImage(109, 48, int(name.size()));
		WriteWhole(source + "/" + name + ".pam", pixels);
		WriteWhole(source + "/" + name + "_z.pam", pixels);
		lists += "quillpix_add_image_sources(TARGET spaces IMAGES " + name + ".pam COLOR_SPACE "
			+ image.arguments
			+ ")\n"
			  "quillpix_add_image_sources(TARGET compressed_"
			+ (shared ? "shared" : "static") + " IMAGES " + name + "_z.pam COLOR_SPACE "
			+ image.arguments + " COMPRESS zstd:9 COMPRESS_THRESHOLD 0)\n";
		shared = !shared;
		main += "#include \"quillpix-images/" + name
			+ ".h\"\n"
			  "#include \"quillpix-images/"
			+ name + "_z.h\"\n";
		body += "\tif (!Dump(\"" + name + ".dump\", " + name + "_MakeBitmap(), " + name
			+ "_MData, "
			  "sizeof("
			+ name + "_MData), " + name + "_BytesPerRow, " + name
			+ "_ColorSpace))\n"
			  "\t\treturn 1;\n"
			  "\tif (!DumpCompressed(\""
			+ name + "_z.dump\", " + name + "_z_MakeBitmap(&error), &error, " + name
			+ "_z_Compressed, " + name + "_z_Size, " + name + "_z_BytesPerRow, " + name
			+ "_z_ColorSpace))\n"
			  "\t\treturn 2;\n";
	}
	main += R"(
static bool
Dump(const char* file, PrefilledBitmap* bitmap, const uint8* bytes, unsigned long size,
	int32 bytesPerRow, color_space space)
{
	if (bitmap == nullptr || bitmap->InitCheck() != B_OK || bitmap->ColorSpace() != space
		|| bitmap->BytesPerRow() != bytesPerRow
		|| static_cast<unsigned long>(bitmap->BitsLength()) != size)
		return false;
	FILE* out = fopen(file, "wb");
	fprintf(out, "%d %d\n", int(space), int(bytesPerRow));
	fwrite(bitmap->Bits(), 1, size, out);
	fwrite(bytes, 1, size, out);
	return fclose(out) == 0;
}

static bool
DumpCompressed(const char* file, PrefilledBitmap* bitmap, const status_t* error, bool compressed,
	size_t size, int32 bytesPerRow, color_space space)
{
	if (bitmap == nullptr || *error != B_OK || bitmap->ColorSpace() != space
		|| bitmap->BytesPerRow() != bytesPerRow || size_t(bitmap->BitsLength()) != size) {
		fprintf(stderr, "%s: %s\n", file, status_text(*error));
		return false;
	}
	FILE* out = fopen(file, "wb");
	fprintf(out, "%d %d %d\n", int(space), int(bytesPerRow), int(compressed));
	fwrite(bitmap->Bits(), 1, size, out);
	return fclose(out) == 0;
}

int
main()
{
	status_t error = B_ERROR;
)" + body
		+ "\treturn 0;\n}\n";
	WriteWhole(source + "/CMakeLists.txt", lists);
	WriteWhole(source + "/main.cpp", main);

	ASSERT_EQ(
		RunTool({"cmake", "-S", source, "-B", build, "-G", "Ninja",
					"-DCMAKE_CXX_COMPILER=" + compiler, "-DCMAKE_PREFIX_PATH=" + InstalledPrefix()},
			source, scratch / "configure.log"),
		0)
		<< ReadWhole(scratch / "configure.log");
	ASSERT_EQ(RunTool({"cmake", "--build", build}, source, scratch / "build.log"), 0)
		<< ReadWhole(scratch / "build.log");
	ASSERT_EQ(RunTool({build + "/spaces"}, build, scratch / "run.log"), 0)
		<< ReadWhole(scratch / "run.log");

	for (const SpaceImage& image : kImages) {
		SCOPED_TRACE(image.name);
		std::unique_ptr<BBitmap> decoded(
			BTranslationUtils::GetBitmapFile((source + "/" + image.name + ".pam").c_str()));
		ASSERT_TRUE(decoded);
		std::unique_ptr<BBitmap> expected = BitmapInSpace(*decoded, image.conversion);
		ASSERT_TRUE(expected);
		const std::string bytes(
			static_cast<const char*>(expected->Bits()), size_t(expected->BitsLength()));
		const std::string head = std::to_string(int(image.conversion.space)) + " "
			+ std::to_string(expected->BytesPerRow()) + "\n";
		const std::string dump = ReadWhole(build + "/" + image.name + ".dump");
		EXPECT_EQ(dump.substr(0, head.size()), head);
		EXPECT_TRUE(dump.substr(head.size()) == bytes + bytes) << dump.size();
		const std::string compressedHead = head.substr(0, head.size() - 1) + " 1\n";
		const std::string compressed = ReadWhole(build + "/" + image.name + "_z.dump");
		EXPECT_EQ(compressed.substr(0, compressedHead.size()), compressedHead);
		EXPECT_TRUE(compressed.substr(compressedHead.size()) == bytes) << compressed.size();
	}
}

INSTANTIATE_TEST_SUITE_P(
	Compilers, EmbedSpaces, testing::ValuesIn(embedtest::kCompilers), embedtest::CompilerName);
