// SPDX-License-Identifier: MIT
#include "TranslationUtils.h"

#include "DecodeLimits.h"
#include "ImageFile.h"

#include <utility>

BBitmap*
BTranslationUtils::GetBitmapFile(const char* path, BTranslatorRoster* roster)
{
	BPrivate::Result<std::unique_ptr<BBitmap>> bitmap = BPrivate::ReadBitmapFile(path, roster);
	if (!bitmap)
		return nullptr;
	return bitmap.Value().release();
}

namespace BPrivate {

// The file is read whole and only then decoded, so that no decoder opens a
// FIFO or a device itself, and the reader is chosen by the content alone.
// There is one roster, the kit's own; the `roster` argument is accepted for
// the platform's signature and not used.
Result<std::unique_ptr<BBitmap>>
ReadBitmapFile(const char* path, BTranslatorRoster* /*roster*/, ReadFacts* facts)
{
	return DecodeWholeImage([path] { return ReadImageFile(path, kMaxImageFileSize); }, path, facts);
}

} // namespace BPrivate
