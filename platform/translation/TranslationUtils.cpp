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

// The file is read whole and only then decoded, so that no decoder opens a
// FIFO or a device itself. There is one roster, the kit's own; the
// `roster` argument is accepted for the platform's signature and not used.
BBitmap* BTranslationUtils::GetBitmapFile(const char* path, BTranslatorRoster* /*roster*/)
{
	try {
		BPrivate::PageMemory data;
		size_t size = 0;
		if (BPrivate::ReadImageFile(path, BPrivate::kMaxImageFileSize, data, size) != B_OK
			|| size == 0) {
			return nullptr;
		}
		BPrivate::ImageSource source{data.get(), size, LowerCaseExtension(path)};
		return BPrivate::TranslatorList::Default().Translate(source).release();
	} catch (const std::bad_alloc&) {
		// A file or image too large for the memory there is: no bitmap.
		return nullptr;
	}
}
