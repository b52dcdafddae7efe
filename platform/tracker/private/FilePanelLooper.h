// SPDX-License-Identifier: MIT
#pragma once

// The kit side of one file panel: its state, the server showing it, and the
// looper that receives the server's answers (see DisplayServer.h) and turns
// them into the panel's reply to its target. The server only ever sees a
// PanelInfo and this looper's messenger.
//
// The state functions lock the panel's own mutex, so any thread may call
// them; BFilePanel calls them on its owner's thread. The answers are handled
// on the looper's thread, which is started by the first Show. The server is
// told of each change with that mutex held, so it hears of them in the order
// they happened; it never calls back (its answers are messages). Each
// answer hides the panel (when it should) before its reply is sent, so a
// target that has the reply sees the panel hidden. Replies go out through a
// BMessenger and never wait for the target.
//
// Owned by its BFilePanel, which deletes it through Quit.

#include <DisplayServer.h>
#include <Entry.h>
#include <FilePanel.h>
#include <Looper.h>
#include <Message.h>
#include <Messenger.h>

#include <memory>
#include <mutex>
#include <string>

namespace BPrivate {

class FilePanelLooper : public BLooper {
public:
	FilePanelLooper(file_panel_mode mode, const BMessenger* target, const entry_ref* directory,
		uint32 nodeFlavors, bool allowMultipleSelection, const BMessage* message,
		BRefFilter* filter, bool modal, bool hideWhenDone);
	~FilePanelLooper() override;

	// A process-wide unique id.
	int32 Id() const { return fId; }
	file_panel_mode Mode() const { return fMode; }
	bool IsShowing() const;
	entry_ref Directory() const;
	// The explicit target, or be_app_messenger when none was given.
	BMessenger Target() const;
	bool HidesWhenDone() const;
	BRefFilter* RefFilter() const;

	// Shows the panel on the current server, or brings it to the front.
	// Shows nothing when the looper's thread cannot be started.
	void Show();
	// Takes the panel off the screen; sends nothing.
	void Hide();
	void SetTarget(BMessenger target);
	void SetMessage(const BMessage* message);
	void SetDirectory(const entry_ref& directory);
	void SetSaveText(const char* text);
	void SetRefFilter(BRefFilter* filter);
	void SetHideWhenDone(bool on);
	void SetButtonLabel(file_panel_button button, const char* label);

	// The server's answers, on the looper's thread.
	void MessageReceived(BMessage* message) override;

private:
	enum class Answer {
		kOpen,
		kSave,
		kCancel
	};

	// The description the server gets; call with fLock held.
	PanelInfo InfoLocked() const;
	void HideLocked();
	// Tells the server of a changed description while the panel shows;
	// ChangedLocked with fLock held.
	void Changed();
	void ChangedLocked();
	void Answered(Answer answer, const BMessage& message);
	// Builds the reply to an answer; false when the answer does not fit the
	// panel (its mode, its selection, an empty name).
	bool BuildReply(Answer answer, const BMessage& message, BMessage* reply) const;

	mutable std::mutex fLock;
	const int32 fId;
	const file_panel_mode fMode;
	const uint32 fNodeFlavors;
	const bool fAllowMultiple;
	const bool fModal;
	BMessenger fTarget;
	bool fHasTarget;
	BMessage fMessage;
	bool fHasMessage;
	entry_ref fDirectory;
	std::string fSaveText;
	// The filter, apart from the panel's state: the servers ask it from
	// their own threads, and may hold its question after the panel is gone.
	struct FilterSeat;
	std::shared_ptr<FilterSeat> fFilter;
	bool fHideWhenDone;
	bool fShowing;
	int32 fShowCount; // Show calls so far; tells a stale answer apart
	bool fStarted; // the looper's thread runs
	DisplayServer* fServer; // the server showing the panel; null when hidden
	std::string fButtonLabels[2];
};

} // namespace BPrivate
