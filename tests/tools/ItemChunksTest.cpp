// SPDX-License-Identifier: MIT
// The items of a text formatted in chunks, finished in any order and taken
// back in order, give the very text FormatBitmapSource makes in one go, in
// no more blocks than the window.

#include "export/FormatBitmapSource.h"
#include "tools/jobs/ItemChunks.h"

#include "support/NoiseBytes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<uint8>
Bytes(size_t count)
{
	return testsupport::NoiseBytes(count, 0x9E3779B9);
}

std::string
WholeText(const std::vector<uint8>& bytes)
{
	std::string text;
	FormatBitmapSource("icon", 0, 0, 9, 9, 8, bytes.data(), int32(bytes.size()),
		[&text](const char* piece, size_t length) {
			text.append(piece, length);
			return ssize_t(length);
		});
	return text;
}

auto
Appender(std::string& text)
{
	return [&text](const char* piece, size_t length) {
		text.append(piece, length);
		return true;
	};
}

// Head, the chunks' items and tail. Each round claims every chunk out, then
// formats and finishes them last first, so that the front is the last to be
// done; the blocks go back in order.
std::string
ChunkedText(const std::vector<uint8>& bytes, size_t window, int32 itemsPerChunk,
	size_t* blocksMade = nullptr)
{
	const int32 count = int32(bytes.size());
	std::string text;
	SourceText::PutHead("icon", count, Appender(text));
	ItemChunks chunks(window, itemsPerChunk);
	chunks.Start(bytes.data(), count - 1);
	while (!chunks.Finished()) {
		std::vector<ItemChunks::Chunk*> claimed;
		while (ItemChunks::Chunk* chunk = chunks.Claim())
			claimed.push_back(chunk);
		EXPECT_FALSE(chunks.Waiting());
		EXPECT_LE(claimed.size(), window);
		for (auto chunk = claimed.rbegin(); chunk != claimed.rend(); chunk++) {
			EXPECT_TRUE(chunks.Next() == nullptr) << "the front is not formatted yet";
			ItemChunks::Format(**chunk);
			chunks.Done(**chunk);
		}
		while (const ItemChunks::Chunk* next = chunks.Next()) {
			text.append(next->block.get(), next->length);
			chunks.Release();
		}
	}
	EXPECT_TRUE(chunks.Idle());
	SourceText::PutTail("icon", 0, 0, 9, 9, 8, bytes.back(), Appender(text));
	if (blocksMade != nullptr)
		*blocksMade = chunks.BlocksMade();
	return text;
}

} // namespace

TEST(ItemChunks, ChunksFinishedInAnyOrderGiveTheTextMadeInOneGo)
{
	struct Row {
		size_t count;
		int32 itemsPerChunk;
		size_t window;
	};
	const Row rows[] = {
		{1, 16, 1}, // no item at all, only the last byte
		{2, 16, 1},
		{16, 16, 2}, // the items end at a line's end
		{17, 16, 2}, // one whole line of items
		{18, 16, 2}, // one item past a chunk
		{1000, 7, 3}, // chunks that start and end inside lines
		{1000, 48, 1},
		{5000, 16, 4},
		{100000, ItemChunks::kItemsPerChunk, 3},
	};
	for (const Row& row : rows) {
		SCOPED_TRACE(testing::Message() << row.count << " bytes, " << row.itemsPerChunk
										<< " items a chunk, window " << row.window);
		const auto bytes = Bytes(row.count);
		size_t blocksMade = 0;
		EXPECT_EQ(ChunkedText(bytes, row.window, row.itemsPerChunk, &blocksMade), WholeText(bytes));
		EXPECT_LE(blocksMade, row.window);
	}
}

TEST(ItemChunks, StoppingWaitsForTheChunksBeingFormattedAndTheNextItemsStartAfresh)
{
	const auto first = Bytes(3000);
	ItemChunks chunks(4, 100);
	chunks.Start(first.data(), int32(first.size()) - 1);
	ItemChunks::Chunk* a = chunks.Claim();
	ItemChunks::Chunk* b = chunks.Claim();
	ASSERT_TRUE(a != nullptr && b != nullptr);
	chunks.Stop();
	EXPECT_FALSE(chunks.Waiting());
	EXPECT_TRUE(chunks.Claim() == nullptr);
	EXPECT_FALSE(chunks.Idle());
	ItemChunks::Format(*b);
	chunks.Done(*b);
	EXPECT_FALSE(chunks.Idle()) << "a is still being formatted";
	ItemChunks::Format(*a);
	chunks.Done(*a);
	EXPECT_TRUE(chunks.Idle());
	EXPECT_TRUE(chunks.Next() == nullptr);

	// Other bytes, through the blocks the stopped items left.
	const auto second = Bytes(777);
	std::string items;
	chunks.Start(second.data(), int32(second.size()) - 1);
	while (!chunks.Finished()) {
		ItemChunks::Chunk* chunk = chunks.Claim();
		ASSERT_TRUE(chunk != nullptr);
		ItemChunks::Format(*chunk);
		chunks.Done(*chunk);
		items.append(chunks.Next()->block.get(), chunks.Next()->length);
		chunks.Release();
	}
	EXPECT_LE(chunks.BlocksMade(), 4u);
	std::string text;
	SourceText::PutHead("icon", int32(second.size()), Appender(text));
	text += items;
	SourceText::PutTail("icon", 0, 0, 9, 9, 8, second.back(), Appender(text));
	EXPECT_EQ(text, WholeText(second));
}
