// SPDX-License-Identifier: MIT
// Calls of quillpix-export that would destroy an image or write text that
// cannot compile: refused as usage errors (status 2) before anything is
// written, with a message that names both files.

#include "ExporterProcess.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <unistd.h>
#include <vector>

using ExporterProcess::Outcome;
using testsupport::ReadWhole;
using testsupport::ScratchDirectory;
using testsupport::WriteWhole;

namespace {

const std::string kImage = std::string(QUILLPIX_SOURCE_DIR) + "/tests/data/export/rgb.png";

struct ConflictRow {
	const char* behaviour;
	std::vector<std::string> arguments; // "@" stands for the scratch directory
	const char* message; // after "quillpix-export: ", "@" expanded
};

// Rows are named by what they show, in gtest's output and in ctest's list.
void
PrintTo(const ConflictRow& row, std::ostream* out)
{
	*out << row.behaviour;
}

const ConflictRow kRows[] = {
	{"an output that is the image itself", {"-o", "@/pic.png", "@/pic.png"},
		"the output @/pic.png is the image @/pic.png itself; its text would overwrite it"},
	{"an output that reaches the image through a link", {"-o", "@/link.h", "@/pic.png"},
		"the output @/link.h is the image @/pic.png itself; its text would overwrite it"},
	{"a default output that is another image", {"@/pic.png", "@/pic.png.h"},
		"the output @/pic.png.h is the image @/pic.png.h itself; its text would overwrite it"},
	{"a build form's header that reaches the image", {"--embed", "@/link.h", "@/pic.png"},
		"the output @/link.h is the image @/pic.png itself; its text would overwrite it"},
	{"two images of one name on standard output", {"-o", "-", "@/pic.png", "@/sub/pic.png"},
		"images @/pic.png and @/sub/pic.png would both define pic_MData and pic_MICN on "
		"standard output; export them into files or one at a time"},
	{"one image twice on standard output", {"-o", "-", "@/pic.png", "@/other.png", "@/pic.png"},
		"images @/pic.png and @/pic.png would both define pic_MData and pic_MICN on standard "
		"output; export them into files or one at a time"},
	{"names that become the same identifier", {"-o", "-", "@/a-b.png", "@/a_b.png"},
		"images @/a-b.png and @/a_b.png would both define a_b_MData and a_b_MICN on standard "
		"output; export them into files or one at a time"},
	{"one --name for several images on standard output",
		{"--name", "kIcon", "-o", "-", "@/pic.png", "@/other.png"},
		"--name kIcon would give @/pic.png and @/other.png the same identifiers on standard "
		"output"},
};

std::string
Expanded(std::string text, const std::string& scratch)
{
	for (size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at))
		text.replace(at, 1, scratch), at += scratch.size();
	return text;
}

class OutputConflicts : public testing::TestWithParam<ConflictRow> { };

TEST_P(OutputConflicts, AreRefusedBeforeAnythingIsWritten)
{
	const ConflictRow& row = GetParam();
	SCOPED_TRACE(row.behaviour);
	ScratchDirectory scratch;
	const std::string image = ReadWhole(kImage);
	ASSERT_EQ(mkdir((scratch / "sub").c_str(), 0755), 0);
	for (const char* leaf :
		{"pic.png", "pic.png.h", "other.png", "sub/pic.png", "a-b.png", "a_b.png"}) {
		WriteWhole(scratch / leaf, image);
	}
	ASSERT_EQ(symlink((scratch / "pic.png").c_str(), (scratch / "link.h").c_str()), 0);
	const std::string listing = scratch.Listing();

	std::vector<std::string> arguments = {"-q"};
	for (const std::string& argument : row.arguments)
		arguments.push_back(Expanded(argument, scratch.Path()));
	Outcome outcome = ExporterProcess::Run(scratch, arguments);
	EXPECT_EQ(outcome.exitCode, 2);
	// The first line; a usage line may follow.
	const std::string expected = "quillpix-export: " + Expanded(row.message, scratch.Path()) + "\n";
	EXPECT_EQ(outcome.err.substr(0, expected.size()), expected);
	EXPECT_EQ(outcome.out, "");
	EXPECT_EQ(scratch.Listing(), listing);
	for (const char* leaf : {"pic.png", "pic.png.h", "other.png", "sub/pic.png"})
		EXPECT_TRUE(ReadWhole(scratch / leaf) == image) << leaf << " changed";
}

INSTANTIATE_TEST_SUITE_P(Rows, OutputConflicts, testing::ValuesIn(kRows));

} // namespace
