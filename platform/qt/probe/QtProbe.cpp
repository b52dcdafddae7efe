// SPDX-License-Identifier: MIT
#include "QtProbe.h"

#include "QtAlert.h"
#include "QtClipboard.h"
#include "QtDisplay.h"
#include "QtFilePanel.h"
#include "QtKeys.h"
#include "QtMenuBar.h"
#include "QtNavigationKeys.h"
#include "QtScrollBars.h"
#include "QtWindow.h"

#include <Bitmap.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QStyle>
#include <QTreeView>
#include <QUrl>
#include <QWheelEvent>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>

using namespace BPrivate;

namespace {

constexpr auto kWatchdog = std::chrono::seconds(20);

// Asks the Qt thread; the answer lands in shared state, so a question that
// times out cannot write into a caller that has gone.
template <typename Result>
Result
Ask(QtDisplay& display, std::function<Result()> question, Result fallback)
{
	struct Answer {
		std::mutex lock;
		std::condition_variable given;
		std::optional<Result> value;
	};
	auto answer = std::make_shared<Answer>();
	display.Post([question, answer] {
		Result value = question();
		std::lock_guard<std::mutex> lock(answer->lock);
		answer->value = std::move(value);
		answer->given.notify_all();
	});
	std::unique_lock<std::mutex> lock(answer->lock);
	if (!answer->given.wait_for(lock, kWatchdog, [&] { return answer->value.has_value(); }))
		return fallback;
	return std::move(*answer->value);
}

BRect
ToBRect(const QRect& rect)
{
	return BRect(rect.left(), rect.top(), rect.right(), rect.bottom());
}

std::string
LabelOf(const QAction* action)
{
	return action->text().replace(QLatin1String("&&"), QLatin1String("&")).toStdString();
}

std::vector<MenuItemState>
ReadItems(const QList<QAction*>& actions)
{
	std::vector<MenuItemState> items;
	for (const QAction* action : actions) {
		MenuItemState item;
		item.separator = action->isSeparator();
		if (!item.separator) {
			item.id = action->data().toUInt();
			item.label = LabelOf(action);
			item.marked = action->isChecked();
			item.enabled = action->isEnabled();
			ShortcutOf(action->shortcut(), &item.shortcut, &item.modifiers);
			if (const QMenu* menu = action->menu()) {
				item.hasSubmenu = true;
				item.items = ReadItems(menu->actions());
			}
		}
		items.push_back(std::move(item));
	}
	return items;
}

// The action that carries item `itemId`, in the menus below `actions`.
QAction*
ActionOfItem(const QList<QAction*>& actions, uint32 itemId)
{
	for (QAction* action : actions) {
		if (action->isSeparator())
			continue;
		if (action->data().toUInt() == itemId)
			return action;
		if (action->menu() != nullptr) {
			if (QAction* found = ActionOfItem(action->menu()->actions(), itemId))
				return found;
		}
	}
	return nullptr;
}

// Makes the window the active one, as a click on it would.
void
Activate(QtWindow* window)
{
	window->activateWindow();
	if (QApplication::activeWindow() != window)
		QApplication::setActiveWindow(window);
}

// Asks the Qt thread to act on window `id`: B_BAD_VALUE when there is no such
// window, B_TIMED_OUT when the Qt thread does not answer. An act that times out
// may still run after the caller has gone, so it holds copies, not references.
status_t
ActOnWindow(QtDisplay& display, int32 id, std::function<status_t(QtWindow&)> act)
{
	return Ask<status_t>(
		display,
		[&display, id, act]() -> status_t {
			QtWindow* window = display.Window(id);
			if (window == nullptr)
				return B_BAD_VALUE;
			return act(*window);
		},
		B_TIMED_OUT);
}

// The same for the dialog of file panel `panelId`.
status_t
ActOnDialog(QtDisplay& display, int32 panelId, std::function<status_t(QFileDialog&)> act)
{
	return Ask<status_t>(
		display,
		[&display, panelId, act]() -> status_t {
			QtFilePanel* panel = display.Panel(panelId);
			if (panel == nullptr || panel->Dialog() == nullptr)
				return B_BAD_VALUE;
			return act(*panel->Dialog());
		},
		B_TIMED_OUT);
}

} // namespace

