// SPDX-License-Identifier: MIT
#include "QtServer.h"

#include "QtAlert.h"
#include "QtClipboard.h"
#include "QtDisplay.h"
#include "QtWindow.h"

#include <Bitmap.h>

#include <QApplication>
#include <QEventLoop>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QMessageBox>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <unistd.h>

namespace {

// Qt keeps a reference to argc; the launch's own arguments stay with the
// kit, so Qt never reads an image name as one of its options.
int sArgumentCount = 1;
char sProgramName[] = "quillpix";
char* sArguments[] = {sProgramName, nullptr};

// While Qt starts: its complaints are held back, and a fatal one (no
// display, no platform plugin) ends the process with one line, the first
// complaint (which names the cause), instead of an abort.
std::string sFirstStartMessage;

void
StartMessageHandler(QtMsgType type, const QMessageLogContext&, const QString& message)
{
	std::string text = message.toStdString();
	text = text.substr(0, text.find('\n'));
	if (type != QtFatalMsg) {
		if (sFirstStartMessage.empty())
			sFirstStartMessage = text;
		return;
	}
	const std::string& reason = sFirstStartMessage.empty() ? text : sFirstStartMessage;
	fprintf(
		stderr, "%s: cannot open the display: %s\n", program_invocation_short_name, reason.c_str());
	fflush(stderr);
	_exit(1);
}

} // namespace

class QtServer::Application {
public:
	Application() : fQt(sArgumentCount, sArguments)
	{
		QApplication::setQuitOnLastWindowClosed(false);
	}

private:
	QApplication fQt;
};

// The application's loop inside Qt's: the hook posts one dispatch at a time;
// a dispatch asked for while one runs (an alert's nested loop) waits for it.
struct QtServer::Dispatch {
	BPrivate::ApplicationLoop* loop = nullptr;
	QEventLoop* events = nullptr;
	std::atomic<bool> posted{false};
	bool running = false;
	bool deferred = false;
	bool quit = false;
};

BPrivate::Result<std::unique_ptr<QtServer>>
QtServer::Create()
{
	std::unique_ptr<Application> application;
	if (QCoreApplication::instance() == nullptr) {
		sFirstStartMessage.clear();
		QtMessageHandler previous = qInstallMessageHandler(StartMessageHandler);
		application = std::make_unique<Application>();
		qInstallMessageHandler(previous);
	} else if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
		return BPrivate::Failure(B_ERROR, "a Qt application without widgets is running already");
	}
	return std::unique_ptr<QtServer>(new QtServer(std::move(application)));
}

QtServer::QtServer(std::unique_ptr<Application> application)
	: fApplication(std::move(application)), fDisplay(std::make_unique<BPrivate::QtDisplay>()),
	  fDispatch(std::make_unique<Dispatch>())
{
	BPrivate::WatchDesktopClipboard(*fDisplay);
}

QtServer::~QtServer()
{
	fDisplay.reset();
	QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
	fApplication.reset();
}

// Runs `change` on the display on the Qt thread, then tells the waiters.
template <typename Change>
static void
PostDisplayChange(BPrivate::QtDisplay* display, Change change)
{
	display->Post([display, change = std::move(change)] {
		change(*display);
		display->Changed();
	});
}

void
QtServer::WindowCreated(int32 id, const BMessenger& window, const WindowInfo& info)
{
	PostDisplayChange(fDisplay.get(), [id, window, info](BPrivate::QtDisplay& display) {
		display.CreateWindow(id, window, info);
	});
}

void
QtServer::WindowDestroyed(int32 id)
{
	PostDisplayChange(
		fDisplay.get(), [id](BPrivate::QtDisplay& display) { display.DestroyWindow(id); });
}

// Runs `change` on the window, when it still exists, on the Qt thread.
template <typename Change>
static void
PostWindowChange(BPrivate::QtDisplay* display, int32 id, Change change)
{
	display->Post([display, id, change = std::move(change)] {
		if (BPrivate::QtWindow* window = display->Window(id)) {
			change(*window);
			display->Changed();
		}
	});
}

void
QtServer::WindowShown(int32 id)
{
	PostWindowChange(fDisplay.get(), id, [](BPrivate::QtWindow& window) {
		window.show();
		window.activateWindow();
	});
}

void
QtServer::WindowHidden(int32 id)
{
	PostWindowChange(fDisplay.get(), id, [](BPrivate::QtWindow& window) { window.hide(); });
}

void
QtServer::WindowTitleChanged(int32 id, const std::string& title)
{
	PostWindowChange(
		fDisplay.get(), id, [title](BPrivate::QtWindow& window) { window.SetTitle(title); });
}

void
QtServer::WindowFrameChanged(int32 id, BRect frame)
{
	PostWindowChange(
		fDisplay.get(), id, [frame](BPrivate::QtWindow& window) { window.SetFrame(frame); });
}

void
QtServer::WindowMenuChanged(int32 id, const MenuBarState& menu)
{
	PostWindowChange(
		fDisplay.get(), id, [menu](BPrivate::QtWindow& window) { window.SetMenu(menu); });
}

void
QtServer::WindowScrollBarsChanged(int32 id, const std::vector<ScrollBarState>& bars)
{
	PostWindowChange(
		fDisplay.get(), id, [bars](BPrivate::QtWindow& window) { window.SetScrollBars(bars); });
}

