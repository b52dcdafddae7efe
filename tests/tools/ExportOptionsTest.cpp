// SPDX-License-Identifier: MIT
#include "tools/options/ExportOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Parsed {
	bool ok = false;
	std::string error;
	ExportOptions options;
};

Parsed
Parse(std::vector<const char*> arguments)
{
	arguments.insert(arguments.begin(), "quillpix-export");
	Parsed parsed;
	BPrivate::Result<void> result = parsed.options.Parse(
		static_cast<int>(arguments.size()), arguments.data());
	parsed.ok = result.Ok();
	if (!result)
		parsed.error = result.Error().detail;
	return parsed;
}

// A command line and the message its parse fails with.
using Rejected = std::pair<std::vector<const char*>, const char*>;

// Each command line of `rows` fails to parse, with its message.
void
ExpectRejected(const std::vector<Rejected>& rows)
{
	for (const auto& [arguments, error] : rows) {
		std::string line;
		for (const char* argument : arguments)
			line += std::string(line.empty() ? "" : " ") + argument;
		Parsed parsed = Parse(arguments);
		EXPECT_FALSE(parsed.ok) << line;
		EXPECT_EQ(parsed.error, error) << line;
	}
}

} // namespace

TEST(ExportOptions, AcceptedCommandLines)
{
	struct Row {
		std::vector<const char*> arguments;
		const char* output;
		const char* name;
		color_space colorSpace;
		std::vector<std::string> images;
	};
	const Row rows[] = {
		{{"a.png"}, nullptr, nullptr, B_NO_COLOR_SPACE, {"a.png"}},
		{{"a.png", "b.gif"}, nullptr, nullptr, B_NO_COLOR_SPACE, {"a.png", "b.gif"}},
		{{"-o", "x.h", "a.png"}, "x.h", nullptr, B_NO_COLOR_SPACE, {"a.png"}},
		{{"a.png", "--output=x.h"}, "x.h", nullptr, B_NO_COLOR_SPACE, {"a.png"}},
		{{"--color-space", "cmap8", "a.png"}, nullptr, nullptr, B_CMAP8, {"a.png"}},
		{{"--color-space=rgb32", "a.png"}, nullptr, nullptr, B_RGB32, {"a.png"}},
		{{"--color-space", "rgba32", "a.png"}, nullptr, nullptr, B_RGBA32, {"a.png"}},
		{{"--color-space", "rgb16", "a.png"}, nullptr, nullptr, B_RGB16, {"a.png"}},
		{{"--color-space", "rgb15", "a.png"}, nullptr, nullptr, B_RGB15, {"a.png"}},
		{{"--color-space", "rgba15", "a.png"}, nullptr, nullptr, B_RGBA15, {"a.png"}},
		{{"--color-space", "gray8", "a.png"}, nullptr, nullptr, B_GRAY8, {"a.png"}},
		{{"--color-space=gray1", "a.png"}, nullptr, nullptr, B_GRAY1, {"a.png"}},
		{{"--color-space", "rgb24", "a.png"}, nullptr, nullptr, B_RGB24, {"a.png"}},
		{{"--color-space", "rgb24-big", "a.png"}, nullptr, nullptr, B_RGB24_BIG, {"a.png"}},
		{{"--color-space", "rgb16-big", "a.png"}, nullptr, nullptr, B_RGB16_BIG, {"a.png"}},
		{{"--color-space", "rgb15-big", "a.png"}, nullptr, nullptr, B_RGB15_BIG, {"a.png"}},
		{{"--color-space", "rgba15-big", "a.png"}, nullptr, nullptr, B_RGBA15_BIG, {"a.png"}},
		{{"--color-space", "rgb32-big", "a.png"}, nullptr, nullptr, B_RGB32_BIG, {"a.png"}},
		{{"--color-space=rgba32-big", "a.png"}, nullptr, nullptr, B_RGBA32_BIG, {"a.png"}},
		{{"--name", "kIcon", "a.png", "b.png"}, nullptr, "kIcon", B_NO_COLOR_SPACE,
			{"a.png", "b.png"}},
		{{"--name=", "a.png"}, nullptr, "", B_NO_COLOR_SPACE, {"a.png"}},
		{{"--", "-o", "--name"}, nullptr, nullptr, B_NO_COLOR_SPACE, {"-o", "--name"}},
		{{"-o", "-", "-"}, "-", nullptr, B_NO_COLOR_SPACE, {"-"}},
		{{"./-"}, nullptr, nullptr, B_NO_COLOR_SPACE, {"./-"}},
		{{"-o", "-", "a.png", "b.png"}, "-", nullptr, B_NO_COLOR_SPACE, {"a.png", "b.png"}},
		{{"--name", "kIcon", "-o", "-", "a.png"}, "-", "kIcon", B_NO_COLOR_SPACE, {"a.png"}},
	};
	for (const Row& row : rows) {
		Parsed parsed = Parse(row.arguments);
		const std::string line = row.arguments.empty() ? "" : row.arguments[0];
		ASSERT_TRUE(parsed.ok) << line << ": " << parsed.error;
		EXPECT_EQ(parsed.options.WhatToDo(), ExportOptions::Action::kExport);
		EXPECT_STREQ(parsed.options.Output(), row.output) << line;
		EXPECT_STREQ(parsed.options.IconName(), row.name) << line;
		EXPECT_EQ(parsed.options.TargetColorSpace(), row.colorSpace) << line;
		EXPECT_EQ(parsed.options.Images(), row.images) << line;
	}
}

