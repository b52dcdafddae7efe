#include "FilePanelLink.h"

#include <AppDefs.h>
#include <DisplayServer.h>

#include <atomic>
#include <climits>
#include <unistd.h>

namespace BPrivate {

namespace {

std::atomic<int32> sNextPanelId{1};

// The current working directory, where panels open when told nowhere else.
entry_ref
WorkingDirectory()
{
	entry_ref ref;
	char path[PATH_MAX];
	if (getcwd(path, sizeof(path)) != nullptr)
		BEntry(path).GetRef(&ref);
	return ref;
}

} // namespace

FilePanelLink::FilePanelLink(file_panel_mode mode, const BMessenger* target,
	const entry_ref* directory, uint32 nodeFlavors, bool allowMultipleSelection,
	const BMessage* message, BRefFilter* filter, bool modal, bool hideWhenDone)
	:
	fId(sNextPanelId.fetch_add(1)),
	fMode(mode),
	fNodeFlavors(nodeFlavors),
	fAllowMultiple(allowMultipleSelection),
	fModal(modal),
	fTarget(target != nullptr ? *target : BMessenger()),
	fHasTarget(target != nullptr),
	fMessage(message != nullptr ? *message : BMessage()),
	fHasMessage(message != nullptr),
	fDirectory(directory != nullptr ? *directory : WorkingDirectory()),
	fFilter(filter),
	fHideWhenDone(hideWhenDone),
	fShowing(false),
	fServer(nullptr)
{
}

bool
FilePanelLink::IsShowing() const
{
	std::lock_guard<std::mutex> lock(fLock);
	return fShowing;
}

entry_ref
FilePanelLink::Directory() const
{
	std::lock_guard<std::mutex> lock(fLock);
	return fDirectory;
}

std::string
FilePanelLink::SaveText() const
{
	std::lock_guard<std::mutex> lock(fLock);
	return fSaveText;
}

BMessenger
FilePanelLink::Target() const
{
	std::lock_guard<std::mutex> lock(fLock);
	return fHasTarget ? fTarget : be_app_messenger;
}

bool
FilePanelLink::HidesWhenDone() const
{
	std::lock_guard<std::mutex> lock(fLock);
	return fHideWhenDone;
}

BRefFilter*
FilePanelLink::RefFilter() const
{
	std::lock_guard<std::mutex> lock(fLock);
	return fFilter;
}

std::string
FilePanelLink::ButtonLabel(file_panel_button button) const
{
	std::lock_guard<std::mutex> lock(fLock);
	return fButtonLabels[button == B_CANCEL_BUTTON ? 0 : 1];
}

status_t
FilePanelLink::Open(const std::vector<entry_ref>& refs)
{
	BMessage message(B_REFS_RECEIVED);
	{
		std::lock_guard<std::mutex> lock(fLock);
		if (!fShowing || fMode != B_OPEN_PANEL || (!fAllowMultiple && refs.size() > 1))
			return B_NOT_ALLOWED;
		if (refs.empty())
			return B_BAD_VALUE;
		if (fHasMessage)
			message = fMessage;
	}
	for (const entry_ref& ref : refs)
		message.AddRef("refs", &ref);
	status_t status = Send(message);
	HideAfterAnswer();
	return status;
}

status_t
FilePanelLink::Save(const entry_ref& directory, const char* name)
{
	BMessage message(B_SAVE_REQUESTED);
	{
		std::lock_guard<std::mutex> lock(fLock);
		if (!fShowing || fMode != B_SAVE_PANEL)
			return B_NOT_ALLOWED;
		if (name == nullptr || name[0] == '\0')
			return B_BAD_VALUE;
		if (fHasMessage)
			message = fMessage;
	}
	message.AddRef("directory", &directory);
	message.AddString("name", name);
	status_t status = Send(message);
	HideAfterAnswer();
	return status;
}

status_t
FilePanelLink::Cancel()
{
	BMessage message(B_CANCEL);
	{
		std::lock_guard<std::mutex> lock(fLock);
		if (!fShowing)
			return B_NOT_ALLOWED;
		message.AddInt32("old_what", static_cast<int32>(fHasMessage ? fMessage.what
			: fMode == B_SAVE_PANEL ? B_SAVE_REQUESTED : B_REFS_RECEIVED));
	}
	status_t status = Send(message);
	Hide();
	return status;
}

status_t
FilePanelLink::Send(BMessage& message)
{
	return Target().SendMessage(&message);
}

void
FilePanelLink::HideAfterAnswer()
{
	if (HidesWhenDone())
		Hide();
}

void
FilePanelLink::Show(DisplayServer* server, const std::shared_ptr<FilePanelLink>& self)
{
	{
		std::lock_guard<std::mutex> lock(fLock);
		fShowing = true;
		fServer = server;
	}
	server->PanelShown(self);
}

void
FilePanelLink::Hide()
{
	DisplayServer* server = nullptr;
	{
		std::lock_guard<std::mutex> lock(fLock);
		if (!fShowing)
			return;
		fShowing = false;
		server = fServer;
		fServer = nullptr;
	}
	if (server != nullptr)
		server->PanelHidden(fId);
}

void
FilePanelLink::SetTarget(BMessenger target)
{
	std::lock_guard<std::mutex> lock(fLock);
	fTarget = target;
	fHasTarget = true;
}

void
FilePanelLink::SetMessage(const BMessage* message)
{
	std::lock_guard<std::mutex> lock(fLock);
	fHasMessage = message != nullptr;
	fMessage = message != nullptr ? *message : BMessage();
}

void
FilePanelLink::SetDirectory(const entry_ref& directory)
{
	std::lock_guard<std::mutex> lock(fLock);
	fDirectory = directory;
}

void
FilePanelLink::SetSaveText(const char* text)
{
	std::lock_guard<std::mutex> lock(fLock);
	fSaveText = text != nullptr ? text : "";
}

void
FilePanelLink::SetRefFilter(BRefFilter* filter)
{
	std::lock_guard<std::mutex> lock(fLock);
	fFilter = filter;
}

void
FilePanelLink::SetHideWhenDone(bool on)
{
	std::lock_guard<std::mutex> lock(fLock);
	fHideWhenDone = on;
}

void
FilePanelLink::SetButtonLabel(file_panel_button button, const char* label)
{
	std::lock_guard<std::mutex> lock(fLock);
	fButtonLabels[button == B_CANCEL_BUTTON ? 0 : 1] = label != nullptr ? label : "";
}

} // namespace BPrivate
