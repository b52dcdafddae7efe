// SPDX-License-Identifier: MIT
#include "Window.h"

#include <Application.h>
#include <BackBuffer.h>
#include <Bitmap.h>
#include <BitmapPainter.h>
#include <DisplayServer.h>
#include <LockChecks.h>
#include <LooperState.h>
#include <MenuBar.h>
#include <MenuItem.h>
#include <ScrollBar.h>
#include <View.h>

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

// The coalesced update request a window posts to itself.
constexpr uint32 kMsgUpdate = '_UPD';

std::string
ThreadName(const char* title)
{
	return std::string("w>") + (title != nullptr ? title : "");
}

} // namespace

BWindow::BWindow(BRect frame, const char* title, window_type type, uint32 flags, uint32 workspace)
	: BLooper(ThreadName(title).c_str(), B_DISPLAY_PRIORITY), fTitle(title != nullptr ? title : ""),
	  fFrame(frame), fType(type), fFlags(flags), fWorkspace(workspace), fOffscreen(false),
	  fShown(false), fHidden(true), fKeyMenuBar(nullptr), fFocus(nullptr),
	  fScrollBarsChanged(false), fTarget(nullptr), fServer(DisplayServer::Required("a window")),
	  fServerId(fState->token), fApplication(nullptr)
{
	if (fFrame.right < fFrame.left)
		fFrame.right = fFrame.left;
	if (fFrame.bottom < fFrame.top)
		fFrame.bottom = fFrame.top;
	InitCommon();

	fServer->WindowCreated(
		fServerId, BMessenger(nullptr, this), WindowInfo{fTitle, fFrame, fType, fFlags});
	fApplication = be_app;
	if (fApplication != nullptr)
		fApplication->AddWindow(this);
}

BWindow::BWindow(BBitmap* bitmap)
	: BLooper("offscreen"), fFrame(bitmap->Bounds()), fType(B_UNTYPED_WINDOW), fFlags(0),
	  fWorkspace(B_CURRENT_WORKSPACE), fOffscreen(true), fShown(false), fHidden(true),
	  fKeyMenuBar(nullptr), fFocus(nullptr), fScrollBarsChanged(false), fTarget(bitmap),
	  fServer(nullptr), fServerId(-1), fApplication(nullptr)
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
		fBuffer = std::make_unique<BPrivate::BackBuffer>(Bounds());
		fTarget = fBuffer->Bitmap();
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
		if (fBuffer)
			fBuffer->UpdateArrived();
		RunUpdate();
		break;
	case BPrivate::kMsgMenuItemPicked: {
		int32 id = 0;
		if (message->FindInt32(BPrivate::kFieldItem, &id) == B_OK)
			PickMenuItem(static_cast<uint32>(id));
		break;
	}
	case B_KEY_DOWN:
		if (!HandleShortcut(message)) {
			if (fFocus != nullptr)
				HandleKeyDown(message);
			else
				BLooper::DispatchMessage(message, handler);
		}
		break;
	case B_MOUSE_WHEEL_CHANGED:
		HandleWheel(message);
		break;
	case BPrivate::kMsgScrollBarMoved:
		MoveScrollBar(message);
		break;
	case B_WINDOW_RESIZED: {
		float width = 0;
		float height = 0;
		if (message->FindFloat("width", &width) == B_OK
			&& message->FindFloat("height", &height) == B_OK) {
			ApplyResize(width, height, true);
		}
		break;
	}
	case B_WINDOW_MOVED: {
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
	if (!IsQuitting()) {
		FlushScrollBars();
		FlushPixels();
	}
}

void
BWindow::MessageReceived(BMessage* message)
{
	BLooper::MessageReceived(message);
}

void
BWindow::FrameMoved(BPoint)
{ }

void
BWindow::FrameResized(float, float)
{ }

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
	fBuffer->Resize(Bounds());
	fTarget = fBuffer->Bitmap();
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
	fServer->WindowMenuChanged(
		fServerId, fKeyMenuBar != nullptr ? fKeyMenuBar->State() : MenuBarState());
}

bool
BWindow::HandleShortcut(BMessage* message)
{
	int32 modifiers = 0;
	message->FindInt32("modifiers", &modifiers);
	if ((modifiers & B_COMMAND_KEY) == 0)
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

	BMenuItem* item = fKeyMenuBar != nullptr
		? fKeyMenuBar->FindShortcut(key, static_cast<uint32>(modifiers))
		: nullptr;
	if (item != nullptr) {
		item->Invoke();
		return true;
	}
	constexpr uint32 kModifiers = B_SHIFT_KEY | B_COMMAND_KEY | B_CONTROL_KEY | B_OPTION_KEY;
	for (const Shortcut& shortcut : fShortcuts) {
		if (shortcut.key == std::tolower(static_cast<unsigned char>(key))
			&& (shortcut.modifiers | B_COMMAND_KEY) == (uint32(modifiers) & kModifiers)) {
			BMessage copy(*shortcut.message);
			PostMessage(&copy);
			return true;
		}
	}
	return false;
}

