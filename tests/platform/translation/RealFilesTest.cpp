// SPDX-License-Identifier: MIT
// Images from other projects' test suites, installed from Debian packages
// (gdk-pixbuf-tests, libsdl2-image-tests; never copied into this
// repository). One table per format, a row per file: what reading it gives
// (its size and colour space, or the sentence it is refused with) and what
// its pixels are checked against: the reference picture beside it, or
// ImageMagick's decoding of the same file. The small formats are read
// through their ImageReader, the others through BTranslationUtils.
//
// Every file of those folders in a format of the table has its row: a file
// without one, or a row that no longer holds, fails with the row as it reads
// now. Each table is skipped where the packages are missing.

#include "Fixtures.h"
#include "ReaderTestSupport.h"

#include "support/Files.h"
#include "support/ReadFailure.h"
#include "support/ReferenceDecoder.h"

#include <BmpReader.h>
#include <IcoReader.h>
#include <PixelRules.h>
#include <PnmReader.h>
#include <TgaReader.h>
#include <XpmReader.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

using testsupport::CompareRgba;
using testsupport::ReadWhole;

namespace {

const fs::path kInstalled = "/usr/libexec/installed-tests";
const fs::path kPixbufImages = kInstalled / "gdk-pixbuf/test-images";

// What a row's pixels are checked against.
enum class Check {
	kNothing, // a damaged file: read or refused in one line, nothing more
	kRefPng, // the picture beside it (name.ref.png), as ImageMagick decodes it
	kRefPng5, // the same, one step apart: a reference that widened 5-bit channels by a
		// shift where we round
	kSample, // SDL's sample.png, the picture all its samples hold
	kItself, // ImageMagick's decoding of the file itself, exactly
	kLossy, // the same, within 2 steps
};

struct Row {
	const char* file; // under /usr/libexec/installed-tests
	const char* result; // "W x H colour space", or "refused: " and the sentence
	Check check;
};

// A format's table, and the files it covers: those of `folders` (under
// /usr/libexec/installed-tests) with one of `extensions`.
struct Table {
	const char* format;
	bool smallFormat; // read through its ImageReader; else BTranslationUtils
	std::vector<const char*> folders;
	std::vector<const char*> extensions;
	std::vector<Row> rows;
};

const char*
SpaceName(color_space space)
{
	switch (space) {
	case B_RGB32:
		return "B_RGB32";
	case B_RGBA32:
		return "B_RGBA32";
	case B_CMAP8:
		return "B_CMAP8";
	case B_GRAY8:
		return "B_GRAY8";
	case B_GRAY1:
		return "B_GRAY1";
	case B_RGB24:
		return "B_RGB24";
	case B_RGB16:
		return "B_RGB16";
	case B_RGB15:
		return "B_RGB15";
	case B_RGBA15:
		return "B_RGBA15";
	default:
		return "another colour space";
	}
}

// The bitmap as straight R, G, B, A bytes, whatever its colour space.
std::string
RgbaOf(const BBitmap& bitmap)
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

// Stands in for the PNG reader, which the icon files here do not need.
class NoPngReader : public readers::ImageReader {
public:
	const char* FormatName() const override { return "PNG"; }
	bool Recognizes(const readers::ImageData&) const override { return false; }
	BPrivate::BitmapResult Read(const readers::ImageData&) const override
	{
		return BPrivate::Failure(B_NO_TRANSLATOR, "has a PNG entry");
	}
};

// The small-format reader whose Recognizes takes the data, TGA last as in
// the kit; null with `recognized` false when none does.
std::unique_ptr<BBitmap>
ReadSmallFormat(const std::string& bytes, testsupport::ReadFailure& failure, bool& recognized)
{
	static const NoPngReader png;
	static const BPrivate::BmpReader bmp;
	static const BPrivate::IcoReader ico(png);
	static const BPrivate::PnmReader pnm;
	static const BPrivate::XpmReader xpm;
	static const BPrivate::TgaReader tga;
	const readers::ImageReader* all[] = {&bmp, &ico, &pnm, &xpm, &tga};
	readers::ImageData data{reinterpret_cast<const uint8*>(bytes.data()), bytes.size()};
	recognized = false;
	for (const readers::ImageReader* reader : all) {
		if (reader->Recognizes(data)) {
			recognized = true;
			BPrivate::BitmapResult bitmap = reader->Read(data);
			if (!bitmap) {
				failure = bitmap.TakeError();
				return nullptr;
			}
			return std::move(bitmap).Value();
		}
	}
	return nullptr;
}

// The picture `reference` holds at the bitmap's size (an icon holds several
// sizes), compared with ours: empty when one of them matches.
std::string
CompareWithReference(
	const std::string& ours, int32 width, int32 height, const std::string& reference, int tolerance)
{
	std::vector<std::pair<int32_t, int32_t>> sizes = testsupport::ReferenceSizes(reference);
	std::string difference = "no reference picture of " + std::to_string(width) + "x"
		+ std::to_string(height);
	for (size_t index = 0; index < sizes.size(); index++) {
		if (sizes[index] != std::make_pair(width, height))
			continue;
		const std::string frame = testsupport::ReferenceRgba(reference, int(index));
		difference = CompareRgba(ours, frame, width, tolerance);
		if (difference.empty())
			break;
	}
	return difference;
}

// Reads the row's file and checks it against the row; `now` gets the row's
// result as it reads now.
void
CheckRow(const Table& table, const Row& row, std::string& now)
{
	const fs::path path = kInstalled / row.file;
	SCOPED_TRACE(path.string());
	testsupport::ReadFailure failure;
	std::unique_ptr<BBitmap> bitmap;
	if (table.smallFormat) {
		bool recognized = false;
		bitmap = ReadSmallFormat(ReadWhole(path), failure, recognized);
		if (!recognized) {
			now = "not recognized";
			EXPECT_EQ(now, row.result);
			return;
		}
	} else {
		bitmap.reset(testsupport::GetBitmapFile(path.c_str(), &failure));
	}
	if (bitmap == nullptr) {
		// Refused in one line: through its reader with a reason of its own,
		// through the kit in the sentence a person reads.
		if (table.smallFormat) {
			EXPECT_NE(failure.status, B_OK);
			EXPECT_FALSE(failure.detail.empty());
			now = "refused: " + failure.detail;
		} else {
			now = "refused: " + failure.Describe(path.filename().c_str());
		}
		EXPECT_EQ(now.find_first_of("\n\r"), std::string::npos);
		EXPECT_EQ(now, row.result);
		return;
	}
	const int32 width = bitmap->Bounds().IntegerWidth() + 1;
	const int32 height = bitmap->Bounds().IntegerHeight() + 1;
	now = std::to_string(width) + " x " + std::to_string(height) + " "
		+ SpaceName(bitmap->ColorSpace());
	EXPECT_EQ(now, row.result);
	if (!testsupport::HaveReferenceDecoder() || row.check == Check::kNothing)
		return;
	// The small formats' pixels as the reader tests read them, the others'
	// through the kit's own conversion.
	const std::string ours = table.smallFormat
		? [&] {
			std::string bytes;
			for (uint32 pixel : readers::Pixels(*bitmap)) {
				bytes += char(pixel >> 16 & 0xff);
				bytes += char(pixel >> 8 & 0xff);
				bytes += char(pixel & 0xff);
				bytes += char(pixel >> 24);
			}
			return bytes;
		}()
		: RgbaOf(*bitmap);
	switch (row.check) {
	case Check::kRefPng:
	case Check::kRefPng5:
		EXPECT_EQ(CompareWithReference(ours, width, height, path.string() + ".ref.png",
					  row.check == Check::kRefPng5 ? 1 : 0),
			"");
		break;
	case Check::kSample:
		EXPECT_EQ(CompareWithReference(
					  ours, width, height, (kInstalled / "SDL2_image/sample.png").string(), 0),
			"");
		break;
	case Check::kItself:
	case Check::kLossy:
		EXPECT_EQ(CompareWithReference(
					  ours, width, height, path.string(), row.check == Check::kLossy ? 2 : 0),
			"");
		break;
	case Check::kNothing:
		break;
	}
}

const char*
CheckName(Check check)
{
	switch (check) {
	case Check::kNothing:
		return "kNothing";
	case Check::kRefPng:
		return "kRefPng";
	case Check::kRefPng5:
		return "kRefPng5";
	case Check::kSample:
		return "kSample";
	case Check::kItself:
		return "kItself";
	case Check::kLossy:
		return "kLossy";
	}
	return "";
}

// The check a file without a row would get, as the suites' own layout says.
Check
LikelyCheck(const Table& table, const std::string& file)
{
	if (file.find("/fail/") != std::string::npos
		|| file.find("/randomly-modified/") != std::string::npos
		|| file.find("/cve-") != std::string::npos) {
		return Check::kNothing;
	}
	if (!table.smallFormat) {
		const std::string extension = fs::path(file).extension().string();
		return extension == ".jpg" || extension == ".jpeg" || extension == ".webp" ? Check::kLossy
																				   : Check::kItself;
	}
	if (fs::exists(kInstalled / (file + ".ref.png"))) {
		return file.find("16bpp") != std::string::npos && file.find("gray") == std::string::npos
			? Check::kRefPng5
			: Check::kRefPng;
	}
	return file.rfind("SDL2_image/sample.", 0) == 0 ? Check::kSample : Check::kItself;
}

void
CheckTable(const Table& table)
{
	if (!fs::exists(kPixbufImages) && !fs::exists(kInstalled / "SDL2_image"))
		GTEST_SKIP() << "gdk-pixbuf-tests and libsdl2-image-tests are not installed";
	// The files the table covers.
	std::set<std::string> files;
	for (const char* folder : table.folders) {
		if (!fs::exists(kInstalled / folder))
			continue;
		for (const auto& entry : fs::directory_iterator(kInstalled / folder)) {
			const std::string extension = entry.path().extension().string();
			if (!entry.is_regular_file()
				|| std::find(table.extensions.begin(), table.extensions.end(), extension)
					== table.extensions.end()) {
				continue;
			}
			files.insert(fs::relative(entry.path(), kInstalled).string());
		}
	}
	std::string rowsNow;
	for (const Row& row : table.rows) {
		if (!fs::exists(kInstalled / row.file)) {
			if (fs::exists(fs::path(kInstalled / row.file).parent_path()))
				ADD_FAILURE() << row.file << " is not there";
			continue;
		}
		files.erase(row.file);
		std::string now;
		CheckRow(table, row, now);
		if (now != row.result) {
			rowsNow += std::string("\t\t{\"") + row.file + "\", \"" + now
				+ "\", Check::" + CheckName(row.check) + "},\n";
		}
	}
	for (const std::string& file : files) {
		Row row = {file.c_str(), "", LikelyCheck(table, file)};
		std::string now;
		{
			// Read for its row alone; the row is missing all the same.
			testing::ScopedTrace trace(__FILE__, __LINE__, "a file without a row");
			CheckRow(table, row, now);
		}
		rowsNow += "\t\t{\"" + file + "\", \"" + now + "\", Check::" + CheckName(row.check)
			+ "},\n";
	}
	EXPECT_EQ(rowsNow, "") << "the rows of " << table.format << " as they read now:\n" << rowsNow;
}

// The folders of the small formats, and of those read through the libraries.
const std::vector<const char*> kSmallFolders = {"gdk-pixbuf", "gdk-pixbuf/test-images/reftests",
	"gdk-pixbuf/test-images/reftests/tga", "gdk-pixbuf/test-images/fail",
	"gdk-pixbuf/test-images/randomly-modified", "SDL2_image"};
const std::vector<const char*> kLibraryFolders = {
	"gdk-pixbuf", "gdk-pixbuf/test-images/reftests", "SDL2_image"};

const Table kBmp = {"BMP", true, kSmallFolders, {".bmp"},
	{
		{"SDL2_image/palette.bmp", "23 x 42 B_RGB32", Check::kItself},
		{"SDL2_image/sample.bmp", "23 x 42 B_RGB32", Check::kSample},
		{"SDL2_image/svg-class.bmp", "82 x 82 B_RGBA32", Check::kItself},
		{"SDL2_image/svg.bmp", "32 x 32 B_RGB32", Check::kItself},
		{"SDL2_image/svg64.bmp", "64 x 64 B_RGB32", Check::kItself},
		{"gdk-pixbuf/cve-2015-4491.bmp",
			"refused: is 1\xC3\x97"
			"1509949441 pixels; the limit is 8192\xC3\x97"
			"8192",
			Check::kNothing},
		{"gdk-pixbuf/test-images/fail/bug776694.bmp",
			"refused: is 131168\xC3\x97"
			"4096 pixels; the limit is 8192\xC3\x97"
			"8192",
			Check::kNothing},
		{"gdk-pixbuf/test-images/fail/bug777315.bmp",
			"refused: is cut off before its first image is complete", Check::kNothing},
		{"gdk-pixbuf/test-images/fail/invalid.1.bmp",
			"refused: is a damaged BMP file: its compression is unknown", Check::kNothing},
		{"gdk-pixbuf/test-images/randomly-modified/bmp-line-overflow.bmp",
			"refused: is 1073741825\xC3\x97"
			"1 pixels; the limit is 8192\xC3\x97"
			"8192",
			Check::kNothing},
		{"gdk-pixbuf/test-images/randomly-modified/bug775242.bmp",
			"refused: is a damaged BMP file: its pixels start inside its header", Check::kNothing},
		{"gdk-pixbuf/test-images/randomly-modified/decodecolormap.bmp",
			"refused: is cut off before its first image is complete", Check::kNothing},
		{"gdk-pixbuf/test-images/randomly-modified/valid.1.bmp", "48 x 48 B_RGB32",
			Check::kNothing},
		{"gdk-pixbuf/test-images/reftests/mandatory-bitmasks.bmp", "350 x 400 B_RGBA32",
			Check::kRefPng},
	}};

const Table kIco = {"ICO", true, kSmallFolders, {".ico", ".cur"},
	{
		{"SDL2_image/sample.cur", "23 x 42 B_RGB32", Check::kSample},
		{"SDL2_image/sample.ico", "23 x 42 B_RGB32", Check::kSample},
		{"gdk-pixbuf/test-images/fail/bug778204.ico", "not recognized", Check::kNothing},
		{"gdk-pixbuf/test-images/fail/bug779012.ico",
			"refused: is cut off before its first image is complete", Check::kNothing},
		{"gdk-pixbuf/test-images/fail/invalid.1.ico",
			"refused: is a damaged ICO file: its compression is unknown", Check::kNothing},
		{"gdk-pixbuf/test-images/fail/invalid.3.ico", "not recognized", Check::kNothing},
		{"gdk-pixbuf/test-images/randomly-modified/bad-header.ico", "not recognized",
			Check::kNothing},
		{"gdk-pixbuf/test-images/randomly-modified/bug776040.ico",
			"refused: is cut off before its first image is complete", Check::kNothing},
		{"gdk-pixbuf/test-images/randomly-modified/crash.ico",
			"refused: is 2\xC3\x97"
			"268435457 pixels; the limit is 8192\xC3\x97"
			"8192",
			Check::kNothing},
		{"gdk-pixbuf/test-images/randomly-modified/invalid.2.ico",
			"refused: is 233\xC3\x97"
			"4587536 pixels; the limit is 8192\xC3\x97"
			"8192",
			Check::kNothing},
		{"gdk-pixbuf/test-images/reftests/bug785447.ico", "refused: has a PNG entry",
			Check::kRefPng},
		{"gdk-pixbuf/test-images/reftests/squares.ico", "100 x 100 B_RGB32", Check::kRefPng},
	}};

const Table kPnm = {"PNM", true, kSmallFolders, {".pnm", ".ppm", ".pgm", ".pbm", ".pam"},
	{
		{"SDL2_image/sample.pnm", "23 x 42 B_RGB32", Check::kSample},
		{"gdk-pixbuf/test-images/fail/invalid.1.ppm",
			"refused: is cut off before its first image is complete", Check::kNothing},
		{"gdk-pixbuf/test-images/fail/invalid.2.ppm",
			"refused: is cut off before its first image is complete", Check::kNothing},
		{"gdk-pixbuf/test-images/fail/invalid.3.ppm",
			"refused: is a damaged PNM file: its maximum value 1000000 is not between 1 and 65535",
			Check::kNothing},
		{"gdk-pixbuf/test-images/fail/invalid.5.ppm",
			"refused: is damaged: its header gives no pixels", Check::kNothing},
		{"gdk-pixbuf/test-images/fail/invalid.6.ppm",
			"refused: is a damaged PNM file: its header has no size", Check::kNothing},
		{"gdk-pixbuf/test-images/fail/invalid.7.ppm",
			"refused: is a damaged PNM file: its header has no maximum value", Check::kNothing},
		{"gdk-pixbuf/test-images/fail/invalid.8.ppm",
			"refused: is a damaged PNM file: its maximum value 0 is not between 1 and 65535",
			Check::kNothing},
		{"gdk-pixbuf/test-images/randomly-modified/bug775232.pnm",
			"refused: is 10\xC3\x97"
			"2147483648 pixels; the limit is 8192\xC3\x97"
			"8192",
			Check::kNothing},
		{"gdk-pixbuf/test-images/randomly-modified/invalid.4.ppm", "10 x 10 B_RGB32",
			Check::kNothing},
		{"gdk-pixbuf/test-images/randomly-modified/valid.1.ppm", "10 x 10 B_RGB32",
			Check::kNothing},
		{"gdk-pixbuf/test-images/randomly-modified/valid.2.ppm", "10 x 10 B_RGB32",
			Check::kNothing},
		{"gdk-pixbuf/test-images/randomly-modified/valid.3.ppm", "8 x 8 B_RGB32", Check::kNothing},
		{"gdk-pixbuf/test-images/randomly-modified/valid.4.ppm", "10 x 10 B_RGB32",
			Check::kNothing},
	}};

const Table kTga = {"TGA", true, kSmallFolders, {".tga"},
	{
		{"SDL2_image/sample.tga", "23 x 42 B_RGB32", Check::kSample},
		{"gdk-pixbuf/test-images/fail/DoS.tga", "not recognized", Check::kNothing},
		{"gdk-pixbuf/test-images/fail/androstanRezeptor.tga", "not recognized", Check::kNothing},
		{"gdk-pixbuf/test-images/fail/colormap-image-without-colormap.tga",
			"refused: is cut off before its first image is complete", Check::kNothing},
		{"gdk-pixbuf/test-images/fail/empty-file.tga", "not recognized", Check::kNothing},
		{"gdk-pixbuf/test-images/fail/overflow.tga",
			"refused: is 22627\xC3\x97"
			"26435 pixels; the limit is 8192\xC3\x97"
			"8192",
			Check::kNothing},
		{"gdk-pixbuf/test-images/randomly-modified/valid.1.tga", "239 x 33 B_RGB32",
			Check::kNothing},
		{"gdk-pixbuf/test-images/randomly-modified/valid.2.tga", "19 x 116 B_RGB32",
			Check::kNothing},
		{"gdk-pixbuf/test-images/reftests/colormap-too-small.tga", "48 x 48 B_RGBA32",
			Check::kRefPng},
		{"gdk-pixbuf/test-images/reftests/rle-too-many-pixels-2.tga", "2 x 2 B_GRAY8",
			Check::kRefPng},
		{"gdk-pixbuf/test-images/reftests/rle-too-many-pixels.tga", "2 x 2 B_GRAY8",
			Check::kRefPng},
		{"gdk-pixbuf/test-images/reftests/tga/gtk-logo-16bpp-bottom-left.tga", "48 x 48 B_RGB32",
			Check::kRefPng5},
		{"gdk-pixbuf/test-images/reftests/tga/gtk-logo-16bpp-bottom-right.tga", "48 x 48 B_RGB32",
			Check::kRefPng5},
		{"gdk-pixbuf/test-images/reftests/tga/gtk-logo-16bpp-top-left.tga", "48 x 48 B_RGB32",
			Check::kRefPng5},
		{"gdk-pixbuf/test-images/reftests/tga/gtk-logo-16bpp-top-right.tga", "48 x 48 B_RGB32",
			Check::kRefPng5},
		{"gdk-pixbuf/test-images/reftests/tga/gtk-logo-24bpp-bottom-left.tga", "48 x 48 B_RGB32",
			Check::kRefPng},
		{"gdk-pixbuf/test-images/reftests/tga/gtk-logo-24bpp-bottom-right.tga", "48 x 48 B_RGB32",
			Check::kRefPng},
		{"gdk-pixbuf/test-images/reftests/tga/gtk-logo-24bpp-top-left.tga", "48 x 48 B_RGB32",
			Check::kRefPng},
		{"gdk-pixbuf/test-images/reftests/tga/gtk-logo-24bpp-top-right.tga", "48 x 48 B_RGB32",
			Check::kRefPng},
		{"gdk-pixbuf/test-images/reftests/tga/gtk-logo-32bpp-bottom-left.tga", "48 x 48 B_RGBA32",
			Check::kRefPng},
		{"gdk-pixbuf/test-images/reftests/tga/gtk-logo-32bpp-bottom-right.tga", "48 x 48 B_RGBA32",
			Check::kRefPng},
		{"gdk-pixbuf/test-images/reftests/tga/gtk-logo-32bpp-top-left.tga", "48 x 48 B_RGBA32",
			Check::kRefPng},
		{"gdk-pixbuf/test-images/reftests/tga/gtk-logo-32bpp-top-right.tga", "48 x 48 B_RGBA32",
			Check::kRefPng},
		{"gdk-pixbuf/test-images/reftests/tga/gtk-logo-cmap-8bpp-bottom-left.tga",
			"48 x 48 B_RGB32", Check::kRefPng},
		{"gdk-pixbuf/test-images/reftests/tga/gtk-logo-cmap-8bpp-bottom-right.tga",
			"48 x 48 B_RGB32", Check::kRefPng},
		{"gdk-pixbuf/test-images/reftests/tga/gtk-logo-cmap-8bpp-top-left.tga", "48 x 48 B_RGB32",
			Check::kRefPng},
		{"gdk-pixbuf/test-images/reftests/tga/gtk-logo-cmap-8bpp-top-right.tga", "48 x 48 B_RGB32",
			Check::kRefPng},
		{"gdk-pixbuf/test-images/reftests/tga/gtk-logo-cmap-rle-8bpp-bottom-left.tga",
			"48 x 48 B_RGB32", Check::kRefPng},
		{"gdk-pixbuf/test-images/reftests/tga/gtk-logo-cmap-rle-8bpp-bottom-right.tga",
			"48 x 48 B_RGB32", Check::kRefPng},
		{"gdk-pixbuf/test-images/reftests/tga/gtk-logo-cmap-rle-8bpp-top-left.tga",
			"48 x 48 B_RGB32", Check::kRefPng},
		{"gdk-pixbuf/test-images/reftests/tga/gtk-logo-cmap-rle-8bpp-top-right.tga",
			"48 x 48 B_RGB32", Check::kRefPng},
		{"gdk-pixbuf/test-images/reftests/tga/gtk-logo-gray-16bpp-bottom-left.tga",
			"48 x 48 B_RGBA32", Check::kRefPng},
		{"gdk-pixbuf/test-images/reftests/tga/gtk-logo-gray-16bpp-bottom-right.tga",
			"48 x 48 B_RGBA32", Check::kRefPng},
		{"gdk-pixbuf/test-images/reftests/tga/gtk-logo-gray-16bpp-top-left.tga", "48 x 48 B_RGBA32",
			Check::kRefPng},
		{"gdk-pixbuf/test-images/reftests/tga/gtk-logo-gray-16bpp-top-right.tga",
			"48 x 48 B_RGBA32", Check::kRefPng},
		{"gdk-pixbuf/test-images/reftests/tga/gtk-logo-gray-8bpp-bottom-left.tga",
			"48 x 48 B_RGB32", Check::kRefPng},
		{"gdk-pixbuf/test-images/reftests/tga/gtk-logo-gray-8bpp-bottom-right.tga",
			"48 x 48 B_RGB32", Check::kRefPng},
		{"gdk-pixbuf/test-images/reftests/tga/gtk-logo-gray-8bpp-top-left.tga", "48 x 48 B_RGB32",
			Check::kRefPng},
		{"gdk-pixbuf/test-images/reftests/tga/gtk-logo-gray-8bpp-top-right.tga", "48 x 48 B_RGB32",
			Check::kRefPng},
		{"gdk-pixbuf/test-images/reftests/tga/gtk-logo-gray-rle-16bpp-bottom-left.tga",
			"48 x 48 B_RGBA32", Check::kRefPng},
		{"gdk-pixbuf/test-images/reftests/tga/gtk-logo-gray-rle-16bpp-bottom-right.tga",
			"48 x 48 B_RGBA32", Check::kRefPng},
		{"gdk-pixbuf/test-images/reftests/tga/gtk-logo-gray-rle-16bpp-top-left.tga",
			"48 x 48 B_RGBA32", Check::kRefPng},
		{"gdk-pixbuf/test-images/reftests/tga/gtk-logo-gray-rle-16bpp-top-right.tga",
			"48 x 48 B_RGBA32", Check::kRefPng},
		{"gdk-pixbuf/test-images/reftests/tga/gtk-logo-gray-rle-8bpp-bottom-left.tga",
			"48 x 48 B_RGB32", Check::kRefPng},
		{"gdk-pixbuf/test-images/reftests/tga/gtk-logo-gray-rle-8bpp-bottom-right.tga",
			"48 x 48 B_RGB32", Check::kRefPng},
		{"gdk-pixbuf/test-images/reftests/tga/gtk-logo-gray-rle-8bpp-top-left.tga",
			"48 x 48 B_RGB32", Check::kRefPng},
		{"gdk-pixbuf/test-images/reftests/tga/gtk-logo-gray-rle-8bpp-top-right.tga",
			"48 x 48 B_RGB32", Check::kRefPng},
		{"gdk-pixbuf/test-images/reftests/tga/gtk-logo-rle-24bpp-bottom-left.tga",
			"48 x 48 B_RGB32", Check::kRefPng},
		{"gdk-pixbuf/test-images/reftests/tga/gtk-logo-rle-24bpp-bottom-right.tga",
			"48 x 48 B_RGB32", Check::kRefPng},
		{"gdk-pixbuf/test-images/reftests/tga/gtk-logo-rle-24bpp-top-left.tga", "48 x 48 B_RGB32",
			Check::kRefPng},
		{"gdk-pixbuf/test-images/reftests/tga/gtk-logo-rle-24bpp-top-right.tga", "48 x 48 B_RGB32",
			Check::kRefPng},
		{"gdk-pixbuf/test-images/reftests/tga/gtk-logo-rle-32bpp-bottom-left.tga",
			"48 x 48 B_RGBA32", Check::kRefPng},
		{"gdk-pixbuf/test-images/reftests/tga/gtk-logo-rle-32bpp-bottom-right.tga",
			"48 x 48 B_RGBA32", Check::kRefPng},
		{"gdk-pixbuf/test-images/reftests/tga/gtk-logo-rle-32bpp-top-left.tga", "48 x 48 B_RGBA32",
			Check::kRefPng},
		{"gdk-pixbuf/test-images/reftests/tga/gtk-logo-rle-32bpp-top-right.tga", "48 x 48 B_RGBA32",
			Check::kRefPng},
	}};

const Table kXpm = {"XPM", true, kSmallFolders, {".xpm"},
	{
		{"SDL2_image/sample.xpm", "23 x 42 B_RGB32", Check::kSample},
		{"gdk-pixbuf/test-images/fail/issue-95-too-narrow.xpm",
			"refused: is cut off before its first image is complete", Check::kNothing},
		{"gdk-pixbuf/test-images/fail/issue-95-too-short.xpm",
			"refused: is cut off before its first image is complete", Check::kNothing},
		{"gdk-pixbuf/test-images/fail/issue-95.xpm",
			"refused: is 41474\xC3\x97"
			"21474 pixels; the limit is 8192\xC3\x97"
			"8192",
			Check::kNothing},
		{"gdk-pixbuf/test-images/randomly-modified/invalid.1.xpm",
			"refused: is a damaged XPM file: a pixel has characters of no colour", Check::kNothing},
		{"gdk-pixbuf/test-images/randomly-modified/valid.1.xpm", "48 x 48 B_RGB32",
			Check::kNothing},
	}};

const Table kPng = {"PNG", false, kLibraryFolders, {".png"},
	{
		{"SDL2_image/sample.png", "23 x 42 B_RGB32", Check::kItself},
		{"gdk-pixbuf/bug725582-testrotate.png", "428 x 640 B_RGB32", Check::kItself},
		{"gdk-pixbuf/dpi.png", "48 x 48 B_RGBA32", Check::kItself},
		{"gdk-pixbuf/icc-profile.png", "48 x 48 B_RGBA32", Check::kItself},
		{"gdk-pixbuf/large.png",
			"refused: large.png is 25200\xC3\x97"
			"33300 pixels; the limit is 8192\xC3\x97"
			"8192",
			Check::kItself},
		{"gdk-pixbuf/premature-end.png", "256 x 256 B_RGB32", Check::kItself},
		{"gdk-pixbuf/test-image.png", "89 x 96 B_RGBA32", Check::kItself},
		{"gdk-pixbuf/test-images/reftests/bug696331.png",
			"refused: bug696331.png is cut off before its first image is complete", Check::kItself},
		{"gdk-pixbuf/test-images/reftests/bug696331.png.ref.png", "96 x 96 B_RGB32",
			Check::kItself},
		{"gdk-pixbuf/test-images/reftests/bug785447.ico.ref.png", "128 x 128 B_RGBA32",
			Check::kItself},
		{"gdk-pixbuf/test-images/reftests/cat.jpg.ref.png", "512 x 512 B_RGB32", Check::kItself},
		{"gdk-pixbuf/test-images/reftests/colormap-too-small.tga.ref.png", "48 x 48 B_RGBA32",
			Check::kItself},
		{"gdk-pixbuf/test-images/reftests/mandatory-bitmasks.bmp.ref.png", "350 x 400 B_RGBA32",
			Check::kItself},
		{"gdk-pixbuf/test-images/reftests/rle-too-many-pixels-2.tga.ref.png", "2 x 2 B_GRAY8",
			Check::kItself},
		{"gdk-pixbuf/test-images/reftests/rle-too-many-pixels.tga.ref.png", "2 x 2 B_GRAY8",
			Check::kItself},
		{"gdk-pixbuf/test-images/reftests/squares.ico.ref.png", "100 x 100 B_RGB32",
			Check::kItself},
	}};

const Table kJpeg = {"JPEG", false, kLibraryFolders, {".jpg", ".jpeg"},
	{
		{"SDL2_image/sample.jpg", "23 x 42 B_RGB32", Check::kLossy},
		{"gdk-pixbuf/bug143608-comment.jpg", "640 x 428 B_RGB32", Check::kLossy},
		{"gdk-pixbuf/bug725582-testrotate.jpg", "640 x 428 B_RGB32", Check::kLossy},
		{"gdk-pixbuf/bug775218.jpg", "refused: bug775218.jpg is not an image we can read",
			Check::kLossy},
		{"gdk-pixbuf/dpi.jpeg", "48 x 48 B_RGB32", Check::kLossy},
		{"gdk-pixbuf/icc-profile.jpeg", "48 x 48 B_RGB32", Check::kLossy},
		{"gdk-pixbuf/issue205.jpg",
			"refused: issue205.jpg is 64250\xC3\x97"
			"64250 pixels; the limit is 8192\xC3\x97"
			"8192",
			Check::kLossy},
		{"gdk-pixbuf/issue70.jpg", "3120 x 4208 B_RGB32", Check::kLossy},
		{"gdk-pixbuf/large.jpg",
			"refused: large.jpg is 22500\xC3\x97"
			"33300 pixels; the limit is 8192\xC3\x97"
			"8192",
			Check::kLossy},
		{"gdk-pixbuf/premature-end.jpg",
			"refused: premature-end.jpg is cut off before its first image is complete",
			Check::kLossy},
		{"gdk-pixbuf/test-images/reftests/cat.jpg", "512 x 512 B_GRAY8", Check::kLossy},
	}};

const Table kGif = {"GIF", false, kLibraryFolders, {".gif"},
	{
		{"SDL2_image/palette.gif", "23 x 42 B_RGB32", Check::kItself},
		{"gdk-pixbuf/1_partyanimsm2.gif", "660 x 666 B_RGB32", Check::kItself},
		{"gdk-pixbuf/aero.gif", "350 x 189 B_RGBA32", Check::kItself},
		{"gdk-pixbuf/circular-table.gif", "640 x 360 B_RGB32", Check::kItself},
		{"gdk-pixbuf/test-animation.gif", "17 x 17 B_RGBA32", Check::kItself},
	}};

const Table kTiff = {"TIFF", false, kLibraryFolders, {".tif", ".tiff"},
	{
		{"SDL2_image/sample.tif", "23 x 42 B_RGB32", Check::kItself},
		{"gdk-pixbuf/dpi.tiff", "48 x 48 B_RGBA32", Check::kItself},
	}};

const Table kWebp = {"WebP", false, kLibraryFolders, {".webp"},
	{
		{"SDL2_image/sample.webp", "23 x 42 B_RGB32", Check::kLossy},
	}};

std::map<std::string, std::string>
ReadConf(const fs::path& path)
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

std::vector<GifSuiteCase>
GifSuiteCases(const fs::path& suite)
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

TEST(RealFiles, BmpTable)
{
	CheckTable(kBmp);
}
TEST(RealFiles, IcoTable)
{
	CheckTable(kIco);
}
TEST(RealFiles, PnmTable)
{
	CheckTable(kPnm);
}
TEST(RealFiles, TgaTable)
{
	CheckTable(kTga);
}
TEST(RealFiles, XpmTable)
{
	CheckTable(kXpm);
}
TEST(RealFiles, PngTable)
{
	CheckTable(kPng);
}
TEST(RealFiles, JpegTable)
{
	CheckTable(kJpeg);
}
TEST(RealFiles, GifTable)
{
	CheckTable(kGif);
}
TEST(RealFiles, TiffTable)
{
	CheckTable(kTiff);
}
TEST(RealFiles, WebpTable)
{
	CheckTable(kWebp);
}

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
		testsupport::ReadFailure failure;
		std::unique_ptr<BBitmap> bitmap(
			testsupport::GetBitmapFile((suite / row.input).c_str(), &failure));
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
			EXPECT_EQ(CompareRgba(RgbaOf(*bitmap), expected, bitmap->Width(), 0), "");
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
		EXPECT_EQ(CompareRgba(RgbaOf(*bitmap), ReadWhole(suite / pixels), bitmap->Width(), 0), "");
		matched++;
	}
	std::printf("GIF suite: %d files match their frame, %d are refused\n", matched, refused);
	EXPECT_GE(matched, 70);
	EXPECT_GE(refused, 6);
}

// A CMYK JPEG as ImageMagick writes it (Adobe's inverted form, YCCK): the
// colours are the kit's rule applied to the ink ImageMagick reads from it.
TEST(RealFilesTest, CmykJpegFollowsTheInkRule)
{
	if (!testsupport::HaveReferenceDecoder())
		GTEST_SKIP() << "ImageMagick is not installed";
	testsupport::ScratchDirectory scratch;
	const std::string jpeg = scratch / "cmyk.jpg";
	std::string error;
	ASSERT_TRUE(testsupport::ReferenceConvert(
		{fixture::Path("colour.png"), "-colorspace", "CMYK", "-quality", "95", jpeg}, &error))
		<< error;
	const std::string ink = testsupport::ReferenceCmyk(jpeg);
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
	EXPECT_EQ(CompareRgba(RgbaOf(*bitmap), expected, bitmap->Width(), 0), "");
}
