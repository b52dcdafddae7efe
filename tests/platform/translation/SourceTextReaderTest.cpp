// SPDX-License-Identifier: MIT
// The source-code text read back: what the export writes and what an editor
// makes of it, and one line for each way a text can fail to match.

#include "ReaderTestSupport.h"

#include "support/ChildProcess.h"

#include <Errors.h>
#include <ImageReaderList.h>
#include <SourceTextReader.h>

namespace readers {
namespace {

// palette.h as the export writes it: 4 × 1 pixels of B_CMAP8.
const std::string kWritten =
	"#include \"PrefilledBitmap.h\"\n\n//********Icon for 'kPalette'\n"
	"uint8 kPalette_MData[4] =\n{\n\t0x00, 0x3F, 0x20, 0x2A\n};\nPrefilledBitmap "
	"*kPalette_MICN;\n\n"
	"//Put this after your BApplication object has been constructed:\n"
	"\tkPalette_MICN = new PrefilledBitmap(BRect(0.0,0.0,3.0,0.0),B_CMAP8,kPalette_MData,false,"
	"false);\n";

std::string
Replaced(std::string text, const std::string& from, const std::string& to)
{
	size_t at = text.find(from);
	EXPECT_NE(at, std::string::npos) << from;
	if (at != std::string::npos)
		text.replace(at, from.size(), to);
	return text;
}

BPrivate::BitmapResult
Read(const std::string& text)
{
	Bytes bytes;
	bytes.Text(text);
	return BPrivate::ImageReaderList::Default().Read(bytes.Image());
}

struct AcceptedCase {
	const char* name;
	std::string text;
	BRect bounds;
};

TEST(SourceTextReader, ReadsWhatTheExportWritesAndWhatAnEditorMakesOfIt)
{
	std::string crlf;
	for (char c : kWritten)
		crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
	const AcceptedCase cases[] = {
		{"AsWritten", kWritten, BRect(0, 0, 3, 0)},
		{"EditorLayout",
			"\xEF\xBB\xBF#include <PrefilledBitmap.h>\n/* icon */ uint8 kPalette_MData[ 4 ] = {\n"
			"    0x00,\n    0x3f,\n    0x20, 0x2a,\n};\n"
			"PrefilledBitmap* kPalette_MICN;\nkPalette_MICN = new PrefilledBitmap(\n"
			"    BRect(0.0, 0.0, 3.0, 0.0), B_CMAP8, kPalette_MData, false, false);\n",
			BRect(0, 0, 3, 0)},
		{"WindowsLineEnds", crlf, BRect(0, 0, 3, 0)},
		{"DotsInTheName",
			Replaced(Replaced(Replaced(Replaced(kWritten, "kPalette_MData[", "quill.png.h_MData["),
								  "*kPalette", "*quill.png.h"),
						 "\tkPalette", "\tquill.png.h"),
				",kPalette", ",quill.png.h"),
			BRect(0, 0, 3, 0)},
		{"BoundsOffTheOrigin", Replaced(kWritten, "0.0,0.0,3.0,0.0", "-1.0,-2.0,2.0,-2.0"),
			BRect(-1, -2, 2, -2)},
		{"FirstOfSeveral", kWritten + "\n" + Replaced(kWritten, "0x00", "0x01"), BRect(0, 0, 3, 0)},
	};
	for (const AcceptedCase& row : cases) {
		SCOPED_TRACE(row.name);
		BPrivate::BitmapResult read = Read(row.text);
		ASSERT_TRUE(read.Ok()) << read.Error().detail;
		const BBitmap& bitmap = *read.Value();
		EXPECT_EQ(bitmap.ColorSpace(), B_CMAP8);
		EXPECT_EQ(bitmap.Bounds(), row.bounds);
		ASSERT_EQ(bitmap.BitsLength(), 4);
		const uint8 expected[] = {0x00, 0x3F, 0x20, 0x2A};
		EXPECT_EQ(std::memcmp(bitmap.Bits(), expected, 4), 0);
	}
}

struct RefusedCase {
	const char* name;
	std::string text;
	status_t status;
	std::string detail;
};

TEST(SourceTextReader, RefusesWhatDoesNotMatchInOneLineSayingWhat)
{
	const std::string damaged = "is a damaged Quillpix source file: ";
	const std::string claim2GiB = Replaced(Replaced(kWritten, "[4]", "[2147483648]"),
		"0.0,0.0,3.0,0.0),B_CMAP8", "0.0,0.0,16383.0,32767.0),B_RGB32");
	const RefusedCase cases[] = {
		{"CutOffArray", kWritten.substr(0, kWritten.find("0x20")), B_ILLEGAL_DATA,
			damaged + "line 6: the text ends inside the array, before its '}'"},
		{"CountAgainstBounds", Replaced(kWritten, "[4]", "[5]"), B_ILLEGAL_DATA,
			damaged + "line 4: the array's size is 5 bytes, but 4×1 pixels of B_CMAP8 take 4"},
		{"SpaceAgainstCount", Replaced(kWritten, ",B_CMAP8,", ",B_RGB32,"), B_ILLEGAL_DATA,
			damaged + "line 4: the array's size is 4 bytes, but 4×1 pixels of B_RGB32 take 16"},
		{"Claims2GiB", claim2GiB, B_NO_MEMORY, "is 16384×32768 pixels; the limit is 8192×8192"},
		{"Claims2GiBAgainstBounds", Replaced(kWritten, "[4]", "[2147483648]"), B_ILLEGAL_DATA,
			damaged
				+ "line 4: the array's size is 2147483648 bytes, but 4×1 pixels of B_CMAP8 "
				  "take 4"},
		{"ClaimsMoreThanItsText",
			Replaced(Replaced(kWritten, "[4]", "[268435456]"), "0.0,0.0,3.0,0.0),B_CMAP8",
				"0.0,0.0,8191.0,8191.0),B_RGB32"),
			B_ILLEGAL_DATA,
			damaged + "line 7: the array is too short for the 268435456 bytes its size says"},
		{"FewerBytes", Replaced(kWritten, ", 0x2A", ""), B_ILLEGAL_DATA,
			damaged + "line 7: the array holds 3 bytes, its size says 4"},
		{"MoreBytes", Replaced(kWritten, "0x2A", "0x2A, 0x00"), B_ILLEGAL_DATA,
			damaged + "line 6: the array holds more bytes than its size, 4, says"},
		{"NotAByte", Replaced(kWritten, "0x3F", "0x3G"), B_ILLEGAL_DATA,
			damaged + "line 6: expected a byte such as 0x3F, found \"0x3G,\""},
		{"OtherColorSpace", Replaced(kWritten, "B_CMAP8", "/*Other color space*/"), B_ILLEGAL_DATA,
			damaged + "line 11: a comment stands where the colour space belongs"},
		{"UnknownSpace", Replaced(kWritten, "B_CMAP8", "B_YUV422"), B_ILLEGAL_DATA,
			damaged + "line 11: B_YUV422 is not a colour space the text can give"},
		{"OtherName", Replaced(kWritten, ",kPalette_MData", ",kOther_MData"), B_ILLEGAL_DATA,
			damaged + "line 11: expected kPalette_MData, found \"kOther_MData,false,false...\""},
		{"HalfAPixel", Replaced(kWritten, "3.0,0.0)", "3.5,0.0)"), B_ILLEGAL_DATA,
			damaged
				+ "line 11: expected a bound in whole pixels, such as 15.0, found "
				  "\"3.5,0.0),B_CMAP8,kPalett...\""},
		{"TextAfterIt", kWritten + "int x;\n", B_ILLEGAL_DATA,
			damaged
				+ "line 12: expected the end of the text after the construction, found \"int\""},
	};
	for (const RefusedCase& row : cases) {
		SCOPED_TRACE(row.name);
		// In a child whose memory would not hold a bitmap of the size any
		// text here claims: each is refused before anything is allocated.
		testsupport::ChildLimits limits;
		limits.extraAddressSpace = size_t(64) << 20;
		testsupport::ChildOutcome outcome = testsupport::RunInChild(
			[&row] {
				BPrivate::BitmapResult read = Read(row.text);
				if (read.Ok())
					return 1;
				const std::string& detail = read.Error().detail;
				fprintf(stderr, "%s\n", detail.c_str());
				return read.Error().status == row.status && detail.find('\n') == std::string::npos
						&& detail.rfind(row.detail, 0) == 0
					? 0
					: 2;
			},
			limits);
		EXPECT_TRUE(outcome.exited && outcome.exitCode == 0) << outcome.Describe();
	}
}

} // namespace
} // namespace readers
