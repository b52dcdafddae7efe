// SPDX-License-Identifier: MIT
#include "QtWindow.h"

#include "QtKeys.h"
#include "QtMenuBar.h"
#include "QtScrollBars.h"

#include <AppDefs.h>
#include <Application.h>
#include <Bitmap.h>
#include <Entry.h>

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPainter>
#include <QUrl>
#include <QWheelEvent>

#include <algorithm>
#include <cstring>

namespace BPrivate {

namespace {

// A BRect's inclusive edges as a Qt rectangle.
QRect
ToQRect(BRect rect)
{
	return QRect(QPoint(int(rect.left), int(rect.top)), QPoint(int(rect.right), int(rect.bottom)));
}

QSize
SizeOf(BRect frame)
{
	return QSize(int(frame.Width()) + 1, int(frame.Height()) + 1);
}

// Local files among dropped URLs, as refs.
std::vector<entry_ref>
DroppedRefs(const QMimeData* data)
{
	std::vector<entry_ref> refs;
	if (data == nullptr || !data->hasUrls())
		return refs;
	for (const QUrl& url : data->urls()) {
		if (!url.isLocalFile())
			continue;
		entry_ref ref;
		if (BEntry(url.toLocalFile().toLocal8Bit().constData()).GetRef(&ref) == B_OK)
			refs.push_back(ref);
	}
	return refs;
}

} // namespace

QtWindow::QtWindow(int32 id, const BMessenger& messenger, const WindowInfo& info)
	: QWidget(nullptr), fId(id), fMessenger(messenger), fFrame(info.frame),
	  fPixels(SizeOf(info.frame), QImage::Format_RGB32), fMenuBar(nullptr),
	  fSync(ToQRect(info.frame)), fRetired(false)
{
	fScrollBars = std::make_unique<QtScrollBars>(this, [this](uint32 barId, float value) {
		BMessage moved(kMsgScrollBarMoved);
		moved.AddInt32(kFieldScrollBar, static_cast<int32>(barId));
		moved.AddFloat(kFieldValue, value);
		Send(moved);
	});
	fPixels.fill(Qt::white);
	setWindowTitle(QString::fromStdString(info.title));
	setAttribute(Qt::WA_OpaquePaintEvent);
	setFocusPolicy(Qt::StrongFocus);
	setAcceptDrops(true);
	if ((info.flags & B_NOT_RESIZABLE) != 0)
		setFixedSize(SizeOf(info.frame));
	setGeometry(ToQRect(info.frame));
}

QtWindow::~QtWindow() = default;

void
QtWindow::Send(BMessage& message)
{
	if (!fRetired)
		fMessenger.SendMessage(&message);
}

void
QtWindow::Retire()
{
	fRetired = true;
	hide();
}

void
QtWindow::SetTitle(const std::string& title)
{
	setWindowTitle(QString::fromStdString(title));
}

void
QtWindow::SetFrame(BRect frame)
{
	QSize size = SizeOf(frame);
	if (size != SizeOf(fFrame)) {
		QImage resized(size, QImage::Format_RGB32);
		resized.fill(Qt::white);
		QPainter painter(&resized);
		painter.drawImage(0, 0, fPixels);
		painter.end();
		fPixels = std::move(resized);
	}
	fFrame = frame;
	// A frame echoing what the window manager did stays off the widget; one
	// the window chose itself (MoveTo, ResizeTo) goes on it.
	QRect wanted = ToQRect(frame);
	if (fSync.FrameArrived(wanted) && geometry() != wanted)
		setGeometry(wanted);
	PlaceMenuBar();
	update();
}

void
QtWindow::SetMenu(const MenuBarState& menu)
{
	if (menu.items.empty() && !menu.frame.IsValid()) {
		delete fMenuBar;
		fMenuBar = nullptr;
		return;
	}
	if (fMenuBar == nullptr) {
		fMenuBar = new QtMenuBar(this, [this](uint32 itemId) {
			BMessage pick(kMsgMenuItemPicked);
			pick.AddInt32(kFieldItem, static_cast<int32>(itemId));
			Send(pick);
		});
		fMenuBar->show();
	}
	fMenuFrame = menu.frame;
	fMenuBar->Update(menu.items);
	PlaceMenuBar();
}

void
QtWindow::SetScrollBars(const std::vector<ScrollBarState>& bars)
{
	fScrollBars->Update(bars);
}

void
QtWindow::PlaceMenuBar()
{
	if (fMenuBar != nullptr)
		fMenuBar->setGeometry(ToQRect(fMenuFrame));
}

void
QtWindow::DrawPixels(BPoint where, const BBitmap& pixels)
{
	if (!pixels.IsValid())
		return;
	QRect target = QRect(int(where.x), int(where.y), pixels.Width(), pixels.Height())
		& fPixels.rect();
	if (target.isEmpty())
		return;
	int32 sourceX = target.left() - int(where.x);
	int32 sourceY = target.top() - int(where.y);
	const uint8* source = static_cast<const uint8*>(pixels.Bits());
	// B_RGB32 and QImage::Format_RGB32 share their layout on little-endian
	// machines: B, G, R, then a fourth byte. Qt wants that byte at 255, and
	// some platforms hand it to the compositor as alpha: the transparent
	// magic colour (fourth byte 0) would show black on one, grey on another.
	// Every pixel is shown opaque, as a plain copy draws it.
	for (int32 row = 0; row < target.height(); row++) {
		uint8* line = fPixels.scanLine(target.top() + row) + target.left() * 4;
		memcpy(line, source + (sourceY + row) * pixels.BytesPerRow() + sourceX * 4,
			size_t(target.width()) * 4);
		for (int32 column = 0; column < target.width(); column++)
			line[column * 4 + 3] = 255;
	}
	update(target);
}

void
QtWindow::paintEvent(QPaintEvent* event)
{
	QPainter painter(this);
	painter.fillRect(event->rect(), Qt::white);
	painter.drawImage(event->rect(), fPixels, event->rect());
}

void
QtWindow::closeEvent(QCloseEvent* event)
{
	// The window's QuitRequested decides; it hides us when it quits.
	event->ignore();
	BMessage quit(B_QUIT_REQUESTED);
	Send(quit);
}

void
QtWindow::resizeEvent(QResizeEvent* event)
{
	QWidget::resizeEvent(event);
	PlaceMenuBar();
	QSize size = event->size();
	if (fRetired || !fSync.SizeChanged(size))
		return;
	BMessage resized(B_WINDOW_RESIZED);
	resized.AddFloat("width", float(size.width() - 1));
	resized.AddFloat("height", float(size.height() - 1));
	Send(resized);
}

void
QtWindow::moveEvent(QMoveEvent* event)
{
	QWidget::moveEvent(event);
	QPoint position = geometry().topLeft();
	if (fRetired || !fSync.PositionChanged(position))
		return;
	BMessage moved(B_WINDOW_MOVED);
	moved.AddPoint("where", BPoint(position.x(), position.y()));
	Send(moved);
}

void
QtWindow::keyPressEvent(QKeyEvent* event)
{
	BMessage press(B_KEY_DOWN);
	if (!KeyMessage(*event, press)) {
		QWidget::keyPressEvent(event);
		return;
	}
	Send(press);
}

// Whole notches (120 eighths of a degree each, as a mouse wheel clicks);
// the rest of a touchpad's finer steps waits for the next event.
void
QtWindow::wheelEvent(QWheelEvent* event)
{
	QPoint delta = event->angleDelta();
	if (event->modifiers().testFlag(Qt::ShiftModifier) && delta.x() == 0)
		delta = QPoint(delta.y(), 0);
	fWheelRemainder += delta;
	int notchesX = fWheelRemainder.x() / 120;
	int notchesY = fWheelRemainder.y() / 120;
	fWheelRemainder -= QPoint(notchesX * 120, notchesY * 120);
	event->accept();
	if (notchesX == 0 && notchesY == 0)
		return;
	// Qt counts away from the person as positive; the kit counts down.
	BMessage wheel(B_MOUSE_WHEEL_CHANGED);
	wheel.AddFloat("be:wheel_delta_x", float(-notchesX));
	wheel.AddFloat("be:wheel_delta_y", float(-notchesY));
	QPointF where = event->position();
	wheel.AddPoint("where", BPoint(float(where.x()), float(where.y())));
	wheel.AddInt32("modifiers", static_cast<int32>(KitModifiers(event->modifiers())));
	Send(wheel);
}

void
QtWindow::dragEnterEvent(QDragEnterEvent* event)
{
	if (!DroppedRefs(event->mimeData()).empty())
		event->acceptProposedAction();
}

void
QtWindow::dropEvent(QDropEvent* event)
{
	std::vector<entry_ref> refs = DroppedRefs(event->mimeData());
	if (refs.empty())
		return;
	BMessage drop(B_REFS_RECEIVED);
	for (const entry_ref& ref : refs)
		drop.AddRef("refs", &ref);
	be_app_messenger.SendMessage(&drop);
	event->acceptProposedAction();
}

} // namespace BPrivate
