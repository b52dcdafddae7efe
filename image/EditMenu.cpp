// SPDX-License-Identifier: MIT
#include "EditMenu.h"

#include "app/commands/Commands.h"

#include <Application.h>
#include <InterfaceDefs.h>
#include <Menu.h>
#include <MenuItem.h>

BMenu*
BuildEditMenu()
{
	auto* editMenu = new BMenu("Edit", B_ITEMS_IN_COLUMN);
	editMenu->AddItem(new BMenuItem("Copy as source code", new BMessage(kMsgCopySource), 'C', 0));
	editMenu->AddItem(new BMenuItem("Copy image", new BMessage(kMsgCopyImage), 'C', B_SHIFT_KEY));
	editMenu->AddSeparatorItem();
	auto* pasteItem = new BMenuItem("Paste as new image", new BMessage(kMsgPasteNewImage), 'V', 0);
	pasteItem->SetTarget(be_app);
	editMenu->AddItem(pasteItem);
	return editMenu;
}
