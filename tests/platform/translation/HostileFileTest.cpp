// SPDX-License-Identifier: MIT
#include "Fixtures.h"
#include "support/ChildProcess.h"
#include "support/Files.h"
#include "support/HostileImages.h"
#include "support/ReadFailure.h"
#include "support/Waiting.h"

#include <ImageFile.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <future>
#include <iterator>
#include <string>
#include <vector>
#include <sys/stat.h>
#include <unistd.h>

using namespace fixture;
using namespace testsupport;

namespace {

// A directory of its own for files the tests make, removed afterwards.
class HostileFileTest : public testing::Test {
protected:
	std::string Make(const std::string& name, const std::string& bytes)
	{
		std::string path = fDirectory + "/" + name;
		FILE* file = std::fopen(path.c_str(), "wb");
		EXPECT_NE(file, nullptr);
		if (file != nullptr) {
			std::fwrite(bytes.data(), 1, bytes.size(), file);
			std::fclose(file);
		}
		return path;
	}

	static std::string ReadFile(const std::string& path) { return ReadWhole(path); }

	ScratchDirectory fScratch;
	const std::string fDirectory = fScratch.Path();
};

// Loads every path in a child with kHostileMemoryLimit more address space
// and kHostileTimeLimit seconds; `check` judges each result (true: as
// expected). The child's exit code is the number of results judged wrong.
ChildOutcome
LoadAllLimited(const std::vector<std::string>& paths,
	const std::function<bool(const std::string&, const BBitmap*)>& check)
{
	return RunInChild([&] {
		int wrong = 0;
		for (const std::string& path : paths) {
			std::unique_ptr<BBitmap> bitmap = Load(path);
			if (!check(path, bitmap.get())) {
				fprintf(stderr, "unexpected result for %s\n", path.c_str());
				wrong++;
			}
		}
		return wrong;
	});
}

void
ExpectWithinLimits(const ChildOutcome& outcome, long residentBeforeKiB)
{
	EXPECT_TRUE(outcome.exited) << outcome.Describe();
	EXPECT_EQ(outcome.exitCode, 0) << "inputs with unexpected results";
	EXPECT_LT(outcome.peakResidentKiB - residentBeforeKiB, long(kHostileMemoryLimit >> 10))
		<< "peak " << outcome.peakResidentKiB << " KiB";
}

// Loads on another thread and fails the test, instead of hanging it, when
// the load takes longer than `limit`.
std::unique_ptr<BBitmap>
LoadWithin(const std::string& path, std::chrono::seconds limit, bool& inTime)
{
	auto load = std::async(std::launch::async, [path] { return Load(path); });
	inTime = load.wait_for(limit) == std::future_status::ready;
	if (!inTime)
		return nullptr;
	return load.get();
}

} // namespace

TEST_F(HostileFileTest, MissingEmptyOrNonImageFilesGiveNoBitmap)
{
	const std::string cases[] = {
		fDirectory + "/missing.png",
		fDirectory,
		Path("empty.png"),
		Path("garbage.png"),
		Path("truncated.png"),
		"",
	};
	for (const std::string& path : cases)
		EXPECT_EQ(Load(path), nullptr) << "'" << path << "'";
	EXPECT_EQ(BTranslationUtils::GetBitmapFile(nullptr), nullptr);
}

// As root every file is readable, so the load runs as nobody in a child.
TEST_F(HostileFileTest, FileWithoutReadPermissionGivesNoBitmap)
{
	std::string path = Make("secret.png", ReadFile(Path("colour.png")));
	ASSERT_EQ(chmod(path.c_str(), 0), 0);
	ASSERT_EQ(chmod(fDirectory.c_str(), 0755), 0);
	ChildLimits limits;
	limits.dropPrivileges = true;
	ChildOutcome outcome = RunInChild(
		[&] {
			if (access(path.c_str(), R_OK) == 0)
				return 20;
			return Load(path) == nullptr ? 0 : 1;
		},
		limits);
	if (outcome.exited && (outcome.exitCode == 20 || outcome.exitCode == 125))
		GTEST_SKIP() << "cannot run the load without the right to read every file";
	EXPECT_TRUE(outcome.exited && outcome.exitCode == 0) << outcome.Describe();
}

// A file cut off before its image is complete is refused, saying so: a
// half-grey picture would be exported as if it were the image.
TEST_F(HostileFileTest, TruncatedJpegIsRefusedAsCutOff)
{
	testsupport::ReadFailure failure;
	std::unique_ptr<BBitmap> bitmap(
		testsupport::GetBitmapFile(Path("truncated.jpg").c_str(), &failure));
	EXPECT_EQ(bitmap, nullptr);
	EXPECT_EQ(failure.status, B_ILLEGAL_DATA);
	EXPECT_EQ(failure.Describe("truncated.jpg"),
		"truncated.jpg is cut off before its first image is complete");
}

