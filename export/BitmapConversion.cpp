#include "BitmapConversion.h"

std::unique_ptr<BBitmap>
ConvertedBitmap(const BBitmap& source, color_space space)
{
	if (!source.IsValid())
		return nullptr;
	auto converted = std::make_unique<BBitmap>(source.Bounds(), space, false, false);
	if (!converted->IsValid())
		return nullptr;
	converted->SetBits(source.Bits(), source.BitsLength(), 0, source.ColorSpace());
	return converted;
}
