// SPDX-License-Identifier: MIT
#include "ImageMenu.h"

#include "app/commands/Commands.h"

#include <Menu.h>
#include <MenuItem.h>

#include <iterator>

namespace {

struct DitherItem {
	const char* label;
	uint32 command;
	DitherKind kind;
};

constexpr DitherItem kDitherItems[] = {
	{"None", kMsgDitherNone, DitherKind::kNone},
	{"Floyd\xE2\x80\x93Steinberg", kMsgDitherFloydSteinberg, DitherKind::kFloydSteinberg},
	{"Ordered", kMsgDitherOrdered, DitherKind::kOrdered},
};

} // namespace

BMenu*
ImageMenu::Build(bool canRevert)
{
	static_assert(std::size(kDitherItems) == std::size(decltype(fDitherItems){}));
	auto* imageMenu = new BMenu("Image", B_ITEMS_IN_COLUMN);
	auto* ditherMenu = new BMenu("Dithering", B_ITEMS_IN_COLUMN);
	ditherMenu->SetRadioMode(true);
	for (size_t index = 0; index < std::size(kDitherItems); index++) {
		fDitherItems[index] = new BMenuItem(
			kDitherItems[index].label, new BMessage(kDitherItems[index].command), 0, 0);
		fDitherItems[index]->SetMarked(kDitherItems[index].kind == fDither);
		ditherMenu->AddItem(fDitherItems[index]);
	}
	imageMenu->AddItem(new BMenuItem(ditherMenu, nullptr));
	imageMenu->AddSeparatorItem();
	auto* revertItem = new BMenuItem("Revert to file", new BMessage(kMsgRevertToFile), 0, 0);
	revertItem->SetEnabled(canRevert);
	imageMenu->AddItem(revertItem);
	return imageMenu;
}

bool
ImageMenu::ChooseDither(uint32 command)
{
	const DitherItem* chosen = nullptr;
	for (const DitherItem& item : kDitherItems) {
		if (item.command == command)
			chosen = &item;
	}
	if (chosen == nullptr)
		return false;
	fDither = chosen->kind;
	for (size_t index = 0; index < std::size(kDitherItems); index++)
		fDitherItems[index]->SetMarked(&kDitherItems[index] == chosen);
	return true;
}
