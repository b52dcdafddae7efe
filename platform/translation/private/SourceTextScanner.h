// SPDX-License-Identifier: MIT
#pragma once

// A cursor over C++ source text, for the readers of the texts the export
// writes (SourceTextReader, EmbedHeaderReader): white space and comments
// skipped as a compiler skips them, words, numbers and literals taken one at
// a time, and a refusal that says on which line what was expected and what
// stands there instead. Private to the translation kit; any thread.

#include "ImageReader.h"

#include <Result.h>

#include <string>
#include <string_view>

namespace BPrivate {

class SourceTextScanner {
public:
	SourceTextScanner(const ImageData& image, const char* format);

	size_t Position() const { return fPosition; }
	void SetPosition(size_t position) { fPosition = position; }
	bool AtEnd() const { return fPosition >= fSize; }
	const uint8* Data() const { return fData; }
	size_t Size() const { return fSize; }

	// Skips white space, and with it comments (// to the end of the line,
	// /* to */) unless `comments` is kWhiteSpaceOnly.
	enum class Skip {
		kCommentsToo,
		kWhiteSpaceOnly
	};
	void SkipSpace(Skip skip = Skip::kCommentsToo);
	// Skips a byte-order mark and white space, as an editor may leave them
	// before the first line.
	void SkipLeadingSpace();

	// Takes `text` when it stands here.
	bool Take(std::string_view text);
	// Takes `word` when it stands here and no letter, digit or '_' follows.
	bool TakeWord(std::string_view word);
	// The identifier that stands here, taken; empty for none.
	std::string_view TakeIdentifier();
	// A decimal number of at most 18 digits, taken; false for none.
	bool TakeInteger(int64& value);
	// A whole number as "%.1f" writes it ("-1.0", "15.0"; "15" too), of at
	// most 9 digits, taken; false for none or for a fraction.
	bool TakeWholeNumber(int64& value);
	// A string literal, taken with its quotes and escapes as it stands;
	// false when none stands here or it does not end on its line.
	bool TakeStringLiteral();

	// The refusal B_ILLEGAL_DATA: "is a damaged FORMAT file: line N:
	// expected WHAT, found ...", about the current position.
	Failure Expected(std::string_view what) const;
	// The same with a sentence of its own about `position` ("line N: WHY").
	Failure Refuse(std::string_view why, size_t position) const;
	Failure Refuse(std::string_view why) const { return Refuse(why, fPosition); }

	// The line `position` is on, counted from 1.
	int64 LineOf(size_t position) const;
	// A few characters from `position` on, up to the next white space, for a
	// message; "the end of the text" there.
	std::string Shown(size_t position) const;

private:
	const uint8* fData;
	size_t fSize;
	size_t fPosition = 0;
	const char* fFormat;
};

inline bool
IsSourceSpace(uint8 c)
{
	return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

inline bool
IsIdentifierCharacter(uint8 c)
{
	return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

} // namespace BPrivate
