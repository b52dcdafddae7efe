// SPDX-License-Identifier: MIT
// quillpix_add_image_sources in a project of its own, as a user builds one
// against the installed package: images at size and icons, in both colour
// spaces, in a static library with link-time optimisation and a shared one
// at -O0, built with GCC and with Clang into a program whose bitmaps are
// compared with the images decoded here; then what a change of one image
// rebuilds, and images whose file names hold what a shell, CMake, Ninja, a
// C++ comment or an assembler string would take for syntax.

#include "BitmapDumps.h"
#include "EmbedProjects.h"
#include "support/Files.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using embedtest::CMakeQuoted;
using embedtest::PamImage;
using embedtest::RunTool;
using namespace testsupport;

namespace {

struct Image {
	std::string file;
	std::string identifier;
	int width;
	int height;
	const char* space; // rgb32 or cmap8, the target's COLOR_SPACE
	// The program uses only NAME_MData, not the function that pulls the
	// rest of the image's object in.
	bool bytesOnly = false;
};

// A project: the images as files, libraries `images_static` (rgb32, with
// link-time optimisation) and `images_shared` (cmap8, at -O0), and a program
// `check` that writes each bitmap its function builds into NAME.dump.
class Project {
public:
	Project(const ScratchDirectory& scratch, const std::vector<Image>& images)
		: fSource(scratch / "source"), fBuild(scratch / "build $dir \xC3\xA9"), fImages(images)
	{
		mkdir(fSource.c_str(), 0755);
		std::string lists =
			"cmake_minimum_required(VERSION 3.25)\n"
			"project(EmbedBuild LANGUAGES CXX)\n"
			"set(CMAKE_CXX_STANDARD 20)\n"
			"find_package(Quillpix REQUIRED)\n"
			"add_library(images_static STATIC)\n"
			"set_target_properties(images_static PROPERTIES INTERPROCEDURAL_OPTIMIZATION ON)\n"
			"add_library(images_shared SHARED)\n"
			"target_compile_options(images_shared PRIVATE -O0)\n"
			"add_executable(check main.cpp)\n"
			"set_target_properties(check PROPERTIES INTERPROCEDURAL_OPTIMIZATION ON)\n"
			"target_link_libraries(check PRIVATE images_static images_shared)\n";
		std::string main = "#include <cstdio>\n";
		std::string checks;
		for (const Image& image : images) {
			const bool shared = std::string(image.space) == "cmap8";
			lists += std::string("quillpix_add_image_sources(TARGET images_")
				+ (shared ? "shared" : "static") + " COLOR_SPACE " + image.space + " IMAGES "
				+ CMakeQuoted(image.file) + ")\n";
			main += "#include \"quillpix-images/" + image.identifier + ".h\"\n";
			if (image.bytesOnly) {
				checks += "\tif (int failure = DumpBytes(\"" + image.identifier + ".dump\", "
					+ image.identifier + "_MData, sizeof(" + image.identifier
					+ "_MData)))\n"
					  "\t\treturn failure;\n";
				Write(image);
				continue;
			}
			checks += "\tif (int failure = Dump(\"" + image.identifier + ".dump\", "
				+ image.identifier + "_MakeBitmap(), sizeof(" + image.identifier
				+ "_MData)))\n"
				  "\t\treturn failure;\n"
				  "\tif ("
				+ image.identifier + "_MakeBitmap() != " + image.identifier
				+ "_MICN)\n"
				  "\t\treturn 3;\n";
			Write(image);
		}
		main += "\n" + std::string(embedtest::kDumpFunctions)
			+ "\n"
			  "int\nmain()\n{\n"
			+ checks + "\treturn 0;\n}\n";
		WriteWhole(fSource + "/CMakeLists.txt", lists);
		WriteWhole(fSource + "/main.cpp", main);
	}

	void Write(const Image& image, int seed = 0) const
	{
		WriteWhole(fSource + "/" + image.file, PamImage(image.width, image.height, seed));
	}

