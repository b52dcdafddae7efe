// SPDX-License-Identifier: MIT
#include "BitmapConversion.h"

#include <new>

BPrivate::Result<std::unique_ptr<BBitmap>>
ConvertedBitmap(const BBitmap& source, color_space space)
{
	if (!source.IsValid())
		return BPrivate::Failure(B_BAD_VALUE);
	std::unique_ptr<BBitmap> converted(
		new (std::nothrow) BBitmap(source.Bounds(), space, false, false));
	if (converted == nullptr || !converted->IsValid())
		return BPrivate::Failure(B_NO_MEMORY);
	converted->SetBits(source.Bits(), source.BitsLength(), 0, source.ColorSpace());
	return converted;
}
