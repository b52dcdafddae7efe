// SPDX-License-Identifier: MIT
// The runner of quillpix-export in process: jobs that the test holds up show
// the argument order of the output and the progress line.

#include "ExportFixtures.h"
#include "support/Files.h"
#include "support/Waiting.h"
#include "tools/jobs/ExportRunner.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <future>
#include <poll.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

using namespace testsupport;

namespace {

// A job that can be held before it reads its image, and that says when it is
// done.
class HeldJob : public ExportJob {
public:
	HeldJob(const std::string& image, const ExportOptions& options,
		std::shared_future<void> release, std::promise<void>* done)
		: ExportJob(image, options), fRelease(std::move(release)), fDone(done)
	{ }

	void Run() override
	{
		ExportJob::Run();
		if (fDone != nullptr)
			fDone->set_value();
	}

protected:
	BPrivate::Result<std::unique_ptr<BBitmap>> ReadImage() override
	{
		if (fRelease.valid() && fRelease.wait_for(kSlowWatchdog) != std::future_status::ready)
			ADD_FAILURE() << "job never released";
		return ExportJob::ReadImage();
	}

private:
	std::shared_future<void> fRelease;
	std::promise<void>* fDone;
};

// The message stream: a pipe the test reads while the runner writes.
class MessagePipe {
public:
	MessagePipe()
	{
		int fds[2];
		if (pipe(fds) == 0) {
			fRead = fds[0];
			fWrite = fdopen(fds[1], "w");
		}
	}
	~MessagePipe()
	{
		CloseWriting();
		if (fRead >= 0)
			close(fRead);
	}

	FILE* Writing() const { return fWrite; }
	void CloseWriting()
	{
		if (fWrite != nullptr)
			fclose(fWrite);
		fWrite = nullptr;
	}
	const std::string& Seen() const { return fSeen; }

	// Reads until `text` has appeared (true), the pipe ended or `limit` passed.
	bool WaitFor(const std::string& text, std::chrono::milliseconds limit)
	{
		auto deadline = std::chrono::steady_clock::now() + limit;
		while (fSeen.find(text) == std::string::npos) {
			auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
				deadline - std::chrono::steady_clock::now());
			pollfd request = {fRead, POLLIN, 0};
			if (left.count() <= 0 || poll(&request, 1, static_cast<int>(left.count())) <= 0)
				return false;
			char buffer[512];
			ssize_t count = read(fRead, buffer, sizeof(buffer));
			if (count <= 0)
				return false;
			fSeen.append(buffer, size_t(count));
		}
		return true;
	}
	// Everything up to the end of the stream.
	const std::string& ReadToEnd()
	{
		WaitFor(std::string(1, '\0'), kSlowWatchdog);
		return fSeen;
	}

private:
	int fRead = -1;
	FILE* fWrite = nullptr;
	std::string fSeen;
};

// Jobs for two images where the first one's waits until the second one's is
// done, so that the later image finishes first.
class SecondFinishesFirst {
public:
	explicit SecondFinishesFirst(std::string first)
		: fFirst(std::move(first)), fRelease(fSecondDone.get_future().share())
	{ }

	// The runner's job factory; it refers to this object.
	auto Jobs()
	{
		return [this](const std::string& image, const ExportOptions& jobOptions) {
			bool first = image == fFirst;
			return std::make_unique<HeldJob>(image, jobOptions,
				first ? fRelease : std::shared_future<void>(), first ? nullptr : &fSecondDone);
		};
	}

private:
	std::string fFirst;
	std::promise<void> fSecondDone;
	std::shared_future<void> fRelease;
};

// Runs `runner` on a thread of its own, as quillpix-export's main thread.
std::future<bool>
RunAside(ExportRunner& runner, unsigned threads)
{
	return std::async(std::launch::async, [&runner, threads] { return runner.Run(threads); });
}

} // namespace

TEST(ExportRunner, MessagesKeepArgumentOrderWhenALaterImageFinishesFirst)
{
	ScratchDirectory scratch;
	ExportOptions options = ParsedOptions({scratch / "first.png", scratch / "second.png"});
	SecondFinishesFirst order(scratch / "first.png");
	MessagePipe messages;
	ExportRunner runner(
		options, messages.Writing(), stdout, ExportRunner::Progress::kHidden, order.Jobs());
	std::future<bool> result = RunAside(runner, 2);
	ASSERT_EQ(result.wait_for(kSlowWatchdog), std::future_status::ready);
	EXPECT_FALSE(result.get());
	messages.CloseWriting();
	EXPECT_EQ(messages.ReadToEnd(),
		"quillpix-export: " + (scratch / "first.png")
			+ ": No such file or directory\n"
			  "quillpix-export: "
			+ (scratch / "second.png") + ": No such file or directory\n");
}

