#include "SpaceConversion.h"

#include "ChannelDither.h"
#include "ColorConversion.h"
#include "ExactPixels.h"
#include "NamedValue.h"
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
	const int64 wanted = std::min<int64>({cores, 4, int64(width) * height / kPixelsPerBand,
		height});
	const int32 count = int32(std::max<int64>(wanted, 1));
	std::vector<Band> bands;
	for (int32 i = 0; i < count; i++)
		bands.emplace_back(int32(int64(height) * i / count), int32(int64(height) * (i + 1) / count));
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
template<typename ConvertRow>
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

void
ToGray8(const uint8* in, uint8* out, int32 width, rgb_color background)
{
	using namespace pixel;
	for (int32 x = 0; x < width; x++) {
		const uint32 pixel = Load32(in + 4 * x);
		const uint32 alpha = Alpha(pixel);
		uint32 red = Red(pixel);
		uint32 green = Green(pixel);
		uint32 blue = Blue(pixel);
		if (alpha != 255) {
			red = exact::Over(red, alpha, background.red);
			green = exact::Over(green, alpha, background.green);
			blue = exact::Over(blue, alpha, background.blue);
		}
		out[x] = uint8(exact::Lightness(red, green, blue));
	}
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
	static const std::pair<const char*, color_space> kNames[] = {
		{"rgb32", B_RGB32}, {"cmap8", B_CMAP8}, {"rgba32", B_RGBA32}, {"rgb16", B_RGB16},
		{"rgb15", B_RGB15}, {"rgba15", B_RGBA15}, {"gray8", B_GRAY8}, {"gray1", B_GRAY1},
	};
	return ValueNamed(name, kNames, space);
}

bool
SpaceDithers(color_space space)
{
	return space == B_CMAP8 || space == B_RGB16 || space == B_RGB15 || space == B_RGBA15
		|| space == B_GRAY1;
}

bool
SpaceHasBackground(color_space space)
{
	return space == B_RGB16 || space == B_GRAY8 || space == B_GRAY1;
}

std::unique_ptr<BBitmap>
BitmapInSpace(const BBitmap& source, const SpaceConversion& conversion)
{
	const color_space space = conversion.space;
	if (!source.IsValid())
		return nullptr;
	if (space == B_CMAP8)
		return DitheredBitmap(source, conversion.dither);
	if (source.ColorSpace() == space)
		return CopiedBitmap(source);

	LeveledSpace leveled;
	const bool isLeveled = LeveledSpace::For(space, conversion.background, leveled);
	if (!isLeveled && space != B_RGB32 && space != B_RGBA32 && space != B_GRAY8)
		return nullptr;
	auto target = std::make_unique<BBitmap>(source.Bounds(), space, false, false);
	if (!target->IsValid())
		return nullptr;
	if (space == B_RGB32) {
		target->SetBits(source.Bits(), source.BitsLength(), 0, source.ColorSpace());
	} else if (space == B_RGBA32) {
		ConvertRows(source, *target, [](const uint8* in, uint8* out, int32 width) {
			std::memcpy(out, in, size_t(width) * 4);
		});
	} else if (space == B_GRAY8) {
		const rgb_color background = conversion.background;
		ConvertRows(source, *target, [background](const uint8* in, uint8* out, int32 width) {
			ToGray8(in, out, width, background);
		});
	} else {
		const std::vector<Band> bands = conversion.dither == DitherKind::kFloydSteinberg
			? DiffusionBands(source.Height()) : IndependentBands(source.Width(), source.Height());
		RunBands(bands, [&](int32 first, int32 end) {
			QuantizeRows(source, *target, leveled, conversion.dither, first, end);
		});
	}
	return target;
}
