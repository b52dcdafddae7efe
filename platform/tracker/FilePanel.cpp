// SPDX-License-Identifier: MIT
#include "FilePanel.h"

#include "FilePanelLooper.h"

BFilePanel::BFilePanel(file_panel_mode mode, BMessenger* target, const entry_ref* directory,
	uint32 nodeFlavors, bool allowMultipleSelection, BMessage* message, BRefFilter* filter,
	bool modal, bool hideWhenDone)
	: fLooper(new BPrivate::FilePanelLooper(mode, target, directory, nodeFlavors,
		allowMultipleSelection, message, filter, modal, hideWhenDone))
{ }

BFilePanel::~BFilePanel()
{
	fLooper->Hide();
	// Answers still queued find the panel hidden and send nothing.
	fLooper->Lock();
	fLooper->Quit();
}

void
BFilePanel::Show()
{
	fLooper->Show();
}

void
BFilePanel::Hide()
{
	fLooper->Hide();
}

bool
BFilePanel::IsShowing() const
{
	return fLooper->IsShowing();
}

void
BFilePanel::SetTarget(BMessenger target)
{
	fLooper->SetTarget(target);
}

BMessenger
BFilePanel::Messenger() const
{
	return fLooper->Target();
}

void
BFilePanel::SetMessage(BMessage* message)
{
	fLooper->SetMessage(message);
}

file_panel_mode
BFilePanel::PanelMode() const
{
	return fLooper->Mode();
}

void
BFilePanel::SetPanelDirectory(const entry_ref* directory)
{
	if (directory != nullptr)
		fLooper->SetDirectory(*directory);
}

void
BFilePanel::SetPanelDirectory(const char* path)
{
	entry_ref ref;
	if (path != nullptr && BEntry(path).GetRef(&ref) == B_OK)
		fLooper->SetDirectory(ref);
}

void
BFilePanel::GetPanelDirectory(entry_ref* directory) const
{
	if (directory != nullptr)
		*directory = fLooper->Directory();
}

void
BFilePanel::SetSaveText(const char* text)
{
	fLooper->SetSaveText(text);
}

void
BFilePanel::SetRefFilter(BRefFilter* filter)
{
	fLooper->SetRefFilter(filter);
}

BRefFilter*
BFilePanel::RefFilter() const
{
	return fLooper->RefFilter();
}

void
BFilePanel::SetHideWhenDone(bool on)
{
	fLooper->SetHideWhenDone(on);
}

bool
BFilePanel::HidesWhenDone() const
{
	return fLooper->HidesWhenDone();
}

void
BFilePanel::SetButtonLabel(file_panel_button button, const char* label)
{
	fLooper->SetButtonLabel(button, label);
}