	bool Configure(const std::string& compiler) const
	{
		return RunTool({"cmake", "-S", fSource, "-B", fBuild, "-G", "Ninja",
						   "-DCMAKE_BUILD_TYPE=Release", "-DCMAKE_CXX_COMPILER=" + compiler,
						   "-DCMAKE_PREFIX_PATH=" + embedtest::InstalledPrefix()},
				   fSource, fSource + "/configure.log")
			== 0;
	}

	// Builds; `log` gets what the build said.
	bool Build(std::string* log = nullptr) const
	{
		int status = RunTool({"cmake", "--build", fBuild}, fSource, fSource + "/build.log");
		if (log != nullptr)
			*log = ReadWhole(fSource + "/build.log");
		return status == 0;
	}
	std::string BuildLog() const { return ReadWhole(fSource + "/build.log"); }

	// Runs the program and compares every bitmap it built with the image as
	// the exporter holds it.
	void ExpectBitmapsAsDecoded() const
	{
		ASSERT_EQ(RunTool({fBuild + "/check"}, fBuild, fBuild + "/check.log"), 0)
			<< ReadWhole(fBuild + "/check.log");
		for (const Image& image : fImages) {
			const color_space space = std::string(image.space) == "cmap8" ? B_CMAP8 : B_RGB32;
			const std::string expected = embedtest::ExpectedDump(
				fSource + "/" + image.file, space, image.bytesOnly);
			ASSERT_FALSE(expected.empty()) << image.file;
			const std::string dump = ReadWhole(fBuild + "/" + image.identifier + ".dump");
			if (!image.bytesOnly) {
				EXPECT_EQ(dump.substr(0, dump.find('\n') + 1),
					expected.substr(0, expected.find('\n') + 1))
					<< image.file;
			}
			EXPECT_TRUE(dump == expected) << image.file;
		}
	}

	// The generated files of the image named `identifier` in its target.
	std::string Generated(
		const std::string& identifier, const char* target, const char* extension) const
	{
		return fBuild + "/quillpix-images/" + target + "/quillpix-images/" + identifier + extension;
	}

private:
	const std::string fSource;
	const std::string fBuild;
	const std::vector<Image> fImages;
};

// The names a file may have and an identifier may not: each must neither
// break the build nor get into what the build runs or compiles.
const std::vector<Image> kAwkwardIcons = {
	{"sp ace.pam", "sp_ace", 5, 3, "rgb32"},
	{"qu\"o'te.pam", "qu_o_te", 4, 4, "rgb32"},
	{"back\\slash\\.pam", "back_slash_", 3, 2, "rgb32"},
	{"dol$lar$(touch pwned)`id`.pam", "dol_lar_touch_pwned_id_", 2, 2, "rgb32"},
	{"semi;colon.pam", "semi_colon", 3, 3, "cmap8"},
	{"new\nline.pam", "new_line", 2, 3, "cmap8"},
	{"x\"); .incbin \"etc.pam", "x_incbin_etc", 2, 2, "cmap8"},
	{"caf\xC3\xA9 \xE2\x84\x96.pam", "caf_", 3, 1, "cmap8"},
};

class EmbedBuild : public embedtest::EachCompiler { };

} // namespace

TEST_P(EmbedBuild, ImagesAtSizeAndAwkwardNamesRoundTripThroughEveryKindOfLibrary)
{
	const std::string compiler = GetParam();
	ScratchDirectory scratch;
	std::vector<Image> images = {
		{"splash.pam", "splash", 2048, 2048, "rgb32"},
		{"splash-8.pam", "splash_8", 2048, 2048, "cmap8"},
		{"icon.pam", "icon", 32, 32, "rgb32"},
		{"icon-8.pam", "icon_8", 32, 32, "cmap8"},
		{"bytes.pam", "bytes", 7, 5, "rgb32", true},
		{"bytes-8.pam", "bytes_8", 7, 5, "cmap8", true},
	};
	images.insert(images.end(), kAwkwardIcons.begin(), kAwkwardIcons.end());
	Project project(scratch, images);
	ASSERT_TRUE(project.Configure(compiler)) << ReadWhole(scratch / "source/configure.log");
	ASSERT_TRUE(project.Build()) << project.BuildLog();
	project.ExpectBitmapsAsDecoded();
	struct stat info;
	EXPECT_NE(stat((scratch / "source/pwned").c_str(), &info), 0);
	EXPECT_NE(stat((scratch / "build $dir \xC3\xA9/pwned").c_str(), &info), 0);
}

