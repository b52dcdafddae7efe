// SPDX-License-Identifier: MIT
#pragma once

// The byte items of one bitmap's text, cut into chunks that several threads
// format at once, each chunk into a block of its own, while one thread takes
// the formatted blocks back strictly in order. At most `window` chunks are
// out at a time (waiting, being formatted, or formatted and not yet taken
// back), so the text never needs more than `window` blocks of memory,
// however large the bitmap.
//
// Thread rules: no lock of its own. Every member but Format is called with
// the owner's lock held; Format runs without it, on a chunk Claim answered,
// and Done (under the lock again) hands the chunk back. The bytes must stay
// unchanged until the items are Finished, or stopped and Idle.

#include <SupportDefs.h>

#include <cstddef>
#include <deque>
#include <memory>
#include <vector>

class ItemChunks {
public:
	// Items per chunk: 2,560 lines of 16, some 250 kB of text.
	static constexpr int32 kItemsPerChunk = 16 * 2560;

	// The items of bytes[first] to bytes[end - 1]; once formatted, their
	// text is the first `length` bytes of `block`.
	struct Chunk {
		const uint8* bytes = nullptr;
		int32 first = 0;
		int32 end = 0;
		std::unique_ptr<char[]> block;
		size_t length = 0;
		bool claimed = false;
		bool formatted = false;
	};

	explicit ItemChunks(size_t window, int32 itemsPerChunk = kItemsPerChunk);
	~ItemChunks();

	ItemChunks(const ItemChunks&) = delete;
	ItemChunks& operator=(const ItemChunks&) = delete;

	// Begins the items of bytes[0] to bytes[end - 1]. The previous items must
	// be over (Finished or, after Stop, Idle).
	void Start(const uint8* bytes, int32 end);

	// True when a chunk waits for a thread to format it.
	bool Waiting() const;
	// A chunk nobody formats yet, now claimed for the caller; null when none
	// is waiting.
	Chunk* Claim();
	// Formats the chunk's items into its block. Without the lock.
	static void Format(Chunk& chunk);
	// The claimed chunk is formatted.
	void Done(Chunk& chunk);

	// The next chunk in order when it is formatted, else null. Its text stays
	// valid until Release.
	const Chunk* Next() const;
	// Gives back the chunk Next answered and lets another one out.
	void Release();

	// True when every chunk of the items was released.
	bool Finished() const;
	// Lets no chunk out any more and drops those nobody claimed; the ones
	// being formatted are dropped when Done.
	void Stop();
	// True when no chunk is being formatted: the bytes may go.
	bool Idle() const;

	// Blocks made so far: never more than the window.
	size_t BlocksMade() const { return fBlocksMade; }

private:
	void LetOut();
	void DropAll();

	const size_t fWindow;
	const int32 fItemsPerChunk;
	const size_t fBlockSize;
	const uint8* fBytes = nullptr;
	int32 fEnd = 0;
	int32 fNextFirst = 0;
	bool fStopped = false;
	size_t fFormatting = 0;
	// The chunks out, in the order of their items; a deque keeps the
	// addresses of the others when one is added or removed at an end.
	std::deque<Chunk> fOut;
	std::vector<std::unique_ptr<char[]>> fFreeBlocks;
	size_t fBlocksMade = 0;
};
