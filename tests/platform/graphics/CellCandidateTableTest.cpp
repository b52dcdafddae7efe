// SPDX-License-Identifier: MIT
// The small tables dithering answers from agree with the full table for
// every colour there is: the one error diffusion looks colours up in, index
// and colour (ties and crowded cells included), and the set of map colours
// ordered dithering keeps.

#include <CellCandidateTable.h>
#include <MapColorSet.h>

#include <SystemColorMap.h>

#include <gtest/gtest.h>

TEST(CellCandidateTable, AgreesWithTheFullTableOnEveryColour)
{
	const CellCandidateTable* candidates = CellCandidateTable::Get();
	ASSERT_NE(candidates, nullptr);
	const uint8* full = BPrivate::SystemColorMap().FullTable();
	ASSERT_NE(full, nullptr);
	const BPrivate::ColorMap& map = BPrivate::SystemColorMap();
	uint32 answers[256];
	for (uint32 index = 0; index < 256; index++) {
		const rgb_color& color = map.ColorAt(uint8(index));
		answers[index] = index << 24 | uint32(color.red) << 16 | uint32(color.green) << 8
			| color.blue;
	}
	uint32 disagreements = 0;
	uint32 first = 0;
	for (uint32 color = 0; color < (1u << 24); color++) {
		if (candidates->NearestFor(color) != answers[full[color]] && disagreements++ == 0)
			first = color;
	}
	EXPECT_EQ(disagreements, 0u) << "first at 0x" << std::hex << first;
	// White and grey 152 are held twice; the lower index answers.
	EXPECT_EQ(candidates->IndexFor(0xffffff), 63);
	EXPECT_EQ(candidates->IndexFor(0x989898), 19);
}

TEST(MapColorSet, FindsTheMapColoursAndNoOthers)
{
	const BPrivate::ColorMap& map = BPrivate::SystemColorMap();
	const uint8* full = map.FullTable();
	ASSERT_NE(full, nullptr);
	const MapColorSet set;
	uint32 disagreements = 0;
	uint32 first = 0;
	for (uint32 color = 0; color < (1u << 24); color++) {
		const rgb_color& nearest = map.ColorAt(full[color]);
		const bool isMapColor = (uint32(nearest.red) << 16 | uint32(nearest.green) << 8
									| nearest.blue)
			== color;
		uint8 index = 0;
		const bool found = set.Find(color, index);
		if ((found != isMapColor || (found && index != full[color])) && disagreements++ == 0)
			first = color;
	}
	EXPECT_EQ(disagreements, 0u) << "first at 0x" << std::hex << first;
}
