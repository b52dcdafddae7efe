// SPDX-License-Identifier: MIT
#include "SourceTextScanner.h"

#include "Refusal.h"

#include <algorithm>
#include <cstring>

namespace BPrivate {

SourceTextScanner::SourceTextScanner(const ImageData& image, const char* format)
	: fData(image.data), fSize(image.size), fFormat(format)
{ }

void
SourceTextScanner::SkipSpace(Skip skip)
{
	while (fPosition < fSize) {
		const uint8 c = fData[fPosition];
		if (IsSourceSpace(c)) {
			fPosition++;
			continue;
		}
		if (skip == Skip::kWhiteSpaceOnly || c != '/' || fPosition + 1 >= fSize)
			return;
		if (fData[fPosition + 1] == '/') {
			const void* end = std::memchr(fData + fPosition, '\n', fSize - fPosition);
			fPosition = end != nullptr ? size_t(static_cast<const uint8*>(end) - fData) : fSize;
			continue;
		}
		if (fData[fPosition + 1] != '*')
			return;
		// An unclosed comment runs to the end of the text, as a compiler
		// reads it.
		size_t close = fPosition + 2;
		while (close + 1 < fSize && !(fData[close] == '*' && fData[close + 1] == '/'))
			close++;
		fPosition = std::min(close + 2, fSize);
	}
}

void
SourceTextScanner::SkipLeadingSpace()
{
	Take("\xEF\xBB\xBF");
	SkipSpace(Skip::kWhiteSpaceOnly);
}

bool
SourceTextScanner::Take(std::string_view text)
{
	if (fSize - fPosition < text.size()
		|| std::memcmp(fData + fPosition, text.data(), text.size()) != 0) {
		return false;
	}
	fPosition += text.size();
	return true;
}

bool
SourceTextScanner::TakeWord(std::string_view word)
{
	const size_t end = fPosition + word.size();
	if (fSize - fPosition < word.size()
		|| std::memcmp(fData + fPosition, word.data(), word.size()) != 0
		|| (end < fSize && IsIdentifierCharacter(fData[end]))) {
		return false;
	}
	fPosition = end;
	return true;
}

std::string_view
SourceTextScanner::TakeIdentifier()
{
	const size_t start = fPosition;
	if (start >= fSize || (fData[start] >= '0' && fData[start] <= '9'))
		return {};
	while (fPosition < fSize && IsIdentifierCharacter(fData[fPosition]))
		fPosition++;
	return std::string_view(reinterpret_cast<const char*>(fData) + start, fPosition - start);
}

bool
SourceTextScanner::TakeInteger(int64& value)
{
	const size_t start = fPosition;
	int64 number = 0;
	while (fPosition < fSize && fData[fPosition] >= '0' && fData[fPosition] <= '9'
		&& fPosition - start < 18) {
		number = number * 10 + (fData[fPosition] - '0');
		fPosition++;
	}
	if (fPosition == start || (fPosition < fSize && IsIdentifierCharacter(fData[fPosition]))) {
		fPosition = start;
		return false;
	}
	value = number;
	return true;
}

bool
SourceTextScanner::TakeWholeNumber(int64& value)
{
	const size_t start = fPosition;
	const bool negative = Take("-");
	int64 number = 0;
	const size_t digits = fPosition;
	while (fPosition < fSize && fData[fPosition] >= '0' && fData[fPosition] <= '9'
		&& fPosition - digits < 9) {
		number = number * 10 + (fData[fPosition] - '0');
		fPosition++;
	}
	bool whole = fPosition > digits;
	if (whole && Take(".")) {
		while (fPosition < fSize && fData[fPosition] == '0')
			fPosition++;
	}
	if (!whole
		|| (fPosition < fSize
			&& (IsIdentifierCharacter(fData[fPosition]) || fData[fPosition] == '.'))) {
		fPosition = start;
		return false;
	}
	value = negative ? -number : number;
	return true;
}

bool
SourceTextScanner::TakeStringLiteral()
{
	const size_t start = fPosition;
	if (!Take("\""))
		return false;
	while (fPosition < fSize && fData[fPosition] != '"' && fData[fPosition] != '\n') {
		if (fData[fPosition] == '\\')
			fPosition++;
		fPosition++;
	}
	if (fPosition >= fSize || fData[fPosition] != '"') {
		fPosition = start;
		return false;
	}
	fPosition++;
	return true;
}

int64
SourceTextScanner::LineOf(size_t position) const
{
	position = std::min(position, fSize);
	return 1 + std::count(fData, fData + position, uint8('\n'));
}

std::string
SourceTextScanner::Shown(size_t position) const
{
	if (position >= fSize)
		return "the end of the text";
	size_t end = position;
	while (end < fSize && end - position < 24 && !IsSourceSpace(fData[end]))
		end++;
	std::string shown(reinterpret_cast<const char*>(fData) + position, end - position);
	if (end < fSize && !IsSourceSpace(fData[end]))
		shown += "...";
	return "\"" + shown + "\"";
}

Failure
SourceTextScanner::Expected(std::string_view what) const
{
	return Refuse("expected " + std::string(what) + ", found " + Shown(fPosition));
}

Failure
SourceTextScanner::Refuse(std::string_view why, size_t position) const
{
	return Refusal::Damaged(
		fFormat, "line " + std::to_string(LineOf(position)) + ": " + std::string(why));
}

} // namespace BPrivate