// The project's call and the platform's adapter over it answer alike: the
// same bitmap or the same failure, word for word; the adapter leaves the
// caller's failure alone when a bitmap comes back.
TEST_F(HostileFileTest, ProjectReadAndPlatformReadAgree)
{
	const struct {
		std::string path;
		status_t status; // B_OK: a bitmap
		const char* line;
	} kRows[] = {
		{Path("colour.png"), B_OK, ""},
		{Path("colour.bmp"), B_OK, ""},
		{fDirectory + "/missing.png", B_ENTRY_NOT_FOUND, "f: No such file or directory"},
		{fDirectory, B_IS_A_DIRECTORY, "f: Is a directory"},
		{"", B_BAD_VALUE, "f: Invalid argument"},
		{Path("empty.png"), B_NO_TRANSLATOR, "f is empty"},
		{Path("garbage.png"), B_NO_TRANSLATOR, "f is not an image we can read"},
		{Path("truncated.jpg"), B_ILLEGAL_DATA, "f is cut off before its first image is complete"},
	};
	for (const auto& row : kRows) {
		SCOPED_TRACE(row.path);
		BPrivate::Result<std::unique_ptr<BBitmap>> read = BPrivate::ReadBitmapFile(
			row.path.c_str());
		testsupport::ReadFailure failure(B_ERROR, "untouched");
		std::unique_ptr<BBitmap> bitmap(testsupport::GetBitmapFile(row.path.c_str(), &failure));
		if (row.status == B_OK) {
			ASSERT_TRUE(read.Ok()) << read.Error().detail;
			ASSERT_NE(read.Value(), nullptr);
			ASSERT_NE(bitmap, nullptr);
			EXPECT_EQ(read.Value()->Bounds(), bitmap->Bounds());
			EXPECT_EQ(read.Value()->ColorSpace(), bitmap->ColorSpace());
			EXPECT_EQ(failure.status, B_ERROR);
			EXPECT_EQ(failure.detail, "untouched");
			continue;
		}
		ASSERT_FALSE(read.Ok());
		EXPECT_EQ(bitmap, nullptr);
		EXPECT_EQ(read.Status(), row.status);
		EXPECT_EQ(failure.status, row.status);
		EXPECT_EQ(failure.detail, read.Error().detail);
		EXPECT_EQ(BPrivate::DescribeReadFailure(read.Error(), "f"), row.line);
		EXPECT_EQ(failure.Describe("f"), row.line);
	}
}

// A file is read whole up to the limit and refused, naming the limit, past
// it; what is not a regular file is refused before any read.
TEST_F(HostileFileTest, FileReadStopsAtItsLimit)
{
	constexpr size_t kLimit = size_t(1) << 20;
	const std::string atLimit = Make("at-limit", std::string(kLimit, 'x'));
	BPrivate::Result<BPrivate::FileBytes> bytes = BPrivate::ReadImageFile(atLimit.c_str(), kLimit);
	ASSERT_TRUE(bytes.Ok()) << bytes.Error().detail;
	EXPECT_EQ(bytes.Value().size, kLimit);
	EXPECT_EQ(bytes.Value().data.get()[kLimit - 1], 'x');

	const std::string past = Make("past-limit", std::string(kLimit + 1, 'x'));
	bytes = BPrivate::ReadImageFile(past.c_str(), kLimit);
	ASSERT_FALSE(bytes.Ok());
	EXPECT_EQ(bytes.Status(), B_NO_MEMORY);
	EXPECT_EQ(BPrivate::DescribeReadFailure(bytes.Error(), "f"), "f is larger than 1 MiB");

	const std::string fifo = fDirectory + "/pipe";
	ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
	EXPECT_EQ(BPrivate::ReadImageFile(fifo.c_str(), kLimit).Status(), B_BAD_TYPE);
	EXPECT_EQ(BPrivate::ReadImageFile(nullptr, kLimit).Status(), B_BAD_VALUE);

	// A regular file whose size says 0 (as the kernel's own files do) is
	// read whole all the same, and still stops at the limit.
	bytes = BPrivate::ReadImageFile("/proc/self/maps", kLimit);
	ASSERT_TRUE(bytes.Ok()) << bytes.Error().detail;
	const std::string maps(
		reinterpret_cast<const char*>(bytes.Value().data.get()), bytes.Value().size);
	EXPECT_GT(maps.size(), 100u);
	EXPECT_EQ(maps.back(), '\n');
	EXPECT_EQ(BPrivate::ReadImageFile("/proc/self/maps", 64).Status(), B_NO_MEMORY);
}

