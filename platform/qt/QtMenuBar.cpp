// SPDX-License-Identifier: MIT
#include "QtMenuBar.h"

#include "QtKeys.h"

#include <QAction>
#include <QMenu>
#include <QShortcut>

namespace BPrivate {

namespace {

// Labels are plain text; Qt reads '&' as a mnemonic marker.
QString
ActionText(const std::string& label)
{
	return QString::fromStdString(label).replace(QLatin1Char('&'), QLatin1String("&&"));
}

// The shape of a menu: everything but marks and enabled states.
bool
SameShape(const std::vector<MenuItemState>& a, const std::vector<MenuItemState>& b)
{
	if (a.size() != b.size())
		return false;
	for (size_t index = 0; index < a.size(); index++) {
		const MenuItemState& x = a[index];
		const MenuItemState& y = b[index];
		if (x.id != y.id || x.label != y.label || x.separator != y.separator
			|| x.shortcut != y.shortcut || x.modifiers != y.modifiers
			|| x.hasSubmenu != y.hasSubmenu || !SameShape(x.items, y.items)) {
			return false;
		}
	}
	return true;
}

// Items in a menu where any item is marked show a check box, the marked
// one checked.
bool
AnyMarked(const std::vector<MenuItemState>& items)
{
	for (const MenuItemState& item : items) {
		if (item.marked)
			return true;
	}
	return false;
}

} // namespace

QtMenuBar::QtMenuBar(QWidget* parent, PickFunction picked)
	: QMenuBar(parent), fPicked(std::move(picked))
{
	setNativeMenuBar(false);
	auto* menuKey = new QShortcut(QKeySequence(Qt::Key_F10), parent);
	menuKey->setContext(Qt::WindowShortcut);
	connect(menuKey, &QShortcut::activated, this, [this] { OpenFirstMenu(); });
	// The shortcut belongs to the window; it goes with this bar.
	connect(this, &QObject::destroyed, menuKey, &QObject::deleteLater);
}

namespace {

QAction*
FirstEnabled(const QList<QAction*>& actions)
{
	for (QAction* action : actions) {
		if (!action->isSeparator() && action->isEnabled() && action->isVisible())
			return action;
	}
	return nullptr;
}

} // namespace

void
QtMenuBar::OpenFirstMenu()
{
	QAction* first = FirstEnabled(actions());
	if (first == nullptr)
		return;
	setActiveAction(first);
	if (QMenu* menu = first->menu()) {
		if (QAction* item = FirstEnabled(menu->actions()))
			menu->setActiveAction(item);
	}
}

void
QtMenuBar::Update(const std::vector<MenuItemState>& items)
{
	if (!SameShape(items, fItems))
		Rebuild(items);
	fMarks.clear();
	ApplyStates(items);
	fItems = items;
}

QAction*
QtMenuBar::ActionFor(uint32 itemId) const
{
	auto found = fActions.find(itemId);
	return found != fActions.end() ? found->second : nullptr;
}

void
QtMenuBar::Rebuild(const std::vector<MenuItemState>& items)
{
	clear();
	fActions.clear();
	// The bar's own menus and actions go with it; the others with their menu.
	for (QObject* child : fOwned)
		delete child;
	fOwned.clear();
	AddItems(this, items);
}

void
QtMenuBar::AddItems(QWidget* menu, const std::vector<MenuItemState>& items)
{
	for (const MenuItemState& item : items) {
		if (item.separator) {
			QAction* separator = new QAction(menu);
			separator->setSeparator(true);
			if (menu == this)
				fOwned.push_back(separator);
			menu->addAction(separator);
			continue;
		}
		QAction* action = nullptr;
		if (item.hasSubmenu) {
			// The submenu's parent widget owns it and its actions.
			QMenu* submenu = new QMenu(ActionText(item.label), menu);
			if (menu == this)
				fOwned.push_back(submenu);
			AddItems(submenu, item.items);
			action = submenu->menuAction();
		} else {
			action = new QAction(ActionText(item.label), menu);
			if (menu == this)
				fOwned.push_back(action);
			action->setShortcut(ShortcutSequence(item.shortcut, item.modifiers));
			connect(action, &QAction::triggered, this, [this, action] { Picked(action); });
		}
		action->setData(QVariant::fromValue<uint>(item.id));
		menu->addAction(action);
		fActions[item.id] = action;
	}
}

void
QtMenuBar::ApplyStates(const std::vector<MenuItemState>& items)
{
	bool checkable = AnyMarked(items);
	for (const MenuItemState& item : items) {
		QAction* action = item.separator ? nullptr : ActionFor(item.id);
		if (action == nullptr)
			continue;
		action->setEnabled(item.enabled);
		if (item.hasSubmenu) {
			ApplyStates(item.items);
			continue;
		}
		action->setCheckable(checkable);
		action->setChecked(item.marked);
		if (checkable)
			fMarks[action] = item.marked;
	}
}

void
QtMenuBar::Picked(QAction* action)
{
	auto mark = fMarks.find(action);
	if (mark != fMarks.end())
		action->setChecked(mark->second);
	bool isItem = false;
	uint32 itemId = action->data().toUInt(&isItem);
	if (isItem && ActionFor(itemId) == action)
		fPicked(itemId);
}

} // namespace BPrivate
