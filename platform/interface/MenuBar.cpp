// SPDX-License-Identifier: MIT
#include "MenuBar.h"

#include <DisplayServer.h>
#include <Window.h>

BMenuBar::BMenuBar(
	BRect frame, const char* name, uint32 resizingMode, menu_layout layout, bool resizeToFit)
	: BMenu(frame, name, resizingMode, B_WILL_DRAW, layout), fResizeToFit(resizeToFit)
{
	SetViewColor(B_MENU_BACKGROUND_GREY);
}

BMenuBar::~BMenuBar()
{
	if (BWindow* window = Window())
		window->DetachMenuBar(this);
}

void
BMenuBar::AttachedToWindow()
{
	BWindow* window = Window();
	if (window->IsOffscreen())
		return;
	MoveTo(0, 0);
	ResizeTo(window->Bounds().Width(), kHeight - 1);
	if (window->KeyMenuBar() == nullptr)
		window->SetKeyMenuBar(this);
}

void
BMenuBar::DetachedFromWindow()
{
	if (BWindow* window = Window())
		window->DetachMenuBar(this);
}

MenuBarState
BMenuBar::State() const
{
	MenuBarState state;
	state.frame = Frame();
	state.items = ItemStates();
	return state;
}

void
BMenuBar::MenuChanged()
{
	BWindow* window = Window();
	if (window != nullptr && window->KeyMenuBar() == this)
		window->MenuBarChanged();
}
