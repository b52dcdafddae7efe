// SPDX-License-Identifier: MIT
// The sentences the readers refuse images with, as a person reads them, and
// the folding of library text into one line.

#include "support/ReadFailure.h"

#include <DecodeLimits.h>
#include <DecodedImage.h>
#include <ImageReaderList.h>
#include <Refusal.h>
#include <TranslationUtils.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

using BPrivate::Refusal;

// Every kind of refusal, named "f": the exact line and its status.
TEST(RefusalTest, EveryRefusalReadsAsOneSentence)
{
	const struct {
		testsupport::ReadFailure failure;
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
		{Refusal::Unreadable(B_ENTRY_NOT_FOUND), B_ENTRY_NOT_FOUND, "f: No such file or directory"},
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

// The size rule every reader asks before it reserves pixels, at its edges.
TEST(RefusalTest, ImageSizeIsJudgedAtTheLimits)
{
	const struct {
		int64 width;
		int64 height;
		status_t status; // B_OK: accepted
		const char* line;
	} kRows[] = {
		{1, 1, B_OK, ""},
		{8192, 8192, B_OK, ""},
		{65536, 1024, B_OK, ""},
		{0, 5, B_ILLEGAL_DATA, "f is damaged: its header gives no pixels"},
		{5, -1, B_ILLEGAL_DATA, "f is damaged: its header gives no pixels"},
		{8192, 8193, B_NO_MEMORY, "f is 8192\u00d78193 pixels; the limit is 8192\u00d78192"},
		{int64(1) << 40, 1, B_NO_MEMORY,
			"f is 1099511627776\u00d71 pixels; the limit is 8192\u00d78192"},
	};
	for (const auto& row : kRows) {
		SCOPED_TRACE(testing::Message() << row.width << " x " << row.height);
		BPrivate::Result<void> size = BPrivate::CheckImageSize(row.width, row.height);
		EXPECT_EQ(size.Status(), row.status);
		if (!size.Ok()) {
			EXPECT_EQ(BPrivate::DescribeReadFailure(size.Error(), "f"), row.line);
		}
	}
}

// Pixels that were never reserved give a refusal, not a bitmap of nothing.
TEST(RefusalTest, DecodedImageWithoutPixelsIsRefused)
{
	BPrivate::DecodedImage empty;
	BPrivate::Result<std::unique_ptr<BBitmap>> bitmap = empty.TakeBitmap(
		BPrivate::PixelKind::TrueColor);
	ASSERT_FALSE(bitmap.Ok());
	EXPECT_EQ(bitmap.Status(), B_ILLEGAL_DATA);

	BPrivate::DecodedImage image;
	EXPECT_EQ(image.Allocate(0, 3).Status(), B_ILLEGAL_DATA);
	EXPECT_EQ(image.Allocate(8193, 8193).Status(), B_NO_MEMORY);
	ASSERT_TRUE(image.Allocate(2, 1).Ok());
	image.SetPixel(1, 0, BPrivate::PackColor(10, 20, 30));
	bitmap = image.TakeBitmap(BPrivate::PixelKind::TrueColor);
	ASSERT_TRUE(bitmap.Ok()) << bitmap.Error().detail;
	ASSERT_NE(bitmap.Value(), nullptr);
	EXPECT_EQ(bitmap.Value()->Bounds(), BRect(0, 0, 1, 0));
	// Given away: a second bitmap is refused.
	EXPECT_FALSE(image.TakeBitmap(BPrivate::PixelKind::TrueColor).Ok());
}

namespace {

// Recognises every file and reads none: answers success without a bitmap,
// or the failure it was made with.
class HollowReader : public BPrivate::ImageReader {
public:
	explicit HollowReader(BPrivate::Failure failure = BPrivate::Failure(), bool fail = false)
		: fFailure(std::move(failure)), fFail(fail)
	{ }

	const char* FormatName() const override { return "HOLLOW"; }
	bool Recognizes(const BPrivate::ImageData&) const override { return true; }
	BPrivate::BitmapResult Read(const BPrivate::ImageData&) const override
	{
		if (fFail)
			return fFailure;
		return std::unique_ptr<BBitmap>();
	}

private:
	BPrivate::Failure fFailure;
	bool fFail;
};

} // namespace

// The list passes a reader's refusal on as it is, and turns an answer with
// neither a bitmap nor a reason into the damaged file of the reader's format.
TEST(RefusalTest, ReaderListNeverAnswersSuccessWithoutABitmap)
{
	const uint8 bytes[4] = {1, 2, 3, 4};
	const BPrivate::ImageData data{bytes, sizeof(bytes)};

	BPrivate::ImageReaderList hollow;
	hollow.Add(std::make_unique<HollowReader>());
	BPrivate::BitmapResult read = hollow.Read(data);
	ASSERT_FALSE(read.Ok());
	EXPECT_EQ(BPrivate::DescribeReadFailure(read.Error(), "f"), "f is a damaged HOLLOW file");

	BPrivate::ImageReaderList refusing;
	refusing.Add(std::make_unique<HollowReader>(Refusal::CutOff(), true));
	read = refusing.Read(data);
	ASSERT_FALSE(read.Ok());
	EXPECT_EQ(BPrivate::DescribeReadFailure(read.Error(), "f"),
		"f is cut off before its first image is complete");

	BPrivate::ImageReaderList none;
	read = none.Read(data);
	ASSERT_FALSE(read.Ok());
	EXPECT_EQ(read.Status(), B_NO_TRANSLATOR);
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
		{"next\xc2\x85line\xe2\x80\xa8para\xe2\x80\xa9"
		 "end",
			"next line para end"},
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
