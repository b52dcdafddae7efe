// Any bytes to one of the small-format readers (QUILLPIX_READER, built once
// per reader). A bitmap that comes back must be whole and within the
// limits; a refusal must say why in one line. The sanitizers catch reads
// outside the data, and libFuzzer's limits catch loops without progress and
// allocations beyond what the limits allow.

#include QUILLPIX_READER_HEADER

#include <Bitmap.h>
#include <DecodeLimits.h>
#include <TranslationUtils.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <type_traits>

namespace {

// The icon reader's PNG entries go to the PNG reader, which is fuzzed on
// its own; here they are refused.
class RefusingPngReader : public BPrivate::ImageReader {
public:
	const char* FormatName() const override { return "PNG"; }
	bool Recognizes(const BPrivate::ImageData&) const override { return false; }
	std::unique_ptr<BBitmap> Read(const BPrivate::ImageData&,
		BTranslationFailure& failure) const override
	{
		failure = {B_NO_TRANSLATOR, "has a PNG entry"};
		return nullptr;
	}
};

[[noreturn]] void Fail(const char* why)
{
	std::fprintf(stderr, "reader fault: %s\n", why);
	std::abort();
}

template<typename Reader>
const BPrivate::ImageReader& TheReader()
{
	if constexpr (std::is_constructible_v<Reader, const BPrivate::ImageReader&>) {
		static const RefusingPngReader png;
		static const Reader reader(png);
		return reader;
	} else {
		static const Reader reader;
		return reader;
	}
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	const BPrivate::ImageReader& reader = TheReader<BPrivate::QUILLPIX_READER>();
	BPrivate::ImageData image{data, size};
	reader.Recognizes(image);
	BTranslationFailure failure;
	std::unique_ptr<BBitmap> bitmap = reader.Read(image, failure);
	if (bitmap == nullptr) {
		if (failure.status == B_OK || failure.detail.empty())
			Fail("refused without a reason");
		if (failure.detail.find('\n') != std::string::npos)
			Fail("a reason of more than one line");
		return 0;
	}
	if (!bitmap->IsValid())
		Fail("an invalid bitmap");
	int64 width = bitmap->Bounds().IntegerWidth() + 1;
	int64 height = bitmap->Bounds().IntegerHeight() + 1;
	if (width < 1 || height < 1 || width * height > BPrivate::kMaxImagePixels)
		Fail("a bitmap outside the limits");
	color_space space = bitmap->ColorSpace();
	if (space != B_RGB32 && space != B_RGBA32 && space != B_GRAY8 && space != B_CMAP8)
		Fail("an unexpected colour space");
	// The first and last rows are read whole and the rest sampled, so that
	// a short pixel buffer shows without a pass over every byte of large
	// images.
	const uint8* bits = static_cast<const uint8*>(bitmap->Bits());
	int32 length = bitmap->BitsLength();
	int32 rowBytes = bitmap->BytesPerRow();
	if (length != rowBytes * int32(height))
		Fail("a pixel buffer of the wrong size");
	uint32 sum = 0;
	for (int32 i = 0; i < rowBytes; i++)
		sum += bits[i] + bits[length - rowBytes + i];
	for (int32 i = 0; i < length; i += 4093) {
		sum += bits[i];
		if (space == B_RGB32 && bits[i - i % 4 + 3] != 255)
			Fail("a B_RGB32 pixel that is not opaque");
	}
	return sum == 0xffffffff ? 1 : 0;
}