void
BWindow::AddShortcut(uint32 key, uint32 modifiers, BMessage* message)
{
	ASSERT_LOCKED(this);
	std::unique_ptr<BMessage> owned(message);
	if (key == 0 || key > 0x7f || !owned)
		return;
	RemoveShortcut(key, modifiers);
	fShortcuts.push_back(Shortcut{char(std::tolower(int(key))),
		modifiers & (B_SHIFT_KEY | B_CONTROL_KEY | B_OPTION_KEY), std::move(owned)});
}

void
BWindow::RemoveShortcut(uint32 key, uint32 modifiers)
{
	ASSERT_LOCKED(this);
	char wanted = char(std::tolower(int(key)));
	modifiers &= B_SHIFT_KEY | B_CONTROL_KEY | B_OPTION_KEY;
	std::erase_if(fShortcuts, [wanted, modifiers](const Shortcut& shortcut) {
		return shortcut.key == wanted && shortcut.modifiers == modifiers;
	});
}

void
BWindow::HandleKeyDown(BMessage* message)
{
	const char* bytes = nullptr;
	if (message->FindString("bytes", &bytes) != B_OK || bytes[0] == '\0')
		return;
	fFocus->KeyDown(bytes, int32(strlen(bytes)));
}

// The wheel goes to the deepest view under the pointer, else to the focus
// view; a view that cannot scroll hands it to its parent.
void
BWindow::HandleWheel(BMessage* message)
{
	BPoint where;
	BView* view = nullptr;
	if (message->FindPoint("where", &where) == B_OK) {
		BView* inside = fTopView.get();
		while (inside != nullptr) {
			view = inside;
			inside = nullptr;
			for (int32 index = view->CountChildren() - 1; index >= 0; index--) {
				BView* child = view->ChildAt(index);
				if (child->VisibleInTarget().Contains(where)) {
					inside = child;
					break;
				}
			}
		}
		if (view == fTopView.get())
			view = nullptr;
	}
	if (view == nullptr)
		view = fFocus;
	if (view != nullptr)
		view->MessageReceived(message);
}

void
BWindow::MoveScrollBar(BMessage* message)
{
	int32 id = 0;
	float value = 0;
	if (message->FindInt32(BPrivate::kFieldScrollBar, &id) != B_OK
		|| message->FindFloat(BPrivate::kFieldValue, &value) != B_OK) {
		return;
	}
	for (BScrollBar* bar : fScrollBars) {
		if (bar->fId == uint32(id)) {
			bar->SetValue(value);
			// The server shows the value it asked for; a clamped one goes
			// back to it.
			ScrollBarsChanged();
			return;
		}
	}
}

void
BWindow::AddScrollBar(BScrollBar* bar)
{
	fScrollBars.push_back(bar);
	ScrollBarsChanged();
}

void
BWindow::RemoveScrollBar(BScrollBar* bar)
{
	std::erase(fScrollBars, bar);
	ScrollBarsChanged();
}

void
BWindow::FlushScrollBars()
{
	if (fOffscreen || !fScrollBarsChanged)
		return;
	fScrollBarsChanged = false;
	std::vector<ScrollBarState> states;
	for (BScrollBar* bar : fScrollBars)
		states.push_back(bar->State());
	fServer->WindowScrollBarsChanged(fServerId, states);
}

void
BWindow::PickMenuItem(uint32 itemId)
{
	if (fKeyMenuBar == nullptr)
		return;
	BMenuItem* item = fKeyMenuBar->FindItemById(itemId);
	if (item != nullptr && item->Submenu() == nullptr && item->IsEnabled())
		item->Invoke();
}

void
BWindow::Invalidate(BRect rect)
{
	ASSERT_LOCKED(this);
	if (!fOffscreen && fBuffer->Invalidate(rect))
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
	if (fBuffer->RequestUpdate())
		PostMessage(kMsgUpdate);
}

void
BWindow::UpdateIfNeeded()
{
	ASSERT_LOCKED(this);
	RunUpdate();
	FlushScrollBars();
	FlushPixels();
}

void
BWindow::RunUpdate()
{
	if (fOffscreen)
		return;
	BRect dirty = fBuffer->TakeDirty();
	if (!dirty.IsValid())
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
	if (fOffscreen || !fBuffer->NoteDrawn(rect))
		return;
	// Drawn by another thread holding the lock, outside any message: the
	// update message flushes it.
	if (CurrentMessage() == nullptr && fShown)
		PostUpdate();
}

// Hands the server a copy of what changed since the last flush.
void
BWindow::FlushPixels()
{
	if (fOffscreen)
		return;
	BPoint where;
	std::unique_ptr<BBitmap> pixels = fBuffer->TakeDrawn(&where);
	if (pixels)
		fServer->WindowPixelsChanged(fServerId, where, std::move(pixels));
}
