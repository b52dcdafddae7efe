// SPDX-License-Identifier: MIT
#include "ReaderTestSupport.h"

#include <XpmReader.h>

namespace readers {
namespace {

Bytes
Xpm(const std::vector<std::string>& lines)
{
	Bytes file;
	file.Text("/* XPM */\nstatic char *image[] = {\n/* a comment with a \" in it */\n");
	for (const std::string& line : lines)
		file.Text("\"" + line + "\",\n");
	return file.Text("};\n");
}

using XpmCase = ImageCase<Bytes>;

std::vector<XpmCase>
Cases()
{
	return {
		// #RGB, #RRRRGGGGBBBB, names with spaces, and None.
		{"ColourForms",
			Xpm({"3 2 4 1", "  c None", ". c #F00", "+ c light goldenrod yellow",
				"@ c #000080008000", " .+", "@@ "}),
			3, 2,
			{kTransparent, Rgb(0xff0000), Rgb(0xfafad2), Rgb(0x008080), Rgb(0x008080),
				kTransparent}},
		// Names ignore case and spaces; a colour with only a mono key uses it.
		{"NamesAndKeys",
			Xpm({"3 1 3 2", "aa c Gray50", "bb m white", "cc s symbol c DARK slate  GRAY",
				"aabbcc"}),
			3, 1, {Rgb(0x7f7f7f), Rgb(0xffffff), Rgb(0x2f4f4f)}},
		{"ThreeCharactersAPixel",
			Xpm({"3 1 3 3 0 0", "xyz c #010203", "abd c #040506", "abc c #070809", "abcxyzabd"}), 3,
			1, {Rgb(0x070809), Rgb(0x010203), Rgb(0x040506)}},
	};
}

TEST(XpmReader, GivesExpectedPixels)
{
	ExpectImages(BPrivate::XpmReader(), Cases());
}

TEST(XpmReader, SystemColoursGiveCmap8)
{
	BPrivate::BitmapResult bitmap = BPrivate::XpmReader().Read(
		Xpm({"2 1 2 1", "a c black", "b c None", "ab"}).Image());
	ASSERT_TRUE(bitmap.Ok()) << bitmap.Error().detail;
	EXPECT_EQ(bitmap.Value()->ColorSpace(), B_CMAP8);
}

TEST(XpmReader, RefusesDamagedAndCutFiles)
{
	ExpectRefusals(BPrivate::XpmReader(),
		{
			{"unknown colour", Xpm({"1 1 1 1", "a c not-a-colour", "a"}), B_ILLEGAL_DATA,
				"\"not-a-colour\" is unknown"},
			{"short row", Xpm({"2 1 1 1", "a c red", "a"}), B_ILLEGAL_DATA, "too short"},
			{"unknown pixel", Xpm({"2 1 1 1", "a c red", "ab"}), B_ILLEGAL_DATA, "no colour"},
			{"missing rows", Xpm({"1 2 1 1", "a c red", "a"}), B_ILLEGAL_DATA, "is cut off"},
			{"open string", Xpm({"1 1 1 1", "a c red"}).Text("\"a"), B_ILLEGAL_DATA, "is cut off"},
			{"missing colours", Xpm({"1 1 3 1", "a c red"}), B_ILLEGAL_DATA, "fewer colours"},
			{"no size", Xpm({"x y", "a c red"}), B_ILLEGAL_DATA, "lacks a number"},
			{"too large", Xpm({"100000 100000 1 1", "a c red"}), B_NO_MEMORY, "100000\u00d7100000"},
		});
}

TEST(XpmReader, RecognizesTheXpmComment)
{
	BPrivate::XpmReader reader;
	EXPECT_TRUE(reader.Recognizes(Bytes().Text("\n  /* XPM */\n").Image()));
	EXPECT_FALSE(reader.Recognizes(Bytes().Text("/* XPM2 */").Image()));
	EXPECT_FALSE(reader.Recognizes(Bytes().Text("! XPM2\n").Image()));
}

} // namespace
} // namespace readers
