#include "Refusal.h"

#include "DecodeLimits.h"

#include <TranslationUtils.h>

#include <Errors.h>

namespace BPrivate {

namespace {

// "8192×8192"
std::string Limit()
{
	const std::string side = std::to_string(kMaxImageSide);
	return side + "\u00d7" + side;
}

// The length of the UTF-8 sequence at `text[at]` and its code point, or 0
// when the bytes there are not one (a stray continuation, an overlong form,
// a surrogate, past U+10FFFF, cut short).
size_t DecodeUtf8(std::string_view text, size_t at, uint32& codePoint)
{
	const uint8 lead = uint8(text[at]);
	size_t length;
	uint32 minimum;
	if (lead >= 0xc2 && lead <= 0xdf) {
		length = 2;
		minimum = 0x80;
		codePoint = lead & 0x1f;
	} else if (lead >= 0xe0 && lead <= 0xef) {
		length = 3;
		minimum = 0x800;
		codePoint = lead & 0x0f;
	} else if (lead >= 0xf0 && lead <= 0xf4) {
		length = 4;
		minimum = 0x10000;
		codePoint = lead & 0x07;
	} else {
		return 0;
	}
	if (text.size() - at < length)
		return 0;
	for (size_t i = 1; i < length; i++) {
		const uint8 next = uint8(text[at + i]);
		if ((next & 0xc0) != 0x80)
			return 0;
		codePoint = codePoint << 6 | (next & 0x3f);
	}
	if (codePoint < minimum || codePoint > 0x10ffff
		|| (codePoint >= 0xd800 && codePoint <= 0xdfff)) {
		return 0;
	}
	return length;
}

// Characters that end or break a line or that no terminal prints.
bool IsSpaceOrControl(uint32 codePoint)
{
	return codePoint <= 0x20 || (codePoint >= 0x7f && codePoint <= 0x9f)
		|| codePoint == 0x2028 || codePoint == 0x2029;
}

Failure IllegalData(std::string detail)
{
	return Failure(B_ILLEGAL_DATA, std::move(detail));
}

} // namespace

Failure Refusal::CutOff()
{
	return IllegalData("is cut off before its first image is complete");
}

Failure Refusal::Damaged(const char* format, std::string_view why)
{
	std::string reason = OneLine(why);
	std::string detail = std::string("is a damaged ") + format + " file";
	if (!reason.empty())
		detail += ": " + reason;
	return IllegalData(std::move(detail));
}

Failure Refusal::NoPixels()
{
	return IllegalData("is damaged: its header gives no pixels");
}

Failure Refusal::WithoutImage(const char* format)
{
	return IllegalData(std::string("is a ") + format + " file without an image");
}

Failure Refusal::LibraryCannotRead(const char* format)
{
	return IllegalData(std::string("is a ") + format + " file this library version cannot read");
}

Failure Refusal::NotAnImage()
{
	return Failure(B_NO_TRANSLATOR, "");
}

Failure Refusal::NotA(const char* what)
{
	return Failure(B_NO_TRANSLATOR, std::string("is not ") + what);
}

Failure Refusal::UnsupportedKind(const char* format, std::string_view why)
{
	return Failure(B_NO_TRANSLATOR,
		std::string("is a kind of ") + format + " file we cannot read: " + OneLine(why));
}

Failure Refusal::UnreadFeature(const char* format, std::string_view feature)
{
	return Failure(B_NO_TRANSLATOR,
		std::string("is a ") + format + " file with " + std::string(feature) + ", which is not read");
}

Failure Refusal::Empty()
{
	return Failure(B_NO_TRANSLATOR, "is empty");
}

Failure Refusal::TooLarge(int64 width, int64 height)
{
	return Failure(B_NO_MEMORY, "is " + std::to_string(width) + "\u00d7" + std::to_string(height)
		+ " pixels; the limit is " + Limit());
}

Failure Refusal::FrameTooLarge(const char* format)
{
	return Failure(B_NO_MEMORY,
		std::string("is a ") + format + " file whose first frame decodes more than twice "
			+ Limit() + " pixels");
}

Failure Refusal::TooManyColors(int64 colors, int32 charactersEach)
{
	return Failure(B_NO_MEMORY, "has " + std::to_string(colors) + " colours of "
		+ std::to_string(charactersEach) + " characters, more than a decode may hold");
}

Failure Refusal::FileTooLarge(size_t limit)
{
	return Failure(B_NO_MEMORY, "is larger than " + std::to_string(limit >> 20) + " MiB");
}

Failure Refusal::NoMemory(const char* what)
{
	if (what == nullptr)
		return Failure(B_NO_MEMORY, "");
	return Failure(B_NO_MEMORY, std::string("could not be given the memory for its ") + what);
}

Failure Refusal::Unreadable(status_t status)
{
	return Failure(status, "");
}

std::string Refusal::OneLine(std::string_view text)
{
	std::string line;
	line.reserve(text.size());
	bool space = false;
	for (size_t at = 0; at < text.size();) {
		uint32 codePoint = uint8(text[at]);
		size_t length = codePoint < 0x80 ? 1 : DecodeUtf8(text, at, codePoint);
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

std::string DescribeReadFailure(const Failure& failure, const char* name)
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
	return line + ": " + status_text(failure.status);
}

} // namespace BPrivate
