// Images from other projects' test suites, installed from Debian packages
// (gdk-pixbuf-tests, libsdl2-image-tests; never copied into this
// repository), decoded here and compared with their reference pixels or
// with ImageMagick's decoding of the same file.

#include "Fixtures.h"
#include "support/Files.h"

#include <PixelRules.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

using testsupport::ReadWhole;

namespace {

const fs::path kPixbufImages = "/usr/libexec/installed-tests/gdk-pixbuf/test-images";
const fs::path kSdlImages = "/usr/libexec/installed-tests/SDL2_image";

// The bitmap as straight R, G, B, A bytes, whatever its colour space.
std::string RgbaOf(const BBitmap& bitmap)
{
	auto rgba = std::make_unique<BBitmap>(bitmap.Bounds(), B_RGBA32);
	rgba->SetBits(bitmap.Bits(), bitmap.BitsLength(), 0, bitmap.ColorSpace());
	std::string out;
	for (int32 y = 0; y < rgba->Height(); y++) {
		const uint8* row = static_cast<const uint8*>(rgba->Bits()) + y * rgba->BytesPerRow();
		for (int32 x = 0; x < rgba->Width(); x++) {
			const uint8* p = row + 4 * x;
			bool magic = bitmap.ColorSpace() == B_CMAP8
				&& static_cast<const uint8*>(bitmap.Bits())[y * bitmap.BytesPerRow() + x]
					== B_TRANSPARENT_MAGIC_CMAP8;
			out += char(p[2]);
			out += char(p[1]);
			out += char(p[0]);
			out += char(magic ? 0 : p[3]);
		}
	}
	return out;
}

// Compares R, G, B, A pixels; colour is ignored where both are wholly
// transparent. Empty when they agree, else where they first differ.
std::string Compare(const std::string& actual, const std::string& expected, int32 width,
	int tolerance)
{
	if (actual.size() != expected.size())
		return "sizes differ: " + std::to_string(actual.size()) + " vs "
			+ std::to_string(expected.size());
	for (size_t i = 0; i + 3 < actual.size(); i += 4) {
		int alphaA = uint8(actual[i + 3]), alphaE = uint8(expected[i + 3]);
		bool differs = std::abs(alphaA - alphaE) > tolerance;
		for (int c = 0; c < 3 && !differs && alphaE != 0; c++)
			differs = std::abs(int(uint8(actual[i + c])) - int(uint8(expected[i + c]))) > tolerance;
		if (differs) {
			size_t pixel = i / 4;
			char line[160];
			std::snprintf(line, sizeof(line), "pixel (%zu, %zu): %d %d %d %d, expected %d %d %d %d",
				pixel % size_t(width), pixel / size_t(width), uint8(actual[i]),
				uint8(actual[i + 1]), uint8(actual[i + 2]), alphaA, uint8(expected[i]),
				uint8(expected[i + 1]), uint8(expected[i + 2]), alphaE);
			return line;
		}
	}
	return "";
}

std::map<std::string, std::string> ReadConf(const fs::path& path)
{
	std::map<std::string, std::string> values;
	std::ifstream file(path);
	std::string line, section;
	while (std::getline(file, line)) {
		if (!line.empty() && line[0] == '[') {
			section = line.substr(1, line.find(']') - 1);
			continue;
		}
		size_t equals = line.find(" = ");
		if (equals != std::string::npos)
			values[section + "." + line.substr(0, equals)] = line.substr(equals + 3);
	}
	return values;
}

// ImageMagick's decoding of the first image as R, G, B, A, or empty.
std::string MagickRgba(const fs::path& path)
{
	const char* convert = "/usr/bin/convert";
	if (access(convert, X_OK) != 0)
		return "";
	std::string command = std::string(convert) + " '" + path.string()
		+ "[0]' -depth 8 rgba:- 2>/dev/null";
	FILE* pipe = popen(command.c_str(), "r");
	if (pipe == nullptr)
		return "";
	std::string out;
	char buffer[65536];
	size_t count;
	while ((count = fread(buffer, 1, sizeof(buffer), pipe)) > 0)
		out.append(buffer, count);
	pclose(pipe);
	return out;
}

// The frames gdk-pixbuf's GIF test suite expects, one "name.conf" beside
// each "name.gif": the screen's size and, for each frame, raw R, G, B, A
// pixels composed on a transparent canvas; no frames where a decoder must
// refuse the file.
struct GifSuiteCase {
	std::string input;
	int32 width = 0;
	int32 height = 0;
	std::vector<std::string> frames; // their pixel files, in order
	bool forceAnimation = false;
};

std::vector<GifSuiteCase> GifSuiteCases(const fs::path& suite)
{
	std::vector<GifSuiteCase> cases;
	for (const auto& entry : fs::directory_iterator(suite)) {
		if (entry.path().extension() != ".conf")
			continue;
		auto conf = ReadConf(entry.path());
		GifSuiteCase row;
		row.input = conf["config.input"];
		row.width = std::stoi(conf["config.width"]);
		row.height = std::stoi(conf["config.height"]);
		row.forceAnimation = conf["config.force-animation"] == "yes";
		std::string names = conf["config.frames"];
		for (size_t start = 0; start < names.size();) {
			size_t comma = std::min(names.find(',', start), names.size());
			std::string name = names.substr(start, comma - start);
			if (!name.empty())
				row.frames.push_back(conf[name + ".pixels"]);
			start = comma + 1;
		}
		cases.push_back(row);
	}
	std::sort(cases.begin(), cases.end(),
		[](const GifSuiteCase& a, const GifSuiteCase& b) { return a.input < b.input; });
	return cases;
}

} // namespace

