#include "TranslationUtils.h"

#include "DecodeLimits.h"
#include "ImageFile.h"
#include "ImageReaderList.h"
#include "Refusal.h"

#include <new>
#include <utility>


std::string BTranslationFailure::Describe(const char* name) const
{
	return BPrivate::Refusal::Line(*this, name);
}

BBitmap* BTranslationUtils::GetBitmapFile(const char* path, BTranslatorRoster* roster)
{
	return GetBitmapFile(path, roster, nullptr);
}

// The file is read whole and only then decoded, so that no decoder opens a
// FIFO or a device itself, and the reader is chosen by the content alone. There is one roster, the kit's own; the
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
			*failure = status == B_NO_MEMORY ? BPrivate::Refusal::FileTooLarge()
				: BPrivate::Refusal::Unreadable(status);
			return nullptr;
		}
		if (size == 0) {
			*failure = BPrivate::Refusal::Empty();
			return nullptr;
		}
		BPrivate::ImageData image{data.get(), size};
		BTranslationFailure why;
		BBitmap* bitmap = BPrivate::ImageReaderList::Default().Read(image, why).release();
		if (bitmap == nullptr)
			*failure = std::move(why);
		return bitmap;
	} catch (const std::bad_alloc&) {
		// A file or image too large for the memory there is: no bitmap.
		*failure = BPrivate::Refusal::NoMemory();
		return nullptr;
	}
}