QtProbe::QtProbe(QtServer& server) : fServer(server)
{ }

bool
QtProbe::WaitUntil(const std::function<bool()>& predicate, bigtime_t timeout) const
{
	return fServer.Display().WaitUntil(predicate, timeout);
}

std::vector<int32>
QtProbe::Windows() const
{
	QtDisplay& display = fServer.Display();
	return Ask<std::vector<int32>>(display,
		[&display] {
			std::vector<int32> ids;
			for (QtWindow* window : display.Windows())
				ids.push_back(window->Id());
			return ids;
		},
		{});
}

std::optional<QtProbe::WindowView>
QtProbe::Window(int32 id) const
{
	QtDisplay& display = fServer.Display();
	return Ask<std::optional<WindowView>>(
		display,
		[&display, id]() -> std::optional<WindowView> {
			QtWindow* window = display.Window(id);
			if (window == nullptr)
				return std::nullopt;
			return WindowView{window->Id(), window->windowTitle().toStdString(),
				ToBRect(window->geometry()), window->isVisible(), window->isActiveWindow()};
		},
		std::nullopt);
}

QtProbe::OpenMenuView
QtProbe::OpenMenu() const
{
	return Ask<OpenMenuView>(fServer.Display(),
		[] {
			OpenMenuView view;
			if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
				view.title = menu->title().toStdString();
				if (QAction* chosen = menu->activeAction())
					view.chosen = chosen->text().toStdString();
			}
			return view;
		},
		{});
}

MenuBarState
QtProbe::MenuBar(int32 id) const
{
	QtDisplay& display = fServer.Display();
	return Ask<MenuBarState>(display,
		[&display, id] {
			MenuBarState state;
			QtWindow* window = display.Window(id);
			if (window == nullptr || window->MenuBar() == nullptr)
				return state;
			state.frame = ToBRect(window->MenuBar()->geometry());
			state.items = ReadItems(window->MenuBar()->actions());
			return state;
		},
		{});
}

status_t
QtProbe::PickMenuItem(int32 id, const std::vector<std::string>& path)
{
	return ActOnWindow(fServer.Display(), id, [path](QtWindow& window) -> status_t {
		if (window.MenuBar() == nullptr)
			return B_BAD_VALUE;
		std::vector<MenuItemState> items = ReadItems(window.MenuBar()->actions());
		const MenuItemState* item = FindMenuItem(items, path);
		if (item == nullptr)
			return B_NAME_NOT_FOUND;
		QAction* action = ActionOfItem(window.MenuBar()->actions(), item->id);
		if (action == nullptr)
			return B_NAME_NOT_FOUND;
		if (!action->isEnabled() || action->menu() != nullptr)
			return B_NOT_ALLOWED;
		action->trigger();
		return B_OK;
	});
}
status_t
QtProbe::PressShortcut(int32 id, char key, uint32 modifiers)
{
	return ActOnWindow(fServer.Display(), id, [key, modifiers](QtWindow& window) -> status_t {
		QKeySequence sequence = ShortcutSequence(key, modifiers);
		if (sequence.isEmpty())
			return B_BAD_VALUE;
		Activate(&window);
		QKeyCombination combination = sequence[0];
		QTest::keyClick(&window, combination.key(), combination.keyboardModifiers());
		return B_OK;
	});
}

