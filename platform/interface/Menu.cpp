// SPDX-License-Identifier: MIT
#include "Menu.h"

#include "IndexedList.h"

#include <DisplayServer.h>
#include <MenuItem.h>
#include <Messenger.h>

#include <cctype>
#include <cstring>

namespace {

// Modifier keys that must agree between a key press and a shortcut.
constexpr uint32 kShortcutModifiers = B_SHIFT_KEY | B_COMMAND_KEY | B_CONTROL_KEY | B_OPTION_KEY;

// The first item of `menu` that `matches`, each item looked at before its
// submenu's items; null when none does.
template <typename Predicate>
BMenuItem*
FindInTree(const BMenu& menu, const Predicate& matches)
{
	for (int32 index = 0; index < menu.CountItems(); index++) {
		BMenuItem* item = menu.ItemAt(index);
		if (matches(*item))
			return item;
		if (BMenu* submenu = item->Submenu()) {
			if (BMenuItem* found = FindInTree(*submenu, matches))
				return found;
		}
	}
	return nullptr;
}

} // namespace

BMenu::BMenu(const char* name, menu_layout layout)
	: BMenu(BRect(0, 0, 0, 0), name, B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW, layout)
{ }

BMenu::BMenu(BRect frame, const char* name, uint32 resizingMode, uint32 flags, menu_layout layout)
	: BView(frame, name, resizingMode, flags), fLayout(layout), fSuperitem(nullptr),
	  fRadioMode(false), fEnabled(true)
{ }

BMenu::~BMenu()
{
	// Items first: an item's destructor may still ask its menu things.
	while (!fItems.empty()) {
		std::unique_ptr<BMenuItem> item = std::move(fItems.back());
		fItems.pop_back();
		item->fMenu = nullptr;
	}
}

bool
BMenu::AddItem(BMenuItem* item)
{
	return AddItem(item, CountItems());
}

bool
BMenu::AddItem(BMenuItem* item, int32 index)
{
	if (item == nullptr || item->fMenu != nullptr || index < 0 || index > CountItems())
		return false;
	fItems.insert(fItems.begin() + index, std::unique_ptr<BMenuItem>(item));
	item->fMenu = this;
	MenuChanged();
	return true;
}

bool
BMenu::AddItem(BMenu* submenu)
{
	return AddItem(submenu, CountItems());
}

bool
BMenu::AddItem(BMenu* submenu, int32 index)
{
	if (submenu == nullptr || submenu->fSuperitem != nullptr)
		return false;
	auto* item = new BMenuItem(submenu);
	if (AddItem(item, index))
		return true;
	delete item;
	return false;
}

bool
BMenu::AddSeparatorItem()
{
	return AddItem(new BSeparatorItem());
}

BMenuItem*
BMenu::RemoveItem(int32 index)
{
	if (index < 0 || index >= CountItems())
		return nullptr;
	BMenuItem* item = fItems[index].release();
	fItems.erase(fItems.begin() + index);
	item->fMenu = nullptr;
	MenuChanged();
	return item;
}

bool
BMenu::RemoveItem(BMenuItem* item)
{
	int32 index = IndexOf(item);
	return index >= 0 && RemoveItem(index) != nullptr;
}

BMenuItem*
BMenu::ItemAt(int32 index) const
{
	return BPrivate::ElementAt(fItems, index);
}

BMenu*
BMenu::SubmenuAt(int32 index) const
{
	BMenuItem* item = ItemAt(index);
	return item != nullptr ? item->Submenu() : nullptr;
}

int32
BMenu::CountItems() const
{
	return BPrivate::CountOf(fItems);
}

int32
BMenu::IndexOf(const BMenuItem* item) const
{
	return BPrivate::IndexIn(fItems, item);
}

BMenuItem*
BMenu::FindItem(const char* label) const
{
	if (label == nullptr)
		return nullptr;
	return FindInTree(*this, [label](const BMenuItem& item) {
		return !item.IsSeparator() && strcmp(item.Label(), label) == 0;
	});
}

BMenuItem*
BMenu::FindItem(uint32 command) const
{
	return FindInTree(*this, [command](const BMenuItem& item) {
		return item.Message() != nullptr && item.Command() == command;
	});
}

BMenuItem*
BMenu::FindMarked() const
{
	for (const auto& item : fItems) {
		if (item->IsMarked())
			return item.get();
	}
	return nullptr;
}

BMenuItem*
BMenu::FindItemById(uint32 id) const
{
	return FindInTree(*this, [id](const BMenuItem& item) { return item.Id() == id; });
}

BMenuItem*
BMenu::FindShortcut(char key, uint32 modifiers) const
{
	for (const auto& item : fItems) {
		if (!item->IsEnabled())
			continue;
		if (BMenu* submenu = item->Submenu()) {
			if (BMenuItem* found = submenu->FindShortcut(key, modifiers))
				return found;
			continue;
		}
		uint32 itemModifiers = 0;
		char shortcut = item->Shortcut(&itemModifiers);
		if (shortcut == 0
			|| std::tolower(static_cast<unsigned char>(shortcut))
				!= std::tolower(static_cast<unsigned char>(key))) {
			continue;
		}
		uint32 wanted = (itemModifiers | B_COMMAND_KEY) & kShortcutModifiers;
		if ((modifiers & kShortcutModifiers) == wanted)
			return item.get();
	}
	return nullptr;
}

std::vector<MenuItemState>
BMenu::ItemStates() const
{
	std::vector<MenuItemState> states;
	for (const auto& item : fItems) {
		MenuItemState state;
		state.id = item->Id();
		state.label = item->Label();
		state.separator = item->IsSeparator();
		state.marked = item->IsMarked();
		state.enabled = item->IsEnabled();
		state.shortcut = item->Shortcut(&state.modifiers);
		state.command = item->Command();
		if (const BMenu* submenu = item->Submenu()) {
			state.hasSubmenu = true;
			state.items = submenu->ItemStates();
		}
		states.push_back(std::move(state));
	}
	return states;
}

status_t
BMenu::SetTargetForItems(BHandler* target)
{
	status_t result = B_OK;
	for (const auto& item : fItems) {
		status_t status = item->SetTarget(target);
		if (status != B_OK)
			result = status;
	}
	return result;
}

status_t
BMenu::SetTargetForItems(BMessenger messenger)
{
	for (const auto& item : fItems)
		item->SetTarget(messenger);
	return B_OK;
}

void
BMenu::SetRadioMode(bool on)
{
	fRadioMode = on;
}

void
BMenu::SetEnabled(bool enabled)
{
	if (fEnabled == enabled)
		return;
	fEnabled = enabled;
	MenuChanged();
}

bool
BMenu::IsEnabled() const
{
	if (!fEnabled)
		return false;
	return fSuperitem == nullptr || fSuperitem->IsEnabled();
}

BMenu*
BMenu::Supermenu() const
{
	return fSuperitem != nullptr ? fSuperitem->Menu() : nullptr;
}

void
BMenu::MenuChanged()
{
	if (BMenu* supermenu = Supermenu())
		supermenu->MenuChanged();
}
