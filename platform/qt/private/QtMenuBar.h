// SPDX-License-Identifier: MIT
#pragma once

// The key menu bar of a window as a native QMenuBar: menus, items with
// their labels, separators, check marks, enabled states and Ctrl shortcuts,
// each action holding its item's id (QAction::data) so that a choice goes
// back to the kit as that id.
//
// The kit owns the marks: a checkable action that Qt toggles on a click is
// set back at once, and only the kit's next state moves a mark.
//
// F10 in the window opens the first menu with its first item chosen, as on
// other Linux desktops; from there Qt's own menu keys apply (arrows move,
// Enter picks, Escape closes). Labels stay exactly the kit's: no mnemonics.
//
// Lives on the Qt thread, a child of its QtWindow.

#include <DisplayServer.h>

#include <QMenuBar>

#include <functional>
#include <map>

class QAction;
class QMenu;

namespace BPrivate {

class QtMenuBar : public QMenuBar {
public:
	using PickFunction = std::function<void(uint32 itemId)>;

	QtMenuBar(QWidget* parent, PickFunction picked);

	// Applies the kit's items: only marks and enabled states when the shape
	// (ids, labels, separators, shortcuts, submenus) is unchanged, which
	// keeps open menus open; otherwise rebuilds.
	void Update(const std::vector<MenuItemState>& items);

	// The action of the item with that id; null when there is none.
	QAction* ActionFor(uint32 itemId) const;

	// Opens the first enabled menu, its first enabled item chosen (F10).
	void OpenFirstMenu();

private:
	void Rebuild(const std::vector<MenuItemState>& items);
	void AddItems(QWidget* menu, const std::vector<MenuItemState>& items);
	void ApplyStates(const std::vector<MenuItemState>& items);
	void Picked(QAction* action);

	PickFunction fPicked;
	std::vector<MenuItemState> fItems;
	std::map<uint32, QAction*> fActions;
	std::map<QAction*, bool> fMarks; // checkable actions and the kit's mark
	std::vector<QObject*> fOwned; // the bar's direct menus and actions
};

} // namespace BPrivate
