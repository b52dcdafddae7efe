// SPDX-License-Identifier: MIT
#pragma once

// A menu item: a label, a message sent when the item is picked, an optional
// command-key shortcut, a check mark, and optionally a submenu (owned).
// Without an explicit target an item sends its message to the window that
// holds its menu (its preferred handler).
//
// Call on the menu's window thread with the window locked (or before the
// menu is in a window).

#include <Invoker.h>
#include <SupportDefs.h>

#include <memory>
#include <string>

class BMenu;
class BWindow;

class BMenuItem : public BInvoker {
public:
	// Takes ownership of `message`. `shortcut` 0: none; `modifiers` are
	// the keys needed besides the command key (0: the command key alone).
	BMenuItem(const char* label, BMessage* message, char shortcut = 0, uint32 modifiers = 0);
	// An item holding `submenu` (owned), labelled with its name.
	explicit BMenuItem(BMenu* submenu, BMessage* message = nullptr);
	~BMenuItem() override;

	virtual void SetLabel(const char* label);
	virtual void SetEnabled(bool enabled);
	virtual void SetMarked(bool marked);
	virtual void SetShortcut(char shortcut, uint32 modifiers);

	const char* Label() const { return fLabel.c_str(); }
	bool IsEnabled() const;
	bool IsMarked() const { return fMarked; }
	// The shortcut character (0: none); its modifiers through `modifiers`.
	char Shortcut(uint32* modifiers = nullptr) const;
	BMenu* Submenu() const { return fSubmenu.get(); }
	// The menu holding this item; null before it is added.
	BMenu* Menu() const { return fMenu; }
	virtual bool IsSeparator() const { return false; }

	// Sends the message (with "when", "source" and "index" added, as on the
	// platform) to the target, or to the menu's window when no target was
	// set. B_BAD_VALUE without a message, B_NOT_ALLOWED when disabled.
	status_t Invoke(BMessage* message = nullptr) override;

	// The window holding the item's menu tree; null when there is none.
	BWindow* Window() const;
	// A process-wide unique id, by which display servers name the item.
	uint32 Id() const { return fId; }

protected:
	void Changed();

private:
	friend class BMenu;

	std::string fLabel;
	std::unique_ptr<BMenu> fSubmenu;
	BMenu* fMenu;
	char fShortcut;
	uint32 fModifiers;
	bool fMarked;
	bool fEnabled;
	uint32 fId;
};

// A line between groups of items; it has no message and cannot be picked.
class BSeparatorItem : public BMenuItem {
public:
	BSeparatorItem();
	~BSeparatorItem() override;

	void SetEnabled(bool enabled) override;
	bool IsSeparator() const override { return true; }
};
