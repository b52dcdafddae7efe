// SPDX-License-Identifier: MIT
// The exporter's write side on its own: the build form's files (compressed
// too, and what the graphics library makes of a frame edited after the
// build), and the sentences its failures are told with.

#include "support/Files.h"
#include "tools/jobs/BuildFile.h"
#include "tools/jobs/CompressedEmbed.h"
#include "tools/jobs/EmbedWriter.h"
#include "tools/jobs/WriteFailures.h"

#include <CompressedBitmap.h>
#include <PrefilledBitmap.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <fcntl.h>
#include <sys/stat.h>

using testsupport::ReadWhole;
using testsupport::ScratchDirectory;
using testsupport::WriteWhole;

namespace {

struct timespec
ModifiedAt(const std::string& path)
{
	struct stat info = {};
	stat(path.c_str(), &info);
	return info.st_mtim;
}

} // namespace

TEST(WriteFailures, SayWhatCouldNotBeWrittenAndWhy)
{
	struct Row {
		BPrivate::Failure why;
		status_t status;
		const char* sentence;
	};
	const Row rows[] = {
		{BPrivate::Failure(B_DEVICE_FULL), B_DEVICE_FULL,
			"cannot write out.h: No space left on device"},
		{BPrivate::Failure(B_ERROR, "the disk went away"), B_ERROR,
			"cannot write out.h: the disk went away"},
		// errno values with a status and without: the system's words.
		{BPrivate::Failure::FromSystem(EPIPE, "write"), B_ERROR, "cannot write out.h: Broken pipe"},
		{BPrivate::Failure::FromSystem(ENOSPC, "write"), B_DEVICE_FULL,
			"cannot write out.h: No space left on device"},
		{BPrivate::Failure::FromSystem(ENXIO, "open", "out.h"), B_ERROR,
			"cannot write out.h: No such device or address"},
		// A write that took nothing and gave no reason.
		{BPrivate::Failure(B_IO_ERROR), B_IO_ERROR, "cannot write out.h: Input/output error"},
	};
	for (const Row& row : rows) {
		SCOPED_TRACE(row.sentence);
		BPrivate::Failure told = WriteFailures::CannotWrite("out.h", row.why);
		EXPECT_EQ(told.status, row.status);
		EXPECT_EQ(told.detail, row.sentence);
		EXPECT_EQ(told.error, row.why.error);
	}
}

TEST(BuildFile, WritesWholeOrLeavesTheOldFile)
{
	ScratchDirectory scratch;
	const std::string path = scratch / "out.bin";
	WriteWhole(path, "old");

	std::atomic<bool> cancel{true};
	EXPECT_EQ(BuildFile::Write(path, "new", 3, &cancel).Status(), B_INTERRUPTED);
	EXPECT_EQ(ReadWhole(path), "old");
	EXPECT_EQ(BuildFile::Write(scratch / "gone/out.bin", "new", 3).Status(), B_ENTRY_NOT_FOUND);
	ASSERT_EQ(mkdir((scratch / "dir").c_str(), 0755), 0);
	EXPECT_EQ(BuildFile::Write(scratch / "dir", "new", 3).Status(), B_IS_A_DIRECTORY);
	// No temporary file stays behind any of these.
	EXPECT_EQ(scratch.Listing(), "dir out.bin");

	ASSERT_TRUE(BuildFile::Write(path, "new", 3).Ok());
	EXPECT_EQ(ReadWhole(path), "new");
	EXPECT_EQ(scratch.Listing(), "dir out.bin");
}

TEST(BuildFile, UpdateLeavesAFileThatHoldsTheContentUntouched)
{
	ScratchDirectory scratch;
	const std::string path = scratch / "out.h";
	WriteWhole(path, "same");
	// Long ago, so that a rewrite shows in the time stamp.
	struct timespec times[2] = {{1, 0}, {1, 0}};
	ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
	struct timespec before = ModifiedAt(path);

	EXPECT_TRUE(BuildFile::Update(path, "same").Ok());
	EXPECT_EQ(ModifiedAt(path).tv_sec, before.tv_sec);
	EXPECT_TRUE(BuildFile::Update(path, "changed").Ok());
	EXPECT_EQ(ReadWhole(path), "changed");
	EXPECT_NE(ModifiedAt(path).tv_sec, before.tv_sec);
	EXPECT_TRUE(BuildFile::Holds(path, "changed"));
	EXPECT_FALSE(BuildFile::Holds(scratch / "gone", ""));
	EXPECT_TRUE(BuildFile::HasSize(path, 7));
}

