#include "GifReader.h"

#include "BitmapBuilder.h"
#include "DecodeLimits.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace BPrivate {

namespace {

struct GifSource {
	const ImageData* image;
	size_t position;
	bool cutOff;
};

int ReadData(GifFileType* gif, GifByteType* out, int length)
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

void Fail(BTranslationFailure& failure, int error, const GifSource& source)
{
	if (source.cutOff || error == D_GIF_ERR_READ_FAILED || error == D_GIF_ERR_EOF_TOO_SOON) {
		failure = {B_ILLEGAL_DATA, "is cut off before its first image is complete"};
		return;
	}
	const char* text = GifErrorString(error);
	failure = {B_ILLEGAL_DATA,
		std::string("is a damaged GIF file: ") + (text != nullptr ? text : "unknown error")};
}

// The rows of an interlaced image in the order the file stores them.
std::vector<int32> RowOrder(int32 height, bool interlaced)
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

} // namespace

bool GifReader::Recognizes(const ImageData& image) const
{
	return image.size >= 6
		&& (std::memcmp(image.data, "GIF87a", 6) == 0 || std::memcmp(image.data, "GIF89a", 6) == 0);
}

std::unique_ptr<BBitmap> GifReader::Read(const ImageData& image,
	BTranslationFailure& failure) const
{
	GifSource source{&image, 0, false};
	int error = 0;
	GifFile gif(DGifOpen(&source, ReadData, &error));
	if (!gif) {
		Fail(failure, error, source);
		return nullptr;
	}
	int32 transparent = NO_TRANSPARENT_COLOR;
	// Each record consumes bytes of the file, so the loop ends with it.
	for (;;) {
		GifRecordType record;
		if (DGifGetRecordType(gif.get(), &record) == GIF_ERROR) {
			Fail(failure, gif->Error, source);
			return nullptr;
		}
		if (record == TERMINATE_RECORD_TYPE) {
			failure = {B_ILLEGAL_DATA, "is a GIF file without an image"};
			return nullptr;
		}
		if (record == EXTENSION_RECORD_TYPE) {
			int code = 0;
			GifByteType* block = nullptr;
			if (DGifGetExtension(gif.get(), &code, &block) == GIF_ERROR) {
				Fail(failure, gif->Error, source);
				return nullptr;
			}
			if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr) {
				GraphicsControlBlock control;
				if (DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK)
					transparent = control.TransparentColor;
			}
			while (block != nullptr) {
				if (DGifGetExtensionNext(gif.get(), &block) == GIF_ERROR) {
					Fail(failure, gif->Error, source);
					return nullptr;
				}
			}
			continue;
		}
		if (record == IMAGE_DESC_RECORD_TYPE)
			break;
	}

	if (DGifGetImageDesc(gif.get()) == GIF_ERROR) {
		Fail(failure, gif->Error, source);
		return nullptr;
	}
	const GifImageDesc& frame = gif->Image;
	// A file that gives no screen size gets the size of its first image.
	int32 width = gif->SWidth;
	int32 height = gif->SHeight;
	if (width == 0 || height == 0) {
		width = frame.Left + frame.Width;
		height = frame.Top + frame.Height;
	}
	if (!CheckImageSize(width, height, failure))
		return nullptr;
	// Every row of the image is decoded, also those off the canvas.
	if (int64(frame.Width) * frame.Height > kMaxImagePixels) {
		CheckImageSize(frame.Width, frame.Height, failure);
		return nullptr;
	}
	const ColorMapObject* map = frame.ColorMap != nullptr ? frame.ColorMap : gif->SColorMap;
	if (map == nullptr) {
		failure = {B_ILLEGAL_DATA, "is a damaged GIF file: it has no colour table"};
		return nullptr;
	}
	// Straight B, G, R, A colours; indices past the table are opaque black.
	uint32 colors[256];
	for (int32 i = 0; i < 256; i++) {
		colors[i] = 0xff000000;
		if (i < map->ColorCount) {
			const GifColorType& color = map->Colors[i];
			colors[i] |= uint32(color.Blue) | uint32(color.Green) << 8 | uint32(color.Red) << 16;
		}
	}

	// The canvas starts transparent; the image is clipped to it.
	const size_t canvasRow = size_t(width) * 4;
	PageMemory canvas = AllocatePageMemory(canvasRow * size_t(height));
	if (!canvas) {
		failure = {B_NO_MEMORY, ""};
		return nullptr;
	}
	std::vector<GifPixelType> line(size_t(std::max(frame.Width, 1)));
	for (int32 y : RowOrder(frame.Height, frame.Interlace)) {
		if (DGifGetLine(gif.get(), line.data(), frame.Width) == GIF_ERROR) {
			Fail(failure, gif->Error, source);
			return nullptr;
		}
		int32 canvasY = frame.Top + y;
		if (canvasY >= height)
			continue;
		uint8* out = canvas.get() + size_t(canvasY) * canvasRow;
		for (int32 x = 0; x < frame.Width && frame.Left + x < width; x++) {
			if (line[size_t(x)] == transparent)
				continue;
			std::memcpy(out + 4 * (frame.Left + x), &colors[line[size_t(x)]], 4);
		}
	}
	gif.reset();
	auto bitmap = BitmapFromTrueColor(canvas.get(), int32(canvasRow), width, height,
		PixelOrigin::Palette);
	if (!bitmap)
		failure = {B_NO_MEMORY, ""};
	return bitmap;
}

} // namespace BPrivate
