#pragma once

// What the tests that build projects of their own with
// quillpix_add_image_sources share: the package installed once into a
// scratch prefix, images made to measure, and running the build tools.

#include <string>
#include <vector>

namespace embedtest {

// Runs `argv` in `directory` with both output streams into `log`, with
// `environment` ("NAME=value") over the test's own; answers its exit code,
// -1 when it did not exit.
int RunTool(const std::vector<std::string>& argv, const std::string& directory,
	const std::string& log, const std::vector<std::string>& environment = {});

// A PAM image (RGB_ALPHA) of a pattern that `seed` varies, every byte value
// in the colour channels, a fifth of it transparent.
std::string PamImage(int width, int height, int seed);

// `text` as a quoted CMake argument.
std::string CMakeQuoted(const std::string& text);

// The tools package installed into a scratch prefix, once for every test of
// the program; empty when it could not be installed.
const std::string& InstalledPrefix();

} // namespace embedtest
