// SPDX-License-Identifier: MIT
#include "EmbedProjects.h"

#include "support/Files.h"
#include "support/Program.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace embedtest {

int
RunTool(const std::vector<std::string>& argv, const std::string& directory, const std::string& log,
	const std::vector<std::string>& environment)
{
	testsupport::Program program;
	program.arguments = argv;
	program.directory = directory;
	program.environment = environment;
	program.outputPath = log;
	program.errorToOutput = true;
	return testsupport::RunProgram(program).ExitCode();
}

std::string
PamImage(int width, int height, int seed)
{
	std::string image = "P7\nWIDTH " + std::to_string(width) + "\nHEIGHT " + std::to_string(height)
		+ "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
	image.reserve(image.size() + size_t(width) * height * 4);
	for (int y = 0; y < height; y++) {
		for (int x = 0; x < width; x++) {
			image += char(x * 7 + y + seed);
			image += char((y * 3) ^ x ^ seed);
			image += char((x * y) >> 3);
			image += char((x + y + seed) % 5 == 0 ? 0 : 200 + ((x ^ y) & 55));
		}
	}
	return image;
}

std::string
CMakeQuoted(const std::string& text)
{
	std::string quoted = "\"";
	for (char c : text) {
		if (c == '\\' || c == '"' || c == '$' || c == ';')
			quoted += '\\';
		if (c == '\n')
			quoted += "\\n";
		else
			quoted += c;
	}
	return quoted + "\"";
}

const std::string&
InstalledPrefix()
{
	static testsupport::ScratchDirectory* scratch = new testsupport::ScratchDirectory();
	static std::string prefix = [] {
		std::string prefix = *scratch / "prefix";
		// One install at a time: test processes that run at once would
		// otherwise write the build tree's install manifest together, and
		// one of them fail.
		const int lock = open(
			QUILLPIX_BINARY_DIR "/test-install.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0644);
		if (lock >= 0)
			flock(lock, LOCK_EX);
		int status = RunTool(
			{"cmake", "--install", QUILLPIX_BINARY_DIR, "--component", "tools", "--prefix", prefix},
			scratch->Path(), *scratch / "install.log");
		if (lock >= 0)
			close(lock);
		return status == 0 ? prefix : std::string();
	}();
	return prefix;
}

} // namespace embedtest
