// SPDX-License-Identifier: MIT
// The texts the exporter writes, read back: every colour space and
// dithering gives a text that reads back to the bitmap it was written from
// (its text again), in its own space, and the exporter re-exports it as the
// same text; the --embed header reads back with its .bin, and what does not
// match is told in one line.

#include "ExporterProcess.h"

#include "export/BitmapSourceExport.h"

#include <SpaceConversion.h>
#include <TranslationUtils.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace testsupport;

namespace {

const std::string kImages = QUILLPIX_SOURCE_DIR "/tests/data/export/";

ExporterProcess::Outcome
Export(const ScratchDirectory& scratch, std::vector<std::string> arguments)
{
	arguments.insert(arguments.begin(), {"-q", "--name", "icon"});
	return ExporterProcess::Run(scratch, arguments);
}

} // namespace

TEST(ReadBackTest, EveryTextTheExporterWritesReadsBackAndExportsAgainToTheSameText)
{
	ScratchDirectory scratch;
	const std::string first = scratch / "first.h";
	const std::string again = scratch / "again.h";
	// Partial alpha and rows padded (5 pixels wide), and a palette image.
	for (const char* image : {"edges.png", "palette.gif"}) {
		for (const char* spaceName :
			{"rgb32", "cmap8", "rgba32", "rgb16", "rgb15", "rgba15", "gray8", "gray1", "rgb24",
				"rgb24-big", "rgb16-big", "rgb15-big", "rgba15-big", "rgb32-big", "rgba32-big"}) {
			color_space space;
			ASSERT_TRUE(ColorSpaceNamed(spaceName, space));
			for (const char* dither : {"none", "floyd-steinberg", "ordered"}) {
				if (std::string(dither) != "none" && !SpaceDithers(space))
					continue;
				SCOPED_TRACE(std::string(image) + " " + spaceName + " " + dither);
				std::vector<std::string> options = {"--color-space", spaceName};
				if (SpaceDithers(space))
					options.insert(options.end(), {"--dither", dither});
				options.insert(options.end(), {"-o", first, kImages + image});
				ASSERT_EQ(Export(scratch, options).exitCode, 0);
				const std::string text = ReadWhole(first);

				BPrivate::ReadFacts facts;
				BPrivate::Result<std::unique_ptr<BBitmap>> read = BPrivate::ReadBitmapFile(
					first.c_str(), nullptr, &facts);
				ASSERT_TRUE(read) << read.Error().detail;
				EXPECT_TRUE(facts.namesColorSpace);
				EXPECT_EQ(read.Value()->ColorSpace(), space);
				ASSERT_TRUE(ExportBitmapSource(read.Value().get(), again.c_str(), {"icon"}));
				EXPECT_EQ(ReadWhole(again), text);

				ExporterProcess::Outcome reexport = Export(scratch, {"-o", again, first});
				EXPECT_EQ(reexport.exitCode, 0) << reexport.err;
				EXPECT_EQ(ReadWhole(again), text);
			}
		}
	}
}

TEST(ReadBackTest, AnEmbedHeaderReadsBackWithItsBinAndSaysWhatDoesNotMatch)
{
	ScratchDirectory scratch;
	const std::string header = scratch / "edges.h";
	const std::string text = scratch / "text.h";
	const std::string image = kImages + "edges.png";
	ASSERT_EQ(Export(scratch, {"--color-space", "rgb16", "-o", text, image}).exitCode, 0);
	for (const char* scope : {"", "ns"}) {
		SCOPED_TRACE(scope);
		std::vector<std::string> embed = {"--color-space", "rgb16", "--embed", header};
		if (scope[0] != '\0')
			embed.insert(embed.end(), {"--namespace", scope});
		embed.push_back(image);
		ASSERT_EQ(Export(scratch, embed).exitCode, 0);
		ExporterProcess::Outcome back = Export(scratch, {"-o", "-", header});
		EXPECT_EQ(back.exitCode, 0) << back.err;
		EXPECT_EQ(back.out, ReadWhole(text));
	}

	const std::string bin = scratch / "edges.bin";
	const std::string bytes = ReadWhole(bin);
	const std::string declared = ReadWhole(header);
	const struct {
		const char* name;
		std::string header;
		std::string bin; // none when empty
		std::string message;
	} refused[] = {
		{"NoBin", declared, "", "edges.bin beside it: No such file or directory"},
		{"ShortBin", declared, bytes.substr(1),
			"edges.bin beside it holds 23 bytes, the header says 24"},
		{"RowAgainstWidth",
			ExporterProcess::Replaced(declared, "_BytesPerRow = 12;", "_BytesPerRow = 10;"), bytes,
			"line 19: icon_BytesPerRow is 10, but a row of 5 pixels in its colour space takes 12"},
	};
	for (const auto& row : refused) {
		SCOPED_TRACE(row.name);
		ASSERT_TRUE(WriteWhole(header, row.header));
		unlink(bin.c_str());
		if (!row.bin.empty()) {
			ASSERT_TRUE(WriteWhole(bin, row.bin));
		}
		ExporterProcess::Outcome back = Export(scratch, {"-o", "-", header});
		EXPECT_EQ(back.exitCode, 1);
		EXPECT_EQ(back.err,
			"quillpix-export: " + header
				+ " is a damaged Quillpix embed header file: " + row.message + "\n");
	}
}

// A header of a build with compression reads back too: its zstd frame
// decompressed, or its bytes as they are where the image stayed raw; a frame
// cut short is refused with its file named.
TEST(ReadBackTest, ACompressedEmbedHeaderReadsBackAndACutFrameIsRefused)
{
	ScratchDirectory scratch;
	const std::string header = scratch / "quill.h";
	const std::string text = scratch / "text.h";
	const std::string image = QUILLPIX_SOURCE_DIR "/examples/quill.png";
	ASSERT_EQ(Export(scratch, {"-o", text, image}).exitCode, 0);
	for (const char* threshold : {"99", "10"}) {
		SCOPED_TRACE(threshold);
		ASSERT_EQ(
			Export(scratch,
				{"--embed", header, "--compress", "zstd", "--compress-threshold", threshold, image})
				.exitCode,
			0);
		ExporterProcess::Outcome back = Export(scratch, {"-o", "-", header});
		EXPECT_EQ(back.exitCode, 0) << back.err;
		EXPECT_EQ(back.out, ReadWhole(text));
	}
	ASSERT_NE(ReadWhole(header).find("_Compressed 1"), std::string::npos);
	const std::string bin = scratch / "quill.bin";
	const std::string frame = ReadWhole(bin);
	ASSERT_TRUE(WriteWhole(bin, frame.substr(0, frame.size() - 1)));
	ExporterProcess::Outcome cut = Export(scratch, {"-o", "-", header});
	EXPECT_EQ(cut.exitCode, 1);
	EXPECT_EQ(cut.err.rfind("quillpix-export: " + header
					  + " is a damaged Quillpix embed header file: quill.bin beside it",
				  0),
		0u)
		<< cut.err;
}
