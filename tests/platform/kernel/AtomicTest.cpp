// SPDX-License-Identifier: MIT
#include <OS.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace {

// Every value the counter passes through is answered to exactly one caller:
// what makes atomic_add's "value before" a safe basis for decisions.
TEST(AtomicTest, AddAnswersEachPreviousValueExactlyOnceUnderContention)
{
	constexpr int kThreads = 8;
	constexpr int kAddsPerThread = 20000;
	int32 counter = 0;
	std::vector<std::vector<int32>> answers(kThreads);

	std::vector<std::thread> threads;
	for (int index = 0; index < kThreads; index++) {
		threads.emplace_back([&, index] {
			answers[index].reserve(kAddsPerThread);
			for (int add = 0; add < kAddsPerThread; add++)
				answers[index].push_back(atomic_add(&counter, 1));
		});
	}
	for (std::thread& thread : threads)
		thread.join();

	EXPECT_EQ(atomic_get(&counter), kThreads * kAddsPerThread);
	std::vector<int32> all;
	for (const auto& list : answers)
		all.insert(all.end(), list.begin(), list.end());
	std::sort(all.begin(), all.end());
	for (int32 index = 0; index < static_cast<int32>(all.size()); index++)
		ASSERT_EQ(all[index], index);
}

TEST(AtomicTest, ExactlyOneDecrementSeesTheLastReference)
{
	for (int round = 0; round < 50; round++) {
		constexpr int kHolders = 6;
		int32 count = kHolders;
		std::atomic<int> sawOne{0};
		std::vector<std::thread> threads;
		for (int index = 0; index < kHolders; index++) {
			threads.emplace_back([&] {
				if (atomic_add(&count, -1) == 1)
					sawOne++;
			});
		}
		for (std::thread& thread : threads)
			thread.join();
		ASSERT_EQ(count, 0);
		ASSERT_EQ(sawOne, 1);
	}
}

struct BitCase {
	const char* name;
	int32 (*operation)(int32*, int32);
	int32 start;
	int32 argument;
	int32 after;
};

TEST(AtomicTest, BitOperationsAnswerThePreviousValue)
{
	const BitCase cases[] = {
		{"or", atomic_or, 0x0f, 0xf0, 0xff},
		{"and", atomic_and, 0x3c, 0x0f, 0x0c},
		{"set", atomic_set, 17, -4, -4},
		{"add negative", atomic_add, 5, -9, -4},
	};
	for (const BitCase& test : cases) {
		int32 value = test.start;
		EXPECT_EQ(test.operation(&value, test.argument), test.start) << test.name;
		EXPECT_EQ(value, test.after) << test.name;
	}
}

TEST(AtomicTest, TestAndSetStoresOnlyOnAMatch)
{
	int32 value = 3;
	EXPECT_EQ(atomic_test_and_set(&value, 9, 4), 3);
	EXPECT_EQ(value, 3);
	EXPECT_EQ(atomic_test_and_set(&value, 9, 3), 3);
	EXPECT_EQ(value, 9);

	int64 wide = int64(1) << 40;
	EXPECT_EQ(atomic_add64(&wide, 1), int64(1) << 40);
	EXPECT_EQ(atomic_get64(&wide), (int64(1) << 40) + 1);
}

} // namespace