// Every file of the suite: the frame it expects, exactly, or a refusal in
// one line where it expects none. A reader shows one frame; where the suite
// asks a decoder to make each image a frame of its own, the images without
// delays are all shown at once, which is the suite's last frame. Two
// files are read otherwise by choice, each with its reason.
TEST(RealFilesTest, GifSuiteGivesTheFramesItExpects)
{
	const fs::path suite = kPixbufImages / "gif-test-suite";
	if (!fs::exists(suite))
		GTEST_SKIP() << "gdk-pixbuf-tests is not installed";
	const struct {
		const char* input;
		const char* refusal; // null: read, every pixel `rgba`
		const char rgba[5];
	} kChoices[] = {
		// An index past the colour table is opaque black.
		{"invalid-colors.gif", nullptr, "\0\0\0\xff"},
		// The plain-text extension is passed over and the image drawn.
		{"plain-text.gif", nullptr, "\0\0\0\xff"},
	};
	int matched = 0, refused = 0;
	for (const GifSuiteCase& row : GifSuiteCases(suite)) {
		SCOPED_TRACE(row.input);
		BTranslationFailure failure;
		std::unique_ptr<BBitmap> bitmap(BTranslationUtils::GetBitmapFile(
			(suite / row.input).c_str(), nullptr, &failure));
		const std::string line = bitmap ? "" : failure.Describe(row.input.c_str());
		EXPECT_EQ(line.find_first_of("\n\r\t"), std::string::npos);
		auto choice = std::find_if(std::begin(kChoices), std::end(kChoices),
			[&](const auto& c) { return row.input == c.input; });
		if (choice != std::end(kChoices)) {
			if (choice->refusal != nullptr) {
				EXPECT_EQ(line, row.input + " " + choice->refusal);
				continue;
			}
			ASSERT_NE(bitmap, nullptr) << line;
			std::string expected;
			for (int32 i = 0; i < row.width * row.height; i++)
				expected.append(choice->rgba, 4);
			EXPECT_EQ(Compare(RgbaOf(*bitmap), expected, bitmap->Width(), 0), "");
			continue;
		}
		if (row.frames.empty()) {
			EXPECT_EQ(bitmap, nullptr) << "read, where the suite expects a refusal";
			EXPECT_FALSE(line.empty());
			refused++;
			continue;
		}
		if (!bitmap) {
			ADD_FAILURE() << line;
			continue;
		}
		EXPECT_EQ(bitmap->Width(), row.width);
		EXPECT_EQ(bitmap->Height(), row.height);
		const std::string& pixels = row.forceAnimation ? row.frames.back() : row.frames.front();
		EXPECT_EQ(Compare(RgbaOf(*bitmap), ReadWhole(suite / pixels), bitmap->Width(), 0), "");
		matched++;
	}
	std::printf("GIF suite: %d files match their frame, %d are refused\n", matched, refused);
	EXPECT_GE(matched, 70);
	EXPECT_GE(refused, 6);
}

