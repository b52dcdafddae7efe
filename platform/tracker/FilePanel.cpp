#include "FilePanel.h"

#include "FilePanelLink.h"

#include <DisplayServer.h>

BFilePanel::BFilePanel(file_panel_mode mode, BMessenger* target, const entry_ref* directory,
	uint32 nodeFlavors, bool allowMultipleSelection, BMessage* message, BRefFilter* filter,
	bool modal, bool hideWhenDone)
	:
	fLink(std::make_shared<BPrivate::FilePanelLink>(mode, target, directory, nodeFlavors,
		allowMultipleSelection, message, filter, modal, hideWhenDone))
{
}

BFilePanel::~BFilePanel()
{
	fLink->Hide();
}

void
BFilePanel::Show()
{
	fLink->Show(DisplayServer::Current(), fLink);
}

void
BFilePanel::Hide()
{
	fLink->Hide();
}

bool
BFilePanel::IsShowing() const
{
	return fLink->IsShowing();
}

void
BFilePanel::SetTarget(BMessenger target)
{
	fLink->SetTarget(target);
}

BMessenger
BFilePanel::Messenger() const
{
	return fLink->Target();
}

void
BFilePanel::SetMessage(BMessage* message)
{
	fLink->SetMessage(message);
}

file_panel_mode
BFilePanel::PanelMode() const
{
	return fLink->Mode();
}

void
BFilePanel::SetPanelDirectory(const entry_ref* directory)
{
	if (directory != nullptr)
		fLink->SetDirectory(*directory);
}

void
BFilePanel::SetPanelDirectory(const char* path)
{
	entry_ref ref;
	if (path != nullptr && BEntry(path).GetRef(&ref) == B_OK)
		fLink->SetDirectory(ref);
}

void
BFilePanel::GetPanelDirectory(entry_ref* directory) const
{
	if (directory != nullptr)
		*directory = fLink->Directory();
}

void
BFilePanel::SetSaveText(const char* text)
{
	fLink->SetSaveText(text);
}

void
BFilePanel::SetRefFilter(BRefFilter* filter)
{
	fLink->SetRefFilter(filter);
}

BRefFilter*
BFilePanel::RefFilter() const
{
	return fLink->RefFilter();
}

void
BFilePanel::SetHideWhenDone(bool on)
{
	fLink->SetHideWhenDone(on);
}

bool
BFilePanel::HidesWhenDone() const
{
	return fLink->HidesWhenDone();
}

void
BFilePanel::SetButtonLabel(file_panel_button button, const char* label)
{
	fLink->SetButtonLabel(button, label);
}
