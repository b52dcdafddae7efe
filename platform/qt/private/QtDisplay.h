// SPDX-License-Identifier: MIT
#pragma once

// The Qt side of QtServer: everything here lives on the Qt thread (the
// thread that made the QApplication), except Post, WaitUntil, Changes and
// ScreenFrame, which any thread may call.
//
// QtServer turns each DisplayServer call into a closure posted here; the
// closures run in posting order on the Qt thread and apply the change to the
// widgets. Every applied change bumps a counter and wakes WaitUntil, so a
// test waits on the event itself.

#include <ChangeCounter.h>
#include <DisplayServer.h>
#include <UniqueFd.h>

#include "IdRegistry.h"

#include <QObject>

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

class QMessageBox;
class QSocketNotifier;

namespace BPrivate {

class QtFilePanel;
class QtWindow;

class QtDisplay : public QObject {
public:
	QtDisplay();
	~QtDisplay() override;

	// Any thread: runs `task` on the Qt thread after everything posted
	// before it (once the Qt thread runs its event loop). Tasks still queued
	// when the display goes are dropped.
	void Post(std::function<void()> task);
	// Any thread: true when called on the Qt thread.
	bool IsQtThread() const;

	// Any thread. Waits until `predicate` answers true, evaluating it now and
	// after each change applied; false after `timeout` microseconds.
	bool WaitUntil(const std::function<bool()>& predicate, bigtime_t timeout) const;
	uint64 Changes() const;
	// Any thread: the primary screen's frame, kept up to date from Qt.
	BRect ScreenFrame() const;

	// The Qt thread.
	void CreateWindow(int32 id, const BMessenger& messenger, const WindowInfo& info);
	void DestroyWindow(int32 id);
	QtWindow* Window(int32 id) const;
	// Live windows in creation order.
	std::vector<QtWindow*> Windows() const;

	// Shows a new panel, or shows an existing one again with `info`.
	void ShowPanel(int32 panelId, const BMessenger& panel, const PanelInfo& info);
	void UpdatePanel(int32 panelId, const PanelInfo& info);
	void HidePanel(int32 panelId);
	QtFilePanel* Panel(int32 panelId) const;
	std::vector<QtFilePanel*> Panels() const;

	// Message boxes on screen now, oldest first.
	void AlertShown(QMessageBox* box);
	void AlertGone(QMessageBox* box);
	std::vector<QMessageBox*> Alerts() const { return fAlerts; }

	// Bumps the change counter; called after each applied change.
	void Changed();

private:
	void RunTasks();
	void TrackScreen();
	void UpdateScreenFrame();

	std::mutex fTaskLock;
	std::deque<std::function<void()>> fTasks;
	UniqueFd fWakeUp; // an eventfd
	std::unique_ptr<QSocketNotifier> fWakeUpNotifier;

	mutable std::mutex fLock; // fScreenFrame
	BPrivate::ChangeCounter fChanges;
	BRect fScreenFrame;

	IdRegistry<QtWindow> fWindows;
	IdRegistry<QtFilePanel> fPanels;
	std::vector<QMessageBox*> fAlerts;
};

} // namespace BPrivate