TEST_F(HostileFileTest, FifoDoesNotBlock)
{
	std::string path = fDirectory + "/pipe.png";
	ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
	bool inTime = false;
	auto load = std::async(std::launch::async, [path] { return Load(path); });
	inTime = load.wait_for(kWatchdog) == std::future_status::ready;
	if (!inTime) {
		// Free the reader that waits for a writer, then fail.
		int fd = open(path.c_str(), O_RDWR);
		if (fd >= 0)
			close(fd);
		FAIL() << "loading a FIFO blocked";
	}
	EXPECT_EQ(load.get(), nullptr);
}

// Headers that promise more pixels than the limit are refused before any
// pixel memory is taken; the watchdog catches a decoder that tries anyway.
TEST_F(HostileFileTest, ForgedHugeDimensionsAreRefusedQuickly)
{
	// TGA header: no colour map, type 2 (true colour), 65535 x 65535, 24 bits.
	std::string tga(18, '\0');
	tga[2] = 2;
	tga[12] = tga[13] = tga[14] = tga[15] = char(0xff);
	tga[16] = 24;
	tga += std::string(64, '\x11');
	const std::string cases[] = {Path("huge-header.png"), Make("huge.tga", tga)};
	for (const std::string& path : cases) {
		auto start = std::chrono::steady_clock::now();
		bool inTime = false;
		EXPECT_EQ(LoadWithin(path, std::chrono::seconds(30), inTime), nullptr) << path;
		ASSERT_TRUE(inTime) << path;
		EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << path;
	}
}

// A file longer than the loader's limit is refused from its size, unread.
TEST_F(HostileFileTest, OversizedFileIsNotRead)
{
	std::string path = Make("sparse.png", "\x89PNG\r\n\x1a\n");
	ASSERT_EQ(truncate(path.c_str(), off_t(600) << 20), 0);
	bool inTime = false;
	EXPECT_EQ(LoadWithin(path, std::chrono::seconds(30), inTime), nullptr);
	EXPECT_TRUE(inTime);
}

// Decompression bombs: tiny files whose headers claim 100000 x 100000 or
// 65500 x 65500 pixels, one of them with real data that would inflate to
// 256 MiB. Each is refused from its header, in a child that has 512 MiB of
// address space to spare and a minute.
TEST_F(HostileFileTest, DecompressionBombsAreRefusedWithinTheMemoryLimit)
{
	const std::string bomb = DeflatedZeros(uint64_t(256) << 20);
	ASSERT_LT(bomb.size(), size_t(1) << 20);
	const std::vector<std::string> paths = {
		Path("huge-header.png"),
		Make("bomb.png", Png(100000, 100000, bomb)),
		Make("wide.png", Png(100000, 1000, bomb)),
		Make("tall.gif", Gif(65535, 65535, std::string(6, '\x7f'), {0, 1, 1, 0})),
		Make("huge.jpg", JpegClaiming(ReadFile(Path("colour.jpg")), 65500, 65500)),
		Make("huge.bmp", Bmp(60000, 60000, std::string(64, '\0'))),
		Make("huge.tga", Tga(65535, 65535, std::string(64, '\x11'))),
	};
	const long before = ResidentKiB();
	auto start = std::chrono::steady_clock::now();
	ChildOutcome outcome = LoadAllLimited(
		paths, [](const std::string&, const BBitmap* bitmap) { return bitmap == nullptr; });
	ExpectWithinLimits(outcome, before);
	EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
}

// Images of no size at all, in every format that can state one.
TEST_F(HostileFileTest, ZeroSizedImagesAreRefused)
{
	const std::vector<std::string> paths = {
		Make("zero.png", Png(0, 0, PngIndices({}))),
		Make("zero-wide.png", Png(0, 5, PngIndices({{}, {}, {}, {}, {}}))),
		Make("zero.gif", Gif(0, 0, std::string(6, '\0'), {})),
		Make("zero.bmp", Bmp(0, 0, "")),
		Make("zero.tga", Tga(0, 0, "")),
		Make("zero.ppm", "P6\n0 0\n255\n"),
	};
	const long before = ResidentKiB();
	ExpectWithinLimits(
		LoadAllLimited(
			paths, [](const std::string&, const BBitmap* bitmap) { return bitmap == nullptr; }),
		before);
}

