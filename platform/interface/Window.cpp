#include "Window.h"

#include <Application.h>
#include <Bitmap.h>
#include <BitmapPainter.h>
#include <DisplayServer.h>
#include <LockChecks.h>
#include <LooperState.h>
#include <MenuBar.h>
#include <MenuItem.h>
#include <View.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

namespace {

// The coalesced update request a window posts to itself.
constexpr uint32 kMsgUpdate = '_UPD';

// Modifier keys that must agree between a key press and a shortcut.
constexpr uint32 kShortcutModifiers = B_SHIFT_KEY | B_COMMAND_KEY | B_CONTROL_KEY
	| B_OPTION_KEY;

std::string
ThreadName(const char* title)
{
	return std::string("w>") + (title != nullptr ? title : "");
}

// The smallest rectangle of whole pixels covering `rect`.
BRect
PixelAligned(BRect rect)
{
	return BRect(std::floor(rect.left), std::floor(rect.top), std::ceil(rect.right),
		std::ceil(rect.bottom));
}

BRect
Unite(BRect a, BRect b)
{
	if (!a.IsValid())
		return b;
	if (!b.IsValid())
		return a;
	return a | b;
}

std::vector<MenuItemState>
ItemStates(const BMenu* menu)
{
	std::vector<MenuItemState> states;
	for (int32 index = 0; index < menu->CountItems(); index++) {
		const BMenuItem* item = menu->ItemAt(index);
		MenuItemState state;
		state.id = item->Id();
		state.label = item->Label();
		state.separator = item->IsSeparator();
		state.marked = item->IsMarked();
		state.enabled = item->IsEnabled();
		state.shortcut = item->Shortcut(&state.modifiers);
		state.command = item->Command();
		if (const BMenu* submenu = item->Submenu()) {
			state.hasSubmenu = true;
			state.items = ItemStates(submenu);
		}
		states.push_back(std::move(state));
	}
	return states;
}

BMenuItem*
FindShortcut(const BMenu* menu, char key, uint32 modifiers)
{
	for (int32 index = 0; index < menu->CountItems(); index++) {
		BMenuItem* item = menu->ItemAt(index);
		if (!item->IsEnabled())
			continue;
		if (const BMenu* submenu = item->Submenu()) {
			if (BMenuItem* found = FindShortcut(submenu, key, modifiers))
				return found;
			continue;
		}
		uint32 itemModifiers = 0;
		char shortcut = item->Shortcut(&itemModifiers);
		if (shortcut == 0 || std::tolower(static_cast<unsigned char>(shortcut))
				!= std::tolower(static_cast<unsigned char>(key))) {
			continue;
		}
		uint32 wanted = (itemModifiers | B_COMMAND_KEY) & kShortcutModifiers;
		if ((modifiers & kShortcutModifiers) == wanted)
			return item;
	}
	return nullptr;
}

BMenuItem*
FindItemById(const BMenu* menu, uint32 id)
{
	for (int32 index = 0; index < menu->CountItems(); index++) {
		BMenuItem* item = menu->ItemAt(index);
		if (item->Id() == id)
			return item;
		if (const BMenu* submenu = item->Submenu()) {
			if (BMenuItem* found = FindItemById(submenu, id))
				return found;
		}
	}
	return nullptr;
}

} // namespace

BWindow::BWindow(BRect frame, const char* title, window_type type, uint32 flags,
	uint32 workspace)
	:
	BLooper(ThreadName(title).c_str(), B_DISPLAY_PRIORITY),
	fTitle(title != nullptr ? title : ""),
	fFrame(frame),
	fType(type),
	fFlags(flags),
	fWorkspace(workspace),
	fOffscreen(false),
	fShown(false),
	fHidden(true),
	fUpdatePosted(false),
	fKeyMenuBar(nullptr),
	fTarget(nullptr),
	fServer(DisplayServer::Current()),
	fServerId(fState->token),
	fApplication(nullptr)
{
	if (fFrame.right < fFrame.left)
		fFrame.right = fFrame.left;
	if (fFrame.bottom < fFrame.top)
		fFrame.bottom = fFrame.top;
	InitCommon();

	fServer->WindowCreated(fServerId, BMessenger(nullptr, this),
		WindowInfo{fTitle, fFrame, fType, fFlags});
	fApplication = be_app;
	if (fApplication != nullptr)
		fApplication->AddWindow(this);
}

