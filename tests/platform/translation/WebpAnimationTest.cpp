// SPDX-License-Identifier: MIT
// An animated WebP made here with libwebp's own encoder: the reader gives
// its first frame, placed where the animation puts it on a transparent
// canvas of the animation's size.

#include "Fixtures.h"
#include "support/Files.h"
#include "support/ReadFailure.h"

#include <gtest/gtest.h>

#include <webp/encode.h>
#include <webp/mux.h>

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// An 8 x 6 animation of two frames: first a 2 x 2 opaque red square at
// (4, 2) on nothing, then the whole canvas green.
std::string
TwoFrameAnimation()
{
	const int width = 8, height = 6;
	WebPAnimEncoderOptions options;
	if (!WebPAnimEncoderOptionsInit(&options))
		return "";
	WebPAnimEncoder* encoder = WebPAnimEncoderNew(width, height, &options);
	if (encoder == nullptr)
		return "";
	WebPConfig config;
	WebPConfigInit(&config);
	config.lossless = 1;
	std::string out;
	for (int frame = 0; frame < 2; frame++) {
		std::vector<uint32_t> argb(width * height, frame == 0 ? 0x00000000 : 0xff00ff00);
		if (frame == 0) {
			for (int y = 2; y < 4; y++) {
				for (int x = 4; x < 6; x++)
					argb[y * width + x] = 0xffff0000;
			}
		}
		WebPPicture picture;
		WebPPictureInit(&picture);
		picture.use_argb = 1;
		picture.width = width;
		picture.height = height;
		WebPPictureAlloc(&picture);
		for (int i = 0; i < width * height; i++)
			picture.argb[i] = argb[i];
		WebPAnimEncoderAdd(encoder, &picture, frame * 100, &config);
		WebPPictureFree(&picture);
	}
	WebPAnimEncoderAdd(encoder, nullptr, 200, nullptr);
	WebPData data;
	WebPDataInit(&data);
	if (WebPAnimEncoderAssemble(encoder, &data))
		out.assign(reinterpret_cast<const char*>(data.bytes), data.size);
	WebPDataClear(&data);
	WebPAnimEncoderDelete(encoder);
	return out;
}

} // namespace

TEST(WebpAnimationTest, FirstFrameLiesOnATransparentCanvas)
{
	const std::string webp = TwoFrameAnimation();
	ASSERT_FALSE(webp.empty());
	testsupport::ScratchDirectory scratch;
	const std::string path = scratch / "anim";
	ASSERT_TRUE(testsupport::WriteWhole(path, webp));
	testsupport::ReadFailure failure;
	std::unique_ptr<BBitmap> bitmap(testsupport::GetBitmapFile(path.c_str(), &failure));
	ASSERT_NE(bitmap, nullptr) << failure.Describe("anim.webp");
	ASSERT_EQ(bitmap->Bounds(), BRect(0, 0, 7, 5));
	ASSERT_EQ(bitmap->ColorSpace(), B_RGBA32);
	for (int32 y = 0; y < 6; y++) {
		for (int32 x = 0; x < 8; x++) {
			const uint8* p = static_cast<const uint8*>(bitmap->Bits()) + y * bitmap->BytesPerRow()
				+ 4 * x;
			bool square = x >= 4 && x < 6 && y >= 2 && y < 4;
			if (square) {
				EXPECT_EQ(std::vector<int>(p, p + 4), std::vector<int>({0, 0, 255, 255}))
					<< x << ", " << y;
			} else {
				EXPECT_EQ(p[3], 0) << x << ", " << y;
			}
		}
	}
}
