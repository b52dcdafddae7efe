// SPDX-License-Identifier: MIT
// How close an 8-bit result looks to its original: both blurred with a
// Gaussian of sigma 1 pixel (about what an eye takes in at 1:1), then the
// mean CIELAB distance (CIE76, D65 white) between them over every pixel.
//
//   dither-measure ORIGINAL RESULT
//
// ORIGINAL is any image our readers load. RESULT is either the text
// quillpix-export wrote, in any of its colour spaces (its bytes are read
// back from the array and shown as the platform reads them), or another
// image file, such as a peer's output. Transparency
// follows the exporter's rule: a pixel with alpha below 128 (or index 255)
// counts as white, in both images alike. Prints the mean distance.

#include <Bitmap.h>
#include <SystemColorMap.h>
#include <TranslationUtils.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Picture {
	int32 width = 0;
	int32 height = 0;
	// Red, green, blue per pixel, 0..255.
	std::vector<float> values;
};

Picture
FromBitmap(const BBitmap& loaded)
{
	auto straight = std::make_unique<BBitmap>(loaded.Bounds(), B_RGBA32);
	straight->SetBits(loaded.Bits(), loaded.BitsLength(), 0, loaded.ColorSpace());
	Picture picture;
	picture.width = loaded.Bounds().IntegerWidth() + 1;
	picture.height = loaded.Bounds().IntegerHeight() + 1;
	picture.values.resize(size_t(picture.width) * picture.height * 3);
	for (int32 y = 0; y < picture.height; y++) {
		const uint8* row = static_cast<const uint8*>(straight->Bits())
			+ y * straight->BytesPerRow();
		for (int32 x = 0; x < picture.width; x++) {
			const uint8* pixel = row + 4 * x;
			float* out = &picture.values[(size_t(y) * picture.width + x) * 3];
			const bool transparent = pixel[3] < 128;
			out[0] = transparent ? 255 : pixel[2];
			out[1] = transparent ? 255 : pixel[1];
			out[2] = transparent ? 255 : pixel[0];
		}
	}
	return picture;
}

bool
LoadImage(const char* path, Picture& picture)
{
	std::unique_ptr<BBitmap> loaded(BTranslationUtils::GetBitmapFile(path));
	if (!loaded || !loaded->IsValid())
		return false;
	picture = FromBitmap(*loaded);
	return true;
}

// The exporter's text: the bounds and colour space from
// "BRect(0.0,0.0,R,B),B_CMAP8," and the bytes of the array, rows padded to
// four bytes.
bool
LoadExportedText(const char* path, Picture& picture)
{
	std::ifstream file(path);
	std::stringstream buffer;
	buffer << file.rdbuf();
	const std::string text = buffer.str();
	size_t rect = text.find("BRect(");
	if (rect == std::string::npos)
		return false;
	float left, top, right, bottom;
	if (sscanf(text.c_str() + rect, "BRect(%f,%f,%f,%f)", &left, &top, &right, &bottom) != 4)
		return false;
	const struct {
		const char* name;
		color_space space;
	} kSpaces[] = {
		{"B_CMAP8,", B_CMAP8},
		{"B_RGB32,", B_RGB32},
		{"B_RGBA32,", B_RGBA32},
		{"B_RGB16,", B_RGB16},
		{"B_RGB15,", B_RGB15},
		{"B_RGBA15,", B_RGBA15},
		{"B_GRAY8,", B_GRAY8},
		{"B_GRAY1,", B_GRAY1},
	};
	const size_t spaceAt = text.find("),", rect) + 2;
	color_space space = B_NO_COLOR_SPACE;
	for (const auto& entry : kSpaces) {
		if (text.compare(spaceAt, strlen(entry.name), entry.name) == 0)
			space = entry.space;
	}
	if (space == B_NO_COLOR_SPACE)
		return false;
	BBitmap bitmap(BRect(left, top, right, bottom), space);
	uint8* bits = static_cast<uint8*>(bitmap.Bits());
	size_t at = text.find('{');
	const size_t end = text.find("};", at);
	int32 count = 0;
	while (count < bitmap.BitsLength()) {
		at = text.find("0x", at);
		if (at == std::string::npos || at > end)
			return false;
		bits[count++] = uint8(strtoul(text.c_str() + at, nullptr, 16));
		at += 2;
	}
	picture = FromBitmap(bitmap);
	return true;
}