TEST(EmbedWriter, AFailureNamesTheFileItWasAbout)
{
	ScratchDirectory scratch;
	ASSERT_EQ(mkdir((scratch / "build").c_str(), 0755), 0);
	BBitmap bitmap(BRect(0, 0, 1, 1), B_CMAP8);
	ASSERT_TRUE(bitmap.IsValid());
	memset(bitmap.Bits(), 7, size_t(bitmap.BitsLength()));

	struct Row {
		const char* what;
		EmbedPaths paths;
		std::string sentence;
	};
	const Row rows[] = {
		{"the data", {scratch / "build/a.h", scratch / "build/a.s", scratch / "gone/a.bin"},
			"cannot write " + scratch / "gone/a.bin" + ": No such file or directory"},
		{"the assembly", {scratch / "build/b.h", scratch / "gone/b.s", scratch / "build/b.bin"},
			"cannot write " + scratch / "gone/b.s" + ": No such file or directory"},
		{"the header", {scratch / "gone/c.h", scratch / "build/c.s", scratch / "build/c.bin"},
			"cannot write " + scratch / "gone/c.h" + ": No such file or directory"},
	};
	for (const Row& row : rows) {
		SCOPED_TRACE(row.what);
		EmbedWriter writer({"image.png", "kImage", ""}, row.paths);
		BPrivate::Result<void> written = writer.Write(bitmap, nullptr);
		ASSERT_FALSE(written.Ok());
		EXPECT_EQ(written.Error().status, B_ENTRY_NOT_FOUND);
		EXPECT_EQ(written.Error().detail, row.sentence);
	}

	// Cancelled before it began: nothing of it is written.
	std::atomic<bool> cancel{true};
	EmbedWriter writer({"image.png", "kImage", ""},
		{scratch / "build/d.h", scratch / "build/d.s", scratch / "build/d.bin"});
	EXPECT_EQ(writer.Write(bitmap, &cancel).Status(), B_INTERRUPTED);
	EXPECT_EQ(ReadWhole(scratch / "build/d.h"), "");
	EXPECT_TRUE(writer.Write(bitmap, nullptr).Ok());
	EXPECT_NE(ReadWhole(scratch / "build/d.h"), "");
}

namespace {

// A 64 x 64 B_RGB32 bitmap: smooth rows, or noise that no compressor shrinks.
std::unique_ptr<BBitmap>
Picture(bool noise)
{
	auto bitmap = std::make_unique<BBitmap>(BRect(0, 0, 63, 63), B_RGB32);
	std::minstd_rand random(7);
	uint8* bytes = static_cast<uint8*>(bitmap->Bits());
	for (int32 i = 0; i < bitmap->BitsLength(); i++)
		bytes[i] = noise ? uint8(random()) : uint8((i / 256) * 3 + (i % 4 == 3 ? 255 : 0));
	return bitmap;
}

// The build form of `bitmap` in `scratch`, at level 3 and `threshold`.
EmbedPaths
WriteCompressed(const ScratchDirectory& scratch, const BBitmap& bitmap, int threshold)
{
	const EmbedPaths paths = {scratch / "p.h", scratch / "p.s", scratch / "p.bin"};
	EmbedWriter writer({"p.png", "p", ""}, paths, {3, threshold});
	EXPECT_TRUE(writer.Write(bitmap, nullptr).Ok());
	return paths;
}

} // namespace

