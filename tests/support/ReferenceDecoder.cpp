// SPDX-License-Identifier: MIT
#include "support/ReferenceDecoder.h"

#include "support/Program.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace testsupport {

namespace {

const char kConvert[] = "/usr/bin/convert";

// What convert writes on its standard output; empty when it failed.
std::string
Converted(const std::vector<std::string>& arguments)
{
	Program convert{{kConvert}};
	convert.arguments.insert(convert.arguments.end(), arguments.begin(), arguments.end());
	ProgramOutcome run = RunProgram(convert);
	return run.ExitCode() == 0 ? run.out : std::string();
}

} // namespace

bool
HaveReferenceDecoder()
{
	return access(kConvert, X_OK) == 0;
}

std::vector<std::pair<int32_t, int32_t>>
ReferenceSizes(const std::string& path)
{
	std::vector<std::pair<int32_t, int32_t>> sizes;
	std::istringstream lines(Converted({path, "-format", "%w %h\n", "info:"}));
	int32_t width = 0, height = 0;
	while (lines >> width >> height)
		sizes.emplace_back(width, height);
	return sizes;
}

std::string
ReferenceRgba(const std::string& path, int index)
{
	return Converted(
		{path + "[" + std::to_string(index) + "]", "-depth", "8", "-alpha", "on", "rgba:-"});
}

std::string
ReferenceCmyk(const std::string& path)
{
	return Converted({path, "-depth", "8", "cmyk:-"});
}

bool
ReferenceConvert(const std::vector<std::string>& arguments, std::string* error)
{
	Program convert{{kConvert}};
	convert.arguments.insert(convert.arguments.end(), arguments.begin(), arguments.end());
	ProgramOutcome run = RunProgram(convert);
	if (error != nullptr)
		*error = run.Describe();
	return run.ExitCode() == 0;
}

std::string
CompareRgba(const std::string& actual, const std::string& expected, int32_t width, int tolerance)
{
	if (actual.size() != expected.size()) {
		return "sizes differ: " + std::to_string(actual.size()) + " vs "
			+ std::to_string(expected.size());
	}
	for (size_t i = 0; i + 3 < actual.size(); i += 4) {
		int alphaA = uint8_t(actual[i + 3]), alphaE = uint8_t(expected[i + 3]);
		bool differs = std::abs(alphaA - alphaE) > tolerance;
		for (int c = 0; c < 3 && !differs && alphaE != 0; c++) {
			differs = std::abs(int(uint8_t(actual[i + c])) - int(uint8_t(expected[i + c])))
				> tolerance;
		}
		if (differs) {
			size_t pixel = i / 4;
			char line[160];
			std::snprintf(line, sizeof(line), "pixel (%zu, %zu): %d %d %d %d, expected %d %d %d %d",
				pixel % size_t(width), pixel / size_t(width), uint8_t(actual[i]),
				uint8_t(actual[i + 1]), uint8_t(actual[i + 2]), alphaA, uint8_t(expected[i]),
				uint8_t(expected[i + 1]), uint8_t(expected[i + 2]), alphaE);
			return line;
		}
	}
	return "";
}

} // namespace testsupport
