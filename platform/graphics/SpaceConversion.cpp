// SPDX-License-Identifier: MIT
#include "SpaceConversion.h"

#include "ChannelDither.h"
#include "ColorConversion.h"
#include "ExactPixels.h"
#include "PixelAccess.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

using namespace BPrivate;

namespace {

using Band = std::pair<int32, int32>; // first row, row after the last

// Runs `work` on each band: the first on this thread, the others on threads
// of their own (here too when a thread cannot be had). The bands write
// disjoint rows, so the result does not depend on how they are run.
void
RunBands(const std::vector<Band>& bands, const std::function<void(int32, int32)>& work)
{
	std::vector<std::thread> threads;
	for (size_t i = 1; i < bands.size(); i++) {
		try {
			threads.emplace_back(work, bands[i].first, bands[i].second);
		} catch (const std::system_error&) {
			work(bands[i].first, bands[i].second);
		}
	}
	if (!bands.empty())
		work(bands[0].first, bands[0].second);
	for (std::thread& thread : threads)
		thread.join();
}

// Rows that do not depend on one another, shared out for a large image: a
// band of at least a quarter million pixels per core, at most four (each
// thread's stack is address space the exporter's bound counts).
std::vector<Band>
IndependentBands(int32 width, int32 height)
{
	constexpr int64 kPixelsPerBand = 1 << 18;
	const int64 cores = std::max(1u, std::thread::hardware_concurrency());
	const int64 wanted = std::min<int64>(
		{cores, 4, int64(width) * height / kPixelsPerBand, height});
	const int32 count = int32(std::max<int64>(wanted, 1));
	std::vector<Band> bands;
	for (int32 i = 0; i < count; i++)
		bands.emplace_back(
			int32(int64(height) * i / count), int32(int64(height) * (i + 1) / count));
	return bands;
}

// Error diffusion carries error from row to row, so its bands are fixed by
// the image alone: one band under 64 rows, otherwise the top half (an even
// number of rows) and the rest, which pass each other no error.
std::vector<Band>
DiffusionBands(int32 height)
{
	constexpr int32 kBandedFrom = 64;
	if (height < kBandedFrom)
		return {{0, height}};
	const int32 topRows = ((height + 1) / 2 + 1) & ~1;
	return {{0, topRows}, {topRows, height}};
}

// B_RGB32's transparent value, and alpha 255 for every other pixel, in a
// row of B_RGB32 read as B_RGBA32.
void
StraightenRgb32(const uint8* in, uint8* out, int32 width)
{
	using namespace pixel;
	for (int32 x = 0; x < width; x++) {
		const uint32 value = Load32(in + 4 * x);
		Store32(out + 4 * x, value == kMagic ? kMagic : value | kOpaque);
	}
}

// Rows of `source` converted into `target`'s layout by `convertRow(in, out)`,
// `in` being the row as straight B_RGBA32.
template <typename ConvertRow>
void
ConvertRows(const BBitmap& source, BBitmap& target, ConvertRow convertRow)
{
	const int32 width = source.Width();
	RunBands(IndependentBands(width, source.Height()), [&](int32 first, int32 end) {
		std::vector<uint8> scratch;
		if (source.ColorSpace() != B_RGBA32)
			scratch.resize(size_t(width) * 4);
		for (int32 y = first; y < end; y++) {
			const uint8* in = static_cast<const uint8*>(source.Bits())
				+ int64(y) * source.BytesPerRow();
			uint8* out = static_cast<uint8*>(target.Bits()) + int64(y) * target.BytesPerRow();
			if (source.ColorSpace() == B_RGB32) {
				StraightenRgb32(in, scratch.data(), width);
				in = scratch.data();
			} else if (!scratch.empty()) {
				ConvertPixels(in, source.ColorSpace(), 0, scratch.data(), B_RGBA32, 0, width);
				in = scratch.data();
			}
			convertRow(in, out, width);
		}
	});
}

// A straight pixel laid over the background: opaque, round((A·c + (255 − A)·bg)/255)
// in each channel.
inline uint32
Over(uint32 pixel, rgb_color background)
{
	using namespace pixel;
	const uint32 alpha = Alpha(pixel);
	if (alpha == 255)
		return pixel;
	return Pack(exact::Over(Red(pixel), alpha, background.red),
		exact::Over(Green(pixel), alpha, background.green),
		exact::Over(Blue(pixel), alpha, background.blue), 255);
}

void
ToGray8(const uint8* in, uint8* out, int32 width, rgb_color background)
{
	using namespace pixel;
	for (int32 x = 0; x < width; x++) {
		const uint32 pixel = Over(Load32(in + 4 * x), background);
		out[x] = uint8(exact::Lightness(Red(pixel), Green(pixel), Blue(pixel)));
	}
}

// A converter of straight B_RGBA32 rows into one space, for ConvertRows.
using RowConverter = void (*)(const uint8* in, uint8* out, int32 width, rgb_color background);

// Each pixel by the space's writer (PixelAccess.h), laid over the
// background first where the space has no transparency. For the 16-bit
// spaces these are the nearest values, which quantizing without dithering
// gives too, a good deal slower.
template <typename Writer, bool kOverBackground>
void
Written(const uint8* in, uint8* out, int32 width, rgb_color background)
{
	const Writer writer{};
	for (int32 x = 0; x < width; x++) {
		uint32 pixel = pixel::Load32(in + 4 * x);
		if constexpr (kOverBackground)
			pixel = Over(pixel, background);
		writer.Write(out, x, pixel);
	}
}

// What the export calls each space, and how each is made from straight
// colour: row by row where `nearest` says how (for a space that dithers,
// when it is not dithered), otherwise quantized (ChannelDither.h); B_RGB32
// and B_CMAP8 have roads of their own.
struct KnownSpace {
	const char* name;
	color_space space;
	bool dithers;
	bool background;
	RowConverter nearest;
};

constexpr KnownSpace kKnownSpaces[] = {
	{"rgb32", B_RGB32, false, false, nullptr},
	{"cmap8", B_CMAP8, true, false, nullptr},
	{"rgba32", B_RGBA32, false, false, Written<pixel::WriteRGBA32, false>},
	{"rgb16", B_RGB16, true, true, Written<pixel::WriteRGB16, true>},
	{"rgb15", B_RGB15, true, false, Written<pixel::WriteRGB15, false>},
	{"rgba15", B_RGBA15, true, false, Written<pixel::WriteRGBA15, false>},
	{"gray8", B_GRAY8, false, true, ToGray8},
	{"gray1", B_GRAY1, true, true, nullptr},
	{"rgb24", B_RGB24, false, true, Written<pixel::WriteRGB24, true>},
	{"rgb24-big", B_RGB24_BIG, false, true, Written<pixel::WriteRGB24Big, true>},
	{"rgb16-big", B_RGB16_BIG, true, true, Written<pixel::WriteRGB16Big, true>},
	{"rgb15-big", B_RGB15_BIG, true, false, Written<pixel::WriteRGB15Big, false>},
	{"rgba15-big", B_RGBA15_BIG, true, false, Written<pixel::WriteRGBA15Big, false>},
	{"rgb32-big", B_RGB32_BIG, false, false, Written<pixel::WriteRGB32Big, false>},
	{"rgba32-big", B_RGBA32_BIG, false, false, Written<pixel::WriteRGBA32Big, false>},
};

const KnownSpace*
Known(color_space space)
{
	for (const KnownSpace& known : kKnownSpaces) {
		if (known.space == space)
			return &known;
	}
	return nullptr;
}

std::unique_ptr<BBitmap>
CopiedBitmap(const BBitmap& source)
{
	auto copy = std::make_unique<BBitmap>(source.Bounds(), source.ColorSpace(), false, false);
	if (!copy->IsValid())
		return nullptr;
	std::memcpy(copy->Bits(), source.Bits(), size_t(source.BitsLength()));
	return copy;
}

} // namespace

