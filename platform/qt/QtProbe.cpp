#include "QtProbe.h"

#include "QtAlert.h"
#include "QtDisplay.h"
#include "QtFilePanel.h"
#include "QtKeys.h"
#include "QtMenuBar.h"
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
template<typename Result>
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

QAction*
FindAction(const QList<QAction*>& actions, const std::vector<std::string>& path, size_t depth)
{
	for (QAction* action : actions) {
		if (action->isSeparator() || LabelOf(action) != path[depth])
			continue;
		if (depth + 1 == path.size())
			return action;
		if (action->menu() != nullptr)
			return FindAction(action->menu()->actions(), path, depth + 1);
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

} // namespace

QtProbe::QtProbe(QtServer& server)
	:
	fServer(server)
{
}

bool
QtProbe::WaitUntil(const std::function<bool()>& predicate, bigtime_t timeout) const
{
	return fServer.Display().WaitUntil(predicate, timeout);
}

std::vector<QtProbe::WindowView>
QtProbe::Windows() const
{
	QtDisplay& display = fServer.Display();
	return Ask<std::vector<WindowView>>(display, [&display] {
		std::vector<WindowView> views;
		for (QtWindow* window : display.Windows()) {
			views.push_back(WindowView{window->Id(), window->windowTitle().toStdString(),
				ToBRect(window->geometry()), window->isVisible(), window->isActiveWindow()});
		}
		return views;
	}, {});
}

std::optional<QtProbe::WindowView>
QtProbe::Window(int32 id) const
{
	for (const WindowView& view : Windows()) {
		if (view.id == id)
			return view;
	}
	return std::nullopt;
}

QtProbe::OpenMenuView
QtProbe::OpenMenu() const
{
	return Ask<OpenMenuView>(fServer.Display(), [] {
		OpenMenuView view;
		if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
			view.title = menu->title().toStdString();
			if (QAction* chosen = menu->activeAction())
				view.chosen = chosen->text().toStdString();
		}
		return view;
	}, {});
}

MenuBarState
QtProbe::MenuBar(int32 id) const
{
	QtDisplay& display = fServer.Display();
	return Ask<MenuBarState>(display, [&display, id] {
		MenuBarState state;
		QtWindow* window = display.Window(id);
		if (window == nullptr || window->MenuBar() == nullptr)
			return state;
		state.frame = ToBRect(window->MenuBar()->geometry());
		state.items = ReadItems(window->MenuBar()->actions());
		return state;
	}, {});
}

status_t
QtProbe::TriggerMenuItem(int32 id, const std::vector<std::string>& path)
{
	QtDisplay& display = fServer.Display();
	return Ask<status_t>(display, [&display, id, path]() -> status_t {
		QtWindow* window = display.Window(id);
		if (window == nullptr || window->MenuBar() == nullptr)
			return B_BAD_VALUE;
		QAction* action = path.empty() ? nullptr
			: FindAction(window->MenuBar()->actions(), path, 0);
		if (action == nullptr)
			return B_NAME_NOT_FOUND;
		if (!action->isEnabled() || action->menu() != nullptr)
			return B_NOT_ALLOWED;
		action->trigger();
		return B_OK;
	}, B_TIMED_OUT);
}

status_t
QtProbe::PressShortcut(int32 id, char key, uint32 modifiers)
{
	QtDisplay& display = fServer.Display();
	return Ask<status_t>(display, [&display, id, key, modifiers]() -> status_t {
		QtWindow* window = display.Window(id);
		if (window == nullptr)
			return B_BAD_VALUE;
		QKeySequence sequence = ShortcutSequence(key, modifiers);
		if (sequence.isEmpty())
			return B_BAD_VALUE;
		Activate(window);
		QKeyCombination combination = sequence[0];
		QTest::keyClick(window, combination.key(), combination.keyboardModifiers());
		return B_OK;
	}, B_TIMED_OUT);
}

