#pragma once

// Reads and drives the real widgets of a QtServer the way a person would,
// for tests: what the windows, menu bars, message boxes and file dialogs
// show, and clicks, key presses, drops and dialog answers.
//
// Any thread except Qt's: each call runs on the Qt thread (which must be
// running its loop, as it does inside BApplication::Run) and waits for it,
// up to a watchdog bound; a call that times out answers B_TIMED_OUT or an
// empty value. Tests run the application on the main thread and probe from
// a second thread.

#include <DisplayServer.h>
#include <FilePanel.h>
#include <QtServer.h>

#include <functional>
#include <optional>

class QtProbe {
public:
	explicit QtProbe(QtServer& server);

	// Waits until `predicate` (run on the calling thread) answers true,
	// checking after every change the server applied; false at the timeout.
	bool WaitUntil(const std::function<bool()>& predicate, bigtime_t timeout) const;

	struct WindowView {
		int32 id = -1;
		std::string title;
		BRect frame;        // the widget's geometry on the screen
		bool visible = false;
		bool active = false;
	};
	// Live windows, in the order they were made.
	std::vector<WindowView> Windows() const;
	std::optional<WindowView> Window(int32 id) const;

	// The menu bar as the QMenuBar holds it: its geometry in the window, and
	// per action its text, separator, check mark, enabled state, shortcut
	// (a Ctrl sequence; other sequences read as none) and the item id it
	// carries.
	MenuBarState MenuBar(int32 id) const;
	// The menu open on the screen now: its title and the text of its chosen
	// item (empty when none is); an empty title when no menu is open.
	struct OpenMenuView {
		std::string title;
		std::string chosen;
	};
	OpenMenuView OpenMenu() const;
	// Triggers the action at a label path, such as {"File", "Close"}.
	// B_BAD_VALUE for an unknown window, B_NAME_NOT_FOUND for a path that
	// names nothing, B_NOT_ALLOWED for a disabled action or a submenu.
	status_t TriggerMenuItem(int32 id, const std::vector<std::string>& path);
	// A key press with Ctrl (and `modifiers`) through Qt's shortcut handling,
	// the window made active first.
	status_t PressShortcut(int32 id, char key, uint32 modifiers = 0);
	// The close box.
	status_t CloseWindow(int32 id);
	// Drags files over the window and drops them.
	status_t DropFiles(int32 id, const std::vector<std::string>& paths);
	// The window rendered by Qt, menu bar included (B_RGBA32, window-sized),
	// with the alpha Qt painted.
	std::unique_ptr<BBitmap> Grab(int32 id) const;
	// The image the window paints from, byte for byte (B_RGBA32; the fourth
	// byte is what the platform's compositor may take for alpha).
	std::unique_ptr<BBitmap> PresentedPixels(int32 id) const;

	struct AlertView {
		std::string title;
		std::string text;
		std::vector<std::string> buttons; // left to right on the screen
		std::string defaultButton;
	};
	// Message boxes showing now, oldest first.
	std::vector<AlertView> Alerts() const;
	// Clicks the button with that label in the newest box.
	status_t PressAlertButton(const std::string& label);

	struct PanelView {
		int32 id = -1;
		file_panel_mode mode = B_OPEN_PANEL;
		bool visible = false;
		bool modal = false;
		bool multipleFiles = false;
		std::string directory; // the folder the dialog shows
		std::string name;      // the text of its file name field
		std::vector<std::string> filters; // the type choices, in order
		// Every column but the name is at least as wide as its heading and
		// the entries shown so far; false while the folder is still empty.
		bool columnsFit = false;
	};
	// File dialogs showing now, in the order they were shown.
	std::vector<PanelView> Panels() const;
	// Selects files (open) or a directory and name (save) and accepts.
	status_t AcceptOpenPanel(int32 panelId, const std::vector<std::string>& paths);
	status_t AcceptSavePanel(int32 panelId, const std::string& directory,
		const std::string& name);
	// The dialog's close box.
	status_t ClosePanel(int32 panelId);

private:
	// Runs `task` on the Qt thread and waits; false at the watchdog.
	bool Run(std::function<void()> task) const;

	QtServer& fServer;
};