TEST(ExportRunner, StandardOutputKeepsArgumentOrderWhenALaterImageFinishesFirst)
{
	ScratchDirectory scratch;
	CopyFixture(scratch, "rgb.png");
	CopyFixture(scratch, "alpha.png");
	ExportOptions options = ParsedOptions(
		{"-q", "-o", "-", scratch / "rgb.png", scratch / "alpha.png"});
	SecondFinishesFirst order(scratch / "rgb.png");
	FILE* output = fopen((scratch / "out").c_str(), "w");
	ASSERT_NE(output, nullptr);
	ExportRunner runner(options, stderr, output, ExportRunner::Progress::kHidden, order.Jobs());
	std::future<bool> result = RunAside(runner, 2);
	ASSERT_EQ(result.wait_for(kSlowWatchdog), std::future_status::ready);
	EXPECT_TRUE(result.get());
	fclose(output);
	std::string expected = ReadWhole(kExportData + "rgb.h") + ReadWhole(kExportData + "alpha.h");
	for (auto [from, to] : {std::pair{"kRgb", "rgb"}, {"kAlpha", "alpha"}}) {
		for (size_t at = expected.find(from); at != std::string::npos; at = expected.find(from))
			expected.replace(at, strlen(from), to);
	}
	EXPECT_EQ(ReadWhole(scratch / "out"), expected);
}

// While a text goes out to standard output, each worker reads an image of
// its own ahead: the first text's write waits for the third image to be read.
TEST(ExportRunner, WhileATextGoesOutEachWorkerReadsAnImageAhead)
{
	ScratchDirectory scratch;
	CopyFixture(scratch, "rgb.png");
	ExportOptions options = ParsedOptions(
		{"-q", "-o", "-", scratch / "rgb.png", scratch / "rgb.png", scratch / "rgb.png"});
	std::promise<void> thirdRead;
	// Standard output is a pipe filled up to its capacity: the first text's
	// write blocks until the reader drains it, which it does only once the
	// third image was read.
	int ends[2];
	ASSERT_EQ(pipe(ends), 0);
	(void)fcntl(ends[1], F_SETPIPE_SZ, 4096);
	ASSERT_EQ(fcntl(ends[1], F_SETFL, O_NONBLOCK), 0);
	const std::string filler(4096, 'x');
	while (write(ends[1], filler.data(), filler.size()) > 0)
		continue;
	ASSERT_EQ(fcntl(ends[1], F_SETFL, 0), 0);
	bool waitedInVain = false;
	std::thread reader([&, open = thirdRead.get_future()] {
		if (open.wait_for(kWatchdog) != std::future_status::ready)
			waitedInVain = true;
		char buffer[4096];
		while (read(ends[0], buffer, sizeof(buffer)) > 0)
			continue;
		close(ends[0]);
	});
	FILE* output = fdopen(ends[1], "w");
	ASSERT_NE(output, nullptr);
	int made = 0;
	ExportRunner runner(options, stderr, output, ExportRunner::Progress::kHidden,
		[&](const std::string& image, const ExportOptions& jobOptions) {
			return std::make_unique<HeldJob>(
				image, jobOptions, std::shared_future<void>(), ++made == 3 ? &thirdRead : nullptr);
		});
	std::future<bool> result = RunAside(runner, 2);
	ASSERT_EQ(result.wait_for(kSlowWatchdog), std::future_status::ready);
	EXPECT_TRUE(result.get());
	fclose(output);
	reader.join();
	EXPECT_FALSE(waitedInVain) << "the third image waited for the first text";
}

TEST(ExportRunner, ARunTakingOverASecondShowsAProgressLineThatIsWipedAfterwards)
{
	ScratchDirectory scratch;
	const std::string image = kExportData + "rgb.png";
	ExportOptions options = ParsedOptions({"--name", "kRgb", "-o", scratch / "out.h", image});
	std::promise<void> releaser;
	MessagePipe messages;
	ExportRunner runner(options, messages.Writing(), stdout, ExportRunner::Progress::kOnTerminal,
		[&](const std::string& path, const ExportOptions& jobOptions) {
			return std::make_unique<HeldJob>(
				path, jobOptions, releaser.get_future().share(), nullptr);
		});
	std::future<bool> result = RunAside(runner, 0);
	const std::string line = "\rquillpix-export: 1/1 " + image + " 0%\033[K";
	bool shown = messages.WaitFor(line, kSlowWatchdog);
	releaser.set_value();
	ASSERT_EQ(result.wait_for(kSlowWatchdog), std::future_status::ready);
	EXPECT_TRUE(result.get());
	EXPECT_TRUE(shown) << messages.Seen();
	messages.CloseWriting();
	const std::string& seen = messages.ReadToEnd();
	// Nothing but progress lines, and the last thing on the line wipes it.
	EXPECT_EQ(seen.rfind("\r\033[K"), seen.size() - 4) << seen;
	EXPECT_EQ(seen.find('\n'), std::string::npos) << seen;
	EXPECT_EQ(ReadWhole(scratch / "out.h"), ReadWhole(kExportData + "rgb.h"));
}

