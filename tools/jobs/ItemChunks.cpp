// SPDX-License-Identifier: MIT
#include "ItemChunks.h"

#include "export/FormatBitmapSource.h"

#include <algorithm>
#include <cassert>

namespace {

// The chunk's block, as room for PutItemsInPlace.
struct BlockRoom {
	char* block;
	size_t size;
	size_t taken = 0;

	char* Room(size_t& length) const
	{
		length = size;
		return block;
	}
	void Take(size_t length) { taken = length; }
};

} // namespace

ItemChunks::ItemChunks(size_t window, int32 itemsPerChunk)
	: fWindow(std::max<size_t>(window, 1)), fItemsPerChunk(std::max<int32>(itemsPerChunk, 1)),
	  // Eight bytes for every item at most, and the eight to spare that
	  // PutItemsInPlace asks for.
	  fBlockSize(size_t(fItemsPerChunk) * 8 + 8)
{ }

ItemChunks::~ItemChunks() = default;

void
ItemChunks::Start(const uint8* bytes, int32 end)
{
	assert(Idle());
	DropAll();
	fBytes = bytes;
	fEnd = std::max<int32>(end, 0);
	fNextFirst = 0;
	fStopped = false;
	LetOut();
}

void
ItemChunks::LetOut()
{
	while (!fStopped && fNextFirst < fEnd && fOut.size() < fWindow) {
		Chunk& chunk = fOut.emplace_back();
		chunk.bytes = fBytes;
		chunk.first = fNextFirst;
		chunk.end = fEnd - fNextFirst > fItemsPerChunk ? fNextFirst + fItemsPerChunk : fEnd;
		fNextFirst = chunk.end;
		if (!fFreeBlocks.empty()) {
			chunk.block = std::move(fFreeBlocks.back());
			fFreeBlocks.pop_back();
		} else {
			chunk.block = std::make_unique<char[]>(fBlockSize);
			fBlocksMade++;
		}
	}
}

bool
ItemChunks::Waiting() const
{
	if (fStopped)
		return false;
	for (const Chunk& chunk : fOut) {
		if (!chunk.claimed)
			return true;
	}
	return false;
}

ItemChunks::Chunk*
ItemChunks::Claim()
{
	if (fStopped)
		return nullptr;
	for (Chunk& chunk : fOut) {
		if (!chunk.claimed) {
			chunk.claimed = true;
			fFormatting++;
			return &chunk;
		}
	}
	return nullptr;
}

void
ItemChunks::Format(Chunk& chunk)
{
	BlockRoom room{chunk.block.get(), size_t(chunk.end - chunk.first) * 8 + 8};
	int32 put = SourceText::PutItemsInPlace(room, chunk.bytes, chunk.first, chunk.end);
	assert(put == chunk.end);
	(void)put;
	chunk.length = room.taken;
}

void
ItemChunks::Done(Chunk& chunk)
{
	chunk.formatted = true;
	fFormatting--;
	if (fStopped && fFormatting == 0)
		DropAll();
}

const ItemChunks::Chunk*
ItemChunks::Next() const
{
	if (fOut.empty() || !fOut.front().formatted)
		return nullptr;
	return &fOut.front();
}

void
ItemChunks::Release()
{
	assert(Next() != nullptr);
	fFreeBlocks.push_back(std::move(fOut.front().block));
	fOut.pop_front();
	LetOut();
}

bool
ItemChunks::Finished() const
{
	return fOut.empty() && fNextFirst >= fEnd;
}

void
ItemChunks::Stop()
{
	fStopped = true;
	if (fFormatting == 0)
		DropAll();
}

bool
ItemChunks::Idle() const
{
	return fFormatting == 0;
}

void
ItemChunks::DropAll()
{
	for (Chunk& chunk : fOut)
		fFreeBlocks.push_back(std::move(chunk.block));
	fOut.clear();
}
