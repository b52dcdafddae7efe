// SPDX-License-Identifier: MIT
#include "Refusal.h"

#include "DecodeLimits.h"

#include <TranslationUtils.h>

#include <Errors.h>
#include <Utf8.h>

namespace BPrivate {

namespace {

// "8192×8192"
std::string
Limit()
{
	const std::string side = std::to_string(kMaxImageSide);
	return side + "\u00d7" + side;
}

// Characters that end or break a line or that no terminal prints.
bool
IsSpaceOrControl(uint32 codePoint)
{
	return codePoint <= 0x20 || (codePoint >= 0x7f && codePoint <= 0x9f) || codePoint == 0x2028
		|| codePoint == 0x2029;
}

Failure
IllegalData(std::string detail)
{
	return Failure(B_ILLEGAL_DATA, std::move(detail));
}

} // namespace

Failure
Refusal::CutOff()
{
	return IllegalData("is cut off before its first image is complete");
}

Failure
Refusal::Damaged(const char* format, std::string_view why)
{
	std::string reason = OneLine(why);
	std::string detail = std::string("is a damaged ") + format + " file";
	if (!reason.empty())
		detail += ": " + reason;
	return IllegalData(std::move(detail));
}

Failure
Refusal::NoPixels()
{
	return IllegalData("is damaged: its header gives no pixels");
}

Failure
Refusal::WithoutImage(const char* format)
{
	return IllegalData(std::string("is a ") + format + " file without an image");
}

Failure
Refusal::LibraryCannotRead(const char* format)
{
	return IllegalData(std::string("is a ") + format + " file this library version cannot read");
}

Failure
Refusal::NotAnImage()
{
	return Failure(B_NO_TRANSLATOR, "");
}

Failure
Refusal::NotA(const char* what)
{
	return Failure(B_NO_TRANSLATOR, std::string("is not ") + what);
}

Failure
Refusal::UnsupportedKind(const char* format, std::string_view why)
{
	return Failure(B_NO_TRANSLATOR,
		std::string("is a kind of ") + format + " file we cannot read: " + OneLine(why));
}

Failure
Refusal::UnreadFeature(const char* format, std::string_view feature)
{
	return Failure(B_NO_TRANSLATOR,
		std::string("is a ") + format + " file with " + std::string(feature)
			+ ", which is not read");
}

Failure
Refusal::Empty()
{
	return Failure(B_NO_TRANSLATOR, "is empty");
}

Failure
Refusal::TooLarge(int64 width, int64 height)
{
	return Failure(B_NO_MEMORY,
		"is " + std::to_string(width) + "\u00d7" + std::to_string(height) + " pixels; the limit is "
			+ Limit());
}

Failure
Refusal::FrameTooLarge(const char* format)
{
	return Failure(B_NO_MEMORY,
		std::string("is a ") + format + " file whose first frame decodes more than twice " + Limit()
			+ " pixels");
}

Failure
Refusal::TooManyColors(int64 colors, int32 charactersEach)
{
	return Failure(B_NO_MEMORY,
		"has " + std::to_string(colors) + " colours of " + std::to_string(charactersEach)
			+ " characters, more than a decode may hold");
}

Failure
Refusal::FileTooLarge(size_t limit)
{
	return Failure(B_NO_MEMORY, "is larger than " + std::to_string(limit >> 20) + " MiB");
}

Failure
Refusal::NoMemory(const char* what)
{
	if (what == nullptr)
		return Failure(B_NO_MEMORY, "");
	return Failure(B_NO_MEMORY, std::string("could not be given the memory for its ") + what);
}

Failure
Refusal::Unreadable(status_t status)
{
	return Failure(status, "");
}

std::string
Refusal::OneLine(std::string_view text)
{
	std::string line;
	line.reserve(text.size());
	bool space = false;
	for (size_t at = 0; at < text.size();) {
		char32_t codePoint = 0;
		size_t length = DecodeUtf8(text, at, codePoint);
		if (length != 0 && IsSpaceOrControl(codePoint)) {
			space = true;
			at += length;
			continue;
		}
		if (space && !line.empty())
			line += ' ';
		space = false;
		if (length == 0) {
			line += '?';
			at++;
			continue;
		}
		line.append(text.substr(at, length));
		at += length;
	}
	return line;
}

std::string
DescribeReadFailure(const Failure& failure, const char* name)
{
	std::string line = name;
	const std::string detail = Refusal::OneLine(failure.detail);
	switch (failure.status) {
	case B_NO_TRANSLATOR:
	case B_ILLEGAL_DATA:
	case B_NO_MEMORY:
		if (!detail.empty())
			return line + " " + detail;
		if (failure.status == B_NO_TRANSLATOR)
			return line + " is not an image we can read";
		if (failure.status == B_ILLEGAL_DATA)
			return line + " is a damaged image";
		break;
	default:
		break;
	}
	return line + ": " + (failure.error > 0 ? failure.Reason() : status_text(failure.status));
}

} // namespace BPrivate
