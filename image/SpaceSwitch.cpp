// SPDX-License-Identifier: MIT
#include "SpaceSwitch.h"

#include "export/BitmapConversion.h"

#include <SpaceConversion.h>
#include <View.h>
#include <Window.h>

namespace {

std::unique_ptr<BBitmap>
DrawnIntoCmap8(const BBitmap& current)
{
	BRect bounds = current.Bounds();
	auto offscreen = std::make_unique<BBitmap>(bounds, B_CMAP8, true, false);
	auto result = std::make_unique<BBitmap>(bounds, B_CMAP8, false, false);
	if (!offscreen->IsValid() || !result->IsValid())
		return nullptr;

	BView* drawing = new BView(bounds, nullptr, B_FOLLOW_ALL, 0);
	offscreen->AddChild(drawing);
	if (drawing->Window()->Lock()) {
		drawing->DrawBitmap(&current, bounds);
		drawing->Window()->Unlock();
	}
	result->SetBits(offscreen->Bits(), offscreen->BitsLength(), 0, B_CMAP8);
	return result;
}

} // namespace

std::unique_ptr<BBitmap>
SwitchedBitmap(const BBitmap& current, color_space space, DitherKind dither)
{
	if (space == B_CMAP8) {
		if (dither != DitherKind::kNone)
			return DitheredBitmap(current, dither);
		return DrawnIntoCmap8(current);
	}
	if (space == B_RGB32) {
		BPrivate::Result<std::unique_ptr<BBitmap>> converted = ConvertedBitmap(current, B_RGB32);
		return converted ? std::move(converted).Value() : nullptr;
	}

	SpaceConversion conversion;
	conversion.space = space;
	if (SpaceDithers(space))
		conversion.dither = dither;
	return BitmapInSpace(current, conversion);
}
