#pragma once

// What the tests that build projects of their own against the installed
// package share: running a tool into a log, the images they embed, and the
// package installed.

#include <string>
#include <vector>

namespace embedtest {

// Runs `argv` in `directory` with both output streams into `log` and
// `environment` ("NAME=value", or "NAME" to take one away) over the test's
// own; answers its exit code, -1 when it did not exit.
int Run(const std::vector<std::string>& argv, const std::string& directory,
	const std::string& log, const std::vector<std::string>& environment = {});

// A PAM image (RGB_ALPHA) of a pattern that `seed` varies, every byte value
// in the colour channels, a fifth of it transparent.
std::string PamImage(int width, int height, int seed);

// `text` as a quoted CMake argument.
std::string CMakeQuoted(const std::string& text);

// The package installed (its tools component) into a scratch prefix, once
// per test program; empty when that failed.
const std::string& InstalledPrefix();

} // namespace embedtest
