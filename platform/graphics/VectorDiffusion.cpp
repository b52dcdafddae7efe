// SPDX-License-Identifier: MIT
#include "VectorDiffusion.h"

// This file is built with SSSE3 and SSE4.1 where the compiler targets x86
// (see CMakeLists.txt): nothing in it may run before VectorDiffusionUsable()
// has asked the processor, and that check itself is built without them.
#if defined(__SSSE3__) && defined(__SSE4_1__)

__attribute__((target("no-ssse3,no-sse4.1"))) bool
VectorDiffusionUsable()
{
	static const bool sUsable = __builtin_cpu_supports("ssse3") && __builtin_cpu_supports("sse4.1");
	return sUsable;
}

#include "DiffusionOrder.h"

#include <CellCandidateTable.h>
#include <PixelAccess.h>

#include <smmintrin.h>

#include <vector>

namespace {

using namespace BPrivate::pixel;

// `value` times the constant kFactor, by shifts and additions (cheaper than
// a 32-bit multiplication of the lanes).
template <int32 kFactor>
[[gnu::always_inline]] inline __m128i
Times(__m128i value)
{
	if constexpr (kFactor == 0)
		return _mm_setzero_si128();
	else if constexpr (kFactor == 3)
		return _mm_add_epi32(_mm_slli_epi32(value, 1), value);
	else if constexpr (kFactor == 5)
		return _mm_add_epi32(_mm_slli_epi32(value, 2), value);
	else if constexpr (kFactor == 7)
		return _mm_sub_epi32(_mm_slli_epi32(value, 3), value);
	else if constexpr (kFactor == 6)
		return _mm_slli_epi32(_mm_add_epi32(_mm_slli_epi32(value, 1), value), 1);
	else if constexpr (kFactor == 8)
		return _mm_slli_epi32(value, 3);
	else if constexpr (kFactor == 10)
		return _mm_slli_epi32(_mm_add_epi32(_mm_slli_epi32(value, 2), value), 1);
	else {
		static_assert(kFactor == 16);
		return _mm_slli_epi32(value, 4);
	}
}

// What each pixel's sum starts from, in 1/256 of a level: 128 to round the
// waiting error (in 1/256) to sixteenths, 8 for the value's offset. It is
// carried in every entry of the rows below (and set in the first row's), so
// that the sum does not wait for it.
constexpr int32 kRounding = 136;

[[gnu::always_inline]] inline __m128i
Rounding()
{
	return _mm_setr_epi32(kRounding, kRounding, kRounding, 0);
}

// What passes from pixel to pixel within a band, each as four 32-bit lanes
// (blue, green, red, and one that stays 0).
struct Carried {
	// The last pixel's error, in sixteenths of a level.
	__m128i error = _mm_setzero_si128();
	// The part of the entry below the last pixel that is still open, with
	// the rounding of its sum once the entry is a pixel's.
	__m128i under = _mm_setzero_si128();
};

// One pixel, with the arithmetic of the plain loop's DiffusePixel: `waiting`
// and `behind` hold four lanes, the last of them 0.
//
// Each pixel waits for the last one's answer, so what counts is the chain
// of steps from that answer to this one's, and it is kept short: the sum
// waits only for the last pixel's share (the rest, and the rounding, which
// the rows below carry, are added first); the colour's channels come out of
// the sum already clamped by the packing (clamp(sum >> 8, 0, 255) is the
// clamped value's level), without waiting for the value; the four
// candidates' keys (squared distance << 8 | 4 * place) are compared with
// SSE4.1's minimum; and the least key's place picks the answer's levels out
// of the candidates with a byte shuffle, without a look-up by index. The
// candidates come in order of index, so the lower place settles a tie as the
// lower index does.
template <int32 kBehind, int32 kUnder>
[[gnu::always_inline]] inline void
DiffusePixel(uint32 pixel, const int32* waiting, uint8& out, int32* behind, Carried& carried,
	const CellCandidateTable& table)
{
	__m128i pixelError = _mm_setzero_si128();
	if (__builtin_expect(IsTransparent(pixel), 0)) {
		out = B_TRANSPARENT_MAGIC_CMAP8;
	} else {
		const __m128i zero = _mm_setzero_si128();
		// 256 * level + 136 + waiting + 7 * error, in 1/256 of a level (the
		// 136 is in `waiting` already), with the last pixel's share added
		// last; the last lane stays 0. The levels are shuffled straight into
		// the second byte of their lanes, the alpha byte left out.
		const __m128i shifted = _mm_shuffle_epi8(_mm_cvtsi32_si128(int32(pixel)),
			_mm_setr_epi8(-1, 0, -1, -1, -1, 1, -1, -1, -1, 2, -1, -1, -1, -1, -1, -1));
		const __m128i known = _mm_add_epi32(
			shifted, _mm_load_si128(reinterpret_cast<const __m128i*>(waiting)));
		const __m128i sum = _mm_add_epi32(known, Times<7>(carried.error));
		const __m128i value = _mm_min_epi32(
			_mm_max_epi32(_mm_srai_epi32(sum, 4), _mm_setr_epi32(8, 8, 8, 0)),
			_mm_setr_epi32(16 * 255 + 8, 16 * 255 + 8, 16 * 255 + 8, 0));
		// Blue, green, red and 0 as bytes, four times over.
		const __m128i levels = _mm_srai_epi32(sum, 8);
		const __m128i levels16 = _mm_packs_epi32(levels, levels);
		const __m128i bytes = _mm_packus_epi16(levels16, levels16);
		const uint32 color = uint32(_mm_cvtsi128_si32(bytes));
		const uint32* answers = table.AnswersOfCell(color);
		__m128i chosen;
		if (__builtin_expect(CellCandidateTable::IsCrowded(answers), 0)) {
			const uint32 answer = table.NearestInCrowded(color, answers);
			out = uint8(answer >> 24);
			chosen = _mm_cvtepu8_epi32(_mm_cvtsi32_si128(int32(answer & kColorMask)));
		} else {
			const __m128i candidates = _mm_load_si128(reinterpret_cast<const __m128i*>(answers));
			const __m128i own = _mm_cvtepu8_epi16(bytes);
			// Candidates 0 and 1, and 2 and 3, as 16-bit blue, green, red
			// and 0, less the colour's own.
			const __m128i low = _mm_sub_epi16(
				_mm_shuffle_epi8(candidates,
					_mm_setr_epi8(0, -1, 1, -1, 2, -1, -1, -1, 4, -1, 5, -1, 6, -1, -1, -1)),
				own);
			const __m128i high = _mm_sub_epi16(
				_mm_shuffle_epi8(candidates,
					_mm_setr_epi8(8, -1, 9, -1, 10, -1, -1, -1, 12, -1, 13, -1, 14, -1, -1, -1)),
				own);
			// At most 3 * 255^2 << 8 | 12, below 2^26: the signed minimum
			// orders the keys.
			__m128i keys = _mm_or_si128(
				_mm_slli_epi32(CellCandidateTable::SquaredDistances(low, high), 8),
				_mm_setr_epi32(0, 4, 8, 12));
			keys = _mm_min_epi32(keys, _mm_shuffle_epi32(keys, _MM_SHUFFLE(1, 0, 3, 2)));
			keys = _mm_min_epi32(keys, _mm_shuffle_epi32(keys, _MM_SHUFFLE(2, 3, 0, 1)));
			// The least key's low byte (its place, 4 * lane) in every byte,
			// plus the offsets of the chosen candidate's blue, green and red
			// bytes, one to a lane (bytes with the top bit set give 0).
			const __m128i pick = _mm_add_epi8(_mm_shuffle_epi8(keys, zero),
				_mm_setr_epi8(0, -128, -128, -128, 1, -128, -128, -128, 2, -128, -128, -128, -128,
					-128, -128, -128));
			chosen = _mm_shuffle_epi8(candidates, pick);
			out = reinterpret_cast<const uint8*>(answers)[(_mm_cvtsi128_si32(keys) & 12) + 3];
		}
		// value - (16 * level + 8)
		pixelError = _mm_sub_epi32(
			_mm_sub_epi32(value, _mm_setr_epi32(8, 8, 8, 0)), _mm_slli_epi32(chosen, 4));
	}
	_mm_store_si128(reinterpret_cast<__m128i*>(behind),
		_mm_add_epi32(carried.under, Times<kBehind>(pixelError)));
	carried.under = _mm_add_epi32(
		_mm_add_epi32(carried.error, Rounding()), Times<kUnder>(pixelError));
	carried.error = pixelError;
}

// The plain loop's DiffuseErrors with the pixels above: the same bands, rows
// and order, the rows below kept four lanes a pixel.
template <typename Reader>
void
DiffuseErrors(const BBitmap& source, BBitmap& target, const CellCandidateTable& table)
{
	const int32 width = source.Bounds().IntegerWidth() + 1;
	const int32 height = source.Bounds().IntegerHeight() + 1;
	const int32 topRows = TopBandRows(height);
	const size_t rowLength = size_t(width + 2) * 4;
	struct alignas(16) Lanes {
		int32 lanes[4];
	};
	std::vector<Lanes> errors(4 * size_t(width + 2), Lanes{{kRounding, kRounding, kRounding, 0}});
	int32* currentA = errors.data()->lanes;
	int32* nextA = currentA + rowLength;
	int32* currentB = nextA + rowLength;
	int32* nextB = currentB + rowLength;
	const uint8* sourceBits = static_cast<const uint8*>(source.Bits());
	uint8* targetBits = static_cast<uint8*>(target.Bits());
	const int64 sourceStride = source.BytesPerRow();
	const int64 targetStride = target.BytesPerRow();
	Reader reader;
	auto diffuseRows = [&](int32 y, auto bands, auto step) {
		constexpr bool kTwo = decltype(bands)::value == 2;
		constexpr int32 kStep = decltype(step)::value;
		const uint8* rowA = sourceBits + int64(y) * sourceStride;
		uint8* outA = targetBits + int64(y) * targetStride;
		const uint8* rowB = kTwo ? sourceBits + int64(topRows + y) * sourceStride : nullptr;
		uint8* outB = kTwo ? targetBits + int64(topRows + y) * targetStride : nullptr;
		Carried carriedA;
		Carried carriedB;
		int32 x = kStep > 0 ? 0 : width - 1;
		auto at = [&](auto shares, int32 place) {
			constexpr int32 kBehind = decltype(shares)::first_type::value;
			constexpr int32 kUnder = decltype(shares)::second_type::value;
			const int32 waiting = 4 * (place + 1);
			const int32 behind = 4 * (place + 1 - kStep);
			DiffusePixel<kBehind, kUnder>(reader.Read(rowA, place), currentA + waiting, outA[place],
				nextA + behind, carriedA, table);
			if constexpr (kTwo) {
				DiffusePixel<kBehind, kUnder>(reader.Read(rowB, place), currentB + waiting,
					outB[place], nextB + behind, carriedB, table);
			}
		};
		WalkRow<kStep>(width, x, at);
		_mm_store_si128(reinterpret_cast<__m128i*>(nextA + 4 * (x + 1)), carriedA.under);
		if constexpr (kTwo)
			_mm_store_si128(reinterpret_cast<__m128i*>(nextB + 4 * (x + 1)), carriedB.under);
		std::swap(currentA, nextA);
		if constexpr (kTwo)
			std::swap(currentB, nextB);
	};
	DiffuseBands(height, topRows, diffuseRows);
}

} // namespace

void
DiffuseIntoMapWithVectors(
	const BBitmap& source, BBitmap& target, const CellCandidateTable& table, bool alpha)
{
	if (alpha)
		DiffuseErrors<ReadRGBA32>(source, target, table);
	else
		DiffuseErrors<ReadRGB32>(source, target, table);
}

#else

bool
VectorDiffusionUsable()
{
	return false;
}

void
DiffuseIntoMapWithVectors(const BBitmap&, BBitmap&, const CellCandidateTable&, bool)
{ }

#endif
