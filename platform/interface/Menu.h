// SPDX-License-Identifier: MIT
#pragma once

// A menu: a list of items (BMenuItem), some of which hold submenus. A menu
// owns its items, and an item owns its submenu. Menus are data here: the
// display server shows them (natively, or not at all when headless), and
// picks come back to the window, which invokes the item.
//
// Call a menu's functions on its window's thread with the window locked
// (or before the menu is attached to a window). Changes reach the display
// server at once.

#include <InterfaceDefs.h>
#include <View.h>

#include <memory>
#include <vector>

class BHandler;
class BLooper;
class BMenuItem;
class BMessenger;
struct MenuItemState;

class BMenu : public BView {
public:
	explicit BMenu(const char* name, menu_layout layout = B_ITEMS_IN_COLUMN);
	~BMenu() override;

	// Takes ownership. False (and nothing taken) for a null item, an item
	// that is in a menu already, or an index out of range.
	bool AddItem(BMenuItem* item);
	bool AddItem(BMenuItem* item, int32 index);
	// Adds an item holding `submenu`, labelled with the submenu's name.
	bool AddItem(BMenu* submenu);
	bool AddItem(BMenu* submenu, int32 index);
	bool AddSeparatorItem();
	// Take the item out; the caller owns it afterwards.
	BMenuItem* RemoveItem(int32 index);
	bool RemoveItem(BMenuItem* item);

	BMenuItem* ItemAt(int32 index) const;
	BMenu* SubmenuAt(int32 index) const;
	int32 CountItems() const;
	int32 IndexOf(const BMenuItem* item) const;
	// Search this menu and its submenus, depth first; null when absent.
	BMenuItem* FindItem(const char* label) const;
	BMenuItem* FindItem(uint32 command) const;
	// The first marked item of this menu (not of submenus).
	BMenuItem* FindMarked() const;
	// The item with that BMenuItem::Id(), here or in a submenu.
	BMenuItem* FindItemById(uint32 id) const;
	// The first enabled item, here or in an enabled item's submenu, whose
	// shortcut is `key` (either case) pressed with exactly its modifiers
	// and the command key among `modifiers` (shift, command, control and
	// option count; the others are ignored). Null when none matches.
	BMenuItem* FindShortcut(char key, uint32 modifiers) const;
	// The items as the display server sees them, submenus included.
	std::vector<MenuItemState> ItemStates() const;

	// Sets the target of every item of this menu.
	status_t SetTargetForItems(BHandler* target);
	status_t SetTargetForItems(BMessenger messenger);

	// In radio mode, marking an item unmarks the others of the menu.
	virtual void SetRadioMode(bool on);
	bool IsRadioMode() const { return fRadioMode; }
	virtual void SetEnabled(bool enabled);
	bool IsEnabled() const;

	menu_layout Layout() const { return fLayout; }
	// The item holding this menu, and the menu that holds that item.
	BMenuItem* Superitem() const { return fSuperitem; }
	BMenu* Supermenu() const;

protected:
	BMenu(BRect frame, const char* name, uint32 resizingMode, uint32 flags, menu_layout layout);

	// Called whenever the menu or an item of it (submenus included)
	// changed; passes the news up to the menu bar's window.
	virtual void MenuChanged();

private:
	friend class BMenuItem;
	friend class BMenuBar;

	std::vector<std::unique_ptr<BMenuItem>> fItems;
	menu_layout fLayout;
	BMenuItem* fSuperitem;
	bool fRadioMode;
	bool fEnabled;
};
