// SPDX-License-Identifier: MIT
#pragma once

// A window: a looper with a tree of views, a back buffer of pixels and a
// presence on the display server.
//
// The window's thread starts with the first Show(). From then on every
// message to the window, and every hook of the window and its views, runs
// on that thread with the window locked. Before the first Show the window
// belongs to the thread that made it (as a rule the application's).
//
// Updates: Invalidate (of the window's views) posts one coalesced update
// message; handling it fills each affected view with its view colour and
// calls Draw, into a B_RGB32 back buffer of the window's size. When the
// handling of a message has changed pixels, the window hands the server a
// copy of the changed rectangle.
//
// Menus: the first BMenuBar added becomes the key menu bar. The server sees
// its items as data (MenuItemState) and sends picks back; a command-key
// press from the server is matched against the key menu bar's items,
// submenus included, and invokes the item it names.
//
// A window registers with be_app (if there is one) so that the
// application's QuitRequested can ask it. When it quits it is deleted on its
// own thread (see BLooper for Quit from other threads).

#include <InterfaceDefs.h>
#include <Looper.h>
#include <Rect.h>

#include <memory>
#include <string>
#include <vector>

class BApplication;
class BBitmap;
class BMenuBar;
class BMenuItem;
class BScrollBar;
class BView;
class DisplayServer;

namespace BPrivate {
class BackBuffer;
class BitmapHost;
} // namespace BPrivate

class BWindow : public BLooper {
public:
	BWindow(BRect frame, const char* title, window_type type, uint32 flags,
		uint32 workspace = B_CURRENT_WORKSPACE);
	~BWindow() override;

	// Any thread (they lock the window). The first Show starts the thread.
	virtual void Show();
	virtual void Hide();
	bool IsHidden() const;
	// See BLooper::Quit; the window leaves the screen first.
	void Quit() override;
	// The base answers true.
	bool QuitRequested() override;

	void DispatchMessage(BMessage* message, BHandler* handler) override;
	void MessageReceived(BMessage* message) override;
	// Hooks for changes made by the server (the user moving or resizing).
	virtual void FrameMoved(BPoint newPosition);
	virtual void FrameResized(float newWidth, float newHeight);

	void SetTitle(const char* title);
	const char* Title() const { return fTitle.c_str(); }
	window_type Type() const { return fType; }
	uint32 Flags() const { return fFlags; }
	uint32 Workspaces() const { return fWorkspace; }

	// The frame on the screen, and the bounds: (0, 0, width, height).
	BRect Frame() const { return fFrame; }
	BRect Bounds() const;
	void MoveTo(BPoint where);
	void MoveTo(float x, float y) { MoveTo(BPoint(x, y)); }
	void MoveBy(float dx, float dy);
	// Views follow by their resizing modes; the whole window is redrawn.
	void ResizeTo(float width, float height);
	void ResizeBy(float dx, float dy);

	// The window's views: it owns them (see BView::AddChild).
	void AddChild(BView* child, BView* before = nullptr);
	bool RemoveChild(BView* child);
	int32 CountChildren() const;
	BView* ChildAt(int32 index) const;
	BView* FindView(const char* name) const;

	BMenuBar* KeyMenuBar() const { return fKeyMenuBar; }
	void SetKeyMenuBar(BMenuBar* bar);

	// A key the command key (and `modifiers`) turns into `message` for the
	// window (the window takes ownership), besides the menu bar's shortcuts,
	// which come first. A shortcut for the same key and modifiers is
	// replaced.
	void AddShortcut(uint32 key, uint32 modifiers, BMessage* message);
	void RemoveShortcut(uint32 key, uint32 modifiers);

	// The view that gets the key presses no shortcut takes; null for none.
	BView* CurrentFocus() const { return fFocus; }

	// Redraws `rect` (window coordinates) or everything.
	void Invalidate(BRect rect);
	void Invalidate();
	// Runs the pending update now (with the window locked).
	void UpdateIfNeeded();

	// The window's id on the display server; -1 for an offscreen window.
	int32 ServerId() const { return fServerId; }
	bool IsOffscreen() const { return fOffscreen; }

private:
	friend class BView;
	friend class BScrollBar;
	friend class BMenu;
	friend class BMenuBar;
	friend class BPrivate::BitmapHost;

	// An offscreen window that draws into `bitmap`: never shown, no thread,
	// no server, not registered with the application.
	explicit BWindow(BBitmap* bitmap);

	void InitCommon();
	void RunUpdate();
	void FlushPixels();
	void NoteDrawn(BRect rect);
	void PostUpdate();
	void ApplyResize(float width, float height, bool fromServer);
	void DrawView(BView* view, BRect dirty);
	void MenuBarChanged();
	void DetachMenuBar(BMenuBar* bar);
	bool HandleShortcut(BMessage* message);
	void PickMenuItem(uint32 itemId);
	void HandleKeyDown(BMessage* message);
	void HandleWheel(BMessage* message);
	void MoveScrollBar(BMessage* message);
	void AddScrollBar(BScrollBar* bar);
	void RemoveScrollBar(BScrollBar* bar);
	void ScrollBarsChanged() { fScrollBarsChanged = true; }
	void FlushScrollBars();

	struct Shortcut {
		char key;
		uint32 modifiers;
		std::unique_ptr<BMessage> message;
	};

	std::string fTitle;
	BRect fFrame;
	window_type fType;
	uint32 fFlags;
	uint32 fWorkspace;
	bool fOffscreen;
	bool fShown; // shown at least once
	bool fHidden;
	std::unique_ptr<BView> fTopView;
	BMenuBar* fKeyMenuBar;
	BView* fFocus;
	std::vector<Shortcut> fShortcuts;
	std::vector<BScrollBar*> fScrollBars; // attached, in attaching order
	bool fScrollBarsChanged; // not yet told to the server
	std::unique_ptr<BPrivate::BackBuffer> fBuffer; // null for an offscreen window
	BBitmap* fTarget; // what views draw into: the back buffer, or an offscreen bitmap
	DisplayServer* fServer;
	int32 fServerId;
	BApplication* fApplication;
};