// Separable Gaussian, sigma 1, radius 3, edges repeated.
Picture
Blurred(const Picture& source)
{
	constexpr int32 kRadius = 3;
	float weights[2 * kRadius + 1];
	float sum = 0;
	for (int32 i = -kRadius; i <= kRadius; i++)
		sum += weights[i + kRadius] = std::exp(-0.5f * float(i * i));
	for (float& weight : weights)
		weight /= sum;
	auto pass = [&](const Picture& in, bool horizontal) {
		Picture out = in;
		for (int32 y = 0; y < in.height; y++) {
			for (int32 x = 0; x < in.width; x++) {
				float total[3] = {0, 0, 0};
				for (int32 i = -kRadius; i <= kRadius; i++) {
					int32 sx = horizontal ? std::clamp(x + i, 0, in.width - 1) : x;
					int32 sy = horizontal ? y : std::clamp(y + i, 0, in.height - 1);
					const float* pixel = &in.values[(size_t(sy) * in.width + sx) * 3];
					for (int32 c = 0; c < 3; c++)
						total[c] += weights[i + kRadius] * pixel[c];
				}
				float* target = &out.values[(size_t(y) * in.width + x) * 3];
				for (int32 c = 0; c < 3; c++)
					target[c] = total[c];
			}
		}
		return out;
	};
	return pass(pass(source, true), false);
}

void
ToLab(const float* rgb, double lab[3])
{
	double linear[3];
	for (int32 c = 0; c < 3; c++) {
		double v = rgb[c] / 255.0;
		linear[c] = v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
	}
	const double x = (0.4124564 * linear[0] + 0.3575761 * linear[1] + 0.1804375 * linear[2])
		/ 0.95047;
	const double y = 0.2126729 * linear[0] + 0.7151522 * linear[1] + 0.0721750 * linear[2];
	const double z = (0.0193339 * linear[0] + 0.1191920 * linear[1] + 0.9503041 * linear[2])
		/ 1.08883;
	auto f = [](double t) {
		return t > 216.0 / 24389.0 ? std::cbrt(t) : (24389.0 / 27.0 * t + 16.0) / 116.0;
	};
	lab[0] = 116.0 * f(y) - 16.0;
	lab[1] = 500.0 * (f(x) - f(y));
	lab[2] = 200.0 * (f(y) - f(z));
}

} // namespace

int
main(int argc, char** argv)
{
	if (argc != 3) {
		fprintf(stderr, "usage: dither-measure ORIGINAL RESULT\n");
		return 2;
	}
	Picture original, result;
	if (!LoadImage(argv[1], original)) {
		fprintf(stderr, "dither-measure: cannot read %s\n", argv[1]);
		return 1;
	}
	const std::string resultPath = argv[2];
	const bool isText = resultPath.size() > 2 && resultPath.substr(resultPath.size() - 2) == ".h";
	if (!(isText ? LoadExportedText(argv[2], result) : LoadImage(argv[2], result))) {
		fprintf(stderr, "dither-measure: cannot read %s\n", argv[2]);
		return 1;
	}
	if (original.width != result.width || original.height != result.height) {
		fprintf(stderr, "dither-measure: %s and %s differ in size\n", argv[1], argv[2]);
		return 1;
	}
	const Picture a = Blurred(original);
	const Picture b = Blurred(result);
	double total = 0;
	const size_t pixels = size_t(a.width) * a.height;
	for (size_t i = 0; i < pixels; i++) {
		double labA[3], labB[3];
		ToLab(&a.values[3 * i], labA);
		ToLab(&b.values[3 * i], labB);
		total += std::sqrt((labA[0] - labB[0]) * (labA[0] - labB[0])
			+ (labA[1] - labB[1]) * (labA[1] - labB[1])
			+ (labA[2] - labB[2]) * (labA[2] - labB[2]));
	}
	printf("%.4f\n", total / double(pixels));
	return 0;
}