BWindow::BWindow(BBitmap* bitmap)
	:
	BLooper("offscreen"),
	fFrame(bitmap->Bounds()),
	fType(B_UNTYPED_WINDOW),
	fFlags(0),
	fWorkspace(B_CURRENT_WORKSPACE),
	fOffscreen(true),
	fShown(false),
	fHidden(true),
	fUpdatePosted(false),
	fKeyMenuBar(nullptr),
	fTarget(bitmap),
	fServer(nullptr),
	fServerId(-1),
	fApplication(nullptr)
{
	InitCommon();
}

void
BWindow::InitCommon()
{
	BRect topFrame = fOffscreen ? fFrame : Bounds();
	fTopView = std::make_unique<BView>(topFrame, nullptr, B_FOLLOW_ALL, 0);
	fTopView->SetViewColor(fOffscreen ? B_TRANSPARENT_COLOR : B_PANEL_BACKGROUND_GREY);
	fTopView->fWindow = this;
	AddHandler(fTopView.get());

	if (!fOffscreen) {
		fBackBuffer = std::make_unique<BBitmap>(Bounds(), B_RGB32);
		fTarget = fBackBuffer.get();
	}
}

BWindow::~BWindow()
{
	if (fApplication != nullptr)
		fApplication->RemoveWindow(this, Thread());
	fKeyMenuBar = nullptr;
	fTopView.reset();
	if (!fOffscreen)
		fServer->WindowDestroyed(fServerId);
}

void
BWindow::Show()
{
	if (fOffscreen || !Lock())
		return;
	if (fHidden) {
		fHidden = false;
		fServer->WindowShown(fServerId);
		if (!fShown) {
			fShown = true;
			Invalidate();
			Run();
		}
	}
	Unlock();
}

void
BWindow::Hide()
{
	if (fOffscreen || !Lock())
		return;
	if (!fHidden) {
		fHidden = true;
		fServer->WindowHidden(fServerId);
	}
	Unlock();
}

bool
BWindow::IsHidden() const
{
	return fHidden;
}

void
BWindow::Quit()
{
	if (!IsLocked())
		Lock();
	if (!fOffscreen && !fHidden) {
		fHidden = true;
		fServer->WindowHidden(fServerId);
	}
	BLooper::Quit();
}

bool
BWindow::QuitRequested()
{
	return true;
}

void
BWindow::DispatchMessage(BMessage* message, BHandler* handler)
{
	switch (message->what) {
		case kMsgUpdate:
			fUpdatePosted = false;
			RunUpdate();
			break;
		case BPrivate::kMsgMenuItemPicked:
		{
			int32 id = 0;
			if (message->FindInt32(BPrivate::kFieldItem, &id) == B_OK)
				PickMenuItem(static_cast<uint32>(id));
			break;
		}
		case B_KEY_DOWN:
			if (!HandleShortcut(message))
				BLooper::DispatchMessage(message, handler);
			break;
		case B_WINDOW_RESIZED:
		{
			float width = 0;
			float height = 0;
			if (message->FindFloat("width", &width) == B_OK
				&& message->FindFloat("height", &height) == B_OK) {
				ApplyResize(width, height, true);
			}
			break;
		}
		case B_WINDOW_MOVED:
		{
			BPoint where;
			if (message->FindPoint("where", &where) == B_OK && where != fFrame.LeftTop()) {
				fFrame.OffsetTo(where.x, where.y);
				fServer->WindowFrameChanged(fServerId, fFrame);
				FrameMoved(where);
			}
			break;
		}
		default:
			BLooper::DispatchMessage(message, handler);
	}
	if (!IsQuitting())
		FlushPixels();
}

