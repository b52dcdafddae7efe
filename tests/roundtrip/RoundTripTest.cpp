// SPDX-License-Identifier: MIT
// The round trip of the export: real images exported by quillpix-export,
// each text compiled by the system's C++ compiler into a small program linked
// to our Be API library, and the bitmap that program rebuilds compared with
// the one the image loads into: bounds, colour space and every byte.

#include "export/BitmapConversion.h"
#include "support/Files.h"
#include "support/Program.h"

#include <Bitmap.h>
#include <SpaceConversion.h>
#include <TranslationUtils.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

using testsupport::ReadWhole;
using testsupport::ScratchDirectory;

namespace {

const std::string kImages = std::string(QUILLPIX_SOURCE_DIR) + "/tests/data/images/";
const std::string kDriver = std::string(QUILLPIX_SOURCE_DIR) + "/tests/roundtrip/RebuildBitmap.cpp";

std::vector<std::string>
Split(const std::string& text, char separator)
{
	std::vector<std::string> parts;
	std::stringstream stream(text);
	std::string part;
	while (std::getline(stream, part, separator)) {
		if (!part.empty())
			parts.push_back(part);
	}
	return parts;
}

// Runs `argv` (the program looked up on PATH when it has no '/') with both
// output streams into `log`; answers its exit code, -1 when it did not exit.
int
RunProgram(const std::vector<std::string>& argv, const std::string& log)
{
	testsupport::Program program;
	program.arguments = argv;
	program.outputPath = log;
	program.errorToOutput = true;
	return testsupport::RunProgram(program).ExitCode();
}

// The compiler line for the driver and one exported file in `directory`:
// our headers, the flags the library was built with (sanitizers included),
// the graphics and base libraries.
std::vector<std::string>
CompileCommand(
	const std::string& directory, const std::string& iconName, const std::string& program)
{
	std::vector<std::string> command = {QUILLPIX_CXX_COMPILER, "-std=c++20", "-Werror"};
	for (const std::string& flag : Split(QUILLPIX_ROUNDTRIP_FLAGS, '|'))
		command.push_back(flag);
	for (const std::string& include : Split(QUILLPIX_GRAPHICS_INCLUDES, '|'))
		command.push_back("-I" + include);
	command.push_back("-I" + directory);
	command.push_back("-DQUILLPIX_ICON=" + iconName);
	command.push_back(kDriver);
	for (const std::string& library : Split(QUILLPIX_GRAPHICS_LIBRARIES, '|'))
		command.push_back(library);
	command.push_back("-pthread");
	for (const std::string& flag : Split(QUILLPIX_ROUNDTRIP_LINK_FLAGS, '|'))
		command.push_back(flag);
	command.insert(command.end(), {"-o", program});
	return command;
}

// The bitmap quillpix-export holds for `image` before writing it: as an
// image window holds it, then in `space` when one is asked for; the spaces
// other than rgb32 and cmap8 straight from the image as decoded.
std::unique_ptr<BBitmap>
LoadAsExported(const std::string& image, const char* space)
{
	std::unique_ptr<BBitmap> bitmap(BTranslationUtils::GetBitmapFile(image.c_str()));
	if (!bitmap)
		return nullptr;
	color_space other = B_NO_COLOR_SPACE;
	if (ColorSpaceNamed(space, other) && other != B_RGB32 && other != B_CMAP8)
		return BitmapInSpace(*bitmap, {other});
	color_space wanted = bitmap->ColorSpace() == B_CMAP8 ? B_CMAP8 : B_RGB32;
	if (std::string(space) == "rgb32")
		wanted = B_RGB32;
	else if (std::string(space) == "cmap8")
		wanted = B_CMAP8;
	if (bitmap->ColorSpace() != wanted)
		bitmap = ConvertedBitmap(*bitmap, wanted).Value();
	return bitmap;
}

struct Case {
	const char* image;
	const char* colorSpace;
	color_space expectedSpace;
};

std::string
CaseName(const testing::TestParamInfo<Case>& info)
{
	std::string name = std::string(info.param.image) + "_" + info.param.colorSpace;
	for (char& c : name) {
		if (!isalnum(static_cast<unsigned char>(c)))
			c = '_';
	}
	return name;
}

class RoundTrip : public testing::TestWithParam<Case> { };

} // namespace