// Every file of the formats read through the libraries, against
// ImageMagick: exact for lossless formats, within 2 steps for JPEG.
TEST(RealFilesTest, FilesMatchAnIndependentDecoder)
{
	if (!fs::exists(kPixbufImages) && !fs::exists(kSdlImages))
		GTEST_SKIP() << "gdk-pixbuf-tests and libsdl2-image-tests are not installed";
	if (access("/usr/bin/convert", X_OK) != 0)
		GTEST_SKIP() << "ImageMagick is not installed";
	std::vector<fs::path> files;
	for (const fs::path& folder :
		{kPixbufImages.parent_path(), kPixbufImages / "reftests", kSdlImages}) {
		if (!fs::exists(folder))
			continue;
		for (const auto& entry : fs::directory_iterator(folder)) {
			std::string extension = entry.path().extension().string();
			if (extension == ".png" || extension == ".jpg" || extension == ".jpeg"
				|| extension == ".gif" || extension == ".tif" || extension == ".tiff"
				|| extension == ".webp")
				files.push_back(entry.path());
		}
	}
	int compared = 0, refused = 0;
	for (const fs::path& file : files) {
		SCOPED_TRACE(file.string());
		BTranslationFailure failure;
		std::unique_ptr<BBitmap> bitmap(
			BTranslationUtils::GetBitmapFile(file.c_str(), nullptr, &failure));
		const std::string reference = MagickRgba(file);
		if (!bitmap) {
			// Refused files must be ones the other decoder finds fault with too,
			// or cut off; the reason is one line.
			std::printf("refused: %s\n", failure.Describe(file.filename().c_str()).c_str());
			EXPECT_EQ(failure.Describe("x").find('\n'), std::string::npos);
			refused++;
			continue;
		}
		if (reference.empty())
			continue;
		bool lossy = file.extension() == ".jpg" || file.extension() == ".jpeg"
			|| file.extension() == ".webp";
		EXPECT_EQ(Compare(RgbaOf(*bitmap), reference, bitmap->Width(), lossy ? 2 : 0), "");
		compared++;
	}
	std::printf("%d files compared with ImageMagick, %d refused\n", compared, refused);
	EXPECT_GT(compared, 10);
}

// A CMYK JPEG as ImageMagick writes it (Adobe's inverted form, YCCK): the
// colours are the kit's rule applied to the ink ImageMagick reads from it.
TEST(RealFilesTest, CmykJpegFollowsTheInkRule)
{
	if (access("/usr/bin/convert", X_OK) != 0)
		GTEST_SKIP() << "ImageMagick is not installed";
	testsupport::ScratchDirectory scratch;
	const std::string jpeg = scratch / "cmyk.jpg";
	const std::string make = "/usr/bin/convert '" + fixture::Path("colour.png")
		+ "' -colorspace CMYK -quality 95 '" + jpeg + "'";
	ASSERT_EQ(std::system(make.c_str()), 0);
	FILE* pipe = popen(("/usr/bin/convert '" + jpeg + "' -depth 8 cmyk:-").c_str(), "r");
	ASSERT_NE(pipe, nullptr);
	std::string ink;
	char buffer[4096];
	size_t count;
	while ((count = fread(buffer, 1, sizeof(buffer), pipe)) > 0)
		ink.append(buffer, count);
	pclose(pipe);
	std::unique_ptr<BBitmap> bitmap = fixture::Load(jpeg);
	ASSERT_NE(bitmap, nullptr);
	ASSERT_EQ(bitmap->ColorSpace(), B_RGB32);
	ASSERT_EQ(ink.size(), size_t(fixture::kWidth * fixture::kHeight * 4));
	std::string expected;
	for (size_t i = 0; i < ink.size(); i += 4) {
		uint8 k = uint8(ink[i + 3]);
		expected += char(BPrivate::CmykToChannel(uint8(ink[i]), k));
		expected += char(BPrivate::CmykToChannel(uint8(ink[i + 1]), k));
		expected += char(BPrivate::CmykToChannel(uint8(ink[i + 2]), k));
		expected += char(255);
	}
	EXPECT_EQ(Compare(RgbaOf(*bitmap), expected, bitmap->Width(), 0), "");
}