// An image is embedded compressed only when that makes it at least the
// threshold's share smaller; otherwise as it is, and its header says which.
TEST(EmbedWriter, CompressionKeepsOnlyWhatBecomesEnoughSmaller)
{
	const struct {
		bool noise;
		int threshold;
		bool compressed;
	} rows[] = {{false, 10, true}, {false, 0, true}, {true, 10, false}, {true, 0, false},
		{false, 99, false}};
	for (const auto& row : rows) {
		SCOPED_TRACE(std::to_string(row.noise) + " " + std::to_string(row.threshold));
		ScratchDirectory scratch;
		std::unique_ptr<BBitmap> bitmap = Picture(row.noise);
		const EmbedPaths paths = WriteCompressed(scratch, *bitmap, row.threshold);
		const std::string header = ReadWhole(paths.header);
		const std::string data = ReadWhole(paths.data);
		const std::string raw(static_cast<const char*>(bitmap->Bits()), 16384);
		EXPECT_NE(header.find("\nconstexpr size_t p_Size = 16384;\n"), std::string::npos);
		EXPECT_NE(header.find(
					  row.compressed ? "\n#define p_Compressed 1\n" : "\n#define p_Compressed 0\n"),
			std::string::npos)
			<< header;
		EXPECT_EQ(
			header.find("extern const uint8 p_ZData[];") != std::string::npos, row.compressed);
		EXPECT_EQ(
			header.find("extern uint8 p_MData[16384];") != std::string::npos, !row.compressed);
		if (!row.compressed) {
			EXPECT_TRUE(data == raw);
			continue;
		}
		EXPECT_LE(data.size(), raw.size() * (100 - row.threshold) / 100);
		PrefilledBitmap* built = nullptr;
		status_t error = B_ERROR;
		ASSERT_NE(BuildCompressedBitmap(
					  built, data.data(), data.size(), 16384, 0, 0, 63, 63, B_RGB32, &error),
			nullptr);
		EXPECT_EQ(error, B_OK);
		EXPECT_EQ(memcmp(built->Bits(), raw.data(), raw.size()), 0);
		delete built;
	}
}

// A frame cut short, changed or wrong about its size is refused with the
// reason, and no bitmap is kept: never one with other bytes.
TEST(CompressedBitmap, AnEditedFrameGivesNullAndTheReason)
{
	ScratchDirectory scratch;
	std::unique_ptr<BBitmap> bitmap = Picture(false);
	const std::string frame = ReadWhole(WriteCompressed(scratch, *bitmap, 10).data);
	ASSERT_GT(frame.size(), 20u);
	auto flipped = [&frame](size_t at) {
		std::string edited = frame;
		edited[at] = char(edited[at] ^ 0x10);
		return edited;
	};
	const struct {
		const char* what;
		std::string bytes;
		size_t size;
		float right;
		status_t status;
	} rows[] = {
		{"intact", frame, 16384, 63, B_OK},
		{"cut by a byte", frame.substr(0, frame.size() - 1), 16384, 63, B_BAD_DATA},
		{"cut to its header", frame.substr(0, 6), 16384, 63, B_BAD_DATA},
		{"empty", "", 16384, 63, B_BAD_DATA},
		{"its checksum changed", flipped(frame.size() - 2), 16384, 63, B_BAD_DATA},
		{"a byte changed inside", flipped(frame.size() / 2), 16384, 63, B_BAD_DATA},
		{"another frame after it", frame + frame, 16384, 63, B_BAD_DATA},
		{"the header's size wrong", frame, 16380, 63, B_MISMATCHED_VALUES},
		{"a bitmap of another size", frame, 16384, 62, B_MISMATCHED_VALUES},
	};
	for (const auto& row : rows) {
		SCOPED_TRACE(row.what);
		PrefilledBitmap* built = nullptr;
		status_t error = B_ERROR;
		PrefilledBitmap* answer = BuildCompressedBitmap(built, row.bytes.data(), row.bytes.size(),
			row.size, 0, 0, row.right, 63, B_RGB32, &error);
		EXPECT_EQ(error, row.status) << status_text(error);
		EXPECT_EQ(answer, built);
		if (row.status != B_OK) {
			EXPECT_EQ(answer, nullptr);
			continue;
		}
		ASSERT_NE(answer, nullptr);
		EXPECT_EQ(memcmp(answer->Bits(), bitmap->Bits(), 16384), 0);
		// Built once: the next call answers the same bitmap.
		EXPECT_EQ(BuildCompressedBitmap(built, nullptr, 0, 16384, 0, 0, 63, 63, B_RGB32, nullptr),
			answer);
		delete answer;
	}
}