// Pixels that point past a short palette: the image is either refused or
// decoded whole, with the pixels that are valid keeping their colours.
TEST_F(HostileFileTest, PalettePixelsPastThePaletteAreNeverReadFromOutside)
{
	// Two colours, red and blue; indices 2 and 3 name nothing.
	const std::string colors = std::string("\xff\0\0", 3) + std::string("\0\0\xff", 3);
	const std::vector<uint8_t> indices = {0, 1, 2, 3, 1, 0, 3, 2, 0, 0, 1, 1, 3, 3, 2, 2};
	std::vector<std::vector<uint8_t>> rows;
	for (int row = 0; row < 4; row++)
		rows.emplace_back(indices.begin() + 4 * row, indices.begin() + 4 * row + 4);
	const std::vector<std::string> paths = {
		Make("bad-index.gif", Gif(4, 4, colors, indices)),
		Make("bad-index.png", Png(4, 4, PngIndices(rows), colors)),
	};
	for (const std::string& path : paths) {
		SCOPED_TRACE(path);
		bool inTime = false;
		std::unique_ptr<BBitmap> bitmap = LoadWithin(path, std::chrono::seconds(20), inTime);
		ASSERT_TRUE(inTime);
		if (!bitmap)
			continue;
		ASSERT_EQ(bitmap->Bounds(), BRect(0, 0, 3, 3));
		auto rgb = std::make_unique<BBitmap>(bitmap->Bounds(), B_RGB32);
		rgb->SetBits(bitmap->Bits(), bitmap->BitsLength(), 0, bitmap->ColorSpace());
		for (int32 index = 0; index < 16; index++) {
			if (indices[index] > 1)
				continue;
			const uint8* pixel = static_cast<const uint8*>(rgb->Bits())
				+ (index / 4) * rgb->BytesPerRow() + (index % 4) * 4;
			// B, G, R in memory: red is (0, 0, 255), blue (255, 0, 0).
			EXPECT_EQ(pixel[0], indices[index] == 1 ? 255 : 0) << "pixel " << index;
			EXPECT_EQ(pixel[2], indices[index] == 0 ? 255 : 0) << "pixel " << index;
		}
	}
}

// Random bytes under every image extension the loader knows.
TEST_F(HostileFileTest, RandomBytesWithImageExtensionsAreRefused)
{
	const char* const extensions[] = {"png", "jpg", "jpeg", "gif", "bmp", "tga", "webp", "tiff",
		"ico", "cur", "xpm", "ppm", "pgm", "icb", "vda", "vst"};
	std::vector<std::string> paths;
	uint32_t seed = 1;
	for (const char* extension : extensions) {
		for (size_t length : {size_t(1), size_t(17), size_t(4096), size_t(70000)}) {
			paths.push_back(
				Make("random" + std::to_string(seed) + "." + extension, RandomBytes(length, seed)));
			seed++;
		}
	}
	const long before = ResidentKiB();
	ExpectWithinLimits(
		LoadAllLimited(
			paths, [](const std::string&, const BBitmap* bitmap) { return bitmap == nullptr; }),
		before);
}

// Files cut off at every eighth of their length give nothing, or (a cut in
// what follows the image) the whole image.
TEST_F(HostileFileTest, TruncatedFilesAtEveryLengthDecodeAsFarAsTheyGo)
{
	std::vector<std::string> paths;
	for (const char* name : {"truncated.jpg", "colour.jpg", "colour.png", "colour.gif",
			 "colour.bmp", "colour.tga", "colour.webp", "colour.tiff", "palette-system-rle.tga"}) {
		const std::string whole = ReadFile(Path(name));
		for (size_t eighth = 1; eighth < 8; eighth++) {
			paths.push_back(Make(
				std::to_string(eighth) + "-" + name, whole.substr(0, whole.size() * eighth / 8)));
		}
	}
	const long before = ResidentKiB();
	ExpectWithinLimits(LoadAllLimited(paths,
						   [](const std::string& path, const BBitmap* bitmap) {
							   if (bitmap == nullptr)
								   return true;
							   BRect expected = path.find("truncated.jpg") != std::string::npos
								   ? BRect(0, 0, 31, 31)
								   : BRect(0, 0, kWidth - 1, kHeight - 1);
							   return bitmap->IsValid() && bitmap->Bounds() == expected;
						   }),
		before);
}

// Found by fuzzing: a JPEG cut inside its header once had its never-set pixel
// format read (undefined behaviour, caught by the sanitizers).
TEST_F(HostileFileTest, JpegCutInsideItsHeaderIsRefused)
{
	const std::string jpeg = ReadFile(Path("colour.jpg"));
	for (size_t length : {size_t(4), size_t(20), size_t(40), size_t(90)}) {
		SCOPED_TRACE(length);
		EXPECT_EQ(Load(Make("head.jpg", jpeg.substr(0, length))), nullptr);
	}
}
