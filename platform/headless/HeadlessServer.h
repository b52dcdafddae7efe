// SPDX-License-Identifier: MIT
#pragma once

// The display server without a display: windows, titles, frames, menus,
// scroll bars and pixels are kept in memory, as a screen would show them,
// for a person to read and answer through a HeadlessProbe. The screen is
// 1024 by 768 unless set otherwise.
//
// Windows are named by their ServerId (pointers die when windows quit).
// Every function may be called from any thread. Each change the kits report
// wakes WaitUntil, so readers wait on the event itself, never on time.
//
// An alert shows until a button is pressed (AnswerAlert), or is answered by
// the handler installed for it, which may block, as a slow person does. One
// that nobody can answer (no handler, and no probe at the server) fails
// loudly at once, and one nobody answers within half a minute fails too: its
// text goes to standard error and the process aborts, rather than hang.
//
// The clipboard is one in memory, shared by the kits and the probes.
//
// File panels are answered with AnswerPanel: the answer goes to the panel's
// messenger, and a panel that hides when done, or that was cancelled,
// leaves the list at once, as a dialog closes.

#include <ChangeCounter.h>
#include <DisplayServer.h>
#include <Entry.h>
#include <FilePanel.h>

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <optional>

class HeadlessServer : public DisplayServer {
public:
	HeadlessServer();
	~HeadlessServer() override;

	struct WindowState {
		int32 id = -1;
		std::string title;
		BRect frame;
		window_type type = B_TITLED_WINDOW;
		uint32 flags = 0;
		bool visible = false;
		MenuBarState menu;
		std::vector<ScrollBarState> scrollBars;
		int32 pixelUpdates = 0; // how many times pixels arrived
	};

	struct PanelState {
		int32 id = -1;
		file_panel_mode mode = B_OPEN_PANEL;
		entry_ref directory;
		std::string saveText;
		BMessenger target;
		bool allowMultipleSelection = true;
		BMessenger panel; // where the answers go
		bool modal = false;
	};

	using AlertHandler = std::function<int32(const AlertInfo& alert)>;

	// The server made current for the process: installs a new
	// HeadlessServer and answers it (the previous server is deleted; do this
	// only while no window exists).
	static HeadlessServer* InstallNew();

	// Windows alive (created and not yet destroyed), in creation order.
	std::vector<int32> Windows() const;
	std::optional<WindowState> Window(int32 id) const;
	// Where a person's input to the window goes; invalid for an unknown
	// window.
	BMessenger Messenger(int32 id) const;
	// A copy of a window's pixels (B_RGB32, the window's bounds); null for
	// an unknown window.
	std::unique_ptr<BBitmap> Snapshot(int32 id) const;

	// Waits until `predicate` answers true, evaluating it (without the
	// server's lock held) now and after every change; false after
	// `timeout` microseconds.
	bool WaitUntil(const std::function<bool()>& predicate, bigtime_t timeout) const;
	// A counter bumped by every change.
	uint64 Changes() const;

	// A probe at the server holds the answer while it lives, so that an
	// alert waits for its buttons to be pressed; it may outlive the server.
	std::shared_ptr<void> Seat();

	// Alerts. The handler answers each alert as it shows (null removes it);
	// without one an alert waits for AnswerAlert.
	void SetAlertHandler(AlertHandler handler);
	// Every alert shown so far, in order.
	std::vector<AlertInfo> Alerts() const;
	// The alerts showing now, oldest first.
	std::vector<AlertInfo> ShowingAlerts() const;
	// Presses button `index` of the newest alert showing: B_BAD_VALUE when
	// none shows or it has no such button.
	status_t AnswerAlert(int32 index);

	// Panels: the handler hears of every panel shown (on the thread that
	// shows it, with no lock of the server's held, so it may answer the
	// panel at once); null removes it.
	using PanelHandler = std::function<void(int32 panelId)>;
	void SetPanelHandler(PanelHandler handler);
	// Panels showing now, in the order they were shown.
	std::vector<PanelState> Panels() const;
	std::optional<PanelState> Panel(int32 panelId) const;
	// The person's answer to a panel (B_REFS_RECEIVED with "refs",
	// B_SAVE_REQUESTED with "directory" and "name", or B_CANCEL), checked
	// against what the panel offers: B_BAD_VALUE for an unknown panel, no
	// refs or an empty name; B_NOT_ALLOWED for an answer of the other mode,
	// several refs where one is taken, or a ref the panel's filter does not
	// offer. Returns once the panel's looper has passed the answer on.
	status_t AnswerPanel(int32 panelId, BMessage& answer);

	// The screen's frame, (0, 0, 1023, 767) at first.
	void SetScreenFrame(BRect frame);

	// DisplayServer.
	void WindowCreated(int32 id, const BMessenger& window, const WindowInfo& info) override;
	void WindowDestroyed(int32 id) override;
	void WindowShown(int32 id) override;
	void WindowHidden(int32 id) override;
	void WindowTitleChanged(int32 id, const std::string& title) override;
	void WindowFrameChanged(int32 id, BRect frame) override;
	void WindowMenuChanged(int32 id, const MenuBarState& menu) override;
	void WindowPixelsChanged(int32 id, BPoint where, std::unique_ptr<BBitmap> pixels) override;
	void WindowScrollBarsChanged(int32 id, const std::vector<ScrollBarState>& bars) override;
	int32 RunAlert(const AlertInfo& alert) override;
	void PanelShown(int32 id, const BMessenger& panel, const PanelInfo& info) override;
	void PanelChanged(int32 id, const PanelInfo& info) override;
	void PanelHidden(int32 id) override;
	BRect ScreenFrame() override;
	void WriteClipboard(ClipboardInfo contents) override;
	ClipboardInfo ReadClipboard() override;

private:
	struct WindowRecord;
	struct PanelRecord {
		int32 id;
		BMessenger panel;
		PanelInfo info;
	};

	struct ShowingAlert {
		uint64 token;
		AlertInfo info;
		int32 answer = -1; // the button pressed; -1 while none is
	};

	void Changed();
	// Applies `change` to the record of window `id` with the lock held and
	// tells the waiters; does nothing for a window the server does not know.
	void ChangeWindow(int32 id, const std::function<void(WindowRecord&)>& change);
	static void WaitUntilHandled(const BMessenger& panel);
	// What a panel's record shows to the outside.
	static PanelState StateOf(const PanelRecord& record);

	mutable std::mutex fLock;
	BPrivate::ChangeCounter fChanges;
	std::map<int32, std::unique_ptr<WindowRecord>> fWindows;
	std::vector<int32> fOrder;
	std::vector<PanelRecord> fPanels;
	std::vector<AlertInfo> fAlerts;
	std::vector<ShowingAlert> fShowing;
	uint64 fNextAlert = 1;
	std::shared_ptr<int> fSeat; // copies held by the probes at the server
	AlertHandler fAlertHandler;
	PanelHandler fPanelHandler;
	BRect fScreenFrame;
	ClipboardInfo fClipboard;
};
