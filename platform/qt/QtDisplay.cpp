// SPDX-License-Identifier: MIT
#include "QtDisplay.h"

#include "QtFilePanel.h"
#include "QtWindow.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QSocketNotifier>
#include <QThread>

#include <System.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/eventfd.h>
#include <unistd.h>

namespace BPrivate {

namespace {

// Before Qt reports a screen (some platforms have none at first).
constexpr BRect kNoScreen(0, 0, 1023, 767);

} // namespace

QtDisplay::QtDisplay() : fWakeUp(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)), fScreenFrame(kNoScreen)
{
	if (!fWakeUp.IsValid()) {
		fprintf(stderr, "QtDisplay: no eventfd: %s\n", strerror(errno));
		abort();
	}
	fWakeUpNotifier = std::make_unique<QSocketNotifier>(fWakeUp.Get(), QSocketNotifier::Read);
	connect(fWakeUpNotifier.get(), &QSocketNotifier::activated, this, [this] { RunTasks(); });
	TrackScreen();
}

QtDisplay::~QtDisplay()
{
	// Panels first: a dialog's answer must not reach a window going away.
	fPanels.Clear();
	fWindows.Clear();
	fWakeUpNotifier.reset();
}

// Other threads never call into Qt: they queue the task under our lock and
// wake the Qt thread through an eventfd that a QSocketNotifier watches. So
// the hand-over is visible to thread checkers, which cannot see inside Qt.
void
QtDisplay::Post(std::function<void()> task)
{
	{
		std::lock_guard<std::mutex> lock(fTaskLock);
		fTasks.push_back(std::move(task));
	}
	uint64_t one = 1;
	// A counter that cannot take more already wakes the thread.
	(void)BPrivate::System::Write(fWakeUp.Get(), &one, sizeof(one));
}

// One task at a time off the shared queue: a task that runs a nested event
// loop (an alert) lets the wake-up fire again inside it, and the rest still
// run in order.
void
QtDisplay::RunTasks()
{
	uint64_t count = 0;
	(void)BPrivate::System::Read(fWakeUp.Get(), &count, sizeof(count));
	while (true) {
		std::function<void()> task;
		{
			std::lock_guard<std::mutex> lock(fTaskLock);
			if (fTasks.empty())
				return;
			task = std::move(fTasks.front());
			fTasks.pop_front();
		}
		task();
	}
}

bool
QtDisplay::IsQtThread() const
{
	return QThread::currentThread() == thread();
}

bool
QtDisplay::WaitUntil(const std::function<bool()>& predicate, bigtime_t timeout) const
{
	return fChanges.WaitUntil(predicate, timeout);
}

uint64
QtDisplay::Changes() const
{
	return fChanges.Count();
}

void
QtDisplay::Changed()
{
	fChanges.Bump();
}

BRect
QtDisplay::ScreenFrame() const
{
	std::lock_guard<std::mutex> lock(fLock);
	return fScreenFrame;
}

// Screens are Qt objects, readable only here; other threads read the copy.
void
QtDisplay::TrackScreen()
{
	auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
	if (application == nullptr)
		return;
	auto follow = [this](QScreen* screen) {
		if (screen == nullptr)
			return;
		connect(screen, &QScreen::geometryChanged, this, [this] { UpdateScreenFrame(); });
	};
	follow(QGuiApplication::primaryScreen());
	connect(
		application, &QGuiApplication::primaryScreenChanged, this, [this, follow](QScreen* screen) {
			follow(screen);
			UpdateScreenFrame();
		});
	UpdateScreenFrame();
}

void
QtDisplay::UpdateScreenFrame()
{
	QScreen* screen = QGuiApplication::primaryScreen();
	if (screen == nullptr)
		return;
	QRect geometry = screen->geometry();
	std::lock_guard<std::mutex> lock(fLock);
	fScreenFrame = BRect(geometry.left(), geometry.top(), geometry.right(), geometry.bottom());
}

void
QtDisplay::CreateWindow(int32 id, const BMessenger& messenger, const WindowInfo& info)
{
	fWindows.Add(id, std::make_unique<QtWindow>(id, messenger, info));
}

void
QtDisplay::DestroyWindow(int32 id)
{
	if (std::unique_ptr<QtWindow> gone = fWindows.Remove(id))
		gone->Retire();
}

QtWindow*
QtDisplay::Window(int32 id) const
{
	return fWindows.Find(id);
}

std::vector<QtWindow*>
QtDisplay::Windows() const
{
	return fWindows.InOrder();
}

void
QtDisplay::ShowPanel(int32 panelId, const BMessenger& panel, const PanelInfo& info)
{
	if (QtFilePanel* shown = fPanels.Find(panelId)) {
		shown->Update(info);
		shown->Show();
		return;
	}
	fPanels
		.Add(panelId, std::make_unique<QtFilePanel>(panelId, panel, info, [this] { Changed(); }))
		->Show();
}

void
QtDisplay::UpdatePanel(int32 panelId, const PanelInfo& info)
{
	if (QtFilePanel* shown = fPanels.Find(panelId))
		shown->Update(info);
}

void
QtDisplay::HidePanel(int32 panelId)
{
	if (std::unique_ptr<QtFilePanel> gone = fPanels.Remove(panelId))
		gone->Retire();
}

QtFilePanel*
QtDisplay::Panel(int32 panelId) const
{
	return fPanels.Find(panelId);
}

std::vector<QtFilePanel*>
QtDisplay::Panels() const
{
	return fPanels.InOrder();
}

void
QtDisplay::AlertShown(QMessageBox* box)
{
	fAlerts.push_back(box);
	Changed();
}

void
QtDisplay::AlertGone(QMessageBox* box)
{
	fAlerts.erase(std::remove(fAlerts.begin(), fAlerts.end(), box), fAlerts.end());
	Changed();
}

} // namespace BPrivate