void
BWindow::MessageReceived(BMessage* message)
{
	BLooper::MessageReceived(message);
}

void
BWindow::FrameMoved(BPoint)
{
}

void
BWindow::FrameResized(float, float)
{
}

void
BWindow::SetTitle(const char* title)
{
	ASSERT_LOCKED(this);
	fTitle = title != nullptr ? title : "";
	if (!fOffscreen)
		fServer->WindowTitleChanged(fServerId, fTitle);
}

BRect
BWindow::Bounds() const
{
	return BRect(0, 0, fFrame.Width(), fFrame.Height());
}

void
BWindow::MoveTo(BPoint where)
{
	if (fOffscreen || where == fFrame.LeftTop())
		return;
	fFrame.OffsetTo(where.x, where.y);
	fServer->WindowFrameChanged(fServerId, fFrame);
	FrameMoved(where);
}

void
BWindow::MoveBy(float dx, float dy)
{
	MoveTo(BPoint(fFrame.left + dx, fFrame.top + dy));
}

void
BWindow::ResizeTo(float width, float height)
{
	ApplyResize(width, height, false);
}

void
BWindow::ResizeBy(float dx, float dy)
{
	ApplyResize(fFrame.Width() + dx, fFrame.Height() + dy, false);
}

// A new size, from a call or from the server: a new back buffer, the views
// following by their resizing modes, and a full redraw.
void
BWindow::ApplyResize(float width, float height, bool)
{
	if (fOffscreen)
		return;
	width = std::max(width, 0.0f);
	height = std::max(height, 0.0f);
	if (width == fFrame.Width() && height == fFrame.Height())
		return;

	fFrame.right = fFrame.left + width;
	fFrame.bottom = fFrame.top + height;
	fBackBuffer = std::make_unique<BBitmap>(Bounds(), B_RGB32);
	fTarget = fBackBuffer.get();
	fDrawn = BRect();
	fTopView->SetFrame(Bounds());
	fServer->WindowFrameChanged(fServerId, fFrame);
	if (fKeyMenuBar != nullptr)
		MenuBarChanged();
	FrameResized(width, height);
	Invalidate();
}

void
BWindow::AddChild(BView* child, BView* before)
{
	ASSERT_LOCKED(this);
	fTopView->AddChild(child, before);
}

bool
BWindow::RemoveChild(BView* child)
{
	ASSERT_LOCKED(this);
	return fTopView->RemoveChild(child);
}

int32
BWindow::CountChildren() const
{
	return fTopView->CountChildren();
}

BView*
BWindow::ChildAt(int32 index) const
{
	return fTopView->ChildAt(index);
}

BView*
BWindow::FindView(const char* name) const
{
	return fTopView->FindView(name);
}

void
BWindow::SetKeyMenuBar(BMenuBar* bar)
{
	fKeyMenuBar = bar;
	MenuBarChanged();
}

void
BWindow::DetachMenuBar(BMenuBar* bar)
{
	if (fKeyMenuBar != bar)
		return;
	fKeyMenuBar = nullptr;
	MenuBarChanged();
}

void
BWindow::MenuBarChanged()
{
	if (fOffscreen)
		return;
	MenuBarState state;
	if (fKeyMenuBar != nullptr) {
		state.frame = fKeyMenuBar->Frame();
		state.items = ItemStates(fKeyMenuBar);
	}
	fServer->WindowMenuChanged(fServerId, state);
}

bool
BWindow::HandleShortcut(BMessage* message)
{
	int32 modifiers = 0;
	message->FindInt32("modifiers", &modifiers);
	if ((modifiers & B_COMMAND_KEY) == 0 || fKeyMenuBar == nullptr)
		return false;

	char key = 0;
	const char* bytes = nullptr;
	int32 rawChar = 0;
	if (message->FindString("bytes", &bytes) == B_OK && bytes[0] != '\0')
		key = bytes[0];
	else if (message->FindInt32("raw_char", &rawChar) == B_OK)
		key = static_cast<char>(rawChar);
	if (key == 0)
		return false;

	BMenuItem* item = FindShortcut(fKeyMenuBar, key, static_cast<uint32>(modifiers));
	if (item == nullptr)
		return false;
	item->Invoke();
	return true;
}

