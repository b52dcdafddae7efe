// SPDX-License-Identifier: MIT
#include "WebpReader.h"

#include "BitmapBuilder.h"
#include "DecodeLimits.h"
#include "Refusal.h"

#include <PageMemory.h>

#include <webp/decode.h>
#include <webp/demux.h>

#include <cstring>

namespace BPrivate {

namespace {

struct DemuxDeleter {
	void operator()(WebPDemuxer* demux) const { WebPDemuxDelete(demux); }
};

// The first frame, released with the reader.
class FirstFrame {
public:
	explicit FirstFrame(const WebPDemuxer* demux)
	{
		fValid = WebPDemuxGetFrame(demux, 1, &fIterator) != 0;
	}
	~FirstFrame() { WebPDemuxReleaseIterator(&fIterator); }
	FirstFrame(const FirstFrame&) = delete;
	FirstFrame& operator=(const FirstFrame&) = delete;

	bool IsValid() const { return fValid; }
	const WebPIterator& Get() const { return fIterator; }

private:
	WebPIterator fIterator = {};
	bool fValid = false;
};

const char*
StatusText(VP8StatusCode status)
{
	switch (status) {
	case VP8_STATUS_OUT_OF_MEMORY:
		return "out of memory";
	case VP8_STATUS_INVALID_PARAM:
		return "invalid parameter";
	case VP8_STATUS_BITSTREAM_ERROR:
		return "bitstream error";
	case VP8_STATUS_UNSUPPORTED_FEATURE:
		return "unsupported feature";
	case VP8_STATUS_SUSPENDED:
		return "suspended";
	case VP8_STATUS_USER_ABORT:
		return "aborted";
	case VP8_STATUS_NOT_ENOUGH_DATA:
		return "not enough data";
	default:
		return "unknown error";
	}
}

} // namespace

bool
WebpReader::Recognizes(const ImageData& image) const
{
	return image.size >= 12 && std::memcmp(image.data, "RIFF", 4) == 0
		&& std::memcmp(image.data + 8, "WEBP", 4) == 0;
}

BitmapResult
WebpReader::Read(const ImageData& image) const
{
	WebPData data{image.data, image.size};
	WebPDemuxState state = WEBP_DEMUX_PARSE_ERROR;
	std::unique_ptr<WebPDemuxer, DemuxDeleter> demux(WebPDemuxPartial(&data, &state));
	if (!demux || state == WEBP_DEMUX_PARSE_ERROR)
		return Refusal::Damaged("WebP");
	if (state == WEBP_DEMUX_PARSING_HEADER)
		return Refusal::CutOff();
	const int64 width = WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_WIDTH);
	const int64 height = WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_HEIGHT);
	if (Result<void> fits = CheckImageSize(width, height); !fits)
		return fits.TakeError();
	FirstFrame frame(demux.get());
	if (!frame.IsValid() || !frame.Get().complete)
		return state == WEBP_DEMUX_DONE ? Refusal::WithoutImage("WebP") : Refusal::CutOff();
	const WebPIterator& first = frame.Get();
	if (first.x_offset < 0 || first.y_offset < 0 || first.width <= 0 || first.height <= 0
		|| first.x_offset + first.width > width || first.y_offset + first.height > height) {
		return Refusal::Damaged("WebP", "its first frame lies off the canvas");
	}

	// The canvas starts transparent; the first frame has nothing to blend
	// with, so it is decoded straight into its place.
	const size_t canvasRow = size_t(width) * 4;
	PageMemory canvas = AllocatePageMemory(canvasRow * size_t(height));
	if (!canvas)
		return Refusal::NoMemory();
	uint8* origin = canvas.get() + size_t(first.y_offset) * canvasRow + size_t(first.x_offset) * 4;
	size_t room = canvasRow * size_t(height) - size_t(origin - canvas.get());
	WebPDecoderConfig config;
	if (!WebPInitDecoderConfig(&config))
		return Refusal::LibraryCannotRead("WebP");
	config.output.colorspace = MODE_BGRA;
	config.output.is_external_memory = 1;
	config.output.u.RGBA.rgba = origin;
	config.output.u.RGBA.stride = int(canvasRow);
	config.output.u.RGBA.size = room;
	VP8StatusCode status = WebPDecode(first.fragment.bytes, first.fragment.size, &config);
	WebPFreeDecBuffer(&config.output);
	if (status == VP8_STATUS_NOT_ENOUGH_DATA)
		return Refusal::CutOff();
	if (status != VP8_STATUS_OK)
		return Refusal::Damaged("WebP", StatusText(status));
	auto bitmap = BitmapFromTrueColor(
		canvas.get(), int32(canvasRow), int32(width), int32(height), PixelOrigin::TrueColor);
	if (!bitmap)
		return Refusal::NoMemory();
	return bitmap;
}

} // namespace BPrivate
