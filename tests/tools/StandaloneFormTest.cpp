// SPDX-License-Identifier: MIT
// The standalone form as C and C++ programs take it with nothing but their
// compiler: the header of the build form and the text, compiled together in
// every C and C++ standard with GCC and Clang, warnings as errors; and a C99
// program with a C++ file of its own that prints the constants and a digest
// of the bytes, which must be what the exporter wrote in its files, and
// finds the text's bytes the same; and a C program that decompresses the
// compressed form with the one ZSTD_decompress() call into the bytes of the
// form without compression.

#include "ExportFixtures.h"
#include "support/Program.h"
#include "tools/jobs/StandaloneText.h"

#include <SpaceConversion.h>

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <unistd.h>
#include <vector>

using namespace testsupport;

namespace {

struct Compiler {
	const char* c;
	const char* cxx;
};

const Compiler kCompilers[] = {
	{"/usr/bin/gcc", "/usr/bin/g++"}, {"/usr/bin/clang", "/usr/bin/clang++"}};
// C23 and C++23 by the names these compilers know them.
const char* const kCStandards[] = {"c99", "c11", "c17", "c2x"};
const char* const kCxxStandards[] = {"c++11", "c++14", "c++17", "c++20", "c++2b"};

// Uses the header of the build form (icon, scoped) and the text (pic) as a
// program would: a switch on the colour space, the sizes as constants.
const char* const kUse = R"(#include "icon.h"
#include "pic.h"

typedef char icon_size_check[sizeof(icon_MData) == icon_BytesPerRow * icon_Height ? 1 : -1];
typedef char pic_size_check[sizeof(pic_MData) == pic_BytesPerRow * pic_Height ? 1 : -1];

int use(void);

int
use(void)
{
	switch (icon_ColorSpace) {
	case QUILLPIX_B_RGBA15:
		return icon_MData[0] + pic_MData[pic_BytesPerRow * pic_Height - 1] + pic_Width;
	default:
		return -1;
	}
}
)";

// The facts as the exporter's comments give them, and a digest as the build
// form's writer makes it (zlib's CRC-32 and Adler-32); the text's array must
// hold the same bytes.
const char* const kReport = R"(#include "icon.h"
#include "pic.h"

#include <stdio.h>
#include <string.h>
#include <zlib.h>

const uint8_t* cxx_bytes(void);

int
main(void)
{
	unsigned long crc = crc32(0L, Z_NULL, 0);
	unsigned long adler = adler32(0L, Z_NULL, 0);
	crc = crc32(crc, icon_MData, sizeof(icon_MData));
	adler = adler32(adler, icon_MData, sizeof(icon_MData));
	printf("%d x %d pixels in (0x%04X), %d bytes a row, %lu bytes; digest %08lx%08lx\n",
		icon_Width, icon_Height, (unsigned)icon_ColorSpace, icon_BytesPerRow,
		(unsigned long)sizeof(icon_MData), crc & 0xFFFFFFFFul, adler & 0xFFFFFFFFul);
	if (sizeof(pic_MData) != sizeof(icon_MData) || memcmp(pic_MData, icon_MData, sizeof(pic_MData)))
		return 2;
	return cxx_bytes() == icon_MData ? 0 : 1;
}
)";

const char* const kCxxPart = R"(#include "icon.h"

extern "C" const uint8_t* cxx_bytes(void);

const uint8_t*
cxx_bytes(void)
{
	static_assert(icon_Width * 2 <= icon_BytesPerRow, "two bytes a pixel");
	return icon_MData;
}
)";

// The README's call, checked against the same image embedded as it is.
const char* const kDecompress = R"(#include "raw.h"
#include "zipped.h"

#include <stdlib.h>
#include <string.h>
#include <zstd.h>