bool
ColorSpaceNamed(const char* name, color_space& space)
{
	for (const KnownSpace& known : kKnownSpaces) {
		if (std::strcmp(name, known.name) == 0) {
			space = known.space;
			return true;
		}
	}
	return false;
}

bool
SpaceDithers(color_space space)
{
	const KnownSpace* known = Known(space);
	return known != nullptr && known->dithers;
}

bool
SpaceHasBackground(color_space space)
{
	const KnownSpace* known = Known(space);
	return known != nullptr && known->background;
}

std::unique_ptr<BBitmap>
BitmapInSpace(const BBitmap& source, const SpaceConversion& conversion)
{
	const color_space space = conversion.space;
	const KnownSpace* known = Known(space);
	if (!source.IsValid() || known == nullptr)
		return nullptr;
	if (space == B_CMAP8)
		return DitheredBitmap(source, conversion.dither);
	if (source.ColorSpace() == space)
		return CopiedBitmap(source);

	LeveledSpace leveled;
	const bool isLeveled = LeveledSpace::For(space, conversion.background, leveled);
	auto target = std::make_unique<BBitmap>(source.Bounds(), space, false, false);
	if (!target->IsValid())
		return nullptr;
	if (space == B_RGB32) {
		target->SetBits(source.Bits(), source.BitsLength(), 0, source.ColorSpace());
	} else if (known->nearest != nullptr
		&& (conversion.dither == DitherKind::kNone || !known->dithers)) {
		const RowConverter convert = known->nearest;
		const rgb_color background = conversion.background;
		ConvertRows(
			source, *target, [convert, background](const uint8* in, uint8* out, int32 width) {
				convert(in, out, width, background);
			});
	} else if (isLeveled) {
		const std::vector<Band> bands = conversion.dither == DitherKind::kFloydSteinberg
			? DiffusionBands(source.Height())
			: IndependentBands(source.Width(), source.Height());
		RunBands(bands, [&](int32 first, int32 end) {
			QuantizeRows(source, *target, leveled, conversion.dither, first, end);
		});
	} else {
		return nullptr;
	}
	return target;
}