status_t
QtProbe::PressKey(int32 id, char key, uint32 modifiers)
{
	return ActOnWindow(fServer.Display(), id, [key, modifiers](QtWindow& window) -> status_t {
		if (key == '\0')
			return B_BAD_VALUE;
		Qt::KeyboardModifiers qtModifiers;
		if ((modifiers & B_SHIFT_KEY) != 0)
			qtModifiers |= Qt::ShiftModifier;
		if ((modifiers & B_OPTION_KEY) != 0)
			qtModifiers |= Qt::AltModifier;
		Activate(&window);
		// A key that moves rather than types is pressed as its Qt key.
		for (int qtKey : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down, Qt::Key_PageUp,
				 Qt::Key_PageDown, Qt::Key_Home, Qt::Key_End}) {
			if (NavigationKeyByte(qtKey) == key) {
				QTest::keyClick(&window, Qt::Key(qtKey), qtModifiers);
				return B_OK;
			}
		}
		QTest::keyClick(&window, key, qtModifiers);
		return B_OK;
	});
}

status_t
QtProbe::TurnWheel(int32 id, BPoint where, float deltaY, float deltaX, uint32 modifiers)
{
	auto turn = [where, deltaY, deltaX, modifiers](QtWindow& window) -> status_t {
		// Qt counts a notch as 120 and away from the person as positive.
		QPointF position(where.x, where.y);
		QWheelEvent wheel(position, window.mapToGlobal(position), QPoint(),
			QPoint(int(-deltaX * 120), int(-deltaY * 120)), Qt::NoButton, QtModifiers(modifiers),
			Qt::NoScrollPhase, false);
		QApplication::sendEvent(&window, &wheel);
		return B_OK;
	};
	return ActOnWindow(fServer.Display(), id, turn);
}

std::vector<ScrollBarState>
QtProbe::ScrollBars(int32 id) const
{
	QtDisplay& display = fServer.Display();
	return Ask<std::vector<ScrollBarState>>(display,
		[&display, id] {
			QtWindow* window = display.Window(id);
			if (window == nullptr || window->ScrollBars() == nullptr)
				return std::vector<ScrollBarState>();
			return window->ScrollBars()->States();
		},
		{});
}

status_t
QtProbe::DragScrollBar(int32 id, orientation direction, float value)
{
	return ActOnWindow(fServer.Display(), id, [direction, value](QtWindow& window) -> status_t {
		QtScrollBars* bars = window.ScrollBars();
		if (bars == nullptr)
			return B_NAME_NOT_FOUND;
		for (const ScrollBarState& state : bars->States()) {
			if (state.direction != direction)
				continue;
			QScrollBar* bar = bars->Bar(state.id);
			if (bar == nullptr)
				return B_NAME_NOT_FOUND;
			bar->setValue(int(value));
			return B_OK;
		}
		return B_NAME_NOT_FOUND;
	});
}

status_t
QtProbe::ClickCloseBox(int32 id)
{
	return ActOnWindow(fServer.Display(), id, [](QtWindow& window) -> status_t {
		window.close();
		return B_OK;
	});
}

