// SPDX-License-Identifier: MIT
#include "PnmReader.h"

#include "DecodeLimits.h"
#include "DecodedImage.h"
#include "PixelRules.h"
#include "Refusal.h"

#include <cstring>
#include <string>

namespace BPrivate {

namespace {

bool
IsSpace(uint8 c)
{
	return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool
IsDigit(uint8 c)
{
	return c >= '0' && c <= '9';
}

// Reads the header and samples of one Netpbm image.
class PnmParser {
public:
	explicit PnmParser(const ImageData& image) : fData(image.data), fSize(image.size) { }

	// Decodes into `pixels` and answers what they stand for, or the refusal.
	Result<PixelKind> Decode(DecodedImage& pixels);

private:
	Result<void> ReadHeader();
	Result<void> ReadPamHeader();
	bool SkipSpace();
	bool ReadNumber(uint32& value);
	bool ReadSample(uint32& value);

	const uint8* fData;
	size_t fSize;
	size_t fPosition = 0;
	char fType = 0; // '1' to '7'
	int64 fWidth = 0;
	int64 fHeight = 0;
	uint32 fMaxValue = 1;
	int32 fChannels = 1; // samples a pixel
	bool fPlain = false;
};

// Skips white space and comments (from '#' to the end of the line); false
// at the end of the data.
bool
PnmParser::SkipSpace()
{
	while (fPosition < fSize) {
		uint8 c = fData[fPosition];
		if (c == '#') {
			while (fPosition < fSize && fData[fPosition] != '\n' && fData[fPosition] != '\r')
				fPosition++;
		} else if (IsSpace(c)) {
			fPosition++;
		} else {
			return true;
		}
	}
	return false;
}

// A decimal number; values past 2^31 are kept at that, which every limit
// refuses.
bool
PnmParser::ReadNumber(uint32& value)
{
	if (!SkipSpace() || !IsDigit(fData[fPosition]))
		return false;
	uint64 number = 0;
	while (fPosition < fSize && IsDigit(fData[fPosition])) {
		number = number * 10 + (fData[fPosition++] - '0');
		if (number > 0x80000000u)
			number = 0x80000000u;
	}
	value = uint32(number);
	return true;
}

bool
PnmParser::ReadSample(uint32& value)
{
	if (fPlain) {
		if (fType != '1')
			return ReadNumber(value);
		// Plain bitmaps need no space between their digits.
		if (!SkipSpace() || (fData[fPosition] != '0' && fData[fPosition] != '1'))
			return false;
		value = fData[fPosition++] == '1' ? 0 : 1;
		return true;
	}
	if (fMaxValue < 256) {
		value = fData[fPosition++];
		return true;
	}
	value = uint32(fData[fPosition]) << 8 | fData[fPosition + 1];
	fPosition += 2;
	return true;
}

Result<void>
PnmParser::ReadPamHeader()
{
	bool haveWidth = false, haveHeight = false, haveDepth = false, haveMax = false;
	while (true) {
		if (!SkipSpace())
			return Refusal::CutOff();
		size_t start = fPosition;
		while (fPosition < fSize && !IsSpace(fData[fPosition]))
			fPosition++;
		std::string keyword(reinterpret_cast<const char*>(fData + start), fPosition - start);
		if (keyword == "ENDHDR") {
			// The samples start after the end of this line.
			while (fPosition < fSize && fData[fPosition] != '\n')
				fPosition++;
			if (fPosition >= fSize)
				return Refusal::CutOff();
			fPosition++;
			break;
		}
		uint32 value;
		if (keyword == "TUPLTYPE") {
			while (fPosition < fSize && fData[fPosition] != '\n')
				fPosition++;
			continue;
		}
		if (!ReadNumber(value))
			return Refusal::Damaged("PNM", "its header has a field without a number");
		if (keyword == "WIDTH") {
			fWidth = value;
			haveWidth = true;
		} else if (keyword == "HEIGHT") {
			fHeight = value;
			haveHeight = true;
		} else if (keyword == "DEPTH") {
			fChannels = int32(value);
			haveDepth = true;
		} else if (keyword == "MAXVAL") {
			fMaxValue = value;
			haveMax = true;
		} else {
			return Refusal::Damaged("PNM", "its header has an unknown field");
		}
	}
	if (!haveWidth || !haveHeight || !haveDepth || !haveMax)
		return Refusal::Damaged("PNM", "its header lacks a field");
	if (fChannels < 1 || fChannels > 4)
		return Refusal::Damaged("PNM",
			"it has " + std::to_string(fChannels) + " samples a pixel, where 1 to 4 are read");
	return {};
}

Result<void>
PnmParser::ReadHeader()
{
	fType = char(fData[1]);
	fPosition = 2;
	fPlain = fType >= '1' && fType <= '3';
	if (fType == '7')
		return ReadPamHeader();
	uint32 width, height;
	if (!ReadNumber(width) || !ReadNumber(height))
		return fPosition >= fSize ? Refusal::CutOff()
								  : Refusal::Damaged("PNM", "its header has no size");
	fWidth = width;
	fHeight = height;
	fChannels = fType == '3' || fType == '6' ? 3 : 1;
	if (fType != '1' && fType != '4') {
		if (!ReadNumber(fMaxValue))
			return fPosition >= fSize ? Refusal::CutOff()
									  : Refusal::Damaged("PNM", "its header has no maximum value");
	}
	if (!fPlain) {
		// One white-space byte ends the header of a raw file.
		if (fPosition >= fSize || !IsSpace(fData[fPosition]))
			return Refusal::CutOff();
		fPosition++;
	}
	return {};
}

Result<PixelKind>
PnmParser::Decode(DecodedImage& pixels)
{
	if (Result<void> header = ReadHeader(); !header)
		return header.TakeError();
	if (fMaxValue < 1 || fMaxValue > 65535)
		return Refusal::Damaged("PNM",
			"its maximum value " + std::to_string(fMaxValue) + " is not between 1 and 65535");
	if (Result<void> fits = CheckImageSize(fWidth, fHeight); !fits)
		return fits.TakeError();

	// The least data the samples take, checked before the pixels are
	// reserved: a plain sample is a digit and a space at least.
	uint64 samples = uint64(fWidth) * uint64(fHeight) * uint64(fChannels);
	uint64 least;
	if (fType == '4')
		least = uint64((fWidth + 7) / 8) * uint64(fHeight);
	else if (fPlain)
		least = fType == '1' ? samples : 2 * samples - 1;
	else
		least = samples * (fMaxValue < 256 ? 1 : 2);
	if (fSize - fPosition < least)
		return Refusal::CutOff();
	if (Result<void> allocated = pixels.Allocate(fWidth, fHeight); !allocated)
		return allocated.TakeError();

	int32 width = pixels.Width();
	for (int32 y = 0; y < pixels.Height(); y++) {
		uint8* row = pixels.Row(y);
		if (fType == '4') {
			const uint8* bits = fData + fPosition;
			for (int32 x = 0; x < width; x++) {
				uint8 level = (bits[x / 8] >> (7 - x % 8)) & 1 ? 0 : 255;
				row[4 * x] = row[4 * x + 1] = row[4 * x + 2] = level;
				row[4 * x + 3] = 255;
			}
			fPosition += size_t(width + 7) / 8;
			continue;
		}
		for (int32 x = 0; x < width; x++) {
			uint8 bytes[4] = {0, 0, 0, 255};
			for (int32 channel = 0; channel < fChannels; channel++) {
				uint32 value;
				if (!ReadSample(value))
					return fPosition >= fSize ? Refusal::CutOff()
											  : Refusal::Damaged("PNM", "a sample is not a number");
				bytes[channel] = ScaleToByte(value, fMaxValue);
			}
			uint8* pixel = row + 4 * x;
			if (fChannels <= 2) {
				pixel[0] = pixel[1] = pixel[2] = bytes[0];
				pixel[3] = fChannels == 2 ? bytes[1] : 255;
			} else {
				pixel[0] = bytes[2];
				pixel[1] = bytes[1];
				pixel[2] = bytes[0];
				pixel[3] = bytes[3];
			}
		}
	}
	return fChannels <= 2 ? PixelKind::Gray : PixelKind::TrueColor;
}

} // namespace

bool
PnmReader::Recognizes(const ImageData& image) const
{
	return image.size >= 3 && image.data[0] == 'P' && image.data[1] >= '1' && image.data[1] <= '7'
		&& (IsSpace(image.data[2]) || image.data[2] == '#');
}

BitmapResult
PnmReader::Read(const ImageData& image) const
{
	if (!Recognizes(image))
		return Refusal::NotA("a PNM file");
	return DecodeToBitmap(PnmParser(image));
}

} // namespace BPrivate
