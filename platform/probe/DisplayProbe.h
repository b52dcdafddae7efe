// SPDX-License-Identifier: MIT
#pragma once

// A person at a display server, as code: reads what the server shows
// (windows, menu bars, scroll bars, pixels, alerts, file dialogs) and acts
// as a person would (picks menu items, presses keys, turns the wheel, drags
// scroll bars, clicks close boxes, resizes windows, drops files, presses
// alert buttons, answers file dialogs), and reads and fills the clipboard
// as another program would. One interface for every server, so
// that a test written against it runs on each; each server has its own
// implementation beside it (HeadlessProbe, QtProbe), which may add what
// only that server can tell.
//
// Windows are named by their ServerId (pointers die when windows quit);
// file dialogs by their panel id. Statuses of the actions: B_OK once the
// person's action is on its way; B_BAD_VALUE for an unknown window or
// dialog (or a value the action cannot take), B_NAME_NOT_FOUND for a label
// path or a bar that names nothing, B_NOT_ALLOWED for what a person could
// not do (a disabled item, an item with a submenu, a choice the dialog
// refuses). A server that cannot answer in time gives B_TIMED_OUT or an
// empty value.

#include <DisplayServer.h>
#include <FilePanel.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The item at a label path, such as {"File", "Color space", "B_CMAP8"},
// among a menu bar's items; null when the path is empty or names nothing
// (separators have no label, and only an item with a submenu has items
// below it).
const MenuItemState* FindMenuItem(
	const std::vector<MenuItemState>& items, const std::vector<std::string>& path);

class DisplayProbe {
public:
	virtual ~DisplayProbe() = default;

	// Waits until `predicate` (run on the calling thread, with no lock of
	// the server's held) answers true, checking now and after every change
	// the server shows; false after `timeout` microseconds.
	virtual bool WaitUntil(const std::function<bool()>& predicate, bigtime_t timeout) const = 0;

	struct WindowView {
		int32 id = -1;
		std::string title;
		BRect frame; // on the screen
		bool visible = false;
		bool active = false; // the window keys go to, where the server knows one
	};
	// Live windows (made and not yet gone), in the order they were made.
	virtual std::vector<int32> Windows() const = 0;
	virtual std::optional<WindowView> Window(int32 id) const = 0;
	// The window's key menu bar as the server shows it: its frame in the
	// window and its items; empty for an unknown window or one without.
	virtual MenuBarState MenuBar(int32 id) const = 0;
	// The window's scroll bars as the server shows them.
	virtual std::vector<ScrollBarState> ScrollBars(int32 id) const = 0;
	// A copy of the window's pixels as the server shows them (32 bits, B,
	// G, R, A in memory, the window's size); null for an unknown window.
	virtual std::unique_ptr<BBitmap> Snapshot(int32 id) const = 0;

	// Picks the item at a label path.
	virtual status_t PickMenuItem(int32 id, const std::vector<std::string>& path) = 0;
	// Presses `key` with the command key (and `modifiers`).
	virtual status_t PressShortcut(int32 id, char key, uint32 modifiers = 0) = 0;
	// Presses a key without the command key: a character or one of the key
	// bytes (B_DOWN_ARROW, B_PAGE_DOWN, B_HOME, ...).
	virtual status_t PressKey(int32 id, char key, uint32 modifiers = 0) = 0;
	// Turns the wheel by notches (positive: down, right) with the pointer
	// at `where` in the window, holding `modifiers` (B_COMMAND_KEY: Ctrl).
	virtual status_t TurnWheel(
		int32 id, BPoint where, float deltaY, float deltaX = 0, uint32 modifiers = 0) = 0;
	// Drags the window's (first) scroll bar of that orientation to `value`.
	virtual status_t DragScrollBar(int32 id, orientation direction, float value) = 0;
	virtual status_t ClickCloseBox(int32 id) = 0;
	// Resizes the window to `width` by `height` (a BRect's width and
	// height: one less than the pixels).
	virtual status_t ResizeWindow(int32 id, float width, float height) = 0;
	// Drops files on the window; they reach the application as
	// B_REFS_RECEIVED with "refs". Refused when a path names nothing.
	virtual status_t DropFiles(int32 id, const std::vector<std::string>& paths) = 0;

	struct AlertView {
		std::string title;
		std::string text;
		std::vector<std::string> buttons; // left to right
		std::string defaultButton;
	};
	// Alerts showing now (waiting for a button), oldest first.
	virtual std::vector<AlertView> Alerts() const = 0;
	// Presses the button with that label in the newest alert showing.
	virtual status_t PressAlertButton(const std::string& label) = 0;

	struct PanelView {
		int32 id = -1;
		file_panel_mode mode = B_OPEN_PANEL;
		bool visible = false;
		bool modal = false;
		bool multipleFiles = false; // an open dialog that takes several
		std::string directory; // the folder the dialog shows
		std::string name; // the name a save dialog proposes
	};
	// File dialogs showing now, in the order they were shown.
	virtual std::vector<PanelView> Panels() const = 0;
	// Chooses files in an open dialog and accepts.
	virtual status_t AcceptOpenPanel(int32 panelId, const std::vector<std::string>& paths) = 0;
	// Chooses a folder and a name in a save dialog and accepts.
	virtual status_t AcceptSavePanel(
		int32 panelId, const std::string& directory, const std::string& name) = 0;
	// Closes the dialog without a choice.
	virtual status_t CancelPanel(int32 panelId) = 0;

	// The desktop's clipboard, as another program sees it: what it holds
	// (empty when nothing), and copying `contents` there (none: clears it).
	virtual ClipboardInfo Clipboard() const = 0;
	virtual status_t SetClipboard(const ClipboardInfo& contents) = 0;
	// The bytes of one type on the clipboard; empty when it holds none.
	std::string ClipboardBytes(const std::string& type) const;
	// Copies `bytes` there as `type` alone.
	status_t CopyToClipboard(const std::string& type, const std::string& bytes);

	// Read from the above.
	std::string Title(int32 id) const; // empty for an unknown window
	BRect Frame(int32 id) const; // invalid for an unknown window
	bool IsVisible(int32 id) const;
	// The first live window with that title; -1 when there is none.
	int32 FindWindow(const char* title) const;
	std::optional<MenuItemState> MenuItem(int32 id, const std::vector<std::string>& path) const;
	// The window's first scroll bar of that orientation.
	std::optional<ScrollBarState> ScrollBar(int32 id, orientation direction) const;
	// One pixel of the snapshot; transparent black outside the window or
	// for an unknown one. Each call takes a snapshot of its own: to read many
	// pixels of one picture, take a Snapshot and read it with PixelOf.
	rgb_color ReadPixel(int32 id, int32 x, int32 y) const;
	// One pixel of a snapshot; transparent black outside it or for none.
	static rgb_color PixelOf(const BBitmap* snapshot, int32 x, int32 y);
	std::optional<PanelView> Panel(int32 panelId) const;
};
