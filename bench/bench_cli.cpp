// SPDX-License-Identifier: MIT
// The whole quillpix-export run on the plasma PNGs of 256, 1024 and 4096
// pixels a side: start, load, convert, export, fsync and rename, as a build
// system would run it. The program is the one built beside this benchmark.

#include "PlasmaRuns.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// Runs the exporter on `image` into `output`; true when it exited with 0.
bool
RunExporter(const std::string& image, const std::string& output, const char* colorSpace)
{
	const char* arguments[] = {QUILLPIX_EXPORT_PATH, "--color-space", colorSpace, "--name",
		"kImage", "-o", output.c_str(), image.c_str(), nullptr};
	pid_t child;
	if (posix_spawn(&child, QUILLPIX_EXPORT_PATH, nullptr, nullptr,
			const_cast<char* const*>(arguments), environ)
		!= 0) {
		return false;
	}
	int status;
	if (waitpid(child, &status, 0) != child)
		return false;
	return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void
QuillpixExport(benchmark::State& state, const char* colorSpace)
{
	const int side = int(state.range(0));
	const std::string image = BenchInputs::Plasma(side, "png");
	if (image.empty()) {
		state.SkipWithError("no input image (needs ImageMagick's convert)");
		return;
	}
	const std::string output = BenchInputs::Directory() + "/bench-cli-" + std::to_string(getpid())
		+ ".h";
	for (auto _ : state) {
		if (!RunExporter(image, output, colorSpace)) {
			state.SkipWithError("quillpix-export failed");
			break;
		}
	}
	unlink(output.c_str());
	state.SetItemsProcessed(state.iterations() * side * side);
}

BENCHMARK_CAPTURE(QuillpixExport, rgb32, "rgb32")->Apply(BenchInputs::Sides);
BENCHMARK_CAPTURE(QuillpixExport, cmap8, "cmap8")->Apply(BenchInputs::Sides);

} // namespace

BENCHMARK_MAIN();
