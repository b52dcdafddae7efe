// SPDX-License-Identifier: MIT
// Formatting the byte items straight into a consumer's room (the buffered
// file's buffer) must give the very text and the very failures that handing
// every item as a piece gives.

#include "export/FormatBitmapSource.h"
#include "io/PlainBufferedFile.h"
#include "support/Files.h"
#include "support/NoiseBytes.h"

#include <gtest/gtest.h>

#include <atomic>
#include <iterator>
#include <string>
#include <vector>

using testsupport::ReadWhole;
using testsupport::ScratchDirectory;

namespace {

constexpr uint32 kExportMode = B_WRITE_ONLY | B_CREATE_FILE | B_ERASE_FILE;

std::vector<uint8>
Bytes(size_t count)
{
	return testsupport::NoiseBytes(count, 0x2545F491);
}

bool
Format(const std::vector<uint8>& bytes, auto&& consumer)
{
	return FormatBitmapSource("icon", 0, 0, 3, 3, 8, bytes.data(), int32(bytes.size()), consumer);
}

std::string
TextByPieces(const std::vector<uint8>& bytes)
{
	std::string text;
	Format(bytes, [&text](const char* piece, size_t length) {
		text.append(piece, length);
		return static_cast<ssize_t>(length);
	});
	return text;
}

// A consumer whose room changes size from call to call, down to none, and
// that checks nothing is put past the room it gave.
struct ShiftingRoom {
	std::string text;
	std::vector<char> room;
	size_t calls = 0;
	size_t given = 0;

	ssize_t operator()(const char* piece, size_t length)
	{
		text.append(piece, length);
		return static_cast<ssize_t>(length);
	}
	char* Room(size_t& length)
	{
		static const size_t kSizes[] = {0, 3, 7, 8, 9, 14, 50, 97, 1000};
		given = kSizes[calls++ % std::size(kSizes)];
		room.assign(given + 8, '#');
		length = given;
		return given == 0 ? nullptr : room.data();
	}
	void Take(size_t length)
	{
		EXPECT_LE(length, given);
		EXPECT_EQ(std::string(room.data() + given, 8), std::string(8, '#'))
			<< "bytes were put past the room";
		text.append(room.data(), length);
	}
};

} // namespace

TEST(FormatInPlace, RoomOfAnySizeGivesTheTextOfThePieces)
{
	for (size_t count : {1, 2, 15, 16, 17, 31, 33, 256, 1000, 4099}) {
		const auto bytes = Bytes(count);
		ShiftingRoom consumer;
		ASSERT_TRUE(Format(bytes, consumer));
		EXPECT_EQ(consumer.text, TextByPieces(bytes)) << count << " bytes";
	}
}

// The file ends with the same text, for buffers of every awkward size.
TEST(FormatInPlace, TheBufferedFileEndsWithTheSameTextAsWithPieces)
{
	ScratchDirectory scratch;
	for (uint32 bufferSize : {1u, 2u, 7u, 8u, 9u, 13u, 64u, 4095u}) {
		for (size_t count : {1, 17, 700, 5000}) {
			const auto bytes = Bytes(count);
			const std::string byPieces = scratch / "pieces.h";
			const std::string inPlace = scratch / "in-place.h";
			PlainBufferedFile pieces(byPieces.c_str(), kExportMode, bufferSize);
			PlainBufferedFile room(inPlace.c_str(), kExportMode, bufferSize);
			ASSERT_TRUE(Format(bytes, [&pieces](const char* piece, size_t length) {
				return pieces.BufferedWrite(piece, length);
			}));
			ASSERT_TRUE(Format(bytes, BufferedFileConsumer{room}));
			ASSERT_EQ(pieces.Flush(), B_OK);
			ASSERT_EQ(room.Flush(), B_OK);
			EXPECT_EQ(ReadWhole(inPlace), ReadWhole(byPieces))
				<< count << " bytes, buffer of " << bufferSize;
			EXPECT_EQ(ReadWhole(inPlace), TextByPieces(bytes));
		}
	}
}

TEST(FormatInPlace, AFileThatRefusesTheFirstBufferStopsTheText)
{
	const auto bytes = Bytes(3000);
	PlainBufferedFile full("/dev/full", B_WRITE_ONLY, 4095);
	ASSERT_EQ(full.InitCheck(), B_OK);
	EXPECT_FALSE(Format(bytes, BufferedFileConsumer{full}));
	// The failed write left the buffer stale: no room is offered.
	size_t room = 1;
	EXPECT_EQ(full.BufferRoom(&room), nullptr);
	EXPECT_EQ(room, 0u);
}

TEST(FormatInPlace, AReadOnlyFileOffersNoRoomAndTakesNothing)
{
	ScratchDirectory scratch;
	const std::string path = scratch / "read-only.h";
	testsupport::WriteWhole(path, "old");
	PlainBufferedFile file(path.c_str(), B_READ_ONLY, 4095);
	size_t room = 1;
	EXPECT_EQ(file.BufferRoom(&room), nullptr);
	EXPECT_EQ(room, 0u);
	EXPECT_FALSE(Format(Bytes(100), BufferedFileConsumer{file}));
	EXPECT_EQ(ReadWhole(path), "old");
}

// Starting the write-back early changes when the bytes reach the device,
// never which bytes reach the file.
TEST(FormatInPlace, WriteBehindKeepsTheText)
{
	ScratchDirectory scratch;
	const std::string path = scratch / "behind.h";
	const auto bytes = Bytes(100000);
	PlainBufferedFile file(path.c_str(), kExportMode, 4095);
	file.SetWriteBehind(8192);
	ASSERT_TRUE(Format(bytes, BufferedFileConsumer{file}));
	ASSERT_EQ(file.Flush(), B_OK);
	EXPECT_EQ(ReadWhole(path), TextByPieces(bytes));
}

// Why the consumer stopped the text is kept for the caller: the file's
// reason for a write that fell short, B_INTERRUPTED for a cancel, nothing
// while every piece was taken.
TEST(FormatInPlace, TheConsumerKeepsWhyItStopped)
{
	ScratchDirectory scratch;
	const std::string path = scratch / "kept.h";
	std::atomic<bool> cancel{false};
	struct Row {
		const char* what;
		const char* file;
		bool cancelled;
		status_t status;
	};
	const Row rows[] = {
		{"every piece taken", nullptr, false, B_OK},
		{"a full device", "/dev/full", false, B_DEVICE_FULL},
		{"a cancel", nullptr, true, B_INTERRUPTED},
	};
	for (const Row& row : rows) {
		SCOPED_TRACE(row.what);
		PlainBufferedFile file(row.file != nullptr ? row.file : path.c_str(),
			row.file != nullptr ? B_WRITE_ONLY : kExportMode, 4095);
		ASSERT_EQ(file.InitCheck(), B_OK);
		cancel = row.cancelled;
		BufferedFileConsumer consumer{file, &cancel};
		EXPECT_EQ(Format(Bytes(3000), consumer), row.status == B_OK);
		EXPECT_EQ(consumer.failure.Status(), row.status);
		if (row.status == B_OK) {
			EXPECT_TRUE(file.FlushOrFail().Ok());
		}
	}
	// A flush that fails answers the reason, not only that it failed.
	PlainBufferedFile full("/dev/full", B_WRITE_ONLY, 4095);
	ASSERT_EQ(full.BufferedWrite("x", 1), 1);
	EXPECT_EQ(full.FlushOrFail().Status(), B_DEVICE_FULL);
}
