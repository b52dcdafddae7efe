// SPDX-License-Identifier: MIT
#pragma once

// The display server: the one place that knows how pixels, menus, alerts and
// file panels reach a person. The kits tell it what happens to windows; it
// answers with messages to the windows and the application, as a person's
// actions. This header is the seam alone; two implementations sit beside it:
// HeadlessServer (platform/headless/, always built; memory only, driven by
// tests) and the Qt server (platform/qt/, real windows).
//
// One server is current for the whole process (Current()). None is current
// until a program installs one: install it before the BApplication and the
// first window are made, and keep it alive
// while any window made under it exists. Each window keeps the server it
// was made under.
//
// Calls from the kits (the *Changed / Window* / Panel* / RunAlert
// functions) come from any thread, often from a window's thread with that
// window locked, so a server never waits for a window's lock or thread
// inside them, nor for the application's thread (which may itself be
// waiting for a window to quit); it queues what it needs and answers at
// once. RunAlert alone blocks its caller, by design.
//
// Events from the server to the kits are messages sent through the
// messenger given with WindowCreated or PanelShown, and through
// be_app_messenger:
// * menu pick: kMsgMenuItemPicked with the item's id (MenuItemState::id)
//   in kFieldItem;
// * key press: B_KEY_DOWN with "bytes" (string: the character), "raw_char"
//   (int32) and "modifiers" (int32, B_COMMAND_KEY for shortcuts);
// * the wheel turned over the window: B_MOUSE_WHEEL_CHANGED with
//   "be:wheel_delta_x" and "be:wheel_delta_y" (float, notches, positive
//   right and down), "where" (BPoint, window coordinates) and "modifiers"
//   (int32, the keys held: B_COMMAND_KEY for Ctrl);
// * a scroll bar moved: kMsgScrollBarMoved (see ScrollBarState.h);
// * close box: B_QUIT_REQUESTED;
// * the person resized or moved the window: B_WINDOW_RESIZED with "width"
//   and "height" (float), B_WINDOW_MOVED with "where" (BPoint);
// * files dropped: B_REFS_RECEIVED with "refs" to the application;
// * a file panel answered, to the panel's messenger, each with kFieldShowing
//   (int32) set to PanelInfo::showing of the showing the person answered:
//   B_REFS_RECEIVED with "refs" (open), B_SAVE_REQUESTED with "directory"
//   (entry_ref) and "name" (string) (save), B_CANCEL (closed without a
//   choice). The panel turns them into its reply. A server takes a panel off
//   the screen itself once it was cancelled, or answered when it hides when
//   done, as a person sees a dialog close; otherwise it waits for
//   PanelHidden.
//
// The application loop: BApplication::Run calls RunApplication on the
// calling (main) thread with the application's loop. The default runs the
// loop right there, as Run does itself when no server is installed (an
// application's loop needs no display; its first window does). A server with a loop of its own (Qt wants the main
// thread) runs its loop instead and drains the application's queue inside
// it: it installs a message-waiting hook that posts an event to its own
// loop, and on that event calls DispatchPending; when that answers false
// the application has quit and RunApplication must return. It also calls
// DispatchPending once at the start, for messages queued before the hook.

#include <Bitmap.h>
#include <Entry.h>
#include <FilePanel.h>
#include <GraphicsDefs.h>
#include <InterfaceDefs.h>
#include <Messenger.h>
#include <Rect.h>
#include <ScrollBarState.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace BPrivate {

// The application's message loop, as BApplication hands it to the server.
class ApplicationLoop {
public:
	virtual ~ApplicationLoop() = default;
	// Handles messages on the calling thread until the application quits.
	virtual void Run() = 0;
	// Handles the messages queued at the moment of the call, on the calling
	// thread (the one RunApplication was called on), without waiting. False
	// once the application has quit.
	virtual bool DispatchPending() = 0;
	// `hook` runs on the posting thread after each message is queued for the
	// application, with no kit lock held; it must only schedule a call of
	// DispatchPending, never make it. Null removes the hook.
	virtual void SetMessageWaitingHook(std::function<void()> hook) = 0;
};

// Server-to-kit message codes and fields.
constexpr uint32 kMsgMenuItemPicked = '_MIP';
constexpr const char* kFieldItem = "be:item";
constexpr const char* kFieldShowing = "be:showing"; // in a file panel's answers
} // namespace BPrivate

// One menu item as the server sees it; a menu bar is a list of these (its
// menus, each an item with a submenu).
struct MenuItemState {
	uint32 id = 0; // BMenuItem::Id()
	std::string label;
	bool separator = false;
	bool marked = false;
	bool enabled = true;
	char shortcut = 0; // 0: none; with the command key
	uint32 modifiers = 0; // besides the command key
	uint32 command = 0; // the message's code; 0 without a message
	bool hasSubmenu = false;
	std::vector<MenuItemState> items; // the submenu's items