void
QtServer::WindowPixelsChanged(int32 id, BPoint where, std::unique_ptr<BBitmap> pixels)
{
	if (!pixels)
		return;
	std::shared_ptr<BBitmap> shared(std::move(pixels));
	PostWindowChange(fDisplay.get(), id,
		[where, shared](BPrivate::QtWindow& window) { window.DrawPixels(where, *shared); });
}

int32
QtServer::RunAlert(const AlertInfo& alert)
{
	BPrivate::QtDisplay* display = fDisplay.get();
	if (display->IsQtThread()) {
		// The application's thread: a nested loop keeps the windows alive
		// while the application itself waits for the answer.
		std::unique_ptr<QMessageBox> box = BPrivate::MakeAlertBox(alert);
		display->AlertShown(box.get());
		box->exec();
		display->AlertGone(box.get());
		return BPrivate::AlertAnswer(*box);
	}

	struct Answer {
		std::mutex lock;
		std::condition_variable given;
		bool answered = false;
		int32 index = 0;
	};
	auto answer = std::make_shared<Answer>();
	display->Post([display, alert, answer] {
		QMessageBox* box = BPrivate::MakeAlertBox(alert).release();
		QObject::connect(box, &QMessageBox::finished, box, [display, box, answer] {
			display->AlertGone(box);
			std::lock_guard<std::mutex> lock(answer->lock);
			answer->index = BPrivate::AlertAnswer(*box);
			answer->answered = true;
			answer->given.notify_all();
			box->deleteLater();
		});
		box->setAttribute(Qt::WA_DeleteOnClose, false);
		box->open();
		display->AlertShown(box);
	});
	std::unique_lock<std::mutex> lock(answer->lock);
	answer->given.wait(lock, [&] { return answer->answered; });
	return answer->index;
}

void
QtServer::PanelShown(int32 id, const BMessenger& panel, const PanelInfo& info)
{
	PostDisplayChange(fDisplay.get(),
		[id, panel, info](BPrivate::QtDisplay& display) { display.ShowPanel(id, panel, info); });
}

void
QtServer::PanelChanged(int32 id, const PanelInfo& info)
{
	PostDisplayChange(fDisplay.get(),
		[id, info](BPrivate::QtDisplay& display) { display.UpdatePanel(id, info); });
}

void
QtServer::PanelHidden(int32 id)
{
	PostDisplayChange(
		fDisplay.get(), [id](BPrivate::QtDisplay& display) { display.HidePanel(id); });
}

void
QtServer::SetApplicationIcon(const std::vector<IconImage>& sizes)
{
	fDisplay->Post([sizes] {
		QIcon icon;
		for (const IconImage& size : sizes) {
			if (size.side <= 0 || size.rgba.size() != size_t(size.side) * size.side * 4)
				continue;
			QImage image(
				size.rgba.data(), size.side, size.side, size.side * 4, QImage::Format_RGBA8888);
			icon.addPixmap(QPixmap::fromImage(image.copy()));
		}
		QApplication::setWindowIcon(icon);
	});
}

BRect
QtServer::ScreenFrame()
{
	return fDisplay->ScreenFrame();
}

void
QtServer::WriteClipboard(ClipboardInfo contents)
{
	auto shared = std::make_shared<ClipboardInfo>(std::move(contents));
	fDisplay->Post([shared] { BPrivate::SetDesktopClipboard(*shared); });
}

ClipboardInfo
QtServer::ReadClipboard()
{
	BPrivate::QtDisplay* display = fDisplay.get();
	if (display->IsQtThread())
		return BPrivate::DesktopClipboard();

	struct Answer {
		std::mutex lock;
		std::condition_variable given;
		bool answered = false;
		ClipboardInfo contents;
	};
	auto answer = std::make_shared<Answer>();
	display->Post([answer] {
		ClipboardInfo contents = BPrivate::DesktopClipboard();
		std::lock_guard<std::mutex> lock(answer->lock);
		answer->contents = std::move(contents);
		answer->answered = true;
		answer->given.notify_all();
	});
	std::unique_lock<std::mutex> lock(answer->lock);
	answer->given.wait(lock, [&] { return answer->answered; });
	return std::move(answer->contents);
}

void
QtServer::ScheduleDispatch()
{
	if (fDispatch->posted.exchange(true))
		return;
	fDisplay->Post([this] { DispatchApplication(); });
}

void
QtServer::DispatchApplication()
{
	Dispatch& dispatch = *fDispatch;
	dispatch.posted = false;
	if (dispatch.loop == nullptr || dispatch.quit)
		return;
	if (dispatch.running) {
		dispatch.deferred = true;
		return;
	}
	dispatch.running = true;
	bool alive = dispatch.loop->DispatchPending();
	dispatch.running = false;
	if (!alive) {
		dispatch.quit = true;
		dispatch.events->exit();
		return;
	}
	if (dispatch.deferred) {
		dispatch.deferred = false;
		ScheduleDispatch();
	}
}

void
QtServer::RunApplication(BPrivate::ApplicationLoop& loop)
{
	if (!fDisplay->IsQtThread()) {
		// Qt's loop belongs to its own thread; here the kit's loop must do.
		loop.Run();
		return;
	}
	QEventLoop events;
	fDispatch->loop = &loop;
	fDispatch->events = &events;
	fDispatch->quit = false;
	loop.SetMessageWaitingHook([this] { ScheduleDispatch(); });
	ScheduleDispatch();
	// Qt may end every loop on its own (QCoreApplication::quit); the
	// application ends only when its loop says so.
	while (!fDispatch->quit)
		events.exec();
	loop.SetMessageWaitingHook(nullptr);
	fDispatch->loop = nullptr;
	fDispatch->events = nullptr;
}