TEST_P(RoundTrip, TheCompiledSourceRebuildsTheExportedBitmap)
{
	const Case& row = GetParam();
	const std::string image = kImages + row.image;
	const std::string iconName = "kRoundTrip";
	ScratchDirectory scratch;

	ASSERT_EQ(RunProgram({QUILLPIX_EXPORT_BINARY, "--name", iconName, "--color-space",
							 row.colorSpace, "-o", scratch / "Exported.h", image},
				  scratch / "export.log"),
		0)
		<< ReadWhole(scratch / "export.log");
	ASSERT_EQ(RunProgram(CompileCommand(scratch.Path(), iconName, scratch / "rebuild"),
				  scratch / "compile.log"),
		0)
		<< ReadWhole(scratch / "compile.log");
	ASSERT_EQ(RunProgram({scratch / "rebuild", scratch / "dump"}, scratch / "run.log"), 0)
		<< ReadWhole(scratch / "run.log");

	std::unique_ptr<BBitmap> original = LoadAsExported(image, row.colorSpace);
	ASSERT_TRUE(original && original->IsValid()) << image;
	ASSERT_EQ(original->ColorSpace(), row.expectedSpace);
	BRect bounds = original->Bounds();
	char header[160];
	snprintf(header, sizeof(header), "%.1f %.1f %.1f %.1f %d %d\n", bounds.left, bounds.top,
		bounds.right, bounds.bottom, static_cast<int>(original->ColorSpace()),
		static_cast<int>(original->BitsLength()));
	const std::string dump = ReadWhole(scratch / "dump");
	const std::string bytes(
		static_cast<const char*>(original->Bits()), size_t(original->BitsLength()));
	EXPECT_EQ(dump.substr(0, dump.find('\n') + 1), header);
	EXPECT_TRUE(dump.substr(dump.find('\n') + 1) == bytes) << "the rebuilt bytes differ";
}

// Every kind of image the loader meets: opaque colour, alpha (transparent
// pixels become the magic values), grey, a palette of system colours (kept
// as B_CMAP8) and one with transparency, and a lossy format. All are 10
// pixels wide, so B_CMAP8 rows carry two bytes of padding.
INSTANTIATE_TEST_SUITE_P(Images, RoundTrip,
	testing::Values(Case{"colour.png", "rgb32", B_RGB32}, Case{"colour.png", "cmap8", B_CMAP8},
		Case{"alpha.png", "rgb32", B_RGB32}, Case{"alpha.png", "cmap8", B_CMAP8},
		Case{"grey.png", "cmap8", B_CMAP8}, Case{"palette-system.png", "rgb32", B_RGB32},
		Case{"palette-system.png", "cmap8", B_CMAP8},
		Case{"palette-transparent.gif", "rgb32", B_RGB32},
		Case{"palette-transparent.gif", "cmap8", B_CMAP8}, Case{"colour.jpg", "rgb32", B_RGB32},
		// The other spaces, from an image with partial and full transparency,
		// whose text must name each so that it compiles; 16-bit rows of 10
		// pixels fill 20 bytes, grey ones carry two bytes of padding, one-bit
		// ones two bytes of pixels and two of padding.
		Case{"alpha.png", "rgba32", B_RGBA32}, Case{"alpha.png", "rgb16", B_RGB16},
		Case{"alpha.png", "rgb15", B_RGB15}, Case{"alpha.png", "rgba15", B_RGBA15},
		Case{"alpha.png", "gray8", B_GRAY8}, Case{"alpha.png", "gray1", B_GRAY1},
		Case{"grey.png", "gray8", B_GRAY8}, Case{"palette-transparent.gif", "rgba15", B_RGBA15},
		// The byte orders of displays: 24-bit rows of 10 pixels fill 32 bytes.
		Case{"alpha.png", "rgb24", B_RGB24}, Case{"alpha.png", "rgb24-big", B_RGB24_BIG},
		Case{"alpha.png", "rgb16-big", B_RGB16_BIG}, Case{"alpha.png", "rgb15-big", B_RGB15_BIG},
		Case{"alpha.png", "rgba15-big", B_RGBA15_BIG}, Case{"alpha.png", "rgb32-big", B_RGB32_BIG},
		Case{"alpha.png", "rgba32-big", B_RGBA32_BIG}),
	CaseName);
