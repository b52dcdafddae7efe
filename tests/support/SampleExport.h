// SPDX-License-Identifier: MIT
#pragma once

// The bitmap the file-situation and failing-disk tables export, and the text
// a successful export of it writes.

#include "export/FormatBitmapSource.h"

#include <Bitmap.h>

#include <memory>
#include <string>

namespace testsupport {

// A 64 x 64 B_RGB32 bitmap: about 100 kB of text, many buffers' worth.
inline std::unique_ptr<BBitmap>
MakeSampleBitmap()
{
	auto bitmap = std::make_unique<BBitmap>(BRect(0, 0, 63, 63), B_RGB32);
	uint8* bits = static_cast<uint8*>(bitmap->Bits());
	for (int32 index = 0; index < bitmap->BitsLength(); index++)
		bits[index] = uint8(index * 7);
	return bitmap;
}

inline std::string
SampleTextOf(const BBitmap& bitmap, const char* iconName)
{
	std::string text;
	BRect bounds = bitmap.Bounds();
	FormatBitmapSource(iconName, bounds.left, bounds.top, bounds.right, bounds.bottom,
		bitmap.ColorSpace(), static_cast<const uint8*>(bitmap.Bits()), bitmap.BitsLength(),
		[&](const char* piece, size_t length) {
			text.append(piece, length);
			return ssize_t(length);
		});
	return text;
}

} // namespace testsupport
