// SPDX-License-Identifier: MIT
#include "GifReader.h"

#include "BitmapBuilder.h"
#include "DecodeLimits.h"
#include "GifLzwDecoder.h"
#include "Refusal.h"

#include <PageMemory.h>

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace BPrivate {

namespace {

struct GifSource {
	const ImageData* image;
	size_t position;
	bool cutOff;
};

int
ReadData(GifFileType* gif, GifByteType* out, int length)
{
	auto* source = static_cast<GifSource*>(gif->UserData);
	size_t left = source->image->size - source->position;
	size_t count = std::min(left, size_t(length < 0 ? 0 : length));
	if (count < size_t(length))
		source->cutOff = true;
	std::memcpy(out, source->image->data + source->position, count);
	source->position += count;
	return int(count);
}

struct GifCloser {
	void operator()(GifFileType* gif) const
	{
		int error;
		DGifCloseFile(gif, &error);
	}
};

using GifFile = std::unique_ptr<GifFileType, GifCloser>;

// The refusal for the library's `error`.
Failure
LibraryFailure(int error, const GifSource& source)
{
	if (source.cutOff || error == D_GIF_ERR_READ_FAILED || error == D_GIF_ERR_EOF_TOO_SOON)
		return Refusal::CutOff();
	const char* text = GifErrorString(error);
	return Refusal::Damaged("GIF", text != nullptr ? text : "unknown error");
}

// The rows of an interlaced image in the order the file stores them.
std::vector<int32>
RowOrder(int32 height, bool interlaced)
{
	std::vector<int32> order;
	order.reserve(size_t(height));
	if (!interlaced) {
		for (int32 y = 0; y < height; y++)
			order.push_back(y);
		return order;
	}
	const int32 starts[] = {0, 4, 2, 1};
	const int32 steps[] = {8, 8, 4, 2};
	for (int pass = 0; pass < 4; pass++) {
		for (int32 y = starts[pass]; y < height; y += steps[pass])
			order.push_back(y);
	}
	return order;
}

// The bytes of an image descriptor after its ',': left, top, width, height
// and the flags.
constexpr size_t kDescriptorBytes = 9;
// The largest LZW minimum code size there is: codes are at most 12 bits.
constexpr int kMaxLzwCodeSize = GifLzwDecoder::kMaxCodeSize;
// B, G, R, A of an index past the colour table.
constexpr uint32 kBlack = 0xff000000;

// Draws the images of the first frame onto a canvas of the logical
// screen's size that starts transparent. Images shown without a delay (or
// without a graphic control extension) belong to the same frame as the
// image after them, as the GIF test suites have it; the frame ends with the
// first image that has a delay, or with the file. A file with a screen and
// no image gives the empty screen.
class FrameComposer {
public:
	FrameComposer(GifFileType* gif, GifSource& source) : fGif(gif), fSource(source) { }

	Result<void> Compose();
	BitmapResult Bitmap();

private:
	// What reading an image leaves to do.
	enum class Next {
		NextImage,
		FrameEnds
	};

	Result<void> ReadExtension();
	Result<void> StartCanvas();
	Result<Next> DrawImage();
	Failure CodeSizeFailure(int codeSize) const;
	Result<void> ReadImageData(std::vector<uint8>& data);
	Failure DataFailure(GifLzwDecoder::Status status) const;
	Result<Next> SkipEmptyImage(bool descriptorComplete);
	void EndImage(const GifImageDesc& image);
	void Dispose();

	GifFileType* fGif;
	GifSource& fSource;
	int32 fWidth = 0;
	int32 fHeight = 0;
	size_t fRowBytes = 0;
	PageMemory fCanvas;
	int32 fImages = 0;
	// Pixels decoded so far: every row of every image costs, drawn or not.
	int64 fDecoded = 0;
	GraphicsControlBlock fControl = {};
	bool fHasControl = false;
	// What the last image asked to be done with its area before the next.
	int fPendingDisposal = DISPOSAL_UNSPECIFIED;
	GifImageDesc fPendingArea = {};
	std::vector<uint8> fSaved;
};

Result<void>
FrameComposer::Compose()
{
	// Each record consumes bytes of the file, so the loop ends with it.
	for (;;) {
		GifRecordType record;
		if (DGifGetRecordType(fGif, &record) == GIF_ERROR) {
			// Between records, after a whole image: what is there is the frame.
			if (fImages > 0)
				return {};
			return LibraryFailure(fGif->Error, fSource);
		}
		if (record == TERMINATE_RECORD_TYPE) {
			if (fImages > 0)
				return {};
			if (fGif->SWidth > 0 && fGif->SHeight > 0)
				return StartCanvas();
			return Refusal::WithoutImage("GIF");
		}
		if (record == EXTENSION_RECORD_TYPE) {
			if (Result<void> extension = ReadExtension(); !extension)
				return extension;
			continue;
		}
		if (record != IMAGE_DESC_RECORD_TYPE)
			continue;
		Result<Next> next = DrawImage();
		if (!next)
			return next.TakeError();
		if (next.Value() == Next::FrameEnds)
			return {};
		if (fHasControl && fControl.DelayTime > 0)
			return {};
		fHasControl = false;
	}
}

Result<void>
FrameComposer::ReadExtension()
{
	int code = 0;
	GifByteType* block = nullptr;
	if (DGifGetExtension(fGif, &code, &block) == GIF_ERROR)
		return LibraryFailure(fGif->Error, fSource);
	if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr
		&& DGifExtensionToGCB(block[0], block + 1, &fControl) == GIF_OK) {
		fHasControl = true;
	}
	while (block != nullptr) {
		if (DGifGetExtensionNext(fGif, &block) == GIF_ERROR)
			return LibraryFailure(fGif->Error, fSource);
	}
	return {};
}

Result<void>
FrameComposer::StartCanvas()
{
	const GifImageDesc& image = fGif->Image;
	// A file that gives no screen size gets the size of its first image.
	fWidth = fGif->SWidth;
	fHeight = fGif->SHeight;
	if (fWidth == 0 || fHeight == 0) {
		fWidth = image.Left + image.Width;
		fHeight = image.Top + image.Height;
	}
	if (Result<void> fits = CheckImageSize(fWidth, fHeight); !fits)
		return fits;
	fRowBytes = size_t(fWidth) * 4;
	fCanvas = AllocatePageMemory(fRowBytes * size_t(fHeight));
	if (!fCanvas)
		return Refusal::NoMemory();
	return {};
}

void
FrameComposer::Dispose()
{
	const GifImageDesc& area = fPendingArea;
	const int32 columns = std::max(0, std::min(area.Width, fWidth - area.Left));
	for (int32 y = area.Top; columns > 0 && y < area.Top + area.Height && y < fHeight; y++) {
		uint8* row = fCanvas.get() + size_t(y) * fRowBytes + size_t(area.Left) * 4;
		if (fPendingDisposal == DISPOSE_BACKGROUND) {
			std::memset(row, 0, size_t(columns) * 4);
		} else if (fPendingDisposal == DISPOSE_PREVIOUS && !fSaved.empty()) {
			std::memcpy(row, fSaved.data() + size_t(y - area.Top) * size_t(area.Width) * 4,
				size_t(columns) * 4);
		}
	}
	fPendingDisposal = DISPOSAL_UNSPECIFIED;
	fSaved.clear();
}

Result<FrameComposer::Next>
FrameComposer::DrawImage()
{
	const size_t start = fSource.position;
	// Set when the library leaves the image's data to us.
	int lzwCodeSize = 0;
	if (DGifGetImageDesc(fGif) == GIF_ERROR) {
		// The library fails an image whose colour table or data is missing
		// even when the image has no pixels to take from them.
		const bool described = fSource.position >= start + kDescriptorBytes;
		if (described && (fGif->Image.Width == 0 || fGif->Image.Height == 0))
			return SkipEmptyImage(false);
		if (!described || fSource.cutOff || fGif->Error != D_GIF_ERR_READ_FAILED)
			return LibraryFailure(fGif->Error, fSource);
		// The library's answer to an LZW code size over 8 bits, which it
		// does not decode, having read all of the descriptor; the size is
		// the last byte it read, and the image's data is decoded here.
		lzwCodeSize = fSource.image->data[fSource.position - 1];
		if (lzwCodeSize < GifLzwDecoder::kMinCodeSize)
			return LibraryFailure(fGif->Error, fSource);
		if (lzwCodeSize > kMaxLzwCodeSize)
			return CodeSizeFailure(lzwCodeSize);
	}
	const GifImageDesc image = fGif->Image;
	if (image.Width == 0 || image.Height == 0)
		return SkipEmptyImage(true);
	if (fImages == 0) {
		if (Result<void> canvas = StartCanvas(); !canvas)
			return canvas.TakeError();
	}
	// Every row of an image is decoded, also those off the canvas; the
	// images of one frame together may decode twice the limit.
	fDecoded += int64(image.Width) * image.Height;
	if (int64(image.Width) * image.Height > kMaxImagePixels)
		return CheckImageSize(image.Width, image.Height).TakeError();
	if (fDecoded > 2 * kMaxImagePixels)
		return Refusal::FrameTooLarge("GIF");
	const ColorMapObject* map = image.ColorMap != nullptr ? image.ColorMap : fGif->SColorMap;
	if (map == nullptr)
		return Refusal::Damaged("GIF", "it has no colour table");
	// Straight B, G, R, A colours; indices past the table are opaque black.
	uint32 colors[256];
	for (int32 i = 0; i < 256; i++) {
		colors[i] = 0xff000000;
		if (i < map->ColorCount) {
			const GifColorType& color = map->Colors[i];
			colors[i] |= uint32(color.Blue) | uint32(color.Green) << 8 | uint32(color.Red) << 16;
		}
	}
	const int32 transparent = fHasControl ? fControl.TransparentColor : NO_TRANSPARENT_COLOR;

	Dispose();
	const int32 left = image.Left, top = image.Top;
	const int32 columns = std::max(0, std::min(image.Width, fWidth - left));
	if (fHasControl && fControl.DisposalMode == DISPOSE_PREVIOUS) {
		// Kept to be put back before the next image.
		fSaved.assign(size_t(image.Width) * size_t(std::max(image.Height, 0)) * 4, 0);
		for (int32 y = top; columns > 0 && y < top + image.Height && y < fHeight; y++) {
			std::memcpy(fSaved.data() + size_t(y - top) * size_t(image.Width) * 4,
				fCanvas.get() + size_t(y) * fRowBytes + size_t(left) * 4, size_t(columns) * 4);
		}
	}
	// Each row as it is read; indices of the wide code sizes may pass 255.
	std::vector<GifPixelType> narrow(size_t(std::max(image.Width, 1)));
	std::vector<uint16> wide(lzwCodeSize > 0 ? narrow.size() : 0);
	std::vector<uint8> data;
	std::unique_ptr<GifLzwDecoder> decoder;
	if (lzwCodeSize > 0) {
		if (Result<void> read = ReadImageData(data); !read)
			return read.TakeError();
		decoder = std::make_unique<GifLzwDecoder>(lzwCodeSize, data.data(), data.size());
	}
	const auto draw = [&](uint8* out, const auto& line) {
		for (int32 x = 0; x < columns; x++) {
			const uint32 index = line[size_t(x)];
			if (int32(index) != transparent)
				std::memcpy(out + 4 * (left + x), index < 256 ? &colors[index] : &kBlack, 4);
		}
	};
	for (int32 y : RowOrder(image.Height, image.Interlace)) {
		if (decoder) {
			const GifLzwDecoder::Status status = decoder->Read(wide.data(), size_t(image.Width));
			if (status != GifLzwDecoder::Status::Ok)
				return DataFailure(status);
		} else if (DGifGetLine(fGif, narrow.data(), image.Width) == GIF_ERROR) {
			return LibraryFailure(fGif->Error, fSource);
		}
		if (top + y >= fHeight)
			continue;
		uint8* out = fCanvas.get() + size_t(top + y) * fRowBytes;
		if (decoder)
			draw(out, wide);
		else
			draw(out, narrow);
	}
	EndImage(image);
	return Next::NextImage;
}

Failure
FrameComposer::CodeSizeFailure(int codeSize) const
{
	return Refusal::Damaged("GIF",
		"its LZW code size " + std::to_string(codeSize) + " is larger than "
			+ std::to_string(kMaxLzwCodeSize));
}

// The data sub-blocks of the image whose descriptor was just read, joined.
Result<void>
FrameComposer::ReadImageData(std::vector<uint8>& data)
{
	GifByteType* block = nullptr;
	for (;;) {
		if (DGifGetCodeNext(fGif, &block) == GIF_ERROR)
			return LibraryFailure(fGif->Error, fSource);
		if (block == nullptr)
			return {};
		data.insert(data.end(), block + 1, block + 1 + block[0]);
	}
}

// The refusal for data our own decoder could not decode, as the library's
// would be for the same fault.
Failure
FrameComposer::DataFailure(GifLzwDecoder::Status status) const
{
	switch (status) {
	case GifLzwDecoder::Status::EndTooSoon:
		return LibraryFailure(D_GIF_ERR_EOF_TOO_SOON, fSource);
	case GifLzwDecoder::Status::DataEnds:
		return LibraryFailure(D_GIF_ERR_IMAGE_DEFECT, fSource);
	case GifLzwDecoder::Status::InvalidCode:
	case GifLzwDecoder::Status::Ok:
		break;
	}
	return Refusal::Damaged("GIF", "its image data holds a code not yet in its LZW table");
}

// An image without width or height draws nothing, so neither its colour
// table nor its data matter to the frame: when the library could not read
// them (`descriptorComplete` false), the frame ends with this image, as it
// stands; otherwise its data blocks are passed over unread.
Result<FrameComposer::Next>
FrameComposer::SkipEmptyImage(bool descriptorComplete)
{
	const GifImageDesc image = fGif->Image;
	if (fImages == 0) {
		if (Result<void> canvas = StartCanvas(); !canvas)
			return canvas.TakeError();
	}
	Dispose();
	EndImage(image);
	if (!descriptorComplete)
		return Next::FrameEnds;
	GifByteType* block = nullptr;
	do {
		if (DGifGetCodeNext(fGif, &block) == GIF_ERROR)
			return Next::FrameEnds;
	} while (block != nullptr);
	return Next::NextImage;
}

void
FrameComposer::EndImage(const GifImageDesc& image)
{
	fImages++;
	fPendingDisposal = fHasControl ? fControl.DisposalMode : DISPOSAL_UNSPECIFIED;
	fPendingArea = image;
	fPendingArea.ColorMap = nullptr;
}

BitmapResult
FrameComposer::Bitmap()
{
	auto bitmap = BitmapFromTrueColor(
		fCanvas.get(), int32(fRowBytes), fWidth, fHeight, PixelOrigin::Palette);
	if (!bitmap)
		return Refusal::NoMemory();
	return bitmap;
}

} // namespace

bool
GifReader::Recognizes(const ImageData& image) const
{
	return image.size >= 6
		&& (std::memcmp(image.data, "GIF87a", 6) == 0 || std::memcmp(image.data, "GIF89a", 6) == 0);
}

BitmapResult
GifReader::Read(const ImageData& image) const
{
	GifSource source{&image, 0, false};
	int error = 0;
	GifFile gif(DGifOpen(&source, ReadData, &error));
	if (!gif)
		return LibraryFailure(error, source);
	FrameComposer composer(gif.get(), source);
	if (Result<void> frame = composer.Compose(); !frame)
		return frame.TakeError();
	gif.reset();
	return composer.Bitmap();
}

} // namespace BPrivate
