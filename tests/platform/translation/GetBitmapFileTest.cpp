// SPDX-License-Identifier: MIT
#include "Fixtures.h"
#include "support/Files.h"
#include "support/Waiting.h"

#include <ImageReaderList.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>
#include <future>
#include <vector>

using namespace fixture;

namespace {

enum class Pixels {
	Colour, // B_RGB32, exact
	ColourNear, // B_RGB32, each channel within a few steps (lossy files)
	ColourAlpha, // B_RGBA32, straight colour and alpha, exact
	ColourAlphaNear, // B_RGBA32, exact alpha, colour within a few steps
	Grey, // B_GRAY8, exact
	System, // B_CMAP8, the system indices
	SystemHoles, // B_CMAP8, the system indices with every third pixel 255
};

// Rows whose format is read by code of our own that may not be in the kit
// yet are tested only when some reader recognises the file.
enum class Reader {
	Library,
	Own
};

struct FormatCase {
	const char* file;
	color_space space;
	Pixels pixels;
	Reader reader = Reader::Library;
};

// Lossy: JPEG.
const FormatCase kFormats[] = {
	{"colour.png", B_RGB32, Pixels::Colour},
	{"alpha.png", B_RGBA32, Pixels::ColourAlpha},
	{"opaque-alpha.png", B_RGB32, Pixels::Colour},
	{"grey.png", B_GRAY8, Pixels::Grey},
	{"palette-system.png", B_CMAP8, Pixels::System},
	{"palette-other.png", B_RGB32, Pixels::Colour},
	{"palette-transparent.gif", B_CMAP8, Pixels::SystemHoles},
	{"colour.gif", B_RGB32, Pixels::Colour},
	{"colour.bmp", B_RGB32, Pixels::Colour, Reader::Own},
	{"colour.jpg", B_RGB32, Pixels::ColourNear},
	{"colour.webp", B_RGB32, Pixels::Colour},
	{"colour.tiff", B_RGB32, Pixels::Colour},
	{"colour.ppm", B_RGB32, Pixels::Colour, Reader::Own},
	{"grey.pgm", B_GRAY8, Pixels::Grey, Reader::Own},
	{"colour.xpm", B_RGB32, Pixels::Colour, Reader::Own},
	{"alpha.ico", B_RGBA32, Pixels::ColourAlpha, Reader::Own},
	{"alpha.cur", B_RGBA32, Pixels::ColourAlpha, Reader::Own},
	{"colour.tga", B_RGB32, Pixels::Colour},
	{"colour-rle.tga", B_RGB32, Pixels::Colour},
	{"colour-footer.tga", B_RGB32, Pixels::Colour},
	{"alpha-rle.tga", B_RGBA32, Pixels::ColourAlpha},
	{"palette-system.tga", B_CMAP8, Pixels::System},
	{"palette-system-rle.tga", B_CMAP8, Pixels::System},
};

const uint8*
PixelAddress(const BBitmap& bitmap, int32 x, int32 y)
{
	return static_cast<const uint8*>(bitmap.Bits()) + y * bitmap.BytesPerRow()
		+ x * bits_per_pixel_for(bitmap.ColorSpace()) / 8;
}

// Checks one pixel; returns false (after reporting) on a mismatch.
bool
CheckPixel(const BBitmap& bitmap, Pixels pixels, int32 x, int32 y)
{
	const uint8* p = PixelAddress(bitmap, x, y);
	auto near = [](int actual, int expected, int tolerance) {
		return std::abs(actual - expected) <= tolerance;
	};
	bool ok = true;
	switch (pixels) {
	case Pixels::Colour:
		ok = p[0] == Blue(x, y) && p[1] == Green(x, y) && p[2] == Red(x, y) && p[3] == 255;
		break;
	case Pixels::ColourNear:
		ok = near(p[0], Blue(x, y), 6) && near(p[1], Green(x, y), 6) && near(p[2], Red(x, y), 6)
			&& p[3] == 255;
		break;
	case Pixels::ColourAlpha:
		ok = p[0] == Blue(x, y) && p[1] == Green(x, y) && p[2] == Red(x, y) && p[3] == Alpha(x, y);
		break;
	case Pixels::ColourAlphaNear:
		// Premultiplying to 8 bits and back loses up to 255 / alpha / 2.
		ok = near(p[0], Blue(x, y), 4) && near(p[1], Green(x, y), 4) && near(p[2], Red(x, y), 4)
			&& p[3] == Alpha(x, y);
		break;
	case Pixels::Grey:
		ok = p[0] == Grey(x, y);
		break;
	case Pixels::System:
		ok = p[0] == SystemIndex(x, y);
		break;
	case Pixels::SystemHoles:
		ok = p[0] == ((x + y) % 3 == 0 ? B_TRANSPARENT_MAGIC_CMAP8 : SystemIndex(x, y));
		break;
	}
	if (!ok) {
		ADD_FAILURE() << "pixel (" << x << ", " << y << ") bytes " << int(p[0]) << " " << int(p[1])
					  << " " << int(p[2]) << " " << int(p[3]);
	}
	return ok;
}

bool
IsRecognized(const std::string& path)
{
	std::ifstream file(path, std::ios::binary);
	std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
	BPrivate::ImageData image{reinterpret_cast<const uint8*>(bytes.data()), bytes.size()};
	return BPrivate::ImageReaderList::Default().ReaderFor(image) != nullptr;
}

} // namespace

