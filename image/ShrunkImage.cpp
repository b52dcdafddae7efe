// SPDX-License-Identifier: MIT
#include "ShrunkImage.h"

#include "ImageRows.h"

#include <algorithm>
#include <cstring>
#include <system_error>
#include <thread>
#include <vector>

namespace {

constexpr uint32 kMagicColor = B_TRANSPARENT_MAGIC_RGBA32 & 0x00ffffffu;
// Below this many source pixels a thread of its own costs more than it saves.
constexpr int64 kPixelsPerThread = 1 << 20;
constexpr int64 kMaxThreads = 4;

// Sums of one result pixel's block: blue, green, red (each weighted by
// alpha when averaging with alpha) and alpha.
struct Sums {
	uint64 blue = 0;
	uint64 green = 0;
	uint64 red = 0;
	uint64 alpha = 0;
};

template <TransparencyShown kMode>
inline void
AddPixel(Sums& sums, uint32 pixel)
{
	uint32 alpha = pixel >> 24;
	if constexpr (kMode == TransparencyShown::kAsMagicColor) {
		if (alpha < 128)
			pixel = kMagicColor;
		sums.blue += pixel & 0xff;
		sums.green += (pixel >> 8) & 0xff;
		sums.red += (pixel >> 16) & 0xff;
	} else {
		sums.blue += uint64(pixel & 0xff) * alpha;
		sums.green += uint64((pixel >> 8) & 0xff) * alpha;
		sums.red += uint64((pixel >> 16) & 0xff) * alpha;
		sums.alpha += alpha;
	}
}

inline uint32
Divided(uint64 sum, uint64 count)
{
	return uint32((sum + count / 2) / count);
}

template <TransparencyShown kMode>
inline uint32
MeanPixel(const Sums& sums, uint64 count)
{
	if constexpr (kMode == TransparencyShown::kAsMagicColor) {
		return Divided(sums.blue, count) | Divided(sums.green, count) << 8
			| Divided(sums.red, count) << 16 | 0xff000000u;
	} else {
		if (sums.alpha == 0)
			return 0;
		return Divided(sums.blue, sums.alpha) | Divided(sums.green, sums.alpha) << 8
			| Divided(sums.red, sums.alpha) << 16 | Divided(sums.alpha, count) << 24;
	}
}

// The result column (or row) of each source one, and how many source ones
// each result one covers.
void
Blocks(int32 sourceLength, int32 length, std::vector<int32>& blockOf, std::vector<int32>& blockSize)
{
	blockOf.resize(size_t(sourceLength));
	blockSize.assign(size_t(length), 0);
	for (int32 at = 0; at < sourceLength; at++) {
		blockOf[size_t(at)] = int32(int64(at) * length / sourceLength);
		blockSize[size_t(blockOf[size_t(at)])]++;
	}
}

// Result rows [firstRow, endRow), from the source rows that fall in them.
template <TransparencyShown kMode>
void
ShrinkRows(const BBitmap& source, BBitmap& result, const std::vector<int32>& columnOf,
	const std::vector<int32>& columnSize, const std::vector<int32>& rowOf,
	const std::vector<int32>& rowSize, int32 firstRow, int32 endRow)
{
	ImageRows rows(source);
	if (!rows.IsValid())
		return;
	const int32 width = result.Width();
	std::vector<Sums> sums(static_cast<size_t>(width));
	std::vector<uint32> out(static_cast<size_t>(width));
	uint8* bits = static_cast<uint8*>(result.Bits());
	const int32 sourceWidth = rows.Width();
	// The first source row of result row firstRow: rowOf is non-decreasing.
	int32 y = int32(std::lower_bound(rowOf.begin(), rowOf.end(), firstRow) - rowOf.begin());
	for (; y < rows.Height() && rowOf[size_t(y)] < endRow; y++) {
		const uint32* row = rows.Row(y);
		for (int32 x = 0; x < sourceWidth; x++)
			AddPixel<kMode>(sums[size_t(columnOf[size_t(x)])], row[x]);

		int32 target = rowOf[size_t(y)];
		bool lastOfBlock = y + 1 == rows.Height() || rowOf[size_t(y + 1)] != target;
		if (!lastOfBlock)
			continue;
		for (int32 x = 0; x < width; x++) {
			uint64 count = uint64(columnSize[size_t(x)]) * uint64(rowSize[size_t(target)]);
			out[size_t(x)] = MeanPixel<kMode>(sums[size_t(x)], count);
			sums[size_t(x)] = Sums();
		}
		std::memcpy(
			bits + int64(target) * result.BytesPerRow(), out.data(), out.size() * sizeof(uint32));
	}
}

// A large image's result rows are shared out among a few threads; each
// result pixel is made by one of them alone, so the result does not depend
// on how many there are.
template <TransparencyShown kMode>
void
Shrink(const BBitmap& source, BBitmap& result)
{
	std::vector<int32> columnOf;
	std::vector<int32> columnSize;
	std::vector<int32> rowOf;
	std::vector<int32> rowSize;
	Blocks(source.Width(), result.Width(), columnOf, columnSize);
	Blocks(source.Height(), result.Height(), rowOf, rowSize);

	const int32 height = result.Height();
	int64 pixels = int64(source.Width()) * source.Height();
	int32 threads = int32(std::clamp<int64>(pixels / kPixelsPerThread, 1,
		std::clamp<int64>(std::thread::hardware_concurrency(), 1, kMaxThreads)));
	threads = std::min(threads, height);
	std::vector<std::thread> helpers;
	for (int32 band = 1; band < threads; band++) {
		int32 first = int32(int64(height) * band / threads);
		int32 end = int32(int64(height) * (band + 1) / threads);
		try {
			helpers.emplace_back([&, first, end] {
				ShrinkRows<kMode>(source, result, columnOf, columnSize, rowOf, rowSize, first, end);
			});
		} catch (const std::system_error&) {
			// No thread to be had: this one does the band itself.
			ShrinkRows<kMode>(source, result, columnOf, columnSize, rowOf, rowSize, first, end);
		}
	}
	ShrinkRows<kMode>(
		source, result, columnOf, columnSize, rowOf, rowSize, 0, int32(int64(height) / threads));
	for (std::thread& helper : helpers)
		helper.join();
}

} // namespace

std::unique_ptr<BBitmap>
ShrinkImage(const BBitmap& source, int32 width, int32 height, TransparencyShown transparency)
{
	if (width < 1 || height < 1 || width > source.Width() || height > source.Height())
		return nullptr;
	if (!ImageRows(source).IsValid())
		return nullptr;
	auto result = std::make_unique<BBitmap>(
		BRect(0, 0, float(width - 1), float(height - 1)), B_RGBA32);
	if (!result->IsValid())
		return nullptr;
	if (transparency == TransparencyShown::kAsMagicColor)
		Shrink<TransparencyShown::kAsMagicColor>(source, *result);
	else
		Shrink<TransparencyShown::kAsAlpha>(source, *result);
	return result;
}
