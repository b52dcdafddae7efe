// SPDX-License-Identifier: MIT
// An export told to report its progress: the counts only grow, stay within
// the text, come about every mebibyte, and end with the whole text, which is
// exactly what reached the file.

#include "export/BitmapSourceExport.h"
#include "support/Files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

namespace {

struct ProgressRow {
	float right;
	float bottom;
	color_space space;
	size_t fewestCalls; // the text's whole mebibytes, plus the last call
};

TEST(ExportProgressTest, CountsGrowToTheWholeTextWrittenEndingWithIt)
{
	const ProgressRow rows[] = {
		{511, 511, B_RGB32, 7}, // 1 MiB of bytes, about 6.4 MB of text
		{99, 99, B_CMAP8, 1}, // less than one step: only the end
	};
	testsupport::ScratchDirectory scratch;
	for (const ProgressRow& row : rows) {
		SCOPED_TRACE(row.space);
		auto bitmap = std::make_unique<BBitmap>(BRect(0, 0, row.right, row.bottom), row.space);
		memset(bitmap->Bits(), 0x5A, size_t(bitmap->BitsLength()));
		std::vector<std::pair<int64, int64>> calls;
		SourceExportOptions options;
		options.progress = [&](int64 written, int64 total) { calls.emplace_back(written, total); };
		const std::string path = scratch / "progress.h";
		ASSERT_TRUE(ExportBitmapSource(bitmap.get(), path.c_str(), options));

		const int64 size = int64(std::filesystem::file_size(path));
		ASSERT_GE(calls.size(), row.fewestCalls);
		EXPECT_EQ(calls.back(), std::make_pair(size, size));
		int64 before = 0;
		for (const auto& [written, total] : calls) {
			EXPECT_EQ(total, size);
			EXPECT_GE(written, before);
			EXPECT_LE(written, total);
			before = written;
		}
	}
}

// A failed export reports no end: the last count stays short of the total.
TEST(ExportProgressTest, AFailedExportNeverReportsTheWholeText)
{
	auto bitmap = std::make_unique<BBitmap>(BRect(0, 0, 15, 15), B_RGB32);
	std::vector<int64> written;
	SourceExportOptions options;
	options.progress = [&](int64 count, int64) { written.push_back(count); };
	EXPECT_FALSE(ExportBitmapSource(bitmap.get(), "/nonexistent-directory/icon.h", options));
	EXPECT_TRUE(written.empty());
}

} // namespace