TEST(GetBitmapFileTest, EachFormatLoadsWithItsSizeSpaceAndPixels)
{
	for (const FormatCase& c : kFormats) {
		SCOPED_TRACE(c.file);
		if (c.reader == Reader::Own && !IsRecognized(Path(c.file))) {
			std::printf("no reader for %s in this build; not checked\n", c.file);
			continue;
		}
		std::unique_ptr<BBitmap> bitmap = Load(Path(c.file));
		ASSERT_NE(bitmap, nullptr);
		ASSERT_EQ(bitmap->InitCheck(), B_OK);
		EXPECT_EQ(bitmap->Bounds(), BRect(0, 0, kWidth - 1, kHeight - 1));
		ASSERT_EQ(bitmap->ColorSpace(), c.space) << std::hex << bitmap->ColorSpace();
		EXPECT_EQ(bitmap->BytesPerRow(), bytes_per_row_for(c.space, kWidth));
		bool ok = true;
		for (int32 y = 0; y < kHeight && ok; y++) {
			for (int32 x = 0; x < kWidth && ok; x++)
				ok = CheckPixel(*bitmap, c.pixels, x, y);
		}
	}
}

// The content alone picks the reader: a name that says otherwise, or no
// name at all, changes nothing.
TEST(GetBitmapFileTest, ContentDecidesOverTheName)
{
	testsupport::ScratchDirectory scratch;
	const std::string& dir = scratch.Path();
	struct Case {
		const char* from;
		const char* as;
		color_space space;
	};
	const Case cases[] = {
		{"colour.png", "really-a-png.tga", B_RGB32},
		{"colour.jpg", "really-a-jpeg.png", B_RGB32},
		{"colour-rle.tga", "TGA-WITHOUT-EXTENSION", B_RGB32},
		{"colour.gif", "gif-named.jpg", B_RGB32},
		{"colour-rle.tga", "upper-case.TGA", B_RGB32},
	};
	for (const Case& c : cases) {
		std::string target = dir + "/" + c.as;
		ASSERT_TRUE(std::filesystem::copy_file(Path(c.from), target));
		std::unique_ptr<BBitmap> bitmap = Load(target);
		ASSERT_NE(bitmap, nullptr) << c.as;
		EXPECT_EQ(bitmap->ColorSpace(), c.space) << c.as;
		EXPECT_EQ(bitmap->Width(), kWidth) << c.as;
		std::remove(target.c_str());
	}
}

TEST(GetBitmapFileTest, LoadsFromSeveralThreadsAtOnce)
{
	const char* files[] = {"colour.png", "colour-rle.tga", "palette-transparent.gif", "colour.jpg",
		"grey.png", "colour.tiff", "garbage.png", "colour.webp"};
	std::vector<std::future<bool>> loads;
	for (int round = 0; round < 2; round++) {
		for (const char* file : files) {
			loads.push_back(std::async(std::launch::async, [file] {
				std::unique_ptr<BBitmap> bitmap = Load(Path(file));
				return bitmap != nullptr && bitmap->Width() == kWidth;
			}));
		}
	}
	for (size_t i = 0; i < loads.size(); i++) {
		ASSERT_EQ(loads[i].wait_for(testsupport::kSlowWatchdog), std::future_status::ready)
			<< "load " << i << " never finished";
		bool garbage = std::string(files[i % std::size(files)]) == "garbage.png";
		EXPECT_EQ(loads[i].get(), !garbage) << files[i % std::size(files)];
	}
}
