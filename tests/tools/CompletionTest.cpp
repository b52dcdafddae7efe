// SPDX-License-Identifier: MIT
// The bash completion of quillpix-export and quillpix, run in bash as the
// shell runs it: COMP_WORDS and COMP_CWORD set, the function called, and
// COMPREPLY read back.

#include "support/Files.h"
#include "support/Program.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <vector>

using testsupport::ScratchDirectory;
using testsupport::WriteWhole;

namespace {

const std::string kCompletions = std::string(QUILLPIX_SOURCE_DIR) + "/tools/completion/";

// The words bash would offer for `words`, the last one being completed, as
// one line sorted; in `directory`.
std::string
Complete(const std::string& script, const char* function, const std::vector<std::string>& words,
	const std::string& directory)
{
	std::string array;
	for (const std::string& word : words)
		array += " '" + word + "'";
	const std::string command = "source '" + kCompletions + script + "' && COMP_WORDS=(" + array
		+ ") && COMP_CWORD=" + std::to_string(words.size() - 1) + " && " + function
		+ " && printf '%s\\n' \"${COMPREPLY[@]}\" | sort | tr '\\n' ' '";
	testsupport::Program bash{{"bash", "-c", command}};
	bash.directory = directory;
	testsupport::ProgramOutcome run = testsupport::RunProgram(bash);
	EXPECT_EQ(run.ExitCode(), 0) << run.Describe();
	std::string line = run.out;
	if (!line.empty() && line.back() == ' ')
		line.pop_back();
	return line;
}

} // namespace

TEST(Completion, ExporterOffersOptionsValuesAndImageFiles)
{
	ScratchDirectory scratch;
	for (const char* leaf : {"a.png", "b.JPG", "c.webp", "notes.txt", "d.ppm", "out.h"})
		WriteWhole(scratch / leaf, "");
	ASSERT_EQ(mkdir((scratch / "icons").c_str(), 0755), 0);
	const struct {
		std::vector<std::string> words;
		const char* offered;
	} rows[] = {
		{{"quillpix-export", ""}, "a.png b.JPG c.webp d.ppm icons"},
		{{"quillpix-export", "-q", "b"}, "b.JPG"},
		{{"quillpix-export", "--col"}, "--color-space"},
		{{"quillpix-export", "--n"}, "--name --namespace"},
		{{"quillpix-export", "--color-space", "rgb"},
			"rgb15 rgb15-big rgb16 rgb16-big rgb24 rgb24-big rgb32 rgb32-big rgba15 rgba15-big "
			"rgba32 rgba32-big"},
		{{"quillpix-export", "--color-space=g"}, "gray1 gray8"},
		// bash splits "--dither=o" at '=' by default.
		{{"quillpix-export", "--dither", "=", "o"}, "ordered"},
		{{"quillpix-export", "--dither", "="}, "floyd-steinberg none ordered"},
		{{"quillpix-export", "-o", "o"}, "out.h"},
		{{"quillpix-export", "-o", ""}, "- a.png b.JPG c.webp d.ppm icons notes.txt out.h"},
		{{"quillpix-export", "--name", ""}, ""},
		{{"quillpix-export", "--comp"}, "--compress --compress-threshold"},
		{{"quillpix-export", "--compress", "zstd:1"}, "zstd:19"},
		{{"quillpix-export", "--", "-"}, ""},
		{{"quillpix-export", "--", "n"}, ""},
		{{"quillpix-export", "--", "a"}, "a.png"},
	};
	for (const auto& row : rows) {
		EXPECT_EQ(Complete("quillpix-export.bash", "_quillpix_export", row.words, scratch.Path()),
			row.offered)
			<< row.words.back();
	}
}

TEST(Completion, ProgramOffersImageFiles)
{
	ScratchDirectory scratch;
	for (const char* leaf : {"a.png", "B.TIFF", "notes.txt", "icon.ico"})
		WriteWhole(scratch / leaf, "");
	EXPECT_EQ(Complete("quillpix.bash", "_quillpix", {"quillpix", ""}, scratch.Path()),
		"B.TIFF a.png icon.ico");
	EXPECT_EQ(
		Complete("quillpix.bash", "_quillpix", {"quillpix", "--v"}, scratch.Path()), "--version");
}
