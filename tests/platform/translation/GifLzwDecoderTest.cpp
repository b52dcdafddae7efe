// SPDX-License-Identifier: MIT
// The LZW decoder for wide GIF code sizes on hand-made streams: codes worked
// out by hand, the code width growing and starting again at a clear code, a
// full table, and the ways a stream can be damaged or end early.

#include "LzwCodes.h"

#include <GifLzwDecoder.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using BPrivate::GifLzwDecoder;
using Status = GifLzwDecoder::Status;

namespace {

struct Decoded {
	Status status;
	std::vector<uint16> indices;
};

// Reads `count` indices from `data` in reads of `chunk`, stopping at the
// first that fails.
Decoded
Decode(int minCodeSize, const std::string& data, size_t count, size_t chunk)
{
	GifLzwDecoder decoder(minCodeSize, reinterpret_cast<const uint8*>(data.data()), data.size());
	Decoded out{Status::Ok, std::vector<uint16>(count)};
	for (size_t at = 0; at < count && out.status == Status::Ok; at += chunk)
		out.status = decoder.Read(out.indices.data() + at, std::min(chunk, count - at));
	return out;
}

} // namespace

// Minimum code size 9: clear 512, end 513, codes of 10 bits. 514 is 1 400;
// 515 is 400 1; 516, the next free entry when it comes, is 514 followed by
// its own first index. A string split between reads comes out the same.
TEST(GifLzwDecoderTest, DecodesCodesWorkedByHand)
{
	const std::string data = LzwCodes()
								 .Add(512, 10)
								 .Add(1, 10)
								 .Add(400, 10)
								 .Add(514, 10)
								 .Add(516, 10)
								 .Add(513, 10)
								 .Bytes();
	const std::vector<uint16> expected = {1, 400, 1, 400, 1, 400, 1};
	for (size_t chunk : {1, 2, 3, 7}) {
		SCOPED_TRACE(chunk);
		Decoded decoded = Decode(9, data, expected.size(), chunk);
		EXPECT_EQ(decoded.status, Status::Ok);
		EXPECT_EQ(decoded.indices, expected);
	}
	// The end code, read only when more is asked for, stops the stream.
	EXPECT_EQ(Decode(9, data, expected.size() + 1, 8).status, Status::EndTooSoon);
}

// With minimum code size 9, codes grow to 11 bits once 1023 is the next free
// entry, after 510 entries; a clear code brings them back to 10 bits and
// the table to its first free entry.
TEST(GifLzwDecoderTest, CodesGrowAndAClearStartsAgain)
{
	LzwCodes codes;
	codes.Add(512, 10);
	std::vector<uint16> expected;
	for (uint32 i = 0; i < 511; i++) {
		codes.Add(i * 7 % 512, 10);
		expected.push_back(uint16(i * 7 % 512));
	}
	// 1023, the last entry made, is the last two literals.
	codes.Add(1023, 11).Add(512, 11).Add(3, 10).Add(514, 10).Add(3, 10).Add(513, 10);
	expected.insert(expected.end(), {expected[509], expected[510], 3, 3, 3, 3});
	Decoded decoded = Decode(9, codes.Bytes(), expected.size(), 100);
	EXPECT_EQ(decoded.status, Status::Ok);
	EXPECT_EQ(decoded.indices, expected);
}

// Minimum code size 10: codes of 11 bits, 12 from the 1024th literal, and
// the table full after 3071 codes. A full table keeps reading 12-bit codes
// and adds nothing until a clear code comes.
TEST(GifLzwDecoderTest, AFullTableKeepsDecodingUntilAClear)
{
	LzwCodes codes;
	codes.Add(1024, 11);
	std::vector<uint16> expected;
	for (uint32 i = 0; i < 3071; i++) {
		codes.Add(i % 1024, i < 1023 ? 11 : 12);
		expected.push_back(uint16(i % 1024));
	}
	// 4095, the last entry, is the last two literals: 1021 1022. 9 after it
	// would have made entry 4096 if there were one; 4095 is still itself.
	codes.Add(4095, 12).Add(9, 12).Add(4095, 12);
	expected.insert(expected.end(), {1021, 1022, 9, 1021, 1022});
	// After the clear, 1026 is first free again and the codes 11 bits.
	codes.Add(1024, 12).Add(5, 11).Add(1026, 11).Add(1025, 11);
	expected.insert(expected.end(), {5, 5, 5});
	Decoded decoded = Decode(10, codes.Bytes(), expected.size(), 1000);
	EXPECT_EQ(decoded.status, Status::Ok);
	EXPECT_EQ(decoded.indices, expected);
	EXPECT_EQ(Decode(10, codes.Bytes(), expected.size() + 1, 1000).status, Status::EndTooSoon);
}

// Minimum code size 11 (clear 2048, end 2049, 12-bit codes): every way a
// stream fails, and that a failed decoder stays failed.
TEST(GifLzwDecoderTest, DamagedAndShortStreamsFail)
{
	const auto codes = [](std::vector<uint32> values) {
		LzwCodes out;
		for (uint32 value : values)
			out.Add(value, 12);
		return out.Bytes();
	};
	const struct {
		const char* name;
		std::string data;
		Status status;
	} kRows[] = {
		{"a code past the next free entry", codes({2048, 5, 2051}), Status::InvalidCode},
		{"the next free entry with no string before it", codes({2048, 2050}), Status::InvalidCode},
		{"the next free entry as the first code", codes({2050}), Status::InvalidCode},
		{"the largest code in an empty table", codes({4095}), Status::InvalidCode},
		{"the end code before the image is complete", codes({2048, 5, 2049}), Status::EndTooSoon},
		{"no data", "", Status::DataEnds},
		{"data ending without an end code", codes({2048, 5, 6}), Status::DataEnds},
		{"data ending inside a code", codes({2048, 5, 6}).substr(0, 4), Status::DataEnds},
	};
	for (const auto& row : kRows) {
		SCOPED_TRACE(row.name);
		GifLzwDecoder decoder(11, reinterpret_cast<const uint8*>(row.data.data()), row.data.size());
		uint16 out[4];
		EXPECT_EQ(decoder.Read(out, 4), row.status);
		EXPECT_EQ(decoder.Read(out, 1), row.status);
	}
	// Literals need no clear code first, and they may pass 255.
	const std::string literals = codes({2047, 300});
	GifLzwDecoder decoder(11, reinterpret_cast<const uint8*>(literals.data()), literals.size());
	uint16 out[2];
	ASSERT_EQ(decoder.Read(out, 2), Status::Ok);
	EXPECT_EQ(out[0], 2047);
	EXPECT_EQ(out[1], 300);
}
