// SPDX-License-Identifier: MIT
#pragma once

// What the tests that build projects of their own with
// quillpix_add_image_sources share: the package installed once into a
// scratch prefix, images made to measure, and running the build tools.

#include <gtest/gtest.h>

#include <string>
#include <unistd.h>
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

// The C++ compilers a project is built with, each in a run of its own.
inline const char* const kCompilers[] = {"/usr/bin/g++", "/usr/bin/clang++"};

// The name of a run of EachCompiler.
inline std::string
CompilerName(const testing::TestParamInfo<const char*>& info)
{
	return std::string(info.param).find("clang") != std::string::npos ? "Clang" : "Gcc";
}

// A test run with each of kCompilers (its parameter): skipped where that
// compiler is not installed, failed where the package could not be.
class EachCompiler : public testing::TestWithParam<const char*> {
protected:
	void SetUp() override
	{
		if (access(GetParam(), X_OK) != 0)
			GTEST_SKIP() << GetParam() << " is not installed";
		ASSERT_FALSE(InstalledPrefix().empty()) << "cannot install the package";
	}
};

} // namespace embedtest
