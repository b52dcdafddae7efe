// SPDX-License-Identifier: MIT
#pragma once

// The exact nearest system-map colour of every opaque colour, answered from
// 512 KiB instead of the colour map's 16 MiB full table: for each 5-5-5 cell
// (8 x 8 x 8 colours) a few map colours among which every colour of the
// cell has its nearest. Most cells have at most four; the few crowded ones
// (about 1 in 100, near the greys) keep their whole list apart. The answer
// is the candidate at the smallest distance, the lower index on a tie,
// which is the full table's own rule, so both always agree. Error diffusion
// looks its colours up one after another, each waiting for the last: a
// table that stays in the cache and a search without branches, four
// candidates at once, keep that chain short.
//
// Thread safety: built once from the full table, on the first call of
// Get(), and read-only afterwards; any thread may use it at any time.

#include <SupportDefs.h>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

class CellCandidateTable {
public:
	// The table, or null when the colour map's full table could not be had.
	static const CellCandidateTable* Get();

	// The nearest map colour of `color` (red << 16 | green << 8 | blue),
	// with its index: index << 24 | red << 16 | green << 8 | blue, so that
	// error diffusion has the colour without another look-up.
	uint32 NearestFor(uint32 color) const
	{
		const Cell& cell = fCells[CellOf(color)];
		if (__builtin_expect(cell.answers[0] >> 24 == kCrowded, 0))
			return CrowdedNearest(color, cell.answers[1]);
#if defined(__SSE2__)
		return fAnswers[NearestOfFour(OwnChannels(color), cell)];
#else
		uint32 nearest = KeyOf(color, cell.answers[0]);
		for (int32 i = 1; i < 4; i++)
			nearest = std::min(nearest, KeyOf(color, cell.answers[i]));
		return fAnswers[nearest & 0xff];
#endif
	}

	// The index alone.
	uint8 IndexFor(uint32 color) const
	{
		return uint8(NearestFor(color) >> 24);
	}

#if defined(__SSE2__)
	// The squared distances of a cell's four answers from a colour, as four
	// 32-bit lanes, from their channels' differences as 16-bit blue, green,
	// red and 0: answers 0 and 1 in `low`, 2 and 3 in `high`. Always inlined,
	// for the vector loop's file is built for other processors.
	[[gnu::always_inline]] static __m128i SquaredDistances(__m128i low, __m128i high)
	{
		// Per answer blue^2 + green^2 and red^2 + 0, two answers a vector.
		const __m128 lowSums = _mm_castsi128_ps(_mm_madd_epi16(low, low));
		const __m128 highSums = _mm_castsi128_ps(_mm_madd_epi16(high, high));
		const __m128i firsts = _mm_castps_si128(
			_mm_shuffle_ps(lowSums, highSums, _MM_SHUFFLE(2, 0, 2, 0)));
		const __m128i seconds = _mm_castps_si128(
			_mm_shuffle_ps(lowSums, highSums, _MM_SHUFFLE(3, 1, 3, 1)));
		return _mm_add_epi32(firsts, seconds);
	}

	// A colour's channels as NearestOfFour takes them: 16-bit blue, green,
	// red and 0, twice over.
	static __m128i OwnChannels(uint32 color)
	{
		return _mm_unpacklo_epi8(_mm_set1_epi32(int32(color)), _mm_setzero_si128());
	}
#endif

	// A map index as NearestFor answers with it: index << 24 | its colour.
	static uint32 AnswerOf(uint8 index);