	bool operator==(const MenuItemState&) const = default;
};

struct MenuBarState {
	BRect frame; // the menu bar view's frame in the window
	std::vector<MenuItemState> items;
};

struct WindowInfo {
	std::string title;
	BRect frame; // on the screen
	window_type type;
	uint32 flags;
};

struct AlertInfo {
	std::string title;
	std::string text;
	std::vector<std::string> buttons;
	button_width width;
	alert_type type;
};

// What a clipboard holds: the same content in one or more types, each a MIME
// type ("text/plain" as UTF-8, "image/png", "text/uri-list") and its bytes.
// Empty: nothing is on the clipboard.
struct ClipboardInfo {
	struct Item {
		std::string type;
		std::vector<uint8> bytes;
	};
	std::vector<Item> items;
};

// A file panel as the server shows it.
struct PanelInfo {
	file_panel_mode mode = B_OPEN_PANEL;
	entry_ref directory; // where the panel opens
	std::string saveText; // the name a save panel proposes
	BMessenger target; // where the panel's replies end up
	uint32 nodeFlavors = 0; // B_FILE_NODE, ...; 0 means files
	bool allowMultipleSelection = true;
	bool modal = false;
	bool hideWhenDone = true;
	std::string defaultButtonLabel; // empty: the server's own label
	std::string cancelButtonLabel;
	int32 showing = 0; // counts the panel's Show calls; echoed in answers
	// Whether the panel offers an entry, as its BRefFilter decides; null
	// when the panel has no filter and offers every entry. A server asks
	// it for each entry it lists and each it is answered with, from any
	// thread, with no lock of its own held (the filter is the program's
	// code); it stays safe to call after the panel is gone.
	std::function<bool(const entry_ref& entry)> offers;
};

class DisplayServer {
public:
	virtual ~DisplayServer() = default;

	// The current server; null until one is installed. There is no default:
	// a program installs the server it means to run on.
	static DisplayServer* Current();
	// The current server for a kit call that cannot go on without one
	// (`use` names it, e.g. "a window"); with none installed, writes one
	// line to standard error and aborts.
	static DisplayServer* Required(const char* use);
	// Makes `server` current and hands back the previous one (null when none
	// was installed). A null `server` leaves no server current.
	static std::unique_ptr<DisplayServer> Install(std::unique_ptr<DisplayServer> server);

	// Windows, named by `id` (the window's ServerId, unique in the process).
	virtual void WindowCreated(int32 id, const BMessenger& window, const WindowInfo& info) = 0;
	virtual void WindowDestroyed(int32 id) = 0;
	virtual void WindowShown(int32 id) = 0;
	virtual void WindowHidden(int32 id) = 0;
	virtual void WindowTitleChanged(int32 id, const std::string& title) = 0;
	virtual void WindowFrameChanged(int32 id, BRect frame) = 0;
	// The key menu bar as it now is; an empty state when it went away.
	virtual void WindowMenuChanged(int32 id, const MenuBarState& menu) = 0;
	// `pixels` (B_RGB32) is a copy of the window's back buffer at `where`
	// (window coordinates), now the server's.
	virtual void WindowPixelsChanged(int32 id, BPoint where, std::unique_ptr<BBitmap> pixels) = 0;
	// The window's scroll bars as they now are (none: empty), each a native
	// control over its frame; see ScrollBarState.h for the answers. A
	// server without scroll bars of its own keeps the pixels the bars drew.
	virtual void WindowScrollBarsChanged(int32 /*id*/, const std::vector<ScrollBarState>& /*bars*/)
	{ }

	// Blocks the calling thread until a person presses a button; answers
	// its index.
	virtual int32 RunAlert(const AlertInfo& alert) = 0;

	// File panels, named by `id` (unique in the process). PanelShown for a
	// panel already on the screen takes the new description and brings the
	// panel to the front; PanelChanged only takes the description.
	virtual void PanelShown(int32 id, const BMessenger& panel, const PanelInfo& info) = 0;
	virtual void PanelChanged(int32 id, const PanelInfo& info) = 0;
	virtual void PanelHidden(int32 id) = 0;

	// The main screen's frame.
	virtual BRect ScreenFrame() = 0;

	// The desktop's clipboard. Writing takes the clipboard over with
	// `contents` (none: clears it) and returns at once. Reading answers
	// what it holds now, in the types the kit asks for (text, file lists,
	// images), and may block the caller while another program hands it over.
	virtual void WriteClipboard(ClipboardInfo contents) = 0;
	virtual ClipboardInfo ReadClipboard() = 0;

	// Runs the application's loop; see the header comment.
	virtual void RunApplication(BPrivate::ApplicationLoop& loop) { loop.Run(); }
};
