// SPDX-License-Identifier: MIT
// Any bytes as a text the export wrote (the source-code text or the --embed
// header, read from memory, so the header has no .bin beside it). A refusal
// must say why in one line; a bitmap that comes back must be whole, and its
// text as the export writes it must read back to the same bitmap.

#include "export/FormatBitmapSource.h"

#include <ImageReaderList.h>
#include <TranslationUtils.h>

#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int
LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	static const BPrivate::ImageReaderList& sReaders = BPrivate::ImageReaderList::Default();
	static const BPrivate::ImageReader* sText = sReaders.ReaderNamed("Quillpix source");
	static const BPrivate::ImageReader* sHeader = sReaders.ReaderNamed("Quillpix embed header");
	if (sText == nullptr || sHeader == nullptr)
		std::abort();
	BPrivate::ImageData image{data, size};
	const BPrivate::ImageReader* reader = sText->Recognizes(image) ? sText
		: sHeader->Recognizes(image)                               ? sHeader
																   : nullptr;
	if (reader == nullptr)
		return 0;
	BPrivate::BitmapResult read = reader->Read(image);
	if (!read) {
		if (read.Error().status == B_OK
			|| BPrivate::DescribeReadFailure(read.Error(), "f").find('\n') != std::string::npos)
			std::abort();
		return 0;
	}
	const BBitmap* bitmap = read.Value().get();
	if (bitmap == nullptr || !bitmap->IsValid() || bitmap->Bits() == nullptr)
		std::abort();

	std::string text;
	const BRect bounds = bitmap->Bounds();
	if (!FormatBitmapSource("icon", bounds.left, bounds.top, bounds.right, bounds.bottom,
			bitmap->ColorSpace(), static_cast<const uint8*>(bitmap->Bits()), bitmap->BitsLength(),
			[&text](const char* piece, size_t length) {
				text.append(piece, length);
				return ssize_t(length);
			})) {
		std::abort();
	}
	BPrivate::BitmapResult again = sText->Read(
		BPrivate::ImageData{reinterpret_cast<const uint8*>(text.data()), text.size()});
	if (!again || again.Value()->Bounds() != bounds
		|| again.Value()->ColorSpace() != bitmap->ColorSpace()
		|| again.Value()->BitsLength() != bitmap->BitsLength()
		|| std::memcmp(again.Value()->Bits(), bitmap->Bits(), bitmap->BitsLength()) != 0) {
		std::abort();
	}
	return 0;
}
