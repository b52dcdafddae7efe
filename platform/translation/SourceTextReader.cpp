// SPDX-License-Identifier: MIT
#include "SourceTextReader.h"

#include "DecodeLimits.h"
#include "Refusal.h"
#include "SourceTextScanner.h"

#include <ColorSpaceNames.h>

#include <array>
#include <cstring>
#include <new>
#include <string>

namespace BPrivate {

namespace {

const char* const kFormat = "Quillpix source";

// Where the text begins: its include line.
bool
TakeInclude(SourceTextScanner& scanner)
{
	scanner.SkipLeadingSpace();
	if (!scanner.Take("#"))
		return false;
	scanner.SkipSpace(SourceTextScanner::Skip::kWhiteSpaceOnly);
	if (!scanner.TakeWord("include"))
		return false;
	scanner.SkipSpace(SourceTextScanner::Skip::kWhiteSpaceOnly);
	return scanner.Take("\"PrefilledBitmap.h\"") || scanner.Take("<PrefilledBitmap.h>");
}

// The value of each hexadecimal digit; 0xFF for every other byte.
constexpr std::array<uint8, 256>
MakeHexValues()
{
	std::array<uint8, 256> values{};
	for (int c = 0; c < 256; c++)
		values[c] = 0xFF;
	for (int c = 0; c < 10; c++)
		values['0' + c] = uint8(c);
	for (int c = 0; c < 6; c++) {
		values['a' + c] = uint8(10 + c);
		values['A' + c] = uint8(10 + c);
	}
	return values;
}
constexpr std::array<uint8, 256> kHexValues = MakeHexValues();

constexpr std::array<bool, 256>
MakeSpaces()
{
	std::array<bool, 256> spaces{};
	for (char c : {' ', '\t', '\n', '\r', '\v', '\f'})
		spaces[uint8(c)] = true;
	return spaces;
}
constexpr std::array<bool, 256> kSpaces = MakeSpaces();

// "0x??, " as the first six bytes of a 64-bit word read in memory order
// (little-endian), and "\n\t" as its last two.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__);
constexpr uint64 kItemMask = 0x0000FFFF0000FFFFull;
constexpr uint64 kItemPattern = uint64('0') | uint64('x') << 8 | uint64(',') << 32
	| uint64(' ') << 40;
constexpr uint64 kLineBreak = uint64('\n') | uint64('\t') << 8;
// Sixteen items and the line break.
constexpr ptrdiff_t kLineLength = 16 * 6 + 2;

uint64
WordAt(const uint8* in)
{
	uint64 word;
	std::memcpy(&word, in, sizeof(word));
	return word;
}

// The item "0xHH, " at `in` (eight bytes readable) as its value; false for
// anything else.
inline bool
TakeItem(const uint8* in, uint8& value)
{
	const uint8 high = kHexValues[in[2]];
	const uint8 low = kHexValues[in[3]];
	value = uint8(high << 4 | low);
	return (WordAt(in) & kItemMask) == kItemPattern && (high | low) <= 15;
}

inline bool
EndsLine(const uint8* in)
{
	return (WordAt(in) >> 48) == kLineBreak;
}

// A whole line as the export writes it at `in` (kLineLength bytes readable)
// into out[0] to out[15]; false, with `out` written in part, for anything
// else. No item waits for another, so the processor takes several at once.
inline bool
TakeLine(const uint8* in, uint8* out)
{
	bool matches = EndsLine(in + 15 * 6);
	for (int index = 0; index < 16; index++)
		matches &= TakeItem(in + 6 * index, out[index]);
	return matches;
}

// What the construction line gives.
struct Construction {
	int64 left = 0, top = 0, right = 0, bottom = 0;
	color_space space = B_NO_COLOR_SPACE;
};

class TextParser {
public:
	explicit TextParser(const ImageData& image) : fScanner(image, kFormat) { }

