// SPDX-License-Identifier: MIT
#include "MenuItem.h"

#include <Menu.h>
#include <OS.h>
#include <Window.h>

#include <atomic>

namespace {

std::atomic<uint32> sNextItemId{1};

} // namespace

BMenuItem::BMenuItem(const char* label, BMessage* message, char shortcut, uint32 modifiers)
	: BInvoker(message, nullptr, nullptr), fLabel(label != nullptr ? label : ""), fMenu(nullptr),
	  fShortcut(shortcut), fModifiers(modifiers), fMarked(false), fEnabled(true),
	  fId(sNextItemId.fetch_add(1))
{ }

BMenuItem::BMenuItem(BMenu* submenu, BMessage* message)
	: BInvoker(message, nullptr, nullptr),
	  fLabel(submenu != nullptr && submenu->Name() != nullptr ? submenu->Name() : ""),
	  fSubmenu(submenu), fMenu(nullptr), fShortcut(0), fModifiers(0), fMarked(false),
	  fEnabled(true), fId(sNextItemId.fetch_add(1))
{
	if (fSubmenu)
		fSubmenu->fSuperitem = this;
}

BMenuItem::~BMenuItem()
{
	if (fMenu != nullptr)
		fMenu->RemoveItem(this);
	if (fSubmenu)
		fSubmenu->fSuperitem = nullptr;
}

void
BMenuItem::SetLabel(const char* label)
{
	fLabel = label != nullptr ? label : "";
	Changed();
}

void
BMenuItem::SetEnabled(bool enabled)
{
	if (fEnabled == enabled)
		return;
	fEnabled = enabled;
	Changed();
}

void
BMenuItem::SetMarked(bool marked)
{
	if (marked && fMenu != nullptr && fMenu->IsRadioMode()) {
		for (int32 index = 0; index < fMenu->CountItems(); index++) {
			BMenuItem* other = fMenu->ItemAt(index);
			if (other != this && other->fMarked) {
				other->fMarked = false;
				other->Changed();
			}
		}
	}
	if (fMarked == marked)
		return;
	fMarked = marked;
	Changed();
}

void
BMenuItem::SetShortcut(char shortcut, uint32 modifiers)
{
	fShortcut = shortcut;
	fModifiers = modifiers;
	Changed();
}

bool
BMenuItem::IsEnabled() const
{
	if (!fEnabled)
		return false;
	return fMenu == nullptr || fMenu->IsEnabled();
}

char
BMenuItem::Shortcut(uint32* modifiers) const
{
	if (modifiers != nullptr)
		*modifiers = fModifiers;
	return fShortcut;
}

status_t
BMenuItem::Invoke(BMessage* message)
{
	if (!IsEnabled())
		return B_NOT_ALLOWED;
	BMessage* base = message != nullptr ? message : Message();
	if (base == nullptr)
		return B_BAD_VALUE;

	BMessage sent(*base);
	sent.AddInt64("when", system_time());
	sent.AddPointer("source", this);
	sent.AddInt32("index", fMenu != nullptr ? fMenu->IndexOf(this) : -1);

	if (HasTarget())
		return BInvoker::Invoke(&sent);
	BWindow* window = Window();
	if (window == nullptr)
		return B_BAD_PORT_ID;
	return BMessenger(nullptr, window).SendMessage(&sent);
}

BWindow*
BMenuItem::Window() const
{
	const BMenu* menu = fMenu;
	while (menu != nullptr) {
		if (menu->Superitem() == nullptr)
			return menu->BView::Window();
		menu = menu->Supermenu();
	}
	return nullptr;
}

void
BMenuItem::Changed()
{
	if (fMenu != nullptr)
		fMenu->MenuChanged();
}

BSeparatorItem::BSeparatorItem() : BMenuItem("", nullptr)
{
	BMenuItem::SetEnabled(false);
}

BSeparatorItem::~BSeparatorItem() = default;

void
BSeparatorItem::SetEnabled(bool)
{ }
