// SPDX-License-Identifier: MIT
#include "XpmReader.h"

#include "DecodeLimits.h"
#include "DecodedImage.h"
#include "PixelRules.h"
#include "Refusal.h"
#include "X11Colors.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace BPrivate {

namespace {

constexpr char kMagic[] = "/* XPM */";
constexpr int32 kMaxCharsPerPixel = 32;

bool
IsSpace(char c)
{
	return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// The string literals of the C source, one after the other, skipping
// comments and the declaration around them.
class StringCursor {
public:
	explicit StringCursor(const ImageData& image)
		: fData(reinterpret_cast<const char*>(image.data)), fSize(image.size)
	{ }

	// The next string, unescaped, into `text`; false at the end of the
	// array or the data, with `cut` telling a string left open.
	bool Next(std::string& text, bool& cut);
	size_t Remaining() const { return fSize - fPosition; }

private:
	const char* fData;
	size_t fSize;
	size_t fPosition = 0;
};

bool
StringCursor::Next(std::string& text, bool& cut)
{
	cut = false;
	while (fPosition < fSize) {
		char c = fData[fPosition];
		if (c == '/' && fPosition + 1 < fSize && fData[fPosition + 1] == '*') {
			const char* end = static_cast<const char*>(
				memmem(fData + fPosition + 2, fSize - fPosition - 2, "*/", 2));
			fPosition = end == nullptr ? fSize : size_t(end - fData) + 2;
			continue;
		}
		if (c == '/' && fPosition + 1 < fSize && fData[fPosition + 1] == '/') {
			while (fPosition < fSize && fData[fPosition] != '\n')
				fPosition++;
			continue;
		}
		if (c == '}')
			return false;
		fPosition++;
		if (c != '"')
			continue;
		text.clear();
		while (fPosition < fSize) {
			char next = fData[fPosition++];
			if (next == '"')
				return true;
			if (next == '\\' && fPosition < fSize)
				next = fData[fPosition++];
			text.push_back(next);
		}
		cut = true;
		return false;
	}
	cut = true;
	return false;
}

bool
EqualsIgnoringCase(const std::string& text, const char* word)
{
	size_t length = std::strlen(word);
	if (text.size() != length)
		return false;
	for (size_t i = 0; i < length; i++) {
		char c = text[i];
		if (c >= 'A' && c <= 'Z')
			c = char(c - 'A' + 'a');
		if (c != word[i])
			return false;
	}
	return true;
}

int
HexDigit(char c)
{
	if (c >= '0' && c <= '9')
		return c - '0';
	if (c >= 'a' && c <= 'f')
		return c - 'a' + 10;
	if (c >= 'A' && c <= 'F')
		return c - 'A' + 10;
	return -1;
}

// A colour value of a colour line; false for one we cannot name.
bool
ParseColor(const std::string& value, uint32& color)
{
	if (EqualsIgnoringCase(value, "none")) {
		color = 0;
		return true;
	}
	if (!value.empty() && value[0] == '#') {
		size_t digits = value.size() - 1;
		if (digits == 0 || digits % 3 != 0 || digits > 12)
			return false;
		size_t perChannel = digits / 3;
		uint32 maxValue = (uint32(1) << (4 * perChannel)) - 1;
		uint8 channels[3];
		for (size_t channel = 0; channel < 3; channel++) {
			uint32 sample = 0;
			for (size_t i = 0; i < perChannel; i++) {
				int digit = HexDigit(value[1 + channel * perChannel + i]);
				if (digit < 0)
					return false;
				sample = sample << 4 | uint32(digit);
			}
			channels[channel] = ScaleToByte(sample, maxValue);
		}
		color = PackColor(channels[0], channels[1], channels[2]);
		return true;
	}
	const X11Color* named = FindX11Color(value.data(), value.size());
	if (named == nullptr)
		return false;
	color = PackColor(named->red, named->green, named->blue);
	return true;
}

bool
IsColorKey(const std::string& word)
{
	return word == "c" || word == "m" || word == "g" || word == "g4" || word == "s";
}

// The colour of a colour line's text after its characters: the "c" colour,
// else a grey or mono one ("s" names a symbol, not a colour).
bool
ReadColorLine(const std::string& text, size_t start, uint32& color, std::string& unknown)
{
	std::vector<std::string> words;
	size_t position = start;
	while (position < text.size()) {
		while (position < text.size() && IsSpace(text[position]))
			position++;
		size_t begin = position;
		while (position < text.size() && !IsSpace(text[position]))
			position++;
		if (position > begin)
			words.emplace_back(text, begin, position - begin);
	}
	static const char* const kPreference[] = {"c", "g", "g4", "m"};
	for (const char* key : kPreference) {
		for (size_t i = 0; i < words.size(); i++) {
			if (words[i] != key)
				continue;
			std::string value;
			for (size_t j = i + 1; j < words.size() && !IsColorKey(words[j]); j++)
				value += (value.empty() ? "" : " ") + words[j];
			if (ParseColor(value, color))
				return true;
			unknown = value;
		}
	}
	return false;
}

class XpmDecoder {
public:
	explicit XpmDecoder(const ImageData& image) : fStrings(image) { }

	// Decodes into `pixels`, or answers the refusal.
	Result<void> Decode(DecodedImage& pixels);

private:
	Result<void> ReadColors();
	int32 Lookup(const char* characters) const;

	StringCursor fStrings;
	std::string fText;
	int64 fWidth = 0;
	int64 fHeight = 0;
	int64 fColorCount = 0;
	int32 fCharsPerPixel = 0;
	std::string fKeys; // fCharsPerPixel characters a colour
	std::vector<uint32> fColors;
	std::vector<int32> fDirect; // key to colour, for one or two characters
	std::vector<int32> fSorted; // colours in the order of their keys, else
};

int32
XpmDecoder::Lookup(const char* characters) const
{
	if (!fDirect.empty()) {
		uint32 key = uint8(characters[0]);
		if (fCharsPerPixel == 2)
			key = key << 8 | uint8(characters[1]);
		return fDirect[key];
	}
	size_t length = size_t(fCharsPerPixel);
	auto found = std::lower_bound(fSorted.begin(), fSorted.end(), characters,
		[this, length](int32 index, const char* wanted) {
			return std::memcmp(fKeys.data() + size_t(index) * length, wanted, length) < 0;
		});
	if (found == fSorted.end()
		|| std::memcmp(fKeys.data() + size_t(*found) * length, characters, length) != 0)
		return -1;
	return *found;
}

Result<void>
XpmDecoder::ReadColors()
{
	size_t length = size_t(fCharsPerPixel);
	// Reserved as lines arrive, never more than the data can hold.
	for (int64 i = 0; i < fColorCount; i++) {
		bool cut;
		if (!fStrings.Next(fText, cut))
			return cut ? Refusal::CutOff()
					   : Refusal::Damaged("XPM", "it has fewer colours than it says");
		if (fText.size() < length)
			return Refusal::Damaged("XPM", "a colour line is shorter than its characters");
		uint32 color = 0;
		std::string unknown;
		if (!ReadColorLine(fText, length, color, unknown))
			return Refusal::Damaged(
				"XPM", "the colour \"" + unknown.substr(0, 40) + "\" is unknown");
		fKeys.append(fText, 0, length);
		fColors.push_back(color);
	}
	if (fCharsPerPixel <= 2) {
		fDirect.assign(size_t(1) << (8 * length), -1);
		for (size_t i = 0; i < fColors.size(); i++) {
			uint32 key = uint8(fKeys[i * length]);
			if (length == 2)
				key = key << 8 | uint8(fKeys[i * length + 1]);
			if (fDirect[key] < 0)
				fDirect[key] = int32(i);
		}
		return {};
	}
	fSorted.resize(fColors.size());
	for (size_t i = 0; i < fSorted.size(); i++)
		fSorted[i] = int32(i);
	std::stable_sort(fSorted.begin(), fSorted.end(), [this, length](int32 a, int32 b) {
		return std::memcmp(
				   fKeys.data() + size_t(a) * length, fKeys.data() + size_t(b) * length, length)
			< 0;
	});
	return {};
}

Result<void>
XpmDecoder::Decode(DecodedImage& pixels)
{
	bool cut;
	if (!fStrings.Next(fText, cut))
		return cut ? Refusal::CutOff() : Refusal::Damaged("XPM", "it has no values line");
	long long values[4];
	const char* text = fText.c_str();
	for (long long& value : values) {
		char* end;
		value = std::strtoll(text, &end, 10);
		if (end == text)
			return Refusal::Damaged("XPM", "its values line lacks a number");
		text = end;
	}
	fWidth = values[0];
	fHeight = values[1];
	fColorCount = values[2];
	if (values[3] < 1 || values[3] > kMaxCharsPerPixel)
		return Refusal::Damaged(
			"XPM", "it gives " + std::to_string(values[3]) + " characters a pixel");
	fCharsPerPixel = int32(values[3]);
	if (fColorCount < 1)
		return Refusal::Damaged("XPM", "it has no colours");
	if (Result<void> fits = CheckImageSize(fWidth, fHeight); !fits)
		return fits.TakeError();
	// Each colour costs its characters, a colour and an index.
	if (uint64(fColorCount) > kDecodeOverhead
		|| uint64(fColorCount) * uint64(fCharsPerPixel + 8) > kDecodeOverhead) {
		return Refusal::TooManyColors(fColorCount, fCharsPerPixel);
	}
	if (Result<void> colors = ReadColors(); !colors)
		return colors;
	// Every pixel's characters are in the data: checked before the pixels
	// are reserved.
	if (uint64(fStrings.Remaining()) < uint64(fWidth) * uint64(fHeight) * uint64(fCharsPerPixel))
		return Refusal::CutOff();
	if (Result<void> allocated = pixels.Allocate(fWidth, fHeight); !allocated)
		return allocated.TakeError();

	size_t rowLength = size_t(fWidth) * size_t(fCharsPerPixel);
	for (int32 y = 0; y < pixels.Height(); y++) {
		if (!fStrings.Next(fText, cut))
			return Refusal::CutOff();
		if (fText.size() < rowLength)
			return Refusal::Damaged("XPM", "a row of pixels is too short");
		uint8* row = pixels.Row(y);
		for (int32 x = 0; x < pixels.Width(); x++) {
			int32 index = Lookup(fText.data() + size_t(x) * size_t(fCharsPerPixel));
			if (index < 0)
				return Refusal::Damaged("XPM", "a pixel has characters of no colour");
			uint32 color = fColors[size_t(index)];
			row[4 * x] = uint8(color);
			row[4 * x + 1] = uint8(color >> 8);
			row[4 * x + 2] = uint8(color >> 16);
			row[4 * x + 3] = uint8(color >> 24);
		}
	}
	return {};
}

} // namespace

bool
XpmReader::Recognizes(const ImageData& image) const
{
	size_t start = 0;
	while (start < image.size && start < 64 && IsSpace(char(image.data[start])))
		start++;
	size_t length = sizeof(kMagic) - 1;
	return image.size - start >= length && std::memcmp(image.data + start, kMagic, length) == 0;
}

BitmapResult
XpmReader::Read(const ImageData& image) const
{
	if (!Recognizes(image))
		return Refusal::NotA("an XPM file");
	DecodedImage pixels;
	if (Result<void> decoded = XpmDecoder(image).Decode(pixels); !decoded)
		return decoded.TakeError();
	return pixels.TakeBitmap(PixelKind::Palette);
}

} // namespace BPrivate
