// SPDX-License-Identifier: MIT
#include "ImageClipboard.h"

#include "StatusText.h"
#include "export/FormatBitmapSource.h"
#include "export/LeafName.h"

#include <AppDefs.h>
#include <Clipboard.h>
#include <TranslationUtils.h>

#include <cstring>
#include <new>
#include <optional>
#include <vector>

namespace ImageClipboard {

namespace {

constexpr char kText[] = "text/plain";
constexpr char kPng[] = "image/png";
constexpr char kUriList[] = "text/uri-list";

constexpr const char* kNoImage = "There is no image to copy.";
constexpr const char* kEmpty = "There is nothing on the clipboard to paste.";
constexpr const char* kNotImage = "The clipboard holds no image to paste.";

// The text made straight into a block of its final length, as a buffered
// file takes it (FormatsInPlace).
class TextBuffer {
public:
	explicit TextBuffer(size_t size) : fText(size) { }

	ssize_t operator()(const char* piece, size_t length)
	{
		if (length > fText.size() - fFilled)
			return -1;
		std::memcpy(fText.data() + fFilled, piece, length);
		fFilled += length;
		return ssize_t(length);
	}
	char* Room(size_t& length)
	{
		length = fText.size() - fFilled;
		return length > 0 ? reinterpret_cast<char*>(fText.data()) + fFilled : nullptr;
	}
	void Take(size_t length) { fFilled += length; }
	bool Full() const { return fFilled == fText.size(); }
	std::vector<uint8>& Text() { return fText; }

private:
	std::vector<uint8> fText;
	size_t fFilled = 0;
};

// Replaces what the clipboard holds with `bytes` as `type`; the bytes move
// on to the clipboard without a copy.
BPrivate::Result<void>
Put(const char* type, std::vector<uint8>&& bytes)
{
	if (!be_clipboard->Lock())
		return BPrivate::Failure(B_ERROR, "The clipboard cannot be used.");
	be_clipboard->Clear();
	status_t status = be_clipboard->Data()->AddData(type, B_MIME_TYPE, std::move(bytes));
	if (status == B_OK)
		status = be_clipboard->Commit();
	be_clipboard->Unlock();
	return BPrivate::Result<void>::FromStatus(status, "The clipboard cannot be used.");
}

int
HexValue(char digit)
{
	if (digit >= '0' && digit <= '9')
		return digit - '0';
	if (digit >= 'a' && digit <= 'f')
		return digit - 'a' + 10;
	if (digit >= 'A' && digit <= 'F')
		return digit - 'A' + 10;
	return -1;
}

// The image at the first file of a URI list that names one; its reading
// failure when the first file names none (a missing or unreadable file).
BPrivate::Result<std::unique_ptr<BBitmap>>
ImageOfUriList(const char* list, size_t length)
{
	std::string text(list, length);
	size_t start = 0;
	while (start < text.size()) {
		size_t end = text.find_first_of("\r\n", start);
		if (end == std::string::npos)
			end = text.size();
		std::string line = text.substr(start, end - start);
		start = end + 1;
		// Comments start with '#'.
		if (line.empty() || line[0] == '#')
			continue;
		std::string path = PathOfFileUri(line);
		if (path.empty())
			continue;
		BPrivate::Result<std::unique_ptr<BBitmap>> image = BPrivate::ReadBitmapFile(path.c_str());
		if (!image) {
			return BPrivate::Failure(image.Error().status,
				BPrivate::DescribeReadFailure(image.Error(), LeafName(path.c_str())));
		}
		return image;
	}
	return BPrivate::Failure(B_NO_TRANSLATOR, kNotImage);
}

} // namespace

BPrivate::Result<void>
CopySource(const BBitmap* bitmap, const char* iconName)
{
	if (bitmap == nullptr || !bitmap->IsValid() || bitmap->BitsLength() <= 0)
		return BPrivate::Failure(B_NO_INIT, kNoImage);
	const BRect bounds = bitmap->Bounds();
	const int64 length = BitmapSourceLength(iconName, bounds.left, bounds.top, bounds.right,
		bounds.bottom, bitmap->ColorSpace(), bitmap->BitsLength());
	if (length < 0)
		return BPrivate::Failure(B_NO_INIT, kNoImage);
	if (length > kMaxText) {
		return BPrivate::Failure(B_NO_MEMORY,
			"The text is " + StatusText::Grouped(length)
				+ " bytes, more than the clipboard takes (64 MiB): save it as source code "
				  "instead.");
	}
	try {
		TextBuffer buffer{size_t(length)};
		if (!FormatBitmapSource(iconName, bounds.left, bounds.top, bounds.right, bounds.bottom,
				bitmap->ColorSpace(), static_cast<const uint8*>(bitmap->Bits()),
				bitmap->BitsLength(), buffer)
			|| !buffer.Full()) {
			return BPrivate::Failure(B_ERROR, "The text could not be made.");
		}
		return Put(kText, std::move(buffer.Text()));
	} catch (const std::bad_alloc&) {
		return BPrivate::Failure(B_NO_MEMORY, "There is not enough memory for the text.");
	}
}

BPrivate::Result<void>
CopyImage(const BBitmap* bitmap)
{
	if (bitmap == nullptr || !bitmap->IsValid())
		return BPrivate::Failure(B_NO_INIT, kNoImage);
	BPrivate::Result<std::string> png = BPrivate::EncodePng(*bitmap);
	if (!png) {
		return BPrivate::Failure(
			png.Error().status, "The image could not be copied: " + png.Error().detail + ".");
	}
	const std::string& bytes = png.Value();
	return Put(kPng, std::vector<uint8>(bytes.begin(), bytes.end()));
}

BPrivate::Result<std::unique_ptr<BBitmap>>
Paste()
{
	if (!be_clipboard->Lock())
		return BPrivate::Failure(B_ERROR, "The clipboard cannot be used.");
	BPrivate::Result<std::unique_ptr<BBitmap>> image = ImageIn(*be_clipboard->Data());
	be_clipboard->Unlock();
	return image;
}

BPrivate::Result<std::unique_ptr<BBitmap>>
ImageIn(const BMessage& data)
{
	if (data.CountNames(B_MIME_TYPE) == 0)
		return BPrivate::Failure(B_NO_TRANSLATOR, kEmpty);

	// The PNG first: what most programs offer, and lossless.
	std::string types[2] = {kPng, {}};
	const char* name = nullptr;
	type_code type = 0;
	for (int32 index = 0; data.GetInfo(B_MIME_TYPE, index, &name, &type) == B_OK; index++) {
		if (std::strncmp(name, "image/", 6) == 0 && std::strcmp(name, kPng) != 0) {
			types[1] = name;
			break;
		}
	}
	std::optional<BPrivate::Failure> firstFailure;
	for (const std::string& imageType : types) {
		const void* bytes = nullptr;
		ssize_t length = 0;
		if (imageType.empty()
			|| data.FindData(imageType.c_str(), B_MIME_TYPE, &bytes, &length) != B_OK) {
			continue;
		}
		BPrivate::Result<std::unique_ptr<BBitmap>> image = BPrivate::ReadBitmapBytes(
			bytes, size_t(length));
		if (image)
			return image;
		if (!firstFailure) {
			std::string what = "The clipboard's image (" + imageType + ")";
			firstFailure = BPrivate::Failure(
				image.Error().status, BPrivate::DescribeReadFailure(image.Error(), what.c_str()));
		}
	}
	const void* list = nullptr;
	ssize_t listLength = 0;
	if (data.FindData(kUriList, B_MIME_TYPE, &list, &listLength) == B_OK) {
		BPrivate::Result<std::unique_ptr<BBitmap>> image = ImageOfUriList(
			static_cast<const char*>(list), size_t(listLength));
		if (image || !firstFailure)
			return image;
	}
	if (firstFailure)
		return std::move(*firstFailure);
	return BPrivate::Failure(B_NO_TRANSLATOR, kNotImage);
}

std::string
PathOfFileUri(const std::string& uri)
{
	// "file:///path" or "file://localhost/path"; another host is another
	// machine's file.
	std::string rest;
	if (uri.compare(0, 8, "file:///") == 0)
		rest = uri.substr(7);
	else if (uri.compare(0, 17, "file://localhost/") == 0)
		rest = uri.substr(16);
	else
		return {};
	// A query or fragment is no part of a file's name.
	rest = rest.substr(0, rest.find_first_of("?#"));
	std::string path;
	for (size_t index = 0; index < rest.size(); index++) {
		char c = rest[index];
		if (c == '%') {
			int high = index + 2 < rest.size() ? HexValue(rest[index + 1]) : -1;
			int low = high >= 0 ? HexValue(rest[index + 2]) : -1;
			if (low < 0)
				return {};
			c = char(high * 16 + low);
			index += 2;
		}
		if (c == '\0')
			return {};
		path += c;
	}
	return path;
}

} // namespace ImageClipboard
