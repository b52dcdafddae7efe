// SPDX-License-Identifier: MIT
#include "FilePanelLooper.h"

#include <AppDefs.h>
#include <Node.h>
#include <NodeInfo.h>

#include <System.h>

#include <atomic>

namespace BPrivate {

namespace {

std::atomic<int32> sNextPanelId{1};

// The current working directory, where panels open when told nowhere else.
entry_ref
WorkingDirectory()
{
	entry_ref ref;
	Result<std::string> path = System::CurrentDirectory();
	if (path)
		BEntry(path.Value().c_str()).GetRef(&ref);
	return ref;
}

} // namespace

struct FilePanelLooper::FilterSeat {
	// Held while the filter answers, so that it is not changed or let go
	// under it; recursive, so the filter may ask its panel about itself.
	std::recursive_mutex lock;
	// Read without the lock by the panel's own state functions.
	std::atomic<BRefFilter*> filter{nullptr};

	// Asks the filter with the entry's node, its stat and its MIME type, as
	// a panel listing a folder does; an entry that cannot be read is not
	// offered.
	bool Offers(const entry_ref& entry)
	{
		std::lock_guard<std::recursive_mutex> hold(lock);
		BRefFilter* current = filter.load();
		if (current == nullptr)
			return true;
		BNode node(&entry);
		struct stat stat = {};
		if (node.InitCheck() != B_OK || node.GetStat(&stat) != B_OK)
			return false;
		char type[B_MIME_TYPE_LENGTH] = "";
		BNodeInfo info(&node);
		if (info.InitCheck() != B_OK || info.GetType(type) != B_OK)
			type[0] = '\0';
		return current->Filter(&entry, &node, &stat, type);
	}