TEST(ExportOptions, UsageErrors)
{
	const std::vector<std::vector<const char*>> rows = {
		{},
		{"-o", "x.h"},
		{"-o", "x.h", "a.png", "b.png"},
		{"a.png", "-o"},
		{"-o", "", "a.png"},
		{"--color-space", "rgb565", "a.png"},
		{"--color-space"},
		{"--name"},
		{"--frobnicate", "a.png"},
		{"-x", "a.png"},
		{"--outputs=x", "a.png"},
		// One name for several texts in one stream would define it twice.
		{"--name", "kIcon", "-o", "-", "a.png", "b.png"},
		{"--quiet=yes", "a.png"},
		// A build-time source is one file for one image.
		{"--embed", "x.h", "a.png", "b.png"},
		{"--embed", "x.h", "-o", "-", "a.png"},
		{"--embed=", "a.png"},
		// Its name stands in declarations and directives: an identifier only.
		{"--embed", "x.h", "--name", "a b", "a.png"},
		{"--embed", "x.h", "--name", "x;.incbin", "a.png"},
		// Three files, three names.
		{"--embed", "x.h", "-o", "x.h", "a.png"},
		{"--embed", "x.h", "-o", "x.bin", "a.png"},
		{"--embed", "x.bin", "-o", "x.cpp", "a.png"},
		// Compression is the build form's, zstd at a level without the large
		// windows, and a threshold below 100 %.
		{"--compress", "zstd", "a.png"},
		{"--embed", "x.h", "--compress", "lz4", "a.png"},
		{"--embed", "x.h", "--compress", "zstd:0", "a.png"},
		{"--embed", "x.h", "--compress", "zstd:20", "a.png"},
		{"--embed", "x.h", "--compress", "zstd:", "a.png"},
		{"--embed", "x.h", "--compress", "zstd:+5", "a.png"},
		{"--embed", "x.h", "--compress-threshold", "5", "a.png"},
		{"--embed", "x.h", "--compress", "zstd", "--compress-threshold", "100", "a.png"},
		{"--embed", "x.h", "--compress", "zstd", "--compress-threshold", "5%", "a.png"},
	};
	for (const auto& arguments : rows) {
		Parsed parsed = Parse(arguments);
		EXPECT_FALSE(parsed.ok) << (arguments.empty() ? "(none)" : arguments[0]);
		EXPECT_FALSE(parsed.error.empty());
	}
}

TEST(ExportOptions, EmbedNamesTheHeaderAndTheSourceAndTheBytesBesideIt)
{
	EXPECT_EQ(Parse({"a.png"}).options.EmbedHeader(), nullptr);
	const struct {
		std::vector<const char*> arguments;
		const char* header;
		const char* source;
		const char* data;
	} rows[] = {
		{{"--embed", "icon.h", "-o", "gen/icon.cc", "a.png"}, "icon.h", "gen/icon.cc",
			"gen/icon.bin"},
		{{"--embed=x/y.h", "a.png"}, "x/y.h", "x/y.s", "x/y.bin"},
		{{"--embed", "d.v2/noext", "a.png"}, "d.v2/noext", "d.v2/noext.s", "d.v2/noext.bin"},
		{{"--embed", "i.h", "--name", "kIcon", "-o", "a b/.cpp", "a.png"}, "i.h", "a b/.cpp",
			"a b/.cpp.bin"},
	};
	for (const auto& row : rows) {
		Parsed parsed = Parse(row.arguments);
		ASSERT_TRUE(parsed.ok) << row.header << ": " << parsed.error;
		EXPECT_STREQ(parsed.options.EmbedHeader(), row.header);
		EXPECT_EQ(parsed.options.EmbedSource(), row.source);
		EXPECT_EQ(parsed.options.EmbedData(), row.data);
	}
}