status_t
QtProbe::ResizeWindow(int32 id, float width, float height)
{
	return ActOnWindow(fServer.Display(), id, [width, height](QtWindow& window) -> status_t {
		if (width < 0 || height < 0)
			return B_BAD_VALUE;
		window.resize(int(width) + 1, int(height) + 1);
		return B_OK;
	});
}
status_t
QtProbe::DropFiles(int32 id, const std::vector<std::string>& paths)
{
	return ActOnWindow(fServer.Display(), id, [paths](QtWindow& window) -> status_t {
		QMimeData data;
		QList<QUrl> urls;
		for (const std::string& path : paths)
			urls.push_back(QUrl::fromLocalFile(QString::fromStdString(path)));
		data.setUrls(urls);
		QPointF where(window.width() / 2.0, window.height() / 2.0);
		QDragEnterEvent enter(
			where.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
		QApplication::sendEvent(&window, &enter);
		if (!enter.isAccepted())
			return B_NOT_ALLOWED;
		QDropEvent drop(where, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
		QApplication::sendEvent(&window, &drop);
		return drop.isAccepted() ? B_OK : B_NOT_ALLOWED;
	});
}

namespace {

// The 32-bit pixels of `image` (B, G, R, A in memory), byte for byte, as a
// B_RGBA32 bitmap; null for a null image.
std::unique_ptr<BBitmap>
BitmapFromImage(const QImage& image)
{
	if (image.isNull())
		return nullptr;
	auto bitmap = std::make_unique<BBitmap>(
		BRect(0, 0, image.width() - 1, image.height() - 1), B_RGBA32);
	if (!bitmap->IsValid())
		return nullptr;
	for (int row = 0; row < image.height(); row++) {
		memcpy(static_cast<uint8*>(bitmap->Bits()) + row * bitmap->BytesPerRow(),
			image.constScanLine(row), size_t(image.width()) * 4);
	}
	return bitmap;
}

} // namespace

std::unique_ptr<BBitmap>
QtProbe::Snapshot(int32 id) const
{
	QtDisplay& display = fServer.Display();
	QImage image = Ask<QImage>(
		display,
		[&display, id] {
			QtWindow* window = display.Window(id);
			if (window == nullptr)
				return QImage();
			return window->grab().toImage().convertToFormat(QImage::Format_ARGB32);
		},
		QImage());
	return BitmapFromImage(image);
}

std::unique_ptr<BBitmap>
QtProbe::PresentedPixels(int32 id) const
{
	QtDisplay& display = fServer.Display();
	QImage image = Ask<QImage>(
		display,
		[&display, id] {
			QtWindow* window = display.Window(id);
			return window != nullptr ? window->Pixels().copy() : QImage();
		},
		QImage());
	// The bytes as they are, fourth byte included: converting the image
	// would set that byte.
	return BitmapFromImage(image);
}

std::vector<DisplayProbe::AlertView>
QtProbe::Alerts() const
{
	QtDisplay& display = fServer.Display();
	return Ask<std::vector<AlertView>>(display,
		[&display] {
			std::vector<AlertView> views;
			for (QMessageBox* box : display.Alerts()) {
				AlertView view{box->windowTitle().toStdString(), box->text().toStdString(), {}, {}};
				QList<QAbstractButton*> buttons = box->buttons();
				std::sort(buttons.begin(), buttons.end(), [](auto* a, auto* b) {
					return a->mapToGlobal(QPoint()).x() < b->mapToGlobal(QPoint()).x();
				});
				for (QAbstractButton* button : buttons)
					view.buttons.push_back(button->text().toStdString());
				if (box->defaultButton() != nullptr)
					view.defaultButton = box->defaultButton()->text().toStdString();
				views.push_back(std::move(view));
			}
			return views;
		},
		{});
}

status_t
QtProbe::PressAlertButton(const std::string& label)
{
	QtDisplay& display = fServer.Display();
	return Ask<status_t>(
		display,
		[&display, label]() -> status_t {
			std::vector<QMessageBox*> boxes = display.Alerts();
			if (boxes.empty())
				return B_BAD_VALUE;
			for (QAbstractButton* button : boxes.back()->buttons()) {
				if (button->text().toStdString() == label) {
					// Clicked from a posted task, as a real click would come:
					// the box's nested loop may end inside the click.
					QMetaObject::invokeMethod(
						button, &QAbstractButton::click, Qt::QueuedConnection);
					return B_OK;
				}
			}
			return B_NAME_NOT_FOUND;
		},
		B_TIMED_OUT);
}

std::vector<DisplayProbe::PanelView>
QtProbe::Panels() const
{
	std::vector<PanelView> views;
	for (const DialogView& dialog : Dialogs())
		views.push_back(dialog);
	return views;
}

std::vector<QtProbe::DialogView>
QtProbe::Dialogs() const
{
	QtDisplay& display = fServer.Display();
	return Ask<std::vector<DialogView>>(display,
		[&display] {
			std::vector<DialogView> views;
			for (QtFilePanel* panel : display.Panels()) {
				QFileDialog* dialog = panel->Dialog();
				if (dialog == nullptr)
					continue;
				DialogView view;
				view.id = panel->Id();
				view.mode = dialog->acceptMode() == QFileDialog::AcceptSave ? B_SAVE_PANEL
																			: B_OPEN_PANEL;
				view.visible = dialog->isVisible();
				view.modal = dialog->isModal();
				view.multipleFiles = dialog->fileMode() == QFileDialog::ExistingFiles;
				view.directory = dialog->directory().absolutePath().toStdString();
				if (QLineEdit* field = dialog->findChild<QLineEdit*>(
						QStringLiteral("fileNameEdit")))
					view.name = field->text().toStdString();
				for (const QString& filter : dialog->nameFilters())
					view.filters.push_back(filter.toStdString());
				if (QTreeView* details = dialog->findChild<QTreeView*>()) {
					if (QAbstractItemModel* model = details->model()) {
						for (int row = 0; row < model->rowCount(details->rootIndex()); row++) {
							view.entries.push_back(model->index(row, 0, details->rootIndex())
													   .data()
													   .toString()
													   .toStdString());
						}
					}
					QHeaderView* header = details->header();
					view.columnsFit = details->model() != nullptr
						&& details->model()->rowCount(details->rootIndex()) > 0;
					for (int column = 1; column < header->count(); column++) {
						if (header->isSectionHidden(column))
							continue;
						// The heading, and each entry's text with the margins an
						// item view keeps on either side before it elides.
						int margin = 2
							* (details->style()->pixelMetric(
								   QStyle::PM_FocusFrameHMargin, nullptr, details)
								+ 1);
						int needed = header->sectionSizeHint(column);
						QAbstractItemModel* model = details->model();
						for (int row = 0; row < model->rowCount(details->rootIndex()); row++) {
							QString text =
								model->index(row, column, details->rootIndex()).data().toString();
							needed = std::max(
								needed, details->fontMetrics().horizontalAdvance(text) + margin);
						}
						view.columnsFit = view.columnsFit && header->sectionSize(column) >= needed;
					}
				}
				views.push_back(std::move(view));
			}
			return views;
		},
		{});
}

status_t
QtProbe::AcceptOpenPanel(int32 panelId, const std::vector<std::string>& paths)
{
	return ActOnDialog(fServer.Display(), panelId, [paths](QFileDialog& dialog) -> status_t {
		if (paths.empty())
			return B_BAD_VALUE;
		QFileInfo first(QString::fromStdString(paths.front()));
		dialog.setDirectory(first.absolutePath());
		QStringList names;
		for (const std::string& path : paths)
			names.push_back(QLatin1Char('"') + QFileInfo(QString::fromStdString(path)).fileName()
				+ QLatin1Char('"'));
		if (QLineEdit* field = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
			field->setText(names.size() == 1 ? QFileInfo(first).fileName() : names.join(' '));
		static_cast<QDialog&>(dialog).accept();
		return B_OK;
	});
}

status_t
QtProbe::AcceptSavePanel(int32 panelId, const std::string& directory, const std::string& name)
{
	auto accept = [directory, name](QFileDialog& dialog) -> status_t {
		dialog.setDirectory(QString::fromStdString(directory));
		if (QLineEdit* field = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
			field->setText(QString::fromStdString(name));
		static_cast<QDialog&>(dialog).accept();
		return B_OK;
	};
	return ActOnDialog(fServer.Display(), panelId, accept);
}

status_t
QtProbe::CancelPanel(int32 panelId)
{
	return ActOnDialog(fServer.Display(), panelId, [](QFileDialog& dialog) -> status_t {
		dialog.close();
		return B_OK;
	});
}

ClipboardInfo
QtProbe::Clipboard() const
{
	return Ask<ClipboardInfo>(fServer.Display(), [] { return DesktopClipboard(); }, {});
}

status_t
QtProbe::SetClipboard(const ClipboardInfo& contents)
{
	return Ask<status_t>(
		fServer.Display(),
		[contents] {
			SetDesktopClipboard(contents);
			return B_OK;
		},
		B_TIMED_OUT);
}
