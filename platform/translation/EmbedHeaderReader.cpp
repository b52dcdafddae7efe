// SPDX-License-Identifier: MIT
#include "EmbedHeaderReader.h"

#include "DecodeLimits.h"
#include "Refusal.h"
#include "SourceTextScanner.h"

#include <ColorSpaceNames.h>
#include <Errors.h>
#include <System.h>

#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <zstd.h>

namespace BPrivate {

namespace {

const char* const kFormat = "Quillpix embed header";

// The declarations the header gives, by the suffix of their names.
enum Declared {
	kWidth,
	kHeight,
	kBytesPerRow,
	kColorSpace,
	kData,
	// Those of a build with compression: the bytes' count, and the array of
	// the zstd frame, which stands where NAME_MData would.
	kSize,
	kFrame,
	kDeclaredCount
};
constexpr const char* kSuffixes[kDeclaredCount] = {
	"_Width", "_Height", "_BytesPerRow", "_ColorSpace", "_MData", "_Size", "_ZData"};

struct Declaration {
	bool found = false;
	std::string name; // the icon name before the suffix
	int64 value = 0; // a colour space's code for kColorSpace
	size_t position = 0;
};

class HeaderParser {
public:
	explicit HeaderParser(const ImageData& image) : fImage(image), fScanner(image, kFormat) { }

	BitmapResult Parse();

private:
	Result<void> ParseConstant();
	Result<void> ParseArray();
	Result<void> Record(Declared which, std::string_view identifier, int64 value, size_t position);
	Result<void> Expect(std::string_view text, const char* what);
	Result<void> ReadData(BBitmap& bitmap, int64 length) const;
	Result<void> Decompress(
		BBitmap& bitmap, const std::string& frame, const std::string& leaf) const;