void
BWindow::PickMenuItem(uint32 itemId)
{
	if (fKeyMenuBar == nullptr)
		return;
	BMenuItem* item = FindItemById(fKeyMenuBar, itemId);
	if (item != nullptr && item->Submenu() == nullptr && item->IsEnabled())
		item->Invoke();
}

void
BWindow::Invalidate(BRect rect)
{
	ASSERT_LOCKED(this);
	if (fOffscreen)
		return;
	BRect area = PixelAligned(rect) & Bounds();
	if (!area.IsValid())
		return;
	fDirty = Unite(fDirty, area);
	PostUpdate();
}

void
BWindow::Invalidate()
{
	Invalidate(Bounds());
}

void
BWindow::PostUpdate()
{
	if (fUpdatePosted)
		return;
	fUpdatePosted = true;
	PostMessage(kMsgUpdate);
}

void
BWindow::UpdateIfNeeded()
{
	ASSERT_LOCKED(this);
	RunUpdate();
	FlushPixels();
}

void
BWindow::RunUpdate()
{
	BRect dirty = fDirty & Bounds();
	fDirty = BRect();
	if (fOffscreen || !dirty.IsValid())
		return;
	DrawView(fTopView.get(), dirty);
	NoteDrawn(dirty);
}

// Parents before children: the view colour fills the visible part of the
// view within `dirty`, then Draw paints over it, clipped to that part.
void
BWindow::DrawView(BView* view, BRect dirty)
{
	BRect visible = view->VisibleInTarget() & dirty;
	if (!visible.IsValid())
		return;
	if (view->ViewColor() != B_TRANSPARENT_COLOR)
		BPrivate::FillRect(fTarget, visible, view->ViewColor(), visible);
	if ((view->Flags() & B_WILL_DRAW) != 0) {
		view->fUpdateClip = visible;
		view->Draw(view->ConvertFromWindow(visible));
		view->fUpdateClip = BRect();
	}
	for (int32 index = 0; index < view->CountChildren(); index++)
		DrawView(view->ChildAt(index), dirty);
}

void
BWindow::NoteDrawn(BRect rect)
{
	if (fOffscreen)
		return;
	BRect area = PixelAligned(rect) & Bounds();
	if (!area.IsValid())
		return;
	fDrawn = Unite(fDrawn, area);
	// Drawn by another thread holding the lock, outside any message: the
	// update message flushes it.
	if (CurrentMessage() == nullptr && fShown)
		PostUpdate();
}

// Hands the server a copy of what changed since the last flush.
void
BWindow::FlushPixels()
{
	if (fOffscreen || !fDrawn.IsValid())
		return;
	BRect area = fDrawn & Bounds();
	fDrawn = BRect();
	if (!area.IsValid() || !fBackBuffer->IsValid())
		return;

	int32 left = static_cast<int32>(area.left);
	int32 top = static_cast<int32>(area.top);
	int32 width = static_cast<int32>(area.right) - left + 1;
	int32 height = static_cast<int32>(area.bottom) - top + 1;
	auto pixels = std::make_unique<BBitmap>(BRect(0, 0, width - 1, height - 1), B_RGB32);
	if (!pixels->IsValid())
		return;

	const uint8* source = static_cast<const uint8*>(fBackBuffer->Bits());
	uint8* destination = static_cast<uint8*>(pixels->Bits());
	for (int32 row = 0; row < height; row++) {
		memcpy(destination + row * pixels->BytesPerRow(),
			source + (top + row) * fBackBuffer->BytesPerRow() + left * 4, width * 4);
	}
	fServer->WindowPixelsChanged(fServerId, BPoint(left, top), std::move(pixels));
}
