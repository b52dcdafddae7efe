#pragma once

// The display server without a display: windows, titles, frames, menus and
// pixels are kept in memory, and tests drive it as a person would. The
// screen is 1024 by 768 unless a test sets another.
//
// Windows are named by their ServerId (pointers die when windows quit).
// Every function may be called from any thread. Each change the kits report
// wakes WaitUntil, so tests wait on the event itself, never on time.
//
// Alerts are answered by a handler the test installs; it may block, to
// model a slow person. An alert with no handler installed fails the test at
// once: its text goes to standard error and the process aborts.
//
// File panels are answered by the test too (ConfirmOpenPanel, ...): the
// answer goes to the panel's messenger, and a panel that hides when done,
// or that was cancelled, leaves the list at once, as a dialog closes.

#include <ChangeCounter.h>
#include <DisplayServer.h>
#include <Entry.h>
#include <FilePanel.h>

#include <condition_variable>
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
	};

	using AlertHandler = std::function<int32(const AlertInfo& alert)>;

	// The server made current for the process: installs a new
	// HeadlessServer and answers it (the previous server is deleted; do this
	// only while no window exists).
	static HeadlessServer* InstallNew();

	// Windows alive (created and not yet destroyed), in creation order.
	std::vector<int32> Windows() const;
	// The first live window with that title; -1 when there is none.
	int32 FindWindow(const char* title) const;
	std::optional<WindowState> Window(int32 id) const;
	std::string Title(int32 id) const;
	BRect Frame(int32 id) const;
	bool IsVisible(int32 id) const;
	MenuBarState Menu(int32 id) const;
	// The item at a label path, such as {"File", "Color space", "B_CMAP8"}.
	std::optional<MenuItemState> MenuItem(int32 id, const std::vector<std::string>& path) const;

	// Waits until `predicate` answers true, evaluating it (without the
	// server's lock held) now and after every change; false after
	// `timeout` microseconds.
	bool WaitUntil(const std::function<bool()>& predicate, bigtime_t timeout) const;
	// A counter bumped by every change.
	uint64 Changes() const;

	// A person's actions. B_OK once the message is on its way; B_BAD_VALUE
	// for an unknown window, B_NAME_NOT_FOUND for a label path that names
	// nothing, B_NOT_ALLOWED for a disabled item or one with a submenu.
	status_t PickMenuItem(int32 id, const std::vector<std::string>& path);
	// Presses `key` with the command key (and `modifiers`).
	status_t PressShortcut(int32 id, char key, uint32 modifiers = 0);
	// Presses a key without the command key: a character or one of the key
	// bytes (B_DOWN_ARROW, B_PAGE_DOWN, B_HOME, ...).
	status_t PressKey(int32 id, char key, uint32 modifiers = 0);
	// Turns the wheel by notches (positive: down, right) with the pointer at
	// `where` in the window.
	status_t TurnWheel(int32 id, BPoint where, float deltaY, float deltaX = 0);
	// The window's scroll bars as the kit last reported them, and the one
	// of an orientation (the first).
	std::vector<ScrollBarState> ScrollBars(int32 id) const;
	std::optional<ScrollBarState> ScrollBar(int32 id, orientation direction) const;
	// Drags the window's scroll bar of that orientation to `value`;
	// B_NAME_NOT_FOUND when the window shows none.
	status_t DragScrollBar(int32 id, orientation direction, float value);
	status_t ClickCloseBox(int32 id);
	status_t ResizeWindow(int32 id, float width, float height);
	// Drops files on the application: B_REFS_RECEIVED with "refs".
	status_t DropFiles(const std::vector<entry_ref>& refs);
	status_t DropFiles(const std::vector<std::string>& paths);

	// Alerts: the handler answers each alert; null removes it.
	void SetAlertHandler(AlertHandler handler);
	// Every alert shown so far, in order.
	std::vector<AlertInfo> Alerts() const;

	// Panels: the handler hears of every panel shown (on the thread that
	// shows it, with no lock of the server's held, so it may answer the
	// panel at once); null removes it.
	using PanelHandler = std::function<void(HeadlessServer& server, int32 panelId)>;
	void SetPanelHandler(PanelHandler handler);

	// Panels showing now, in the order they were shown.
	std::vector<PanelState> Panels() const;
	std::optional<PanelState> Panel(int32 panelId) const;
	status_t ConfirmOpenPanel(int32 panelId, const std::vector<entry_ref>& refs);
	status_t ConfirmSavePanel(int32 panelId, const entry_ref& directory, const char* name);
	status_t CancelPanel(int32 panelId);

	// A copy of a window's pixels (B_RGB32, the window's bounds); null for
	// an unknown window.
	std::unique_ptr<BBitmap> Snapshot(int32 id) const;
	// One pixel; transparent black outside the window or for an unknown one.
	rgb_color ReadPixel(int32 id, int32 x, int32 y) const;

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

private:
	struct WindowRecord;
	struct PanelRecord {
		int32 id;
		BMessenger panel;
		PanelInfo info;
	};

	void Changed();
	BMessenger Messenger(int32 id) const;
	// A B_KEY_DOWN of `key` to window `id`.
	status_t SendKeyDown(int32 id, char key, int32 rawChar, uint32 modifiers) const;
	// Checks an answer against the panel's description, sends it to the
	// panel and takes a panel that is done off the list.
	status_t AnswerPanel(int32 panelId, BMessage& answer);
	static void WaitUntilHandled(const BMessenger& panel);

	mutable std::mutex fLock;
	BPrivate::ChangeCounter fChanges;
	std::map<int32, std::unique_ptr<WindowRecord>> fWindows;
	std::vector<int32> fOrder;
	std::vector<PanelRecord> fPanels;
	std::vector<AlertInfo> fAlerts;
	AlertHandler fAlertHandler;
	PanelHandler fPanelHandler;
	BRect fScreenFrame;
};
