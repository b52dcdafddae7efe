// SPDX-License-Identifier: MIT
#pragma once

// Converting a whole bitmap into another colour space by the bitmap's own
// data conversion (SetBits), as the image view, the "B_RGB32" command and the
// command-line exporter all do, so the three give the same bytes.

#include <Bitmap.h>
#include <Result.h>

#include <memory>

// A new bitmap of `source`'s bounds in `space`, every pixel converted from
// `source`; B_BAD_VALUE for a source without bits, B_NO_MEMORY when the new
// bitmap cannot be made.
BPrivate::Result<std::unique_ptr<BBitmap>> ConvertedBitmap(
	const BBitmap& source, color_space space);