int
main(void)
{
	uint8_t* pixels = malloc(zipped_Size);
	size_t made = ZSTD_decompress(pixels, zipped_Size, zipped_ZData, zipped_ZSize);
	if (ZSTD_isError(made) || made != zipped_Size)
		return 1;
	int same = zipped_Compressed && !raw_Compressed && zipped_Size == sizeof(raw_MData)
		&& memcmp(pixels, raw_MData, zipped_Size) == 0;
	free(pixels);
	return same ? 0 : 2;
}
)";

class StandaloneForm : public testing::TestWithParam<Compiler> {
protected:
	void SetUp() override
	{
		if (access(GetParam().c, X_OK) != 0 || access(GetParam().cxx, X_OK) != 0)
			GTEST_SKIP() << GetParam().c << " is not installed";
		CopyFixture(fScratch, "edges.png");
		for (const std::vector<std::string>& arguments :
			{std::vector<std::string>{"--standalone", "--color-space", "rgba15", "--embed",
				 fScratch / "icon.h", "--namespace", "lib_1", "--name", "icon",
				 fScratch / "edges.png"},
				std::vector<std::string>{"--standalone", "--color-space", "rgba15", "-o",
					fScratch / "pic.h", "--name", "pic", fScratch / "edges.png"}}) {
			ExporterProcess::Outcome outcome = ExporterProcess::Run(fScratch, arguments);
			ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
		}
	}

	// Runs `arguments` in the scratch folder; a failure carries what it said.
	testing::AssertionResult Run(const std::vector<std::string>& arguments)
	{
		Program program(arguments);
		program.directory = fScratch.Path();
		ProgramOutcome outcome = RunProgram(program);
		if (outcome.ExitCode() == 0)
			return testing::AssertionSuccess() << outcome.out;
		std::string line;
		for (const std::string& argument : arguments)
			line += argument + " ";
		return testing::AssertionFailure() << line << outcome.Describe() << "\n" << outcome.out;
	}

	ScratchDirectory fScratch;
};

} // namespace

TEST_P(StandaloneForm, CompilesInEveryStandardWithoutAWarning)
{
	WriteWhole(fScratch / "use.c", kUse);
	WriteWhole(fScratch / "use.cpp", kUse);
	const std::vector<std::string> warnings = {
		"-Wall", "-Wextra", "-Wpedantic", "-Werror", "-fsyntax-only"};
	for (const char* standard : kCStandards) {
		std::vector<std::string> command = {GetParam().c, std::string("-std=") + standard};
		command.insert(command.end(), warnings.begin(), warnings.end());
		command.push_back("use.c");
		EXPECT_TRUE(Run(command));
	}
	for (const char* standard : kCxxStandards) {
		std::vector<std::string> command = {GetParam().cxx, std::string("-std=") + standard};
		command.insert(command.end(), warnings.begin(), warnings.end());
		command.push_back("use.cpp");
		EXPECT_TRUE(Run(command));
	}
}

TEST_P(StandaloneForm, ACProgramReadsWhatTheExporterReports)
{
	WriteWhole(fScratch / "report.c", kReport);
	WriteWhole(fScratch / "part.cpp", kCxxPart);
	ASSERT_TRUE(Run(
		{GetParam().c, "-std=c99", "-Wall", "-Wextra", "-Wpedantic", "-Werror", "-c", "report.c"}));
	ASSERT_TRUE(Run({GetParam().cxx, "-std=c++11", "-Wall", "-Wextra", "-Wpedantic", "-Werror",
		"-c", "part.cpp"}));
	ASSERT_TRUE(Run({GetParam().c, "-c", "icon.s"}));
	ASSERT_TRUE(Run({GetParam().cxx, "report.o", "part.o", "icon.o", "-lz", "-o", "report"}));
	const testing::AssertionResult printed = Run({fScratch / "report"});
	ASSERT_TRUE(printed);

	// The exporter's own words: the header's first line of facts and the
	// assembler source's digest.
	std::smatch facts;
	const std::string header = ReadWhole(fScratch / "icon.h");
	ASSERT_TRUE(std::regex_search(header, facts,
		std::regex(" \\* icon_MData: (\\d+) x (\\d+) pixels in B_RGBA15 (\\(0x2010\\)), (\\d+) "
				   "bytes a row, "
				   "(\\d+) bytes\\.\n")))
		<< header;
	std::smatch digest;
	const std::string assembly = ReadWhole(fScratch / "icon.s");
	ASSERT_TRUE(std::regex_search(assembly, digest, std::regex("\\(digest ([0-9a-f]{16})\\)")))
		<< assembly;
	EXPECT_EQ(std::string(printed.message()),
		facts[1].str() + " x " + facts[2].str() + " pixels in " + facts[3].str() + ", "
			+ facts[4].str() + " bytes a row, " + facts[5].str() + " bytes; digest "
			+ digest[1].str() + "\n");
	// Five pixels of two bytes, padded to twelve a row.
	EXPECT_EQ(facts[4].str(), "12");
}

