// SPDX-License-Identifier: MIT
#pragma once

// Reads and drives the real widgets of a QtServer the way a person would,
// for tests (see DisplayProbe.h): what the windows, menu bars, message boxes
// and file dialogs show, and clicks, key presses, drops and dialog answers.
//
// Any thread except Qt's: each call runs on the Qt thread (which must be
// running its loop, as it does inside BApplication::Run) and waits for it,
// up to a watchdog bound; a call that times out answers B_TIMED_OUT or an
// empty value. Tests run the application on the main thread and probe from
// a second thread.

#include <DisplayProbe.h>
#include <QtServer.h>

class QtProbe : public DisplayProbe {
public:
	explicit QtProbe(QtServer& server);

	bool WaitUntil(const std::function<bool()>& predicate, bigtime_t timeout) const override;
	std::vector<int32> Windows() const override;
	// The frame is the widget's geometry on the screen.
	std::optional<WindowView> Window(int32 id) const override;
	// The menu bar as the QMenuBar holds it: its geometry in the window, and
	// per action its text, separator, check mark, enabled state, shortcut
	// (a Ctrl sequence; other sequences read as none) and the item id it
	// carries.
	MenuBarState MenuBar(int32 id) const override;
	// The native scroll bars' states as last applied.
	std::vector<ScrollBarState> ScrollBars(int32 id) const override;
	// The window rendered by Qt, menu bar included (B_RGBA32, window-sized),
	// with the alpha Qt painted.
	std::unique_ptr<BBitmap> Snapshot(int32 id) const override;

	// Triggers the action.
	status_t PickMenuItem(int32 id, const std::vector<std::string>& path) override;
	// Key presses go through Qt's own handling, the window made active
	// first; shortcuts are Ctrl sequences.
	status_t PressShortcut(int32 id, char key, uint32 modifiers = 0) override;
	status_t PressKey(int32 id, char key, uint32 modifiers = 0) override;
	status_t TurnWheel(
		int32 id, BPoint where, float deltaY, float deltaX = 0, uint32 modifiers = 0) override;
	// Moves the native bar, as a person's drag does.
	status_t DragScrollBar(int32 id, orientation direction, float value) override;
	status_t ClickCloseBox(int32 id) override;
	status_t ResizeWindow(int32 id, float width, float height) override;
	// Drags files over the window and drops them; B_NOT_ALLOWED when the
	// window refuses the drag (no path names a file).
	status_t DropFiles(int32 id, const std::vector<std::string>& paths) override;

	// Message boxes showing now.
	std::vector<AlertView> Alerts() const override;
	status_t PressAlertButton(const std::string& label) override;

	// The application's own view of the desktop's clipboard (QClipboard);
	// another program's view is the X or Wayland tools'.
	ClipboardInfo Clipboard() const override;
	status_t SetClipboard(const ClipboardInfo& contents) override;

	std::vector<PanelView> Panels() const override;
	status_t AcceptOpenPanel(int32 panelId, const std::vector<std::string>& paths) override;
	status_t AcceptSavePanel(
		int32 panelId, const std::string& directory, const std::string& name) override;
	// The dialog's close box.
	status_t CancelPanel(int32 panelId) override;

	// What only real widgets show.

	// The image the window paints from, byte for byte (B_RGBA32; the fourth
	// byte is what the platform's compositor may take for alpha).
	std::unique_ptr<BBitmap> PresentedPixels(int32 id) const;
	// The menu open on the screen now: its title and the text of its chosen
	// item (empty when none is); an empty title when no menu is open.
	struct OpenMenuView {
		std::string title;
		std::string chosen;
	};
	OpenMenuView OpenMenu() const;
	// A file dialog with what its widgets show besides.
	struct DialogView : PanelView {
		std::vector<std::string> filters; // the type choices, in order
		std::vector<std::string> entries; // the names listed in the folder, in order
		// Every column but the name is at least as wide as its heading and
		// the entries shown so far; false while the folder is still empty.
		bool columnsFit = false;
	};
	std::vector<DialogView> Dialogs() const;

private:
	QtServer& fServer;
};