INSTANTIATE_TEST_SUITE_P(
	Compilers, EmbedBuild, testing::ValuesIn(embedtest::kCompilers), embedtest::CompilerName);

// A new picture of the same size reassembles the image's own object and
// relinks, and compiles nothing that includes its header; a new size rebuilds those too;
// the same picture again rebuilds nothing; and the generated files come out
// the same, byte for byte, whenever they are made again.
TEST(EmbedBuild, ChangingOneImageRebuildsOnlyWhatDependsOnIt)
{
	ASSERT_FALSE(embedtest::InstalledPrefix().empty()) << "cannot install the package";
	ScratchDirectory scratch;
	const std::vector<Image> images = {
		{"one.pam", "one", 16, 16, "rgb32"},
		{"two.pam", "two", 16, 16, "rgb32"},
		{"three.pam", "three", 8, 8, "cmap8"},
	};
	Project project(scratch, images);
	ASSERT_TRUE(project.Configure("/usr/bin/g++")) << ReadWhole(scratch / "source/configure.log");
	ASSERT_TRUE(project.Build()) << project.BuildLog();
	std::string log;
	ASSERT_TRUE(project.Build(&log));
	EXPECT_NE(log.find("no work to do"), std::string::npos) << log;

	const std::string header = project.Generated("one", "images_static", ".h");
	const std::string source = project.Generated("one", "images_static", ".s");
	const std::string data = project.Generated("one", "images_static", ".bin");
	const std::string firstSource = ReadWhole(source);

	project.Write(images[0], 1);
	ASSERT_TRUE(project.Build(&log)) << log;
	EXPECT_NE(log.find("Exporting "), std::string::npos) << log;
	EXPECT_NE(log.find("Assembling the bytes of one"), std::string::npos) << log;
	EXPECT_EQ(log.find("two"), std::string::npos) << log;
	EXPECT_EQ(log.find("three"), std::string::npos) << log;
	EXPECT_EQ(log.find("main.cpp.o"), std::string::npos) << log;
	project.ExpectBitmapsAsDecoded();

	// Made again from nothing, every file is what it was.
	const std::string files[] = {ReadWhole(header), ReadWhole(source), ReadWhole(data)};
	EXPECT_NE(files[1], firstSource);
	for (const std::string& path : {header, source, data})
		unlink(path.c_str());
	ASSERT_TRUE(project.Build(&log)) << log;
	EXPECT_EQ(ReadWhole(header), files[0]);
	EXPECT_EQ(ReadWhole(source), files[1]);
	EXPECT_EQ(ReadWhole(data), files[2]);

	// The same picture written again: exported, but nothing assembled or
	// compiled.
	project.Write(images[0], 1);
	ASSERT_TRUE(project.Build(&log)) << log;
	EXPECT_EQ(log.find(".o\n"), std::string::npos) << log;
	EXPECT_EQ(log.find("Assembling"), std::string::npos) << log;
	EXPECT_EQ(log.find("Linking"), std::string::npos) << log;

	// Another size: what includes the header is compiled again.
	project.Write({"one.pam", "one", 24, 10, "rgb32"}, 2);
	ASSERT_TRUE(project.Build(&log)) << log;
	EXPECT_NE(log.find("main.cpp.o"), std::string::npos) << log;
	EXPECT_EQ(log.find("of two"), std::string::npos) << log;
}