	const ImageData& fImage;
	SourceTextScanner fScanner;
	Declaration fDeclarations[kDeclaredCount];
};

Result<void>
HeaderParser::Expect(std::string_view text, const char* what)
{
	fScanner.SkipSpace();
	if (!fScanner.Take(text))
		return fScanner.Expected(what);
	return {};
}

Result<void>
HeaderParser::Record(Declared which, std::string_view identifier, int64 value, size_t position)
{
	const std::string_view suffix = kSuffixes[which];
	Declaration& declaration = fDeclarations[which];
	if (declaration.found)
		return fScanner.Refuse(std::string(identifier) + " is declared twice", position);
	declaration = {true, std::string(identifier.substr(0, identifier.size() - suffix.size())),
		value, position};
	return {};
}

// "constexpr int32 NAME_Width = 16;" and its kin, and "constexpr
// color_space NAME_ColorSpace = B_RGB32;" (or color_space(Nu) for a space
// without a name).
Result<void>
HeaderParser::ParseConstant()
{
	fScanner.SkipSpace();
	const std::string_view type = fScanner.TakeIdentifier();
	fScanner.SkipSpace();
	const size_t position = fScanner.Position();
	const std::string_view identifier = fScanner.TakeIdentifier();
	// "constexpr size_t NAME_Size = 4096;", of a build with compression.
	if (type == "size_t" && identifier.size() > 5 && identifier.ends_with("_Size")) {
		int64 size = 0;
		Result<void> step = Expect("=", "'='");
		if (step) {
			fScanner.SkipSpace();
			if (!fScanner.TakeInteger(size) || size <= 0)
				return fScanner.Expected("the bytes' count");
			step = Expect(";", "';'");
		}
		if (!step)
			return step;
		return Record(kSize, identifier, size, position);
	}
	int which = kWidth;
	for (; which < kData; which++) {
		const std::string_view suffix = kSuffixes[which];
		if (identifier.size() > suffix.size() && identifier.ends_with(suffix))
			break;
	}
	const bool isSpace = which == kColorSpace;
	if (which == kData || type != (isSpace ? "color_space" : "int32")) {
		fScanner.SetPosition(position);
		return fScanner.Expected("NAME_Width, NAME_Height, NAME_BytesPerRow or NAME_ColorSpace");
	}
	if (Result<void> equals = Expect("=", "'='"); !equals)
		return equals;
	fScanner.SkipSpace();
	int64 value = 0;
	if (!isSpace) {
		if (!fScanner.TakeInteger(value))
			return fScanner.Expected("a number");
	} else {
		const size_t at = fScanner.Position();
		const std::string_view name = fScanner.TakeIdentifier();
		color_space space = B_NO_COLOR_SPACE;
		if (name == "color_space") {
			Result<void> open = Expect("(", "'(' after color_space");
			if (!open)
				return open;
			fScanner.SkipSpace();
			if (!fScanner.TakeInteger(value)) {
				// The exporter writes the code unsigned: "color_space(3u)".
				const size_t digits = fScanner.Position();
				while (!fScanner.AtEnd() && fScanner.Data()[fScanner.Position()] >= '0'
					&& fScanner.Data()[fScanner.Position()] <= '9') {
					fScanner.SetPosition(fScanner.Position() + 1);
				}
				const std::string number(reinterpret_cast<const char*>(fScanner.Data()) + digits,
					fScanner.Position() - digits);
				if (number.empty() || number.size() > 10
					|| !(fScanner.Take("u") || fScanner.Take("U"))) {
					fScanner.SetPosition(digits);
					return fScanner.Expected("a colour space's code");
				}
				value = std::stoll(number);
			}
			if (Result<void> close = Expect(")", "')'"); !close)
				return close;
			if (value > 0xFFFFFFFF || bits_per_pixel_for(color_space(value)) == 0)
				return fScanner.Refuse("colour space " + std::to_string(value)
						+ " is not one "
						  "a bitmap can be in",
					at);
		} else if (SourceColorSpaceNamed(name, space)) {
			value = space;
		} else {
			fScanner.SetPosition(at);
			return fScanner.Expected("the colour space, such as B_RGB32");
		}
	}
	if (Result<void> end = Expect(";", "';'"); !end)
		return end;
	return Record(Declared(which), identifier, value, position);
}

// "extern uint8 NAME_MData[N];", or a build with compression's
// "extern const uint8 NAME_ZData[];" and "extern const uint32 NAME_ZSize;"
// (the frame's length, which the .bin beside the header gives).
Result<void>
HeaderParser::ParseArray()
{
	fScanner.SkipSpace();
	const bool constant = fScanner.TakeWord("const");
	fScanner.SkipSpace();
	if (constant && fScanner.TakeWord("uint32")) {
		fScanner.SkipSpace();
		const std::string_view identifier = fScanner.TakeIdentifier();
		if (identifier.size() <= 6 || !identifier.ends_with("_ZSize"))
			return fScanner.Expected("NAME_ZSize");
		return Expect(";", "';'");
	}
	if (!fScanner.TakeWord("uint8"))
		return fScanner.Expected("uint8 NAME_MData[N]");
	fScanner.SkipSpace();
	const size_t position = fScanner.Position();
	const std::string_view identifier = fScanner.TakeIdentifier();
	if (constant && identifier.size() > 6 && identifier.ends_with("_ZData")) {
		Result<void> step = Expect("[", "'['");
		if (step)
			step = Expect("]", "']'");
		if (step)
			step = Expect(";", "';'");
		if (!step)
			return step;
		return Record(kFrame, identifier, 0, position);
	}
	if (identifier.size() <= 6 || !identifier.ends_with("_MData")) {
		fScanner.SetPosition(position);
		return fScanner.Expected("NAME_MData");
	}
	if (Result<void> open = Expect("[", "'['"); !open)
		return open;
	fScanner.SkipSpace();
	int64 length = 0;
	if (!fScanner.TakeInteger(length) || length <= 0)
		return fScanner.Expected("the array's size in bytes");
	Result<void> step = Expect("]", "']'");
	if (step)
		step = Expect(";", "';'");
	if (!step)
		return step;
	return Record(kData, identifier, length, position);
}

// The bytes from the .bin beside the header, which must hold exactly
// `length`.
Result<void>
HeaderParser::ReadData(BBitmap& bitmap, int64 length) const
{
	const std::string header = fImage.path;
	const size_t leafStart = header.rfind('/') + 1;
	std::string data = header;
	const size_t dot = header.rfind('.');
	if (dot != std::string::npos && dot > leafStart)
		data.erase(dot);
	data += ".bin";
	const std::string leaf = data.substr(leafStart);

	Result<UniqueFd> file = System::Open(
		data.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
	Result<struct stat> info = file ? System::Stat(file.Value().Get())
									: Result<struct stat>(file.Error());
	if (!info)
		return Refusal::Damaged(kFormat, leaf + " beside it: " + info.Error().Reason());
	if (!S_ISREG(info.Value().st_mode))
		return Refusal::Damaged(kFormat, leaf + " beside it is not a file");
	if (fDeclarations[kFrame].found) {
		// A frame can be no longer than zstd's bound for the bytes it holds.
		if (info.Value().st_size <= 0
			|| uint64(info.Value().st_size) > ZSTD_compressBound(size_t(length))) {
			return Refusal::Damaged(kFormat,
				leaf + " beside it holds " + std::to_string(info.Value().st_size)
					+ " bytes, more than a zstd frame of " + std::to_string(length) + " takes");
		}
		Result<std::string> frame = System::ReadWhole(file.Value().Get());
		if (!frame)
			return Refusal::Damaged(kFormat, leaf + " beside it: " + frame.Error().Reason());
		return Decompress(bitmap, frame.Value(), leaf);
	}
	if (info.Value().st_size != length) {
		return Refusal::Damaged(kFormat,
			leaf + " beside it holds " + std::to_string(info.Value().st_size)
				+ " bytes, the header says " + std::to_string(length));
	}
	uint8* bits = static_cast<uint8*>(bitmap.Bits());
	size_t filled = 0;
	while (filled < size_t(length)) {
		Result<size_t> count = System::Read(
			file.Value().Get(), bits + filled, size_t(length) - filled);
		if (!count)
			return Refusal::Damaged(kFormat, leaf + " beside it: " + count.Error().Reason());
		if (count.Value() == 0)
			return Refusal::Damaged(kFormat, leaf + " beside it ended while it was read");
		filled += count.Value();
	}
	return {};
}

// The zstd frame `frame` decompressed into the bitmap's bits, which it must
// fill exactly.
Result<void>
HeaderParser::Decompress(BBitmap& bitmap, const std::string& frame, const std::string& leaf) const
{
	const size_t length = size_t(bitmap.BitsLength());
	const unsigned long long content = ZSTD_getFrameContentSize(frame.data(), frame.size());
	if (content != length) {
		return Refusal::Damaged(kFormat,
			leaf + " beside it is not a zstd frame of the " + std::to_string(length)
				+ " bytes the header says");
	}
	const size_t made = ZSTD_decompress(bitmap.Bits(), length, frame.data(), frame.size());
	if (ZSTD_isError(made))
		return Refusal::Damaged(kFormat, leaf + " beside it: " + ZSTD_getErrorName(made));
	if (made != length) {
		return Refusal::Damaged(kFormat,
			leaf + " beside it holds " + std::to_string(made) + " bytes, the header says "
				+ std::to_string(length));
	}
	return {};
}

BitmapResult
HeaderParser::Parse()
{
	// Every declaration of the header but the ones read here is read past:
	// preprocessor lines, strings, the inline definitions.
	for (;;) {
		fScanner.SkipSpace();
		if (fScanner.AtEnd())
			break;
		const uint8 c = fScanner.Data()[fScanner.Position()];
		if (c == '#') {
			const void* end = std::memchr(
				fScanner.Data() + fScanner.Position(), '\n', fScanner.Size() - fScanner.Position());
			fScanner.SetPosition(end != nullptr
					? size_t(static_cast<const uint8*>(end) - fScanner.Data())
					: fScanner.Size());
			continue;
		}
		if (c == '"') {
			if (!fScanner.TakeStringLiteral())
				return fScanner.Refuse("a string does not end on its line");
			continue;
		}
		if (!IsIdentifierCharacter(c)) {
			fScanner.SetPosition(fScanner.Position() + 1);
			continue;
		}
		const std::string_view word = fScanner.TakeIdentifier();
		if (word.empty()) {
			// A number: its digits and what follows them.
			while (
				!fScanner.AtEnd() && IsIdentifierCharacter(fScanner.Data()[fScanner.Position()])) {
				fScanner.SetPosition(fScanner.Position() + 1);
			}
			continue;
		}
		Result<void> read;
		if (word == "constexpr")
			read = ParseConstant();
		else if (word == "extern")
			read = ParseArray();
		if (!read)
			return read.TakeError();
	}

	// The bytes stand raw (NAME_MData) or compressed (NAME_ZData), never both.
	if (fDeclarations[kData].found == fDeclarations[kFrame].found) {
		return Refusal::Damaged(kFormat,
			fDeclarations[kData].found ? "it declares both NAME_MData and NAME_ZData"
									   : "it declares no NAME_MData");
	}
	const Declared bytes = fDeclarations[kFrame].found ? kFrame : kData;
	if (bytes == kFrame && !fDeclarations[kSize].found)
		return Refusal::Damaged(kFormat, "it declares no NAME_Size");
	const std::string& name = fDeclarations[bytes].name;
	for (int which = 0; which < kDeclaredCount; which++) {
		if (which == kData || which == kFrame || (which == kSize && !fDeclarations[which].found))
			continue;
		if (!fDeclarations[which].found) {
			return Refusal::Damaged(kFormat, std::string("it declares no NAME") + kSuffixes[which]);
		}
		if (fDeclarations[which].name != name) {
			return fScanner.Refuse(fDeclarations[which].name + kSuffixes[which]
					+ " is not of the image " + name + kSuffixes[bytes] + " is",
				fDeclarations[which].position);
		}
	}

	const int64 width = fDeclarations[kWidth].value;
	const int64 height = fDeclarations[kHeight].value;
	const color_space space = color_space(fDeclarations[kColorSpace].value);
	const int64 length = bytes == kFrame ? fDeclarations[kSize].value : fDeclarations[kData].value;
	if (Result<void> size = CheckImageSize(width, height); !size)
		return size.TakeError();
	const int64 bytesPerRow = bytes_per_row_for(space, int32(width));
	if (fDeclarations[kBytesPerRow].value != bytesPerRow) {
		return fScanner.Refuse(name + "_BytesPerRow is "
				+ std::to_string(fDeclarations[kBytesPerRow].value) + ", but a row of "
				+ std::to_string(width) + " pixels in its colour space takes "
				+ std::to_string(bytesPerRow),
			fDeclarations[kBytesPerRow].position);
	}
	if (fDeclarations[kSize].found && fDeclarations[kSize].value != bytesPerRow * height) {
		return fScanner.Refuse(name + "_Size is " + std::to_string(fDeclarations[kSize].value)
				+ ", but " + std::to_string(height) + " rows of " + std::to_string(bytesPerRow)
				+ " take " + std::to_string(bytesPerRow * height),
			fDeclarations[kSize].position);
	}
	if (length != bytesPerRow * height) {
		return fScanner.Refuse(name + "_MData holds " + std::to_string(length) + " bytes, but "
				+ std::to_string(height) + " rows of " + std::to_string(bytesPerRow) + " take "
				+ std::to_string(bytesPerRow * height),
			fDeclarations[kData].position);
	}
	if (fImage.path == nullptr) {
		return Refusal::Damaged(kFormat,
			"its bytes are in a .bin file beside it, and a header "
			"read from a stream has nothing beside it");
	}

	auto bitmap = std::make_unique<BBitmap>(
		BRect(0, 0, float(width - 1), float(height - 1)), space);
	if (!bitmap->IsValid() || bitmap->BitsLength() != length)
		return Refusal::NoMemory("pixels");
	if (Result<void> data = ReadData(*bitmap, length); !data)
		return data.TakeError();
	return bitmap;
}

} // namespace

bool
EmbedHeaderReader::Recognizes(const ImageData& image) const
{
	SourceTextScanner scanner(image, kFormat);
	scanner.SkipLeadingSpace();
	if (!scanner.Take("#"))
		return false;
	scanner.SkipSpace(SourceTextScanner::Skip::kWhiteSpaceOnly);
	if (!scanner.TakeWord("pragma"))
		return false;
	scanner.SkipSpace(SourceTextScanner::Skip::kWhiteSpaceOnly);
	if (!scanner.TakeWord("once"))
		return false;
	scanner.SkipSpace(SourceTextScanner::Skip::kWhiteSpaceOnly);
	return scanner.Take("// Generated by quillpix-export from ");
}

BitmapResult
EmbedHeaderReader::Read(const ImageData& image) const
{
	return HeaderParser(image).Parse();
}

} // namespace BPrivate