TEST_P(StandaloneForm, ACProgramDecompressesTheCompressedForm)
{
	// A gradient that compresses, in a space whose rows are padded.
	std::string image = "P6\n61 32\n255\n";
	for (int y = 0; y < 32; y++) {
		for (int x = 0; x < 61; x++)
			image += {char(x * 4), char(y * 8), char((x + y) & 0x30)};
	}
	WriteWhole(fScratch / "gradient.ppm", image);
	for (const char* name : {"raw", "zipped"}) {
		ExporterProcess::Outcome outcome = ExporterProcess::Run(fScratch,
			{"--standalone", "--color-space", "rgb16", "--embed", fScratch / name + ".h", "--name",
				name, "--namespace", "lib_1", "--compress",
				name == std::string("raw") ? "zstd:1" : "zstd", "--compress-threshold",
				name == std::string("raw") ? "99" : "0", fScratch / "gradient.ppm"});
		ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
	}
	WriteWhole(fScratch / "decompress.c", kDecompress);
	ASSERT_TRUE(Run({GetParam().c, "-std=c99", "-Wall", "-Wextra", "-Wpedantic", "-Werror", "-c",
		"decompress.c"}));
	ASSERT_TRUE(Run({GetParam().c, "-c", "raw.s"}));
	ASSERT_TRUE(Run({GetParam().c, "-c", "zipped.s"}));
	ASSERT_TRUE(
		Run({GetParam().c, "decompress.o", "raw.o", "zipped.o", "-lzstd", "-o", "decompress"}));
	EXPECT_TRUE(Run({fScratch / "decompress"}));
}

// Every colour space the exporter writes has its layout in words; a space it
// does not know yet is left out.
TEST(StandaloneText, EverySpaceTheExporterWritesSaysItsLayout)
{
	for (const char* name :
		{"rgb32", "cmap8", "rgba32", "rgb16", "rgb15", "rgba15", "gray8", "gray1", "rgb24",
			"rgb24-big", "rgb16-big", "rgb15-big", "rgba15-big", "rgb32-big", "rgba32-big"}) {
		color_space space;
		if (!ColorSpaceNamed(name, space))
			continue;
		SCOPED_TRACE(name);
		const StandaloneText::Layout* layout = StandaloneText::LayoutOf(int32_t(space));
		ASSERT_NE(layout, nullptr);
		EmbeddedImage image = {"a.png", "pic", "", "pic.bin", 12, 0, 3, 1, 12, int32_t(space)};
		const std::string header = StandaloneText::Header(image);
		EXPECT_NE(header.find(std::string(" in ") + layout->name + " ("), std::string::npos)
			<< header;
		EXPECT_NE(
			header.find("#define QUILLPIX_" + std::string(layout->name) + " "), std::string::npos)
			<< header;
	}
}

INSTANTIATE_TEST_SUITE_P(Compilers, StandaloneForm, testing::ValuesIn(kCompilers),
	[](const testing::TestParamInfo<Compiler>& info) {
		return std::string(info.param.c).find("clang") != std::string::npos ? "Clang" : "Gcc";
	});
