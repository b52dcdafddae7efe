#include "Fixtures.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <future>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using namespace fixture;

namespace {

// A directory of its own for files the tests make, removed afterwards.
class HostileFileTest : public testing::Test {
protected:
	void SetUp() override
	{
		char directory[] = "/tmp/quillpix-hostile-XXXXXX";
		ASSERT_NE(mkdtemp(directory), nullptr);
		fDirectory = directory;
	}
	void TearDown() override
	{
		std::string command = "rm -rf '" + fDirectory + "'";
		EXPECT_EQ(std::system(command.c_str()), 0);
	}

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

	std::string fDirectory;
};

// Loads on another thread and fails the test, instead of hanging it, when
// the load takes longer than `limit`.
std::unique_ptr<BBitmap> LoadWithin(const std::string& path, std::chrono::seconds limit,
	bool& inTime)
{
	auto load = std::async(std::launch::async, [path] { return Load(path); });
	inTime = load.wait_for(limit) == std::future_status::ready;
	if (!inTime)
		return nullptr;
	return load.get();
}

} // namespace

TEST_F(HostileFileTest, UnreadableFilesGiveNoBitmap)
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

TEST_F(HostileFileTest, UnreadableFileGivesNoBitmap)
{
	std::string path = Make("secret.png", "whatever");
	ASSERT_EQ(chmod(path.c_str(), 0), 0);
	if (access(path.c_str(), R_OK) == 0)
		GTEST_SKIP() << "running as a user who reads every file";
	EXPECT_EQ(Load(path), nullptr);
}

// Qt's JPEG reader shows what arrived of a cut-off file; that is kept.
TEST_F(HostileFileTest, TruncatedJpegKeepsWhatQtReads)
{
	std::unique_ptr<BBitmap> bitmap = Load(Path("truncated.jpg"));
	ASSERT_NE(bitmap, nullptr);
	EXPECT_EQ(bitmap->Bounds(), BRect(0, 0, 31, 31));
	EXPECT_EQ(bitmap->ColorSpace(), B_RGB32);
}

TEST_F(HostileFileTest, FifoDoesNotBlock)
{
	std::string path = fDirectory + "/pipe.png";
	ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
	bool inTime = false;
	auto load = std::async(std::launch::async, [path] { return Load(path); });
	inTime = load.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
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