// The namespace and the image's name belong to the build form, and the
// namespace stands in declarations: it must be an identifier.
TEST(ExportOptions, CompressTakesALevelAndAThreshold)
{
	const struct {
		std::vector<const char*> arguments;
		int level;
		int threshold;
	} rows[] = {
		{{"--embed", "x.h", "a.png"}, 0, 10},
		{{"--embed", "x.h", "--compress", "zstd", "a.png"}, 9, 10},
		{{"--embed", "x.h", "--compress=zstd:3", "a.png"}, 3, 10},
		{{"--embed", "x.h", "--compress", "zstd:1", "--compress-threshold=0", "a.png"}, 1, 0},
		{{"a.png", "--compress-threshold", "99", "--compress", "zstd:19", "--embed", "x.h"}, 19,
			99},
	};
	for (const auto& row : rows) {
		Parsed parsed = Parse(row.arguments);
		ASSERT_TRUE(parsed.ok) << parsed.error;
		EXPECT_EQ(parsed.options.Compression().level, row.level);
		EXPECT_EQ(parsed.options.Compression().threshold, row.threshold);
	}
}

TEST(ExportOptions, NamespaceAndImageNameGoWithEmbedOnly)
{
	Parsed scoped = Parse(
		{"--embed", "i.h", "--namespace", "lib_1", "--image-name=img/i.png", "/abs/i.png"});
	ASSERT_TRUE(scoped.ok) << scoped.error;
	EXPECT_EQ(scoped.options.EmbedScope(), "lib_1");
	EXPECT_STREQ(scoped.options.EmbedImageName(), "img/i.png");
	EXPECT_EQ(Parse({"--embed", "i.h", "a.png"}).options.EmbedImageName(), nullptr);

	const std::vector<const char*> refused[] = {
		{"--namespace", "lib", "a.png"},
		{"--image-name", "x", "a.png"},
		{"--embed", "i.h", "--namespace", "9lives", "a.png"},
		{"--embed", "i.h", "--namespace", "a::b", "a.png"},
		{"--embed", "i.h", "--namespace"},
	};
	for (const auto& arguments : refused)
		EXPECT_FALSE(Parse(arguments).ok) << arguments[1];
}

TEST(ExportOptions, QuietAndStandardOutputAreSeen)
{
	Parsed quiet = Parse({"-q", "a.png"});
	EXPECT_TRUE(quiet.options.Quiet());
	EXPECT_FALSE(quiet.options.ToStandardOutput());
	Parsed loud = Parse({"--output", "-", "a.png"});
	EXPECT_FALSE(loud.options.Quiet());
	EXPECT_TRUE(loud.options.ToStandardOutput());
	EXPECT_TRUE(Parse({"a.png", "--quiet"}).options.Quiet());
}

TEST(ExportOptions, HelpAndVersionWinOverEverythingAfterThem)
{
	EXPECT_EQ(Parse({"--help", "--bogus"}).options.WhatToDo(), ExportOptions::Action::kHelp);
	EXPECT_EQ(Parse({"a.png", "-h"}).options.WhatToDo(), ExportOptions::Action::kHelp);
	EXPECT_EQ(Parse({"--version"}).options.WhatToDo(), ExportOptions::Action::kVersion);
	EXPECT_FALSE(Parse({"--bogus", "--help"}).ok);
}

