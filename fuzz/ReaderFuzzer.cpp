// SPDX-License-Identifier: MIT
// Any bytes given straight to one reader of the translation kit (the one
// named by QUILLPIX_FUZZ_FORMAT), without the file system in between. A
// bitmap that comes back must be whole and within the kit's limits; a
// refusal must say why in one line.

#include <DecodeLimits.h>
#include <ImageReaderList.h>
#include <TranslationUtils.h>

#include <cstdio>
#include <cstdlib>

extern "C" int
LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	static const BPrivate::ImageReader* sReader = BPrivate::ImageReaderList::Default().ReaderNamed(
		QUILLPIX_FUZZ_FORMAT);
	if (sReader == nullptr)
		std::abort();
	BPrivate::ImageData image{data, size};
	if (!sReader->Recognizes(image))
		return 0;
	BPrivate::BitmapResult read = sReader->Read(image);
	if (!read) {
		if (read.Error().status == B_OK
			|| BPrivate::DescribeReadFailure(read.Error(), "f").find('\n') != std::string::npos)
			std::abort();
		return 0;
	}
	const std::unique_ptr<BBitmap>& bitmap = read.Value();
	if (!bitmap)
		std::abort();
	if (!bitmap->IsValid() || bitmap->Bits() == nullptr
		|| int64(bitmap->Width()) * bitmap->Height() > BPrivate::kMaxImagePixels)
		std::abort();
	// The first and the last row are read, so that the sanitizers see a
	// bitmap shorter than it claims. Reading all of it would cost seconds
	// for the largest images the limits allow, which are valid results.
	const uint8* bits = static_cast<const uint8*>(bitmap->Bits());
	const int32 lastRow = bitmap->BitsLength() - bitmap->BytesPerRow();
	uint32 sum = 0;
	for (int32 i = 0; i < bitmap->BytesPerRow(); i++)
		sum += bits[i] + bits[lastRow + i];
	volatile uint32 sink = sum;
	(void)sink;
	return 0;
}
