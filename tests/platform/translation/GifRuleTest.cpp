// SPDX-License-Identifier: MIT
// Hand-made GIF files for images without pixels, screens without images and
// the LZW code sizes giflib does not decode.

#include "Fixtures.h"
#include "LzwCodes.h"
#include "support/HostileImages.h"
#include "support/ReadFailure.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace testsupport;

namespace {

const std::string kBlackAndWhite("\0\0\0\xff\xff\xff", 6);

// An image descriptor at (0, 0) of `width` x `height`, no colour table.
std::string
Descriptor(uint16_t width, uint16_t height)
{
	std::string out = ",";
	PutLittle16(out, 0);
	PutLittle16(out, 0);
	PutLittle16(out, width);
	PutLittle16(out, height);
	out += '\0';
	return out;
}

// The screen and colour table of Gif()'s file, before its image.
std::string
ScreenOf(const std::string& gif)
{
	return gif.substr(0, gif.find(','));
}

// The bitmap as straight R, G, B, A bytes; clear pixels as four zeros.
std::string
Rgba(const BBitmap& bitmap)
{
	BBitmap rgba(bitmap.Bounds(), B_RGBA32);
	rgba.SetBits(bitmap.Bits(), bitmap.BitsLength(), 0, bitmap.ColorSpace());
	std::string out;
	for (int32 y = 0; y < rgba.Height(); y++) {
		const uint8* row = static_cast<const uint8*>(rgba.Bits()) + y * rgba.BytesPerRow();
		for (int32 x = 0; x < rgba.Width(); x++) {
			const uint8* p = row + 4 * x;
			if (p[3] == 0)
				out += std::string(4, '\0');
			else
				out += {char(p[2]), char(p[1]), char(p[0]), char(p[3])};
		}
	}
	return out;
}

} // namespace

// An image of no width or height draws nothing: neither its colour table
// nor its data is needed, and what follows it is read as usual.
TEST(GifRuleTest, ImagesWithoutPixelsDrawNothing)
{
	const std::string white = Gif(2, 1, kBlackAndWhite, {1, 1});
	const std::string screen = ScreenOf(white);
	const std::string image = white.substr(screen.size());
	// Code size 2, then one block holding a clear code and the end code.
	const std::string noData = std::string("\x02\x01\x2c\x00", 4);
	const std::string clear(8, '\0'), whiteRow("\xff\xff\xff\xff\xff\xff\xff\xff", 8);
	const struct {
		const char* name;
		std::string bytes;
		const char* refusal; // null: read, as `rgba`
		std::string rgba;
	} kRows[] = {
		{"an empty image, then one", screen + Descriptor(0, 1) + noData + image, nullptr, whiteRow},
		{"an empty image of no height, then one", screen + Descriptor(2, 0) + noData + image,
			nullptr, whiteRow},
		{"an empty image and no data", screen + Descriptor(0, 1) + ";", nullptr, clear},
		{"an empty image whose colour table is missing",
			screen + Descriptor(0, 0).substr(0, 9) + "\x80;", nullptr, clear},
		{"a screen without images", screen + ";", nullptr, clear},
		{"a screen of no size without images", ScreenOf(Gif(0, 0, kBlackAndWhite, {})) + ";",
			"f is a GIF file without an image", ""},
		{"no size anywhere", Gif(0, 0, kBlackAndWhite, {}),
			"f is damaged: its header gives no pixels", ""},
		// Cut inside the descriptor: its size is not known, so not empty.
		{"a descriptor cut short", screen + Descriptor(0, 1).substr(0, 5),
			"f is cut off before its first image is complete", ""},
		{"a screen and nothing after it", screen, "f is cut off before its first image is complete",
			""},
	};
	for (const auto& row : kRows) {
		SCOPED_TRACE(row.name);
		testsupport::ReadFailure failure;
		std::unique_ptr<BBitmap> bitmap = fixture::LoadBytes(row.bytes, failure);
		if (row.refusal != nullptr) {
			EXPECT_EQ(bitmap, nullptr);
			EXPECT_EQ(failure.Describe("f"), row.refusal);
			continue;
		}
		ASSERT_NE(bitmap, nullptr) << failure.Describe("f");
		EXPECT_EQ(Rgba(*bitmap), row.rgba);
	}
}

// LZW code sizes 9 to 11, which giflib leaves to our own decoder, are read
// from data split over sub-blocks anywhere, also inside a code; an index
// past the colour table is opaque black. Larger sizes cannot be, and each
// damage to the data is refused as the library refuses it for other sizes.
TEST(GifRuleTest, WideCodeSizesAreDecoded)
{
	const std::string screen = ScreenOf(Gif(3, 2, std::string("\xff\0\0\xff\xff\xff", 6), {}));
	const auto gif = [&](int codeSize, const std::string& data) {
		std::string out = screen + Descriptor(3, 2) + char(codeSize);
		for (size_t at = 0; at < data.size(); at += 3)
			out += char(data.substr(at, 3).size()) + data.substr(at, 3);
		return out + std::string("\0;", 2);
	};
	// Size 9: clear 512, end 513, 10-bit codes, 514 is 1 0; size 11: clear
	// 2048, 12-bit codes.
	const auto codes = [](std::vector<uint32> values, int bits) {
		LzwCodes out;
		for (uint32 value : values)
			out.Add(value, bits);
		return out.Bytes();
	};
	const std::string image9 = codes({512, 1, 0, 300, 514, 0, 513}, 10);
	const std::string image11 = codes({2048, 1, 0, 2047, 2050, 0, 2049}, 12);
	const std::string red("\xff\0\0\xff", 4), white("\xff\xff\xff\xff", 4), black("\0\0\0\xff", 4);
	for (const auto& [size, data] : {std::pair(9, image9), std::pair(11, image11)}) {
		SCOPED_TRACE(size);
		testsupport::ReadFailure failure;
		std::unique_ptr<BBitmap> bitmap = fixture::LoadBytes(gif(size, data), failure);
		ASSERT_NE(bitmap, nullptr) << failure.Describe("f");
		EXPECT_EQ(Rgba(*bitmap), white + red + black + white + red + red);
	}

	const struct {
		const char* name;
		std::string bytes;
		const char* refusal;
	} kRows[] = {
		{"code size 12", gif(12, image11),
			"f is a damaged GIF file: its LZW code size 12 is larger than 11"},
		{"code size 200", gif(200, image11),
			"f is a damaged GIF file: its LZW code size 200 is larger than 11"},
		{"a code not in the table", gif(9, codes({512, 1, 515}, 10)),
			"f is a damaged GIF file: its image data holds a code not yet in its LZW table"},
		{"the end code too soon", gif(9, codes({512, 1, 513}, 10)),
			"f is cut off before its first image is complete"},
		{"data ending too soon", gif(9, codes({512, 1, 0}, 10)),
			"f is a damaged GIF file: Image is defective, decoding aborted"},
		{"a file cut inside the data", gif(9, image9).substr(0, screen.size() + 14),
			"f is cut off before its first image is complete"},
	};
	for (const auto& row : kRows) {
		SCOPED_TRACE(row.name);
		testsupport::ReadFailure failure;
		EXPECT_EQ(fixture::LoadBytes(row.bytes, failure), nullptr);
		EXPECT_EQ(failure.Describe("f"), row.refusal);
	}
}
