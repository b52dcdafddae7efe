// SPDX-License-Identifier: MIT
// The identifier rule against its table, tests/data/identifiers.txt, which
// also checks quillpix_add_image_sources (tests/roundtrip/EmbedIdentifiers.cmake):
// the rule itself, which names texts on standard output, and the exporter's
// --identifiers, which the CMake function asks.

#include "ExporterProcess.h"
#include "export/ImageIdentifier.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

struct Row {
	std::string image;
	std::string identifier;
};

std::vector<Row>
ReadTable()
{
	std::ifstream table(std::string(QUILLPIX_SOURCE_DIR) + "/tests/data/identifiers.txt");
	std::vector<Row> rows;
	for (std::string line; std::getline(table, line);) {
		size_t tab = line.rfind('\t');
		if (line.empty() || line[0] == '#' || tab == std::string::npos)
			continue;
		rows.push_back({line.substr(0, tab), line.substr(tab + 1)});
	}
	return rows;
}

} // namespace

TEST(ImageIdentifier, EveryFileNameOfTheTableGivesItsIdentifier)
{
	const std::vector<Row> rows = ReadTable();
	ASSERT_GE(rows.size(), 10u);
	std::vector<std::string> arguments = {"--identifiers", "--"};
	std::string expected;
	for (const Row& row : rows) {
		EXPECT_EQ(ImageIdentifier::For(row.image), row.identifier) << row.image;
		EXPECT_TRUE(ImageIdentifier::IsIdentifier(row.identifier.c_str())) << row.identifier;
		arguments.push_back(row.image);
		expected += row.identifier + "\n";
	}
	testsupport::ScratchDirectory scratch;
	ExporterProcess::Outcome outcome = ExporterProcess::Run(scratch, arguments);
	EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
	EXPECT_EQ(outcome.out, expected);
}

TEST(ImageIdentifier, OnlyNamesACompilerTakesAreIdentifiers)
{
	for (const char* name : {"a", "_", "save_file", "kQuill9", "_Z"})
		EXPECT_TRUE(ImageIdentifier::IsIdentifier(name)) << name;
	for (const char* name : {"", "9a", "save-file", "quill.png.h", "a b", "caf\xC3\xA9", "x;y"})
		EXPECT_FALSE(ImageIdentifier::IsIdentifier(name)) << name;
}
