// The small table error diffusion looks colours up in gives the full
// table's answer for every colour there is, ties and crowded cells included.

#include <CellCandidateTable.h>

#include <SystemColorMap.h>

#include <gtest/gtest.h>

TEST(CellCandidateTable, AgreesWithTheFullTableOnEveryColour)
{
	const CellCandidateTable* candidates = CellCandidateTable::Get();
	ASSERT_NE(candidates, nullptr);
	const uint8* full = BPrivate::SystemColorMap().FullTable();
	ASSERT_NE(full, nullptr);
	uint32 disagreements = 0;
	uint32 first = 0;
	for (uint32 color = 0; color < (1u << 24); color++) {
		if (candidates->IndexFor(color) != full[color] && disagreements++ == 0)
			first = color;
	}
	EXPECT_EQ(disagreements, 0u) << "first at 0x" << std::hex << first;
	// White and grey 152 are held twice; the lower index answers.
	EXPECT_EQ(candidates->IndexFor(0xffffff), 63);
	EXPECT_EQ(candidates->IndexFor(0x989898), 19);
}