	// For a search of the caller's own (error diffusion's vector loop): the
	// four answers of `color`'s cell, in ascending order of index, the first
	// repeated where there are fewer; unless the cell is crowded, when
	// NearestInCrowded answers instead.
	const uint32* AnswersOfCell(uint32 color) const
	{
		// The cell's byte offset, CellOf(color) * sizeof(Cell) in one step.
		static_assert(sizeof(Cell) == 16);
		const uint32 offset = ((color >> 5) & 0x7c000) | ((color >> 2) & 0x3e00)
			| ((color << 1) & 0x1f0);
		return reinterpret_cast<const Cell*>(reinterpret_cast<const uint8*>(fCells.get()) + offset)
			->answers;
	}
	static bool IsCrowded(const uint32* answers)
	{
		return answers[0] >> 24 == kCrowded;
	}
	uint32 NearestInCrowded(uint32 color, const uint32* answers) const;

private:
	CellCandidateTable();

	// Never an answer (it stands for transparency): the index of a crowded
	// cell's first answer, whose second one is where its list starts in
	// fCrowded (the list's length, then its answers).
	static constexpr uint32 kCrowded = 255;

	// Four answers (index << 24 | colour), the first one repeated where
	// there are fewer.
	struct alignas(16) Cell {
		uint32 answers[4];
	};

	static uint32 CellOf(uint32 color)
	{
		return ((color >> 9) & 0x7c00) | ((color >> 6) & 0x3e0) | ((color >> 3) & 0x1f);
	}

	// A candidate's squared distance from `color`, shifted by 8, with its
	// index below: the smallest key is the nearest candidate, and of equally
	// near ones the lower index. At most 3 * 255^2 << 8, below 2^26.
	static uint32 KeyOf(uint32 color, uint32 answer)
	{
		uint32 distance = 0;
		for (int32 shift = 0; shift < 24; shift += 8) {
			const int32 difference = int32((color >> shift) & 0xff)
				- int32((answer >> shift) & 0xff);
			distance += uint32(difference * difference);
		}
		return distance << 8 | answer >> 24;
	}

#if defined(__SSE2__)
	// The index of the nearest of a cell's four answers: the four keys are
	// made side by side, each channel's difference in 16 bits and the
	// squares summed in pairs, and the least kept. `own` is the colour's
	// channels (OwnChannels).
	static uint32 NearestOfFour(__m128i own, const Cell& cell)
	{
		const __m128i answers = _mm_load_si128(reinterpret_cast<const __m128i*>(cell.answers));
		const __m128i zero = _mm_setzero_si128();
		const __m128i colors = _mm_and_si128(answers, _mm_set1_epi32(0x00ffffff));
		const __m128i low = _mm_sub_epi16(_mm_unpacklo_epi8(colors, zero), own);
		const __m128i high = _mm_sub_epi16(_mm_unpackhi_epi8(colors, zero), own);
		__m128i keys = _mm_or_si128(
			_mm_slli_epi32(SquaredDistances(low, high), 8), _mm_srli_epi32(answers, 24));
		// Keys are below 2^26, so the signed comparison orders them.
		auto least = [](__m128i a, __m128i b) {
			const __m128i greater = _mm_cmpgt_epi32(a, b);
			return _mm_or_si128(_mm_and_si128(greater, b), _mm_andnot_si128(greater, a));
		};
		keys = least(keys, _mm_shuffle_epi32(keys, _MM_SHUFFLE(1, 0, 3, 2)));
		keys = least(keys, _mm_shuffle_epi32(keys, _MM_SHUFFLE(2, 3, 0, 1)));
		return uint32(_mm_cvtsi128_si32(keys)) & 0xff;
	}
#endif

	// The nearest of a crowded cell's list: its length, then its answers.
	uint32 CrowdedNearest(uint32 color, uint32 start) const
	{
		const uint32* list = &fCrowded[start];
		uint32 nearest = KeyOf(color, list[1]);
		for (uint32 i = 2; i <= list[0]; i++)
			nearest = std::min(nearest, KeyOf(color, list[i]));
		return fAnswers[nearest & 0xff];
	}

	std::unique_ptr<Cell[]> fCells;
	std::vector<uint32> fCrowded;
	// Each index's answer: index << 24 | its colour.
	std::array<uint32, 256> fAnswers;
};