TEST(ExportRunner, QuietOrNoTerminalShowsNoProgressLine)
{
	struct Row {
		std::vector<std::string> quiet;
		ExportRunner::Progress progress;
	};
	const Row rows[] = {
		{{"-q"}, ExportRunner::Progress::kOnTerminal},
		{{}, ExportRunner::Progress::kHidden},
	};
	for (const Row& row : rows) {
		ScratchDirectory scratch;
		std::vector<std::string> arguments = row.quiet;
		arguments.insert(
			arguments.end(), {"--name", "kRgb", "-o", scratch / "out.h", kExportData + "rgb.png"});
		ExportOptions options = ParsedOptions(arguments);
		std::promise<void> releaser;
		MessagePipe messages;
		ExportRunner runner(options, messages.Writing(), stdout, row.progress,
			[&](const std::string& path, const ExportOptions& jobOptions) {
				return std::make_unique<HeldJob>(
					path, jobOptions, releaser.get_future().share(), nullptr);
			});
		std::future<bool> result = RunAside(runner, 0);
		// Well past the second after which a line would show.
		EXPECT_FALSE(messages.WaitFor("quillpix-export", std::chrono::milliseconds(1600)));
		releaser.set_value();
		ASSERT_EQ(result.wait_for(kSlowWatchdog), std::future_status::ready);
		EXPECT_TRUE(result.get());
		messages.CloseWriting();
		EXPECT_EQ(messages.ReadToEnd(), "");
	}
}

// Each image is dithered wholly on one worker: how many workers there are
// changes nothing in the text.
TEST(ExportRunner, DitheredTextsAreTheSameOnOneWorkerAndOnTwo)
{
	ScratchDirectory scratch;
	const std::string images = std::string(QUILLPIX_SOURCE_DIR) + "/tests/data/images/";
	const std::vector<std::string> inputs = {kExportData + "rgb.png", kExportData + "alpha.png",
		images + "colour.jpg", images + "alpha.png", kExportData + "gray.jpg",
		images + "colour.tiff"};
	for (const char* space : {"cmap8", "rgb16", "rgb15", "rgba15", "gray1"})
		for (const char* kind : {"floyd-steinberg", "ordered"}) {
			SCOPED_TRACE(space);
			std::vector<std::string> arguments = {
				"-q", "-o", "-", "--color-space", space, "--dither", kind};
			arguments.insert(arguments.end(), inputs.begin(), inputs.end());
			ExportOptions options = ParsedOptions(arguments);
			std::string texts[2];
			for (unsigned threads : {1u, 2u}) {
				const std::string path = scratch / ("out-" + std::to_string(threads));
				FILE* output = fopen(path.c_str(), "w");
				ASSERT_NE(output, nullptr);
				ExportRunner runner(options, stderr, output, ExportRunner::Progress::kHidden);
				std::future<bool> result = RunAside(runner, threads);
				ASSERT_EQ(result.wait_for(kSlowWatchdog), std::future_status::ready);
				EXPECT_TRUE(result.get()) << kind;
				fclose(output);
				texts[threads - 1] = ReadWhole(path);
			}
			EXPECT_FALSE(texts[0].empty()) << kind;
			EXPECT_EQ(texts[0], texts[1]) << kind;
		}
}

namespace {

// A job whose reading answers what it was made with.
class AnsweringJob : public ExportJob {
public:
	AnsweringJob(const ExportOptions& options, BPrivate::Result<std::unique_ptr<BBitmap>> answer)
		: ExportJob("picture.png", options), fAnswer(std::move(answer))
	{ }

protected:
	BPrivate::Result<std::unique_ptr<BBitmap>> ReadImage() override { return std::move(fAnswer); }

private:
	BPrivate::Result<std::unique_ptr<BBitmap>> fAnswer;
};

} // namespace

// What the reading says is the job's message, word for word; an answer with
// neither a bitmap nor a reason reads as a file that is not an image.
TEST(ExportRunner, AReadingFailureIsTheJobsMessage)
{
	ExportOptions options = ParsedOptions({"picture.png"});
	AnsweringJob damaged(
		options, BPrivate::Failure(B_ILLEGAL_DATA, "is a damaged PNG file: CRC error"));
	damaged.Run();
	EXPECT_FALSE(damaged.Succeeded());
	EXPECT_EQ(
		damaged.Messages(), "quillpix-export: picture.png is a damaged PNG file: CRC error\n");

	AnsweringJob missing(options, BPrivate::Failure(B_ENTRY_NOT_FOUND));
	missing.Run();
	EXPECT_FALSE(missing.Succeeded());
	EXPECT_EQ(missing.Messages(), "quillpix-export: picture.png: No such file or directory\n");

	AnsweringJob hollow(options, std::unique_ptr<BBitmap>());
	hollow.Run();
	EXPECT_FALSE(hollow.Succeeded());
	EXPECT_EQ(hollow.Messages(), "quillpix-export: picture.png is not an image we can read\n");
}
