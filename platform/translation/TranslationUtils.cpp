#include "TranslationUtils.h"

#include "ImageFile.h"
#include "TranslatorList.h"

#include <cctype>
#include <cstring>
#include <new>

namespace {

std::string LowerCaseExtension(const char* path)
{
	const char* slash = std::strrchr(path, '/');
	const char* leaf = slash != nullptr ? slash + 1 : path;
	const char* dot = std::strrchr(leaf, '.');
	if (dot == nullptr)
		return std::string();
	std::string extension(dot + 1);
	for (char& c : extension)
		c = char(std::tolower(static_cast<unsigned char>(c)));
	return extension;
}

} // namespace

std::string BTranslationFailure::Describe(const char* name) const
{
	std::string line = name;
	switch (status) {
		case B_NO_TRANSLATOR:
		case B_ILLEGAL_DATA:
		case B_NO_MEMORY:
			if (!detail.empty())
				return line + " " + detail;
			if (status == B_NO_TRANSLATOR)
				return line + " is not an image we can read";
			if (status == B_ILLEGAL_DATA)
				return line + " is a damaged image";
			break;
		default:
			break;
	}
	return line + ": " + status_text(status);
}

BBitmap* BTranslationUtils::GetBitmapFile(const char* path, BTranslatorRoster* roster)
{
	return GetBitmapFile(path, roster, nullptr);
}

// The file is read whole and only then decoded, so that no decoder opens a
// FIFO or a device itself. There is one roster, the kit's own; the
// `roster` argument is accepted for the platform's signature and not used.
BBitmap* BTranslationUtils::GetBitmapFile(const char* path, BTranslatorRoster* /*roster*/,
	BTranslationFailure* failure)
{
	BTranslationFailure ignored;
	if (failure == nullptr)
		failure = &ignored;
	try {
		BPrivate::PageMemory data;
		size_t size = 0;
		status_t status = BPrivate::ReadImageFile(path, BPrivate::kMaxImageFileSize, data, size);
		if (status != B_OK) {
			*failure = {status, status == B_NO_MEMORY ? "is larger than 512 MiB" : ""};
			return nullptr;
		}
		if (size == 0) {
			*failure = {B_NO_TRANSLATOR, "is empty"};
			return nullptr;
		}
		BPrivate::ImageSource source{data.get(), size, LowerCaseExtension(path)};
		BBitmap* bitmap = BPrivate::TranslatorList::Default().Translate(source).release();
		if (bitmap == nullptr)
			*failure = {B_NO_TRANSLATOR, ""};
		return bitmap;
	} catch (const std::bad_alloc&) {
		// A file or image too large for the memory there is: no bitmap.
		*failure = {B_NO_MEMORY, ""};
		return nullptr;
	}
}