namespace {

// The type of the first compressed block's literals (0: as they are, 2:
// Huffman-coded), read from the frame's layout; -1 when it has none.
int
FirstLiteralsType(const std::vector<uint8_t>& frame)
{
	const uint8_t descriptor = frame[4];
	const size_t contentSize[] = {size_t(descriptor & 0x20 ? 1 : 0), 2, 4, 8};
	size_t at = 5 + (descriptor & 0x20 ? 0 : 1) + contentSize[descriptor >> 6];
	while (at + 3 < frame.size()) {
		const uint32_t block = frame[at] | frame[at + 1] << 8 | uint32_t(frame[at + 2]) << 16;
		const uint32_t type = (block >> 1) & 3;
		if (type == 2)
			return frame[at + 3] & 3;
		at += 3 + (type == 1 ? 1 : block >> 3);
		if (block & 1)
			break;
	}
	return -1;
}

} // namespace

// An image that zstd's fastest level cannot halve gets literals as they are
// (which decode at memory speed); the frame is the same on every call and
// holds the image's bytes.
TEST(CompressedEmbed, AnImageTheFastestLevelCannotHalveIsMadeForSpeed)
{
	// Rows of random 7-bit values, four of every five, the others copies: an
	// LZ compressor finds the copies, and Huffman codes save an eighth of
	// the rest.
	auto copiedRows = std::make_unique<BBitmap>(BRect(0, 0, 63, 63), B_RGB32);
	std::minstd_rand random(3);
	uint8* bytes = static_cast<uint8*>(copiedRows->Bits());
	for (int32 row = 0; row < 64; row++) {
		for (int32 i = 0; i < 256; i++)
			bytes[row * 256 + i] = row % 5 < 4 ? uint8(random() & 0x7F)
											   : bytes[(row - 1) * 256 + i];
	}
	const std::unique_ptr<BBitmap> smooth = Picture(false);
	const std::unique_ptr<BBitmap> noise = Picture(true);
	const struct {
		const char* what;
		const BBitmap* bitmap;
		CompressedEmbed::Profile profile;
	} rows[] = {
		{"smooth", smooth.get(), CompressedEmbed::Profile::kAsked},
		{"copied rows", copiedRows.get(), CompressedEmbed::Profile::kForSpeed},
		{"noise", noise.get(), CompressedEmbed::Profile::kForSpeed},
	};
	for (const auto& row : rows) {
		SCOPED_TRACE(row.what);
		const BBitmap* bitmap = row.bitmap;
		const BPrivate::Result<CompressedEmbed::Profile> profile = CompressedEmbed::ChooseProfile(
			bitmap->Bits(), 16384);
		ASSERT_TRUE(profile.Ok());
		EXPECT_EQ(profile.Value(), row.profile);
		for (int level : {3, 19}) {
			SCOPED_TRACE(level);
			const auto frame = CompressedEmbed::Compress(bitmap->Bits(), 16384, {level, 10});
			ASSERT_TRUE(frame.Ok());
			EXPECT_EQ(CompressedEmbed::Compress(bitmap->Bits(), 16384, {level, 10}).Value(),
				frame.Value());
			// Noise is not 10 % smaller in either profile: embedded as it is.
			if (frame.Value().empty()) {
				EXPECT_STREQ(row.what, "noise");
				continue;
			}
			if (row.profile == CompressedEmbed::Profile::kForSpeed) {
				EXPECT_EQ(FirstLiteralsType(frame.Value()), 0);
			}
			PrefilledBitmap* built = nullptr;
			ASSERT_NE(BuildCompressedBitmap(built, frame.Value().data(), frame.Value().size(),
						  16384, 0, 0, 63, 63, B_RGB32, nullptr),
				nullptr);
			EXPECT_EQ(memcmp(built->Bits(), bitmap->Bits(), 16384), 0);
			delete built;
		}
	}
}