TEST(ExportOptions, DitherIsForTheReducedColourSpacesOnly)
{
	const std::pair<std::vector<const char*>, DitherKind> accepted[] = {
		{{"--color-space", "rgb16", "--dither", "ordered", "a.png"}, DitherKind::kOrdered},
		{{"--color-space", "rgb15", "--dither", "none", "a.png"}, DitherKind::kNone},
		{{"--color-space", "rgba15", "--dither", "ordered", "a.png"}, DitherKind::kOrdered},
		{{"--color-space", "rgb16-big", "--dither", "ordered", "a.png"}, DitherKind::kOrdered},
		{{"--color-space", "rgba15-big", "--dither", "floyd-steinberg", "a.png"},
			DitherKind::kFloydSteinberg},
		{{"--color-space", "gray1", "--dither", "floyd-steinberg", "a.png"},
			DitherKind::kFloydSteinberg},
		{{"--color-space", "cmap8", "a.png"}, DitherKind::kNone},
		{{"--color-space", "cmap8", "--dither", "none", "a.png"}, DitherKind::kNone},
		{{"--dither", "floyd-steinberg", "--color-space=cmap8", "a.png"},
			DitherKind::kFloydSteinberg},
		{{"--color-space", "cmap8", "--dither=ordered", "a.png", "b.png"}, DitherKind::kOrdered},
	};
	for (const auto& [arguments, kind] : accepted) {
		Parsed parsed = Parse(arguments);
		ASSERT_TRUE(parsed.ok) << arguments[0] << ": " << parsed.error;
		EXPECT_EQ(parsed.options.Dither(), kind) << arguments[0];
	}

	const char* const kDitherNeeds = "option --dither needs --color-space cmap8, rgb16, rgb15, "
									 "rgba15, gray1, rgb16-big, rgb15-big or rgba15-big";
	ExpectRejected({
		{{"--dither", "ordered", "a.png"}, kDitherNeeds},
		{{"--dither", "none", "a.png"}, kDitherNeeds},
		{{"--color-space", "rgb32", "--dither", "floyd-steinberg", "a.png"}, kDitherNeeds},
		{{"--color-space", "rgba32", "--dither", "ordered", "a.png"}, kDitherNeeds},
		{{"--color-space", "gray8", "--dither", "floyd-steinberg", "a.png"}, kDitherNeeds},
		{{"--color-space", "rgb24", "--dither", "ordered", "a.png"}, kDitherNeeds},
		{{"--color-space", "rgb32-big", "--dither", "ordered", "a.png"}, kDitherNeeds},
		{{"--color-space", "cmap8", "--dither", "atkinson", "a.png"},
			"option --dither takes none, floyd-steinberg or ordered"},
		{{"--color-space", "cmap8", "--dither=", "a.png"},
			"option --dither takes none, floyd-steinberg or ordered"},
		{{"--color-space", "cmap8", "a.png", "--dither"},
			"option --dither takes none, floyd-steinberg or ordered"},
	});
}

TEST(ExportOptions, BackgroundIsAColourForTheSpacesWithoutTransparency)
{
	const struct {
		std::vector<const char*> arguments;
		rgb_color background;
	} accepted[] = {
		{{"--color-space", "rgb16", "a.png"}, {255, 255, 255, 255}},
		{{"--color-space", "gray8", "--background", "000000", "a.png"}, {0, 0, 0, 255}},
		{{"--background=1a2B3c", "--color-space", "gray1", "a.png"}, {0x1a, 0x2b, 0x3c, 255}},
		{{"--color-space", "rgb16", "--background", "FF8000", "a.png"}, {255, 0x80, 0, 255}},
		{{"--color-space", "rgb24-big", "--background", "010203", "a.png"}, {1, 2, 3, 255}},
	};
	for (const auto& row : accepted) {
		Parsed parsed = Parse(row.arguments);
		ASSERT_TRUE(parsed.ok) << row.arguments[1] << ": " << parsed.error;
		EXPECT_EQ(parsed.options.Background(), row.background) << row.arguments[1];
	}

	const char* const kNeedsSpace = "option --background needs --color-space rgb16, gray8, "
									"gray1, rgb24, rgb24-big or rgb16-big";
	const char* const kTakes = "option --background takes a colour as RRGGBB, such as ffffff";
	ExpectRejected({
		{{"--background", "ffffff", "a.png"}, kNeedsSpace},
		{{"--color-space", "rgba32", "--background", "ffffff", "a.png"}, kNeedsSpace},
		{{"--color-space", "rgb15", "--background", "ffffff", "a.png"}, kNeedsSpace},
		{{"--color-space", "rgba32-big", "--background", "ffffff", "a.png"}, kNeedsSpace},
		{{"--color-space", "rgb15-big", "--background", "ffffff", "a.png"}, kNeedsSpace},
		{{"--color-space", "rgb16", "--background", "#ffffff", "a.png"}, kTakes},
		{{"--color-space", "rgb16", "--background", "fff", "a.png"}, kTakes},
		{{"--color-space", "rgb16", "--background", "fffffff", "a.png"}, kTakes},
		{{"--color-space", "rgb16", "--background", "gggggg", "a.png"}, kTakes},
		{{"--color-space", "rgb16", "--background=", "a.png"}, kTakes},
		{{"--color-space", "rgb16", "a.png", "--background"}, kTakes},
	});
}