	void Set(BRefFilter* replacement)
	{
		std::lock_guard<std::recursive_mutex> hold(lock);
		filter = replacement;
	}
};

FilePanelLooper::FilePanelLooper(file_panel_mode mode, const BMessenger* target,
	const entry_ref* directory, uint32 nodeFlavors, bool allowMultipleSelection,
	const BMessage* message, BRefFilter* filter, bool modal, bool hideWhenDone)
	: BLooper("file panel"), fId(sNextPanelId.fetch_add(1)), fMode(mode), fNodeFlavors(nodeFlavors),
	  fAllowMultiple(allowMultipleSelection), fModal(modal),
	  fTarget(target != nullptr ? *target : BMessenger()), fHasTarget(target != nullptr),
	  fMessage(message != nullptr ? *message : BMessage()), fHasMessage(message != nullptr),
	  fDirectory(directory != nullptr ? *directory : WorkingDirectory()),
	  fFilter(std::make_shared<FilterSeat>()), fHideWhenDone(hideWhenDone), fShowing(false),
	  fShowCount(0), fStarted(false), fServer(nullptr)
{
	fFilter->Set(filter);
}

FilePanelLooper::~FilePanelLooper()
{
	// A server may still hold the question; from now on it offers all.
	fFilter->Set(nullptr);
}

bool
FilePanelLooper::IsShowing() const
{
	std::lock_guard<std::mutex> lock(fLock);
	return fShowing;
}

entry_ref
FilePanelLooper::Directory() const
{
	std::lock_guard<std::mutex> lock(fLock);
	return fDirectory;
}

BMessenger
FilePanelLooper::Target() const
{
	std::lock_guard<std::mutex> lock(fLock);
	return fHasTarget ? fTarget : be_app_messenger;
}

bool
FilePanelLooper::HidesWhenDone() const
{
	std::lock_guard<std::mutex> lock(fLock);
	return fHideWhenDone;
}

BRefFilter*
FilePanelLooper::RefFilter() const
{
	return fFilter->filter.load();
}

PanelInfo
FilePanelLooper::InfoLocked() const
{
	PanelInfo info;
	info.mode = fMode;
	info.directory = fDirectory;
	info.saveText = fSaveText;
	info.target = fHasTarget ? fTarget : be_app_messenger;
	info.nodeFlavors = fNodeFlavors;
	info.allowMultipleSelection = fAllowMultiple;
	info.modal = fModal;
	info.hideWhenDone = fHideWhenDone;
	info.cancelButtonLabel = fButtonLabels[0];
	info.defaultButtonLabel = fButtonLabels[1];
	info.showing = fShowCount;
	if (fFilter->filter.load() != nullptr) {
		std::shared_ptr<FilterSeat> seat = fFilter;
		info.offers = [seat](const entry_ref& entry) { return seat->Offers(entry); };
	}
	return info;
}

void
FilePanelLooper::Show()
{
	bool start = false;
	{
		std::lock_guard<std::mutex> lock(fLock);
		start = !fStarted;
		fStarted = true;
	}
	// Answers can only come once the panel shows, so the thread starts here.
	// Without it nothing could answer: the panel stays hidden, and the next
	// Show tries again.
	if (start && Run() < 0) {
		std::lock_guard<std::mutex> lock(fLock);
		fStarted = false;
		return;
	}

	std::lock_guard<std::mutex> lock(fLock);
	fShowing = true;
	fServer = DisplayServer::Required("a file panel");
	fShowCount++;
	fServer->PanelShown(fId, BMessenger(nullptr, this), InfoLocked());
}

void
FilePanelLooper::Hide()
{
	std::lock_guard<std::mutex> lock(fLock);
	HideLocked();
}

void
FilePanelLooper::HideLocked()
{
	if (!fShowing)
		return;
	fShowing = false;
	if (fServer != nullptr)
		fServer->PanelHidden(fId);
	fServer = nullptr;
}

void
FilePanelLooper::Changed()
{
	std::lock_guard<std::mutex> lock(fLock);
	ChangedLocked();
}

void
FilePanelLooper::ChangedLocked()
{
	if (fShowing && fServer != nullptr)
		fServer->PanelChanged(fId, InfoLocked());
}

void
FilePanelLooper::SetTarget(BMessenger target)
{
	std::lock_guard<std::mutex> lock(fLock);
	fTarget = target;
	fHasTarget = true;
	ChangedLocked();
}

void
FilePanelLooper::SetMessage(const BMessage* message)
{
	std::lock_guard<std::mutex> lock(fLock);
	fHasMessage = message != nullptr;
	fMessage = message != nullptr ? *message : BMessage();
}

void
FilePanelLooper::SetDirectory(const entry_ref& directory)
{
	std::lock_guard<std::mutex> lock(fLock);
	fDirectory = directory;
	ChangedLocked();
}

void
FilePanelLooper::SetSaveText(const char* text)
{
	std::lock_guard<std::mutex> lock(fLock);
	fSaveText = text != nullptr ? text : "";
	ChangedLocked();
}

void
FilePanelLooper::SetRefFilter(BRefFilter* filter)
{
	fFilter->Set(filter);
	// The server lists again with the new filter.
	Changed();
}

void
FilePanelLooper::SetHideWhenDone(bool on)
{
	std::lock_guard<std::mutex> lock(fLock);
	fHideWhenDone = on;
	ChangedLocked();
}

void
FilePanelLooper::SetButtonLabel(file_panel_button button, const char* label)
{
	std::lock_guard<std::mutex> lock(fLock);
	fButtonLabels[button == B_CANCEL_BUTTON ? 0 : 1] = label != nullptr ? label : "";
	ChangedLocked();
}

void
FilePanelLooper::MessageReceived(BMessage* message)
{
	switch (message->what) {
	case B_REFS_RECEIVED:
		Answered(Answer::kOpen, *message);
		break;
	case B_SAVE_REQUESTED:
		Answered(Answer::kSave, *message);
		break;
	case B_CANCEL:
		Answered(Answer::kCancel, *message);
		break;
	default:
		BLooper::MessageReceived(message);
		break;
	}
}

void
FilePanelLooper::Answered(Answer answer, const BMessage& message)
{
	BMessage reply;
	BMessenger target;
	{
		std::lock_guard<std::mutex> lock(fLock);
		// An answer that arrives after the owner hid the panel is dropped:
		// hiding sends nothing.
		if (!fShowing || !BuildReply(answer, message, &reply))
			return;
		// An answer to an earlier showing leaves the panel up: it was shown
		// again after the person answered, and the server shows it again.
		bool current = message.GetInt32(kFieldShowing, -1) == fShowCount;
		if (current && (answer == Answer::kCancel || fHideWhenDone))
			HideLocked();
		target = fHasTarget ? fTarget : be_app_messenger;
	}
	target.SendMessage(&reply);
}

bool
FilePanelLooper::BuildReply(Answer answer, const BMessage& message, BMessage* reply) const
{
	switch (answer) {
	case Answer::kOpen: {
		if (fMode != B_OPEN_PANEL)
			return false;
		*reply = fHasMessage ? fMessage : BMessage(B_REFS_RECEIVED);
		entry_ref ref;
		int32 count = 0;
		for (; message.FindRef("refs", count, &ref) == B_OK; count++)
			reply->AddRef("refs", &ref);
		return count == 1 || (count > 1 && fAllowMultiple);
	}
	case Answer::kSave: {
		entry_ref directory;
		const char* name = message.GetString("name");
		if (fMode != B_SAVE_PANEL || message.FindRef("directory", &directory) != B_OK
			|| name == nullptr || name[0] == '\0') {
			return false;
		}
		*reply = fHasMessage ? fMessage : BMessage(B_SAVE_REQUESTED);
		reply->AddRef("directory", &directory);
		reply->AddString("name", name);
		return true;
	}
	case Answer::kCancel:
		*reply = BMessage(B_CANCEL);
		reply->AddInt32("old_what",
			static_cast<int32>(fHasMessage  ? fMessage.what
					: fMode == B_SAVE_PANEL ? B_SAVE_REQUESTED
											: B_REFS_RECEIVED));
		return true;
	}
	return false;
}

} // namespace BPrivate