	BitmapResult Parse();

private:
	Result<void> ParseDeclaration();
	Result<void> ParseConstruction(Construction& construction);
	Result<void> TakeName(const char* suffix);
	Result<void> Expect(std::string_view text, const char* what);
	Result<void> ExpectWord(std::string_view word, const char* what);
	Result<void> ParseBytes(uint8* bits, size_t count);

	SourceTextScanner fScanner;
	std::string_view fName;
	int64 fCount = 0;
	size_t fCountAt = 0;
	size_t fBodyStart = 0;
	size_t fBodyEnd = 0; // the '}' that closes the array
};

Result<void>
TextParser::Expect(std::string_view text, const char* what)
{
	fScanner.SkipSpace();
	if (!fScanner.Take(text))
		return fScanner.Expected(what);
	return {};
}

Result<void>
TextParser::ExpectWord(std::string_view word, const char* what)
{
	fScanner.SkipSpace();
	if (!fScanner.TakeWord(word))
		return fScanner.Expected(what);
	return {};
}

// The icon name followed by `suffix`, as the array's declaration named it.
Result<void>
TextParser::TakeName(const char* suffix)
{
	fScanner.SkipSpace();
	const size_t start = fScanner.Position();
	if (!fScanner.Take(fName) || !fScanner.TakeWord(suffix)) {
		fScanner.SetPosition(start);
		return fScanner.Expected(std::string(fName) + suffix);
	}
	return {};
}

// "uint8 NAME_MData[N] = {", the name being all that stands between the
// type and "_MData[" on its line: the export writes the icon name as it is
// given, dots and blanks included.
Result<void>
TextParser::ParseDeclaration()
{
	if (Result<void> word = ExpectWord("uint8", "uint8 NAME_MData[N]"); !word)
		return word;
	fScanner.SkipSpace(SourceTextScanner::Skip::kWhiteSpaceOnly);
	const uint8* data = fScanner.Data();
	const size_t start = fScanner.Position();
	size_t end = start;
	size_t nameEnd = 0;
	for (; end < fScanner.Size() && data[end] != '\n'; end++) {
		if (end + 6 <= fScanner.Size() && std::memcmp(data + end, "_MData", 6) == 0) {
			size_t after = end + 6;
			while (after < fScanner.Size() && (data[after] == ' ' || data[after] == '\t'))
				after++;
			if (after < fScanner.Size() && data[after] == '[') {
				nameEnd = end;
				break;
			}
		}
	}
	if (nameEnd == 0 || nameEnd == start)
		return fScanner.Expected("NAME_MData[N] after uint8");
	fName = std::string_view(reinterpret_cast<const char*>(data) + start, nameEnd - start);
	fScanner.SetPosition(nameEnd + 6);
	if (Result<void> open = Expect("[", "'['"); !open)
		return open;
	fScanner.SkipSpace();
	fCountAt = fScanner.Position();
	if (!fScanner.TakeInteger(fCount) || fCount <= 0)
		return fScanner.Expected("the array's size in bytes");
	if (Result<void> close = Expect("]", "']' after the array's size"); !close)
		return close;
	if (Result<void> equals = Expect("=", "'=' after the array's size"); !equals)
		return equals;
	if (Result<void> brace = Expect("{", "'{' that opens the array"); !brace)
		return brace;
	fBodyStart = fScanner.Position();
	const void* close = std::memchr(data + fBodyStart, '}', fScanner.Size() - fBodyStart);
	if (close == nullptr)
		return fScanner.Refuse("the text ends inside the array, before its '}'", fScanner.Size());
	fBodyEnd = size_t(static_cast<const uint8*>(close) - data);
	return {};
}

// "}; PrefilledBitmap *NAME_MICN; NAME_MICN = new PrefilledBitmap(BRect(l,
// t, r, b), SPACE, NAME_MData, false, false);"
Result<void>
TextParser::ParseConstruction(Construction& construction)
{
	fScanner.SetPosition(fBodyEnd + 1);
	Result<void> step = Expect(";", "';' after the array");
	if (step)
		step = ExpectWord("PrefilledBitmap", "PrefilledBitmap *NAME_MICN;");
	if (step)
		step = Expect("*", "'*' of PrefilledBitmap *NAME_MICN;");
	if (step)
		step = TakeName("_MICN");
	if (step)
		step = Expect(";", "';' after the pointer");
	if (step)
		step = TakeName("_MICN");
	if (step)
		step = Expect("=", "'=' of the construction");
	if (step)
		step = ExpectWord("new", "new PrefilledBitmap(");
	if (step)
		step = ExpectWord("PrefilledBitmap", "new PrefilledBitmap(");
	if (step)
		step = Expect("(", "'(' after PrefilledBitmap");
	if (step)
		step = ExpectWord("BRect", "BRect( with the bitmap's bounds");
	if (step)
		step = Expect("(", "'(' after BRect");
	if (!step)
		return step;

	int64* const bounds[] = {
		&construction.left, &construction.top, &construction.right, &construction.bottom};
	for (int index = 0; index < 4; index++) {
		fScanner.SkipSpace();
		if (!fScanner.TakeWholeNumber(*bounds[index]))
			return fScanner.Expected("a bound in whole pixels, such as 15.0");
		if (Result<void> comma = Expect(index < 3 ? "," : ")",
				index < 3 ? "',' between the bounds" : "')' after the bounds");
			!comma) {
			return comma;
		}
	}
	if (Result<void> comma = Expect(",", "',' after the bounds"); !comma)
		return comma;

	// The space, never a comment: the export writes one for a space it
	// cannot name, which leaves nothing to read back.
	fScanner.SkipSpace(SourceTextScanner::Skip::kWhiteSpaceOnly);
	const size_t spaceAt = fScanner.Position();
	if (fScanner.Take("/*"))
		return fScanner.Refuse("a comment stands where the colour space belongs", spaceAt);
	fScanner.SkipSpace();
	const size_t nameAt = fScanner.Position();
	std::string_view spaceName = fScanner.TakeIdentifier();
	if (spaceName.empty())
		return fScanner.Expected("the colour space, such as B_RGB32");
	if (!SourceColorSpaceNamed(spaceName, construction.space)) {
		return fScanner.Refuse(
			std::string(spaceName) + " is not a colour space the text can give", nameAt);
	}

	step = Expect(",", "',' after the colour space");
	if (step)
		step = TakeName("_MData");
	if (step)
		step = Expect(",", "', false, false);' after the array's name");
	if (step)
		step = ExpectWord("false", "false");
	if (step)
		step = Expect(",", "', false);'");
	if (step)
		step = ExpectWord("false", "false");
	if (step)
		step = Expect(")", "')' that ends the construction");
	if (step)
		step = Expect(";", "';' after the construction");
	if (!step)
		return step;

	// Nothing follows but another text (quillpix-export -o - of several
	// images), of which only this first one is read.
	fScanner.SkipSpace();
	if (fScanner.AtEnd())
		return {};
	const size_t next = fScanner.Position();
	if (TakeInclude(fScanner))
		return {};
	fScanner.SetPosition(next);
	return fScanner.Expected("the end of the text after the construction");
}

// The items between the braces into `bits`: exactly `count` bytes, each
// "0x" (or "0X") and two hexadecimal digits, separated by commas, with
// white space anywhere between them and a comma after the last allowed.
// The bytes end at the '}' found before, which stops every scan below.
Result<void>
TextParser::ParseBytes(uint8* bits, size_t count)
{
	const uint8* const data = fScanner.Data();
	const uint8* in = data + fBodyStart;
	const uint8* const close = data + fBodyEnd;
	uint8* out = bits;
	uint8* const outEnd = bits + count;
	for (;;) {
		// The items as the export writes them: whole lines of sixteen
		// "0xHH, " and "\n\t" at once, each item checked apart from the
		// others; then single items up to the end of a line, eight bytes
		// compared at once. Anything else (the last item, an editor's
		// layout) takes the way below.
		while (close - in >= kLineLength && outEnd - out >= 16 && TakeLine(in, out)) {
			in += kLineLength;
			out += 16;
		}
		bool lineEnded = false;
		while (!lineEnded && close - in >= 8 && out < outEnd) {
			uint8 value;
			if (!TakeItem(in, value))
				break;
			*out++ = value;
			lineEnded = EndsLine(in);
			in += lineEnded ? 8 : 6;
		}
		if (lineEnded)
			continue;
		while (kSpaces[*in])
			in++;
		if (in == close)
			break;
		// The '}' at `close` stops each test before it reads past it.
		if (in[0] != '0' || (in[1] | 0x20) != 'x')
			break;
		const uint8 high = kHexValues[in[2]];
		if (high > 15)
			break;
		const uint8 low = kHexValues[in[3]];
		if (low > 15 || IsIdentifierCharacter(in[4]))
			break;
		if (out == outEnd) {
			return fScanner.Refuse(
				"the array holds more bytes than its size, " + std::to_string(count) + ", says",
				size_t(in - data));
		}
		*out++ = uint8(high << 4 | low);
		in += 4;
		while (kSpaces[*in])
			in++;
		if (*in == ',') {
			// On to the next item, where the way above can take up again.
			in++;
			while (kSpaces[*in])
				in++;
			continue;
		}
		if (in == close)
			break;
		fScanner.SetPosition(size_t(in - data));
		return fScanner.Expected("',' or '}' after a byte");
	}
	if (in != close) {
		fScanner.SetPosition(size_t(in - data));
		return fScanner.Expected("a byte such as 0x3F");
	}
	if (out != outEnd) {
		return fScanner.Refuse("the array holds " + std::to_string(out - bits)
				+ " bytes, its size says " + std::to_string(count),
			fBodyEnd);
	}
	return {};
}

BitmapResult
TextParser::Parse()
{
	if (!TakeInclude(fScanner))
		return Refusal::NotA("a source-code text Quillpix wrote");
	if (Result<void> declaration = ParseDeclaration(); !declaration)
		return declaration.TakeError();
	Construction construction;
	if (Result<void> tail = ParseConstruction(construction); !tail)
		return tail.TakeError();

	// The size the bounds and the space give, checked against the declared
	// one and the limits before anything is allocated.
	const int64 width = construction.right - construction.left + 1;
	const int64 height = construction.bottom - construction.top + 1;
	if (Result<void> size = CheckImageSize(width, height); !size)
		return size.TakeError();
	const int64 bytesPerRow = bytes_per_row_for(construction.space, int32(width));
	const int64 length = bytesPerRow * height;
	std::string_view spaceName = SourceColorSpaceArgument(construction.space);
	spaceName.remove_suffix(1);
	if (bytesPerRow <= 0 || length != fCount) {
		return fScanner.Refuse("the array's size is " + std::to_string(fCount) + " bytes, but "
				+ std::to_string(width) + "\u00d7" + std::to_string(height) + " pixels of "
				+ std::string(spaceName) + " take " + std::to_string(length),
			fCountAt);
	}
	// Every byte takes four characters at least: a forged size meets the
	// text's length before it meets the memory.
	if (int64(fBodyEnd - fBodyStart) < 4 * fCount) {
		return fScanner.Refuse(
			"the array is too short for the " + std::to_string(fCount) + " bytes its size says",
			fBodyEnd);
	}

	auto bitmap = std::make_unique<BBitmap>(
		BRect(float(construction.left), float(construction.top), float(construction.right),
			float(construction.bottom)),
		construction.space);
	if (!bitmap->IsValid() || bitmap->BitsLength() != length)
		return Refusal::NoMemory("pixels");
	if (Result<void> bytes = ParseBytes(static_cast<uint8*>(bitmap->Bits()), size_t(length));
		!bytes) {
		return bytes.TakeError();
	}
	return bitmap;
}

} // namespace

bool
SourceTextReader::Recognizes(const ImageData& image) const
{
	SourceTextScanner scanner(image, kFormat);
	return TakeInclude(scanner);
}

BitmapResult
SourceTextReader::Read(const ImageData& image) const
{
	return TextParser(image).Parse();
}

} // namespace BPrivate