// Clustered short options, attached values, abbreviations, options after
// images and "--", as GNU tools take them.
TEST(ExportOptions, OptionFormsOfGnuTools)
{
	const struct {
		std::vector<const char*> arguments;
		const char* output;
		bool quiet;
		const char* name;
		std::vector<std::string> images;
	} rows[] = {
		{{"-qo", "-", "a.png"}, "-", true, nullptr, {"a.png"}},
		{{"-qo-", "a.png"}, "-", true, nullptr, {"a.png"}},
		{{"-o-", "a.png"}, "-", false, nullptr, {"a.png"}},
		{{"-ox.h", "a.png"}, "x.h", false, nullptr, {"a.png"}},
		{{"--output=x.h", "a.png"}, "x.h", false, nullptr, {"a.png"}},
		{{"--out", "x.h", "a.png"}, "x.h", false, nullptr, {"a.png"}},
		{{"--qui", "--name=k", "a.png"}, nullptr, true, "k", {"a.png"}},
		{{"b.png", "-q", "a.png"}, nullptr, true, nullptr, {"b.png", "a.png"}},
		{{"--name", "-o", "a.png"}, nullptr, false, "-o", {"a.png"}},
		{{"--", "-q", "-o"}, nullptr, false, nullptr, {"-q", "-o"}},
		{{"a.png", "--", "--name", "--"}, nullptr, false, nullptr, {"a.png", "--name", "--"}},
		{{"-o", "-", "--", "-"}, "-", false, nullptr, {"-"}},
		{{"-qo-", "b.png", "-", "a.png"}, "-", true, nullptr, {"b.png", "-", "a.png"}},
		{{"-o", "x.h", "/dev/stdin"}, "x.h", false, nullptr, {"/dev/stdin"}},
		// The null device takes any number of texts.
		{{"-o", "/dev/null", "a.png", "b.png", "c.png"}, "/dev/null", false, nullptr,
			{"a.png", "b.png", "c.png"}},
	};
	for (const auto& row : rows) {
		std::string line;
		for (const char* argument : row.arguments)
			line += std::string(argument) + " ";
		SCOPED_TRACE(line);
		Parsed parsed = Parse(row.arguments);
		ASSERT_TRUE(parsed.ok) << parsed.error;
		EXPECT_STREQ(parsed.options.Output(), row.output);
		EXPECT_EQ(parsed.options.Quiet(), row.quiet);
		EXPECT_STREQ(parsed.options.IconName(), row.name);
		EXPECT_EQ(parsed.options.Images(), row.images);
	}
	// A second ExportOptions parses from the start, whatever the first left.
	EXPECT_TRUE(Parse({"-qx"}).error.size() > 0);
	EXPECT_TRUE(Parse({"-q", "a.png"}).ok);
}

TEST(ExportOptions, RefusalsSayWhatWasWrong)
{
	ExpectRejected({
		{{"-qx", "a.png"}, "unknown option -x"},
		{{"-xq", "a.png"}, "unknown option -x"},
		{{"--frobnicate", "a.png"}, "unknown option --frobnicate"},
		{{"--quiet=yes", "a.png"}, "unknown option --quiet=yes"},
		{{"--n", "x", "a.png"}, "option --n is ambiguous"},
		{{"--bad\x1b]0;title\x07", "a.png"}, "unknown option --bad\\033]0;title\\007"},
		{{"-o"}, "option -o needs a file name"},
		{{"a.png", "-qo"}, "option -o needs a file name"},
		{{"a.png", "--output"}, "option -o needs a file name"},
		{{"--output=", "a.png"}, "option -o needs a file name"},
		{{"a.png", "--name"}, "option --name needs an icon name"},
		{{"a.png", "--embed"}, "option --embed needs a header name"},
		{{"--compress", "zstd", "a.png"}, "option --compress goes with --embed"},
		{{"--embed", "x.h", "--compress", "zstd:22", "a.png"},
			"option --compress takes zstd or zstd:LEVEL, LEVEL 1 to 19"},
		{{"-o", "x.h", "a.png", "b.png"},
			"-o names one output file, but several images were given"},
		{{""}, "an empty name is no file"},
		{{"-o", "-", "a.png", ""}, "an empty name is no file"},
		{{"-"}, "standard input has no file name to write a text beside; give -o OUT or -o -"},
		{{"-q", "/dev/stdin"},
			"/dev/stdin has no file name to write a text beside; give -o OUT or -o -"},
		{{"-o", "-", "-", "a.png", "-"},
			"standard input is read to its end once; it cannot give a second image"},
		{{"-o", "-", "-", "/dev/fd/0"},
			"/dev/fd/0 is read to its end once; it cannot give a second image"},
		{{"--name", "n\nm", "-o", "-", "a\x1b[31m.png", "b\xff.png"},
			"--name n\\nm would give a\\033[31m.png and b\\xff.png the same identifiers on "
			"standard output"},
	});
}
