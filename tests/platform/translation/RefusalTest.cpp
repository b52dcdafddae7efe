// The sentences the readers refuse images with, as a person reads them, and
// the folding of library text into one line.

#include <Refusal.h>

#include <gtest/gtest.h>

#include <string>

using BPrivate::Refusal;

// Every kind of refusal, named "f": the exact line and its status.
TEST(RefusalTest, EveryRefusalReadsAsOneSentence)
{
	const struct {
		BTranslationFailure failure;
		status_t status;
		const char* line;
	} kRows[] = {
		{Refusal::CutOff(), B_ILLEGAL_DATA, "f is cut off before its first image is complete"},
		{Refusal::Damaged("GIF"), B_ILLEGAL_DATA, "f is a damaged GIF file"},
		{Refusal::Damaged("PNG", "IHDR: CRC error"), B_ILLEGAL_DATA,
			"f is a damaged PNG file: IHDR: CRC error"},
		{Refusal::Damaged("JPEG", " \n\t"), B_ILLEGAL_DATA, "f is a damaged JPEG file"},
		{Refusal::NoPixels(), B_ILLEGAL_DATA, "f is damaged: its header gives no pixels"},
		{Refusal::WithoutImage("WebP"), B_ILLEGAL_DATA, "f is a WebP file without an image"},
		{Refusal::LibraryCannotRead("WebP"), B_ILLEGAL_DATA,
			"f is a WebP file this library version cannot read"},
		{Refusal::NotAnImage(), B_NO_TRANSLATOR, "f is not an image we can read"},
		{Refusal::NotA("an icon or cursor file"), B_NO_TRANSLATOR,
			"f is not an icon or cursor file"},
		{Refusal::UnsupportedKind("TIFF", "Sorry, can not handle\nimages"), B_NO_TRANSLATOR,
			"f is a kind of TIFF file we cannot read: Sorry, can not handle images"},
		{Refusal::UnreadFeature("BMP", "Huffman compression"), B_NO_TRANSLATOR,
			"f is a BMP file with Huffman compression, which is not read"},
		{Refusal::Empty(), B_NO_TRANSLATOR, "f is empty"},
		{Refusal::TooLarge(100000, 3), B_NO_MEMORY,
			"f is 100000\u00d73 pixels; the limit is 8192\u00d78192"},
		{Refusal::FrameTooLarge("GIF"), B_NO_MEMORY,
			"f is a GIF file whose first frame decodes more than twice 8192\u00d78192 pixels"},
		{Refusal::TooManyColors(70000, 3), B_NO_MEMORY,
			"f has 70000 colours of 3 characters, more than a decode may hold"},
		{Refusal::FileTooLarge(), B_NO_MEMORY, "f is larger than 512 MiB"},
		{Refusal::NoMemory("pixels"), B_NO_MEMORY,
			"f could not be given the memory for its pixels"},
		{Refusal::NoMemory(), B_NO_MEMORY, "f: Out of memory"},
		{Refusal::Unreadable(B_ENTRY_NOT_FOUND), B_ENTRY_NOT_FOUND,
			"f: No such file or directory"},
		{{B_ILLEGAL_DATA, ""}, B_ILLEGAL_DATA, "f is a damaged image"},
		// A detail set without the factory is folded all the same.
		{{B_ILLEGAL_DATA, "is odd:\r\n\tsee"}, B_ILLEGAL_DATA, "f is odd: see"},
	};
	for (const auto& row : kRows) {
		SCOPED_TRACE(row.line);
		EXPECT_EQ(row.failure.status, row.status);
		EXPECT_EQ(row.failure.Describe("f"), row.line);
	}
}

TEST(RefusalTest, LibraryTextBecomesOnePrintableLine)
{
	const struct {
		const char* text;
		const char* line;
	} kRows[] = {
		{"", ""},
		{"plain words", "plain words"},
		{"Warning image; Tag NumberOfInks:\n  Value 32 of NumberOfInks",
			"Warning image; Tag NumberOfInks: Value 32 of NumberOfInks"},
		{"\r\n\t lead and trail \v\f\n", "lead and trail"},
		{"bell\a, escape\x1b[31m, delete\x7f.", "bell , escape [31m, delete ."},
		// C1 controls and the Unicode line and paragraph separators break lines too.
		{"next\xc2\x85line\xe2\x80\xa8para\xe2\x80\xa9" "end", "next line para end"},
		// Text in UTF-8 stays; bytes that are not UTF-8 become '?'.
		{"8192\u00d78192 caf\u00e9 \U0001f600", "8192\u00d78192 caf\u00e9 \U0001f600"},
		{"bad \xff byte", "bad ? byte"},
		{"overlong \xc0\xaf slash", "overlong ?? slash"},
		{"surrogate \xed\xa0\x80", "surrogate ???"},
		{"cut short \xe2\x82", "cut short ??"},
		{"stray \x80 continuation", "stray ? continuation"},
	};
	for (const auto& row : kRows) {
		SCOPED_TRACE(row.text);
		EXPECT_EQ(Refusal::OneLine(row.text), row.line);
	}
	// A message with a NUL inside it is still folded as a whole.
	EXPECT_EQ(Refusal::OneLine(std::string("one\0two", 7)), "one two");
}
