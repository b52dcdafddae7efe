// SPDX-License-Identifier: MIT
#pragma once

// The TIFF images whose samples the kit converts by its own pixel rules,
// read row by row: grey, RGB and CMYK in strips of 8 or 16 bits a sample,
// with or without alpha. Associated alpha is made straight from the samples
// at their full depth, in the one rounding of Unpremultiply (PixelRules.h),
// so it loses no more than it must; other 16-bit samples are rounded. Other
// kinds go through libtiff's RGBA interface (TiffReader.cpp). Private to the
// translation kit; any thread.

#include <Bitmap.h>
#include <Result.h>
#include <SupportDefs.h>

#include <memory>

typedef struct tiff TIFF;

namespace BPrivate {

struct TiffLayout {
	int32 width = 0;
	int32 height = 0;
	uint16 photometric = 0;
	uint16 samples = 1;
	uint16 bits = 1;
	uint16 sampleFormat = 1;
	uint16 planar = 1;
	uint16 inkSet = 1;
	uint16 extraCount = 0;
	uint16 firstExtra = 0;
	bool tiled = false;
};

class TiffRowReader {
public:
	// True when the image is of a kind Read handles.
	static bool Handles(const TiffLayout& layout);

	// The image, never null, or the refusal of memory not given; or, when
	// the library could not read a row, a failure with B_ILLEGAL_DATA and no
	// detail: the library's message went to its error handler, where the
	// caller finds it.
	static Result<std::unique_ptr<BBitmap>> Read(TIFF* tiff, const TiffLayout& layout);
};

} // namespace BPrivate
