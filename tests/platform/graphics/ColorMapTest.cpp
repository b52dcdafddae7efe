// SPDX-License-Identifier: MIT
#include <SystemColorMap.h>

#include "ReferenceColorMap.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

using BPrivate::SystemColorMap;

TEST(SystemColorMapTest, CompiledColorsAreTheDataFile)
{
	const auto& reference = test::ReferenceColors();
	for (int index = 0; index < 256; index++) {
		EXPECT_EQ(SystemColorMap().ColorAt(uint8(index)), reference[index]) << "index " << index;
	}
}

TEST(SystemColorMapTest, NamedColorsPickTheLowerOfEqualEntries)
{
	struct Case {
		rgb_color color;
		uint8 index;
	};
	const Case cases[] = {
		{{255, 255, 255, 255}, 63}, // also at 255, which is transparency
		{{152, 152, 152, 255}, 19}, // also at 136
		{{0, 0, 0, 255}, 0},
		{{0, 152, 51, 255}, 62},
		{{254, 254, 254, 255}, 63},
		{{255, 255, 203, 255}, 254},
	};
	for (const Case& c : cases) {
		EXPECT_EQ(SystemColorMap().IndexFor(c.color.red, c.color.green, c.color.blue), c.index)
			<< int(c.color.red) << "," << int(c.color.green) << "," << int(c.color.blue);
	}
}

TEST(SystemColorMapTest, EveryMapColorFindsItsFirstEntry)
{
	const auto& reference = test::ReferenceColors();
	for (int index = 0; index < 255; index++) {
		const rgb_color& color = reference[index];
		int first = 0;
		while (!(reference[first] == color))
			first++;
		EXPECT_EQ(SystemColorMap().IndexFor(color.red, color.green, color.blue), first);
		EXPECT_TRUE(SystemColorMap().Contains(color.red, color.green, color.blue));
	}
	EXPECT_FALSE(SystemColorMap().Contains(1, 2, 3));
	EXPECT_FALSE(SystemColorMap().Contains(255, 255, 254));
}

// The cell search against a search over the whole map: every fourth value
// of each channel (both ends included) and a million random colours.
TEST(SystemColorMapTest, IndexForIsTheExactNearestColor)
{
	const BPrivate::ColorMap& map = SystemColorMap();
	auto check = [&](int red, int green, int blue) {
		uint8 expected = test::BruteForceIndex(uint8(red), uint8(green), uint8(blue));
		uint8 actual = map.IndexFor(uint8(red), uint8(green), uint8(blue));
		if (actual != expected) {
			ADD_FAILURE() << red << "," << green << "," << blue << ": " << int(actual)
						  << " instead of " << int(expected);
			return false;
		}
		return true;
	};
	int failures = 0;
	for (int red = 0; red < 256 && failures < 10; red += red == 252 ? 3 : 4) {
		for (int green = 0; green < 256; green += green == 252 ? 3 : 4) {
			for (int blue = 0; blue < 256; blue += blue == 252 ? 3 : 4)
				failures += check(red, green, blue) ? 0 : 1;
		}
	}
	std::mt19937 random(20240607);
	for (int i = 0; i < 1000000 && failures < 10; i++) {
		uint32 value = random();
		failures += check(value & 0xff, (value >> 8) & 0xff, (value >> 16) & 0xff) ? 0 : 1;
	}
	EXPECT_EQ(failures, 0);
}

// The bulk table must give the cell search's answer for all 2^24 colours.
TEST(SystemColorMapTest, FullTableAgreesWithIndexForEverywhere)
{
	const BPrivate::ColorMap& map = SystemColorMap();
	const uint8* table = map.FullTable();
	ASSERT_NE(table, nullptr);
	EXPECT_EQ(map.FullTable(), table) << "built once";
	int failures = 0;
	for (uint32 key = 0; key < (1u << 24) && failures < 10; key++) {
		uint8 expected = map.IndexFor(uint8(key >> 16), uint8(key >> 8), uint8(key));
		if (table[key] != expected) {
			ADD_FAILURE() << "key " << std::hex << key << ": " << std::dec << int(table[key])
						  << " instead of " << int(expected);
			failures++;
		}
		if (table[key] == B_TRANSPARENT_MAGIC_CMAP8) {
			ADD_FAILURE() << "opaque colour " << std::hex << key << " maps to 255";
			failures++;
		}
	}
}

// Threads that ask for the table while it is being built share the building
// and all get the same, complete table.
TEST(SystemColorMapTest, FullTableAskedFromSeveralThreadsAtOnce)
{
	for (int round = 0; round < 3; round++) {
		BPrivate::ColorMap map;
		constexpr int kThreads = 4;
		const uint8* tables[kThreads] = {};
		std::atomic<int> ready{0};
		std::vector<std::thread> threads;
		for (int i = 0; i < kThreads; i++) {
			threads.emplace_back([&, i] {
				ready.fetch_add(1);
				while (ready.load() < kThreads)
					std::this_thread::yield();
				tables[i] = map.FullTable();
			});
		}
		for (std::thread& thread : threads)
			thread.join();
		ASSERT_NE(tables[0], nullptr);
		for (const uint8* table : tables)
			EXPECT_EQ(table, tables[0]);
		const uint8* reference = SystemColorMap().FullTable();
		ASSERT_NE(reference, nullptr);
		EXPECT_EQ(std::memcmp(tables[0], reference, size_t(1) << 24), 0) << "round " << round;
	}
}
