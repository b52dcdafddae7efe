#include "ShrunkImage.h"

#include "ImageRows.h"

#include <cstring>
#include <vector>

namespace {

constexpr uint32 kMagicColor = B_TRANSPARENT_MAGIC_RGBA32 & 0x00ffffffu;

// Sums of one result pixel's block: blue, green, red (each weighted by
// alpha when averaging with alpha) and alpha.
struct Sums {
	uint64 blue = 0;
	uint64 green = 0;
	uint64 red = 0;
	uint64 alpha = 0;
};

template<TransparencyShown kMode>
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

template<TransparencyShown kMode>
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
Blocks(int32 sourceLength, int32 length, std::vector<int32>& blockOf,
	std::vector<int32>& blockSize)
{
	blockOf.resize(size_t(sourceLength));
	blockSize.assign(size_t(length), 0);
	for (int32 at = 0; at < sourceLength; at++) {
		blockOf[size_t(at)] = int32(int64(at) * length / sourceLength);
		blockSize[size_t(blockOf[size_t(at)])]++;
	}
}

template<TransparencyShown kMode>
void
Shrink(ImageRows& rows, BBitmap& result)
{
	const int32 width = result.Width();
	const int32 height = result.Height();
	std::vector<int32> columnOf;
	std::vector<int32> columnSize;
	std::vector<int32> rowOf;
	std::vector<int32> rowSize;
	Blocks(rows.Width(), width, columnOf, columnSize);
	Blocks(rows.Height(), height, rowOf, rowSize);

	std::vector<Sums> sums(static_cast<size_t>(width));
	std::vector<uint32> out(static_cast<size_t>(width));
	uint8* bits = static_cast<uint8*>(result.Bits());
	const int32 sourceWidth = rows.Width();
	for (int32 y = 0; y < rows.Height(); y++) {
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
		std::memcpy(bits + int64(target) * result.BytesPerRow(), out.data(),
			out.size() * sizeof(uint32));
	}
}

} // namespace

std::unique_ptr<BBitmap>
ShrinkImage(const BBitmap& source, int32 width, int32 height, TransparencyShown transparency)
{
	if (width < 1 || height < 1 || width > source.Width() || height > source.Height())
		return nullptr;
	ImageRows rows(source);
	if (!rows.IsValid())
		return nullptr;
	auto result = std::make_unique<BBitmap>(
		BRect(0, 0, float(width - 1), float(height - 1)), B_RGBA32);
	if (!result->IsValid())
		return nullptr;
	if (transparency == TransparencyShown::kAsMagicColor)
		Shrink<TransparencyShown::kAsMagicColor>(rows, *result);
	else
		Shrink<TransparencyShown::kAsAlpha>(rows, *result);
	return result;
}