status_t
QtProbe::CloseWindow(int32 id)
{
	QtDisplay& display = fServer.Display();
	return Ask<status_t>(display, [&display, id]() -> status_t {
		QtWindow* window = display.Window(id);
		if (window == nullptr)
			return B_BAD_VALUE;
		window->close();
		return B_OK;
	}, B_TIMED_OUT);
}

status_t
QtProbe::DropFiles(int32 id, const std::vector<std::string>& paths)
{
	QtDisplay& display = fServer.Display();
	return Ask<status_t>(display, [&display, id, paths]() -> status_t {
		QtWindow* window = display.Window(id);
		if (window == nullptr)
			return B_BAD_VALUE;
		QMimeData data;
		QList<QUrl> urls;
		for (const std::string& path : paths)
			urls.push_back(QUrl::fromLocalFile(QString::fromStdString(path)));
		data.setUrls(urls);
		QPointF where(window->width() / 2.0, window->height() / 2.0);
		QDragEnterEvent enter(where.toPoint(), Qt::CopyAction, &data, Qt::LeftButton,
			Qt::NoModifier);
		QApplication::sendEvent(window, &enter);
		if (!enter.isAccepted())
			return B_NOT_ALLOWED;
		QDropEvent drop(where, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
		QApplication::sendEvent(window, &drop);
		return drop.isAccepted() ? B_OK : B_NOT_ALLOWED;
	}, B_TIMED_OUT);
}

namespace {

// The 32-bit pixels of `image` (B, G, R, A in memory), byte for byte, as a
// B_RGBA32 bitmap; null for a null image.
std::unique_ptr<BBitmap>
BitmapFromImage(const QImage& image)
{
	if (image.isNull())
		return nullptr;
	auto bitmap = std::make_unique<BBitmap>(BRect(0, 0, image.width() - 1, image.height() - 1),
		B_RGBA32);
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
QtProbe::Grab(int32 id) const
{
	QtDisplay& display = fServer.Display();
	QImage image = Ask<QImage>(display, [&display, id] {
		QtWindow* window = display.Window(id);
		if (window == nullptr)
			return QImage();
		return window->grab().toImage().convertToFormat(QImage::Format_ARGB32);
	}, QImage());
	return BitmapFromImage(image);
}

std::unique_ptr<BBitmap>
QtProbe::PresentedPixels(int32 id) const
{
	QtDisplay& display = fServer.Display();
	QImage image = Ask<QImage>(display, [&display, id] {
		QtWindow* window = display.Window(id);
		return window != nullptr ? window->Pixels().copy() : QImage();
	}, QImage());
	// The bytes as they are, fourth byte included: converting the image
	// would set that byte.
	return BitmapFromImage(image);
}

std::vector<QtProbe::AlertView>
QtProbe::Alerts() const
{
	QtDisplay& display = fServer.Display();
	return Ask<std::vector<AlertView>>(display, [&display] {
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
	}, {});
}

status_t
QtProbe::PressAlertButton(const std::string& label)
{
	QtDisplay& display = fServer.Display();
	return Ask<status_t>(display, [&display, label]() -> status_t {
		std::vector<QMessageBox*> boxes = display.Alerts();
		if (boxes.empty())
			return B_BAD_VALUE;
		for (QAbstractButton* button : boxes.back()->buttons()) {
			if (button->text().toStdString() == label) {
				// Clicked from a posted task, as a real click would come:
				// the box's nested loop may end inside the click.
				QMetaObject::invokeMethod(button, &QAbstractButton::click, Qt::QueuedConnection);
				return B_OK;
			}
		}
		return B_NAME_NOT_FOUND;
	}, B_TIMED_OUT);
}

std::vector<QtProbe::PanelView>
QtProbe::Panels() const
{
	QtDisplay& display = fServer.Display();
	return Ask<std::vector<PanelView>>(display, [&display] {
		std::vector<PanelView> views;
		for (QtFilePanel* panel : display.Panels()) {
			QFileDialog* dialog = panel->Dialog();
			if (dialog == nullptr)
				continue;
			PanelView view;
			view.id = panel->Id();
			view.mode = dialog->acceptMode() == QFileDialog::AcceptSave ? B_SAVE_PANEL
				: B_OPEN_PANEL;
			view.visible = dialog->isVisible();
			view.modal = dialog->isModal();
			view.multipleFiles = dialog->fileMode() == QFileDialog::ExistingFiles;
			view.directory = dialog->directory().absolutePath().toStdString();
			if (QLineEdit* field = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
				view.name = field->text().toStdString();
			for (const QString& filter : dialog->nameFilters())
				view.filters.push_back(filter.toStdString());
			if (QTreeView* details = dialog->findChild<QTreeView*>()) {
				QHeaderView* header = details->header();
				view.columnsFit = details->model() != nullptr
					&& details->model()->rowCount(details->rootIndex()) > 0;
				for (int column = 1; column < header->count(); column++) {
					if (header->isSectionHidden(column))
						continue;
					// The heading, and each entry's text with the margins an
					// item view keeps on either side before it elides.
					int margin = 2 * (details->style()->pixelMetric(
						QStyle::PM_FocusFrameHMargin, nullptr, details) + 1);
					int needed = header->sectionSizeHint(column);
					QAbstractItemModel* model = details->model();
					for (int row = 0; row < model->rowCount(details->rootIndex()); row++) {
						QString text = model->index(row, column, details->rootIndex()).data()
							.toString();
						needed = std::max(needed,
							details->fontMetrics().horizontalAdvance(text) + margin);
					}
					view.columnsFit = view.columnsFit && header->sectionSize(column) >= needed;
				}
			}
			views.push_back(std::move(view));
		}
		return views;
	}, {});
}

status_t
QtProbe::AcceptOpenPanel(int32 panelId, const std::vector<std::string>& paths)
{
	QtDisplay& display = fServer.Display();
	return Ask<status_t>(display, [&display, panelId, paths]() -> status_t {
		QtFilePanel* panel = display.Panel(panelId);
		if (panel == nullptr || panel->Dialog() == nullptr || paths.empty())
			return B_BAD_VALUE;
		QFileDialog* dialog = panel->Dialog();
		QFileInfo first(QString::fromStdString(paths.front()));
		dialog->setDirectory(first.absolutePath());
		QStringList names;
		for (const std::string& path : paths)
			names.push_back(QLatin1Char('"') + QFileInfo(QString::fromStdString(path)).fileName()
				+ QLatin1Char('"'));
		if (QLineEdit* field = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
			field->setText(names.size() == 1 ? QFileInfo(first).fileName() : names.join(' '));
		static_cast<QDialog*>(dialog)->accept();
		return B_OK;
	}, B_TIMED_OUT);
}

status_t
QtProbe::AcceptSavePanel(int32 panelId, const std::string& directory, const std::string& name)
{
	QtDisplay& display = fServer.Display();
	return Ask<status_t>(display, [&display, panelId, directory, name]() -> status_t {
		QtFilePanel* panel = display.Panel(panelId);
		if (panel == nullptr || panel->Dialog() == nullptr)
			return B_BAD_VALUE;
		QFileDialog* dialog = panel->Dialog();
		dialog->setDirectory(QString::fromStdString(directory));
		if (QLineEdit* field = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
			field->setText(QString::fromStdString(name));
		static_cast<QDialog*>(dialog)->accept();
		return B_OK;
	}, B_TIMED_OUT);
}

status_t
QtProbe::ClosePanel(int32 panelId)
{
	QtDisplay& display = fServer.Display();
	return Ask<status_t>(display, [&display, panelId]() -> status_t {
		QtFilePanel* panel = display.Panel(panelId);
		if (panel == nullptr || panel->Dialog() == nullptr)
			return B_BAD_VALUE;
		panel->Dialog()->close();
		return B_OK;
	}, B_TIMED_OUT);
}
