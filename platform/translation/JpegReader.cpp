// SPDX-License-Identifier: MIT
#include "JpegReader.h"

#include "DecodeLimits.h"
#include "PixelRules.h"
#include "Refusal.h"

#include <cstdio>
#include <csetjmp>
#include <cstring>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

namespace BPrivate {

namespace {

// A progressive file may repeat scans without end; real files have a few
// dozen.
constexpr int kMaxScans = 1000;

struct JpegError {
	jpeg_error_mgr manager;
	jmp_buf jump;
	bool cutOff = false;
	bool damaged = false;
	char message[JMSG_LENGTH_MAX] = {};
};

// What one decode shares with libjpeg's callbacks. It lives outside the
// function that calls setjmp, so nothing with a destructor is skipped when
// libjpeg jumps back on an error.
struct JpegDecode {
	jpeg_decompress_struct info;
	JpegError error;
	jpeg_progress_mgr progress;
	bool created = false;
	std::unique_ptr<BBitmap> bitmap;
	std::vector<uint8> row;

	~JpegDecode()
	{
		if (created)
			jpeg_destroy_decompress(&info);
	}
};

[[noreturn]] void
OnError(j_common_ptr info)
{
	auto* error = reinterpret_cast<JpegError*>(info->err);
	(*info->err->format_message)(info, error->message);
	longjmp(error->jump, 1);
}

// Level -1 is a warning about damaged data, which the library has worked
// around; trace messages (level 0 and up) are ignored. Running out of data
// and losing the Huffman stream mean the picture is not what the file
// meant, so those stop the decode.
void
OnMessage(j_common_ptr info, int level)
{
	if (level >= 0)
		return;
	auto* error = reinterpret_cast<JpegError*>(info->err);
	int code = info->err->msg_code;
	if (code == JWRN_JPEG_EOF) {
		error->cutOff = true;
		longjmp(error->jump, 1);
	}
	if (code == JWRN_HUFF_BAD_CODE || code == JWRN_MUST_RESYNC) {
		error->damaged = true;
		(*info->err->format_message)(info, error->message);
		longjmp(error->jump, 1);
	}
}

void
OnOutputMessage(j_common_ptr)
{ }

void
OnProgress(j_common_ptr info)
{
	auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
	if (decompress->input_scan_number > kMaxScans) {
		auto* error = reinterpret_cast<JpegError*>(info->err);
		std::snprintf(error->message, sizeof(error->message), "more than %d scans", kMaxScans);
		longjmp(error->jump, 1);
	}
}

// Adobe's CMYK files store ink inverted (0 full, 255 none).
void
CmykRowToBgrx(const uint8* in, uint8* out, int32 width, bool inverted)
{
	for (int32 x = 0; x < width; x++, in += 4, out += 4) {
		uint8 c = in[0], m = in[1], y = in[2], k = in[3];
		if (inverted) {
			c = uint8(255 - c);
			m = uint8(255 - m);
			y = uint8(255 - y);
			k = uint8(255 - k);
		}
		out[0] = CmykToChannel(y, k);
		out[1] = CmykToChannel(m, k);
		out[2] = CmykToChannel(c, k);
		out[3] = 255;
	}
}

// The refusal for what stopped libjpeg.
Failure
LibraryFailure(const JpegError& error)
{
	if (error.cutOff || error.manager.msg_code == JERR_INPUT_EMPTY
		|| error.manager.msg_code == JERR_INPUT_EOF) {
		return Refusal::CutOff();
	}
	return Refusal::Damaged("JPEG", error.message);
}

// Decodes the image into decode.bitmap, or answers the refusal. libjpeg
// leaves through longjmp, so no object with a destructor may be alive here
// while libjpeg runs.
Result<void>
Decode(JpegDecode& decode, const ImageData& image)
{
	jpeg_decompress_struct& info = decode.info;
	if (setjmp(decode.error.jump))
		return LibraryFailure(decode.error);

	jpeg_create_decompress(&info);
	decode.created = true;
	decode.progress.progress_monitor = OnProgress;
	info.progress = &decode.progress;
	jpeg_mem_src(&info, image.data, (unsigned long)image.size);
	// Comments, profiles and EXIF data are skipped, never kept.
	jpeg_read_header(&info, TRUE);
	if (Result<void> fits = CheckImageSize(info.image_width, info.image_height); !fits)
		return fits;

	const int32 width = int32(info.image_width);
	const int32 height = int32(info.image_height);
	color_space space = B_RGB32;
	switch (info.jpeg_color_space) {
	case JCS_GRAYSCALE:
		info.out_color_space = JCS_GRAYSCALE;
		space = B_GRAY8;
		break;
	case JCS_CMYK:
	case JCS_YCCK:
		info.out_color_space = JCS_CMYK;
		break;
	default:
		// BGRX: the padding byte is 0xFF, the alpha of B_RGB32.
		info.out_color_space = JCS_EXT_BGRX;
		break;
	}
	// The library's own memory may not pass twice a colour bitmap of the
	// image plus the overhead: a progressive file keeps every coefficient
	// until the end (6 bytes a pixel for full-resolution colour, 8 for CMYK).
	const int64 pixels = int64(width) * height;
	info.mem->max_memory_to_use = long(kDecodeOverhead + size_t(pixels) * 8);
	info.dct_method = JDCT_ISLOW;

	decode.bitmap = std::make_unique<BBitmap>(
		BRect(0, 0, float(width - 1), float(height - 1)), space);
	if (!decode.bitmap->IsValid())
		return Refusal::NoMemory();
	jpeg_start_decompress(&info);
	if (int32(info.output_width) != width || int32(info.output_height) != height)
		ERREXIT(&info, JERR_IMAGE_TOO_BIG);
	const bool cmyk = info.out_color_space == JCS_CMYK;
	if (cmyk)
		decode.row.resize(size_t(width) * 4);
	auto* bits = static_cast<uint8*>(decode.bitmap->Bits());
	const int32 bytesPerRow = decode.bitmap->BytesPerRow();
	while (info.output_scanline < info.output_height) {
		uint8* target = bits + int64(info.output_scanline) * bytesPerRow;
		JSAMPROW row = cmyk ? decode.row.data() : target;
		if (jpeg_read_scanlines(&info, &row, 1) != 1)
			ERREXIT(&info, JERR_INPUT_EMPTY);
		if (cmyk)
			CmykRowToBgrx(decode.row.data(), target, width, info.saw_Adobe_marker);
	}
	// The rest of the file (markers after the image) is not read.
	jpeg_abort_decompress(&info);
	return {};
}

} // namespace

bool
JpegReader::Recognizes(const ImageData& image) const
{
	return image.size >= 3 && image.data[0] == 0xff && image.data[1] == 0xd8
		&& image.data[2] == 0xff;
}

BitmapResult
JpegReader::Read(const ImageData& image) const
{
	JpegDecode decode;
	decode.info.err = jpeg_std_error(&decode.error.manager);
	decode.error.manager.error_exit = OnError;
	decode.error.manager.emit_message = OnMessage;
	decode.error.manager.output_message = OnOutputMessage;
	if (Result<void> decoded = Decode(decode, image); !decoded)
		return decoded.TakeError();
	return std::move(decode.bitmap);
}

} // namespace BPrivate
