// SPDX-License-Identifier: MIT
#pragma once

// The images the benchmarks load: a plasma picture (smooth, as photos and
// most icons are) of each side, as PNG and as JPEG, made once by
// ImageMagick with a fixed seed, so every run and every program reads the
// same bytes. They live in $QUILLPIX_BENCH_DIR, or in "bench-inputs" under
// the working directory; bench/compare.sh makes the same files there.
//
// Plain code for the benchmark programs; not thread-safe (benchmarks run on
// one thread).

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>

namespace BenchInputs {

// The sides every size-dependent benchmark runs at.
constexpr int kSides[] = {256, 1024, 4096};

inline std::string
Directory()
{
	if (const char* directory = std::getenv("QUILLPIX_BENCH_DIR"))
		return directory;
	return "bench-inputs";
}

inline bool
Exists(const std::string& path)
{
	struct stat info;
	return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// ImageMagick's convert: $CONVERT, else the one on the PATH.
inline std::string
Convert()
{
	const char* convert = std::getenv("CONVERT");
	return convert != nullptr ? convert : "convert";
}

// The path of the plasma picture of `side` pixels in `format` ("png" or
// "jpg"), made when missing; empty when it cannot be made.
inline std::string
Plasma(int side, const char* format)
{
	const std::string directory = Directory();
	mkdir(directory.c_str(), 0777);
	const std::string stem = directory + "/plasma-" + std::to_string(side);
	const std::string png = stem + ".png";
	const std::string size = std::to_string(side) + "x" + std::to_string(side);
	if (!Exists(png)) {
		std::string command = Convert() + " -size " + size + " -seed " + std::to_string(side)
			+ " plasma:fractal -depth 8 PNG24:'" + png + "'";
		if (std::system(command.c_str()) != 0 || !Exists(png))
			return std::string();
	}
	if (std::string(format) == "png")
		return png;
	const std::string other = stem + "." + format;
	if (!Exists(other)) {
		std::string command = Convert() + " '" + png + "' -quality 90 '" + other + "'";
		if (std::system(command.c_str()) != 0 || !Exists(other))
			return std::string();
	}
	return other;
}

} // namespace BenchInputs
