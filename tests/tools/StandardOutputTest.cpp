// SPDX-License-Identifier: MIT
// Texts to standard output, whose items several threads format: the bytes
// are those the files get, image by image in argument order, whatever the
// number of workers; and a reader that goes away early ends the export as it
// always did.

#include "ExportFixtures.h"
#include "ExporterProcess.h"
#include "support/Files.h"
#include "support/NoiseBytes.h"
#include "tools/jobs/ExportRunner.h"
#include "export/ImageIdentifier.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using ExporterProcess::Replaced;
using namespace testsupport;

namespace {

// A binary PPM of `width` x `height` pixels whose bytes do not repeat in
// step with the text's lines or chunks.
std::string
WritePpm(const std::string& path, int width, int height)
{
	std::string image = "P6 " + std::to_string(width) + " " + std::to_string(height) + " 255\n";
	std::vector<uint8> pixels = NoiseBytes(
		size_t(width) * height * 3, uint32(width * 7919 + height));
	image.append(pixels.begin(), pixels.end());
	WriteWhole(path, image);
	return path;
}

bool
RunExport(const std::vector<std::string>& arguments, unsigned threads, FILE* output)
{
	ExportOptions options = ParsedOptions(arguments);
	ExportRunner runner(options, stderr, output, ExportRunner::Progress::kHidden);
	return runner.Run(threads);
}

std::string
Leaf(const std::string& path)
{
	return path.substr(path.rfind('/') + 1);
}

} // namespace

TEST(StandardOutput, TakesTheBytesTheFilesGetWithOneWorkerOrTwo)
{
	ScratchDirectory scratch;
	// Several chunks of items, fewer than one, and a single pixel; a
	// palette image; and an image that cannot be read, between the others.
	const std::string large = WritePpm(scratch / "large.ppm", 301, 203);
	const std::string small = WritePpm(scratch / "small.ppm", 7, 3);
	const std::string pixel = WritePpm(scratch / "pixel.ppm", 1, 1);
	const std::string palette = scratch / "palette.gif";
	WriteWhole(palette, ReadWhole(kExportData + "palette.gif"));
	const std::string broken = scratch / "broken.ppm";
	WriteWhole(broken, "P6 4 4 255\n");

	struct Row {
		std::vector<std::string> images;
		std::vector<std::string> colorSpace;
	};
	const Row rows[] = {
		{{large}, {}},
		{{pixel}, {}},
		{{large, small, pixel, palette, large}, {}},
		{{large, broken, palette}, {"--color-space", "cmap8"}},
		{{palette, small}, {"--color-space", "rgb32"}},
	};
	for (const Row& row : rows) {
		// What the files get, each under the name standard output gives it.
		std::string expected;
		bool allRead = true;
		for (const std::string& image : row.images) {
			std::vector<std::string> one = row.colorSpace;
			one.insert(one.end(), {"-q", image});
			if (!RunExport(one, 1, stdout)) {
				allRead = false;
				continue;
			}
			expected += Replaced(
				ReadWhole(image + ".h"), Leaf(image) + ".h", ImageIdentifier::For(image));
			unlink((image + ".h").c_str());
		}
		ASSERT_FALSE(expected.empty());

		for (unsigned threads : {1u, 2u}) {
			SCOPED_TRACE(testing::Message()
				<< row.images.size() << " images from " << Leaf(row.images[0]) << ", " << threads
				<< " workers");
			std::vector<std::string> toOutput = row.colorSpace;
			toOutput.insert(toOutput.end(), {"-q", "-o", "-"});
			toOutput.insert(toOutput.end(), row.images.begin(), row.images.end());
			FILE* output = fopen((scratch / "out").c_str(), "w");
			ASSERT_NE(output, nullptr);
			EXPECT_EQ(RunExport(toOutput, threads, output), allRead);
			fclose(output);
			const std::string text = ReadWhole(scratch / "out");
			EXPECT_EQ(text.size(), expected.size());
			EXPECT_TRUE(text == expected) << "the texts differ";
		}
	}
}

namespace {

struct EarlyClose {
	bool killedByPipeSignal = false;
	int exitCode = -1;
	std::string err;
};

// Runs the exporter into a pipe whose reader takes `read` bytes and closes
// it, with SIGPIPE at its default action or ignored (which the program
// started inherits), as a shell or a parent process may leave it.
EarlyClose
RunIntoClosingPipe(const ScratchDirectory& scratch, const std::vector<std::string>& arguments,
	size_t read, bool ignorePipeSignal)
{
	EarlyClose result;
	int ends[2];
	// Both ends close when the exporter starts; its standard output is
	// opened on the writing end just before.
	if (pipe2(ends, O_CLOEXEC) != 0)
		return result;
	struct sigaction action = {}, previous = {};
	action.sa_handler = ignorePipeSignal ? SIG_IGN : SIG_DFL;
	sigaction(SIGPIPE, &action, &previous);
	const std::string errPath = scratch / ".stderr";
	pid_t child = ExporterProcess::Start(arguments, "/dev/fd/" + std::to_string(ends[1]), errPath);
	sigaction(SIGPIPE, &previous, nullptr);
	close(ends[1]);
	char block[4096];
	for (size_t taken = 0; taken < read;) {
		ssize_t count = ::read(ends[0], block, std::min(sizeof(block), read - taken));
		if (count <= 0)
			break;
		taken += size_t(count);
	}
	close(ends[0]);

	int status = 0;
	if (child > 0 && waitpid(child, &status, 0) == child) {
		result.killedByPipeSignal = WIFSIGNALED(status) && WTERMSIG(status) == SIGPIPE;
		result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
	}
	result.err = ReadWhole(errPath);
	unlink(errPath.c_str());
	return result;
}

} // namespace

TEST(StandardOutput, AReaderClosingThePipeEarlyEndsTheExportAsBefore)
{
	ScratchDirectory scratch;
	// Each text is far larger than a pipe holds.
	const std::string first = WritePpm(scratch / "first.ppm", 400, 300);
	const std::string second = WritePpm(scratch / "second.ppm", 300, 400);
	const std::vector<std::string> arguments = {
		"-q", "-o", "-", first, scratch / "missing.ppm", second};
	for (size_t read : {size_t(0), size_t(100000)}) {
		SCOPED_TRACE(testing::Message() << read << " bytes read");
		// By default the signal ends the program, with nothing said.
		EarlyClose killed = RunIntoClosingPipe(scratch, arguments, read, false);
		EXPECT_TRUE(killed.killedByPipeSignal) << "exit code " << killed.exitCode;
		EXPECT_EQ(killed.err, "");

		// Ignored, every text that cannot go out says so, in argument order.
		EarlyClose refused = RunIntoClosingPipe(scratch, arguments, read, true);
		EXPECT_FALSE(refused.killedByPipeSignal);
		EXPECT_EQ(refused.exitCode, 1);
		EXPECT_EQ(refused.err,
			"quillpix-export: cannot write standard output: Broken pipe\n"
			"quillpix-export: "
				+ (scratch / "missing.ppm")
				+ ": No such file or directory\n"
				  "quillpix-export: cannot write standard output: Broken pipe\n");
		EXPECT_EQ(scratch.Listing(), "first.ppm second.ppm");
	}
}
