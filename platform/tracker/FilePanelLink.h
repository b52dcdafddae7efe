#pragma once

// The state of a file panel shared between its BFilePanel and the display
// server that shows it. Every function locks the link, so any thread may
// call them; the answers send their message through a BMessenger and never
// wait for the target. A server calls the answers without holding its own
// locks (an answer may call back into the server to hide the panel).

#include <Entry.h>
#include <FilePanel.h>
#include <Message.h>
#include <Messenger.h>

#include <mutex>
#include <string>
#include <vector>

class DisplayServer;

namespace BPrivate {

class FilePanelLink {
public:
	FilePanelLink(file_panel_mode mode, const BMessenger* target, const entry_ref* directory,
		uint32 nodeFlavors, bool allowMultipleSelection, const BMessage* message,
		BRefFilter* filter, bool modal, bool hideWhenDone);

	// A process-wide unique id.
	int32 Id() const { return fId; }
	file_panel_mode Mode() const { return fMode; }
	bool IsShowing() const;
	entry_ref Directory() const;
	std::string SaveText() const;
	// The explicit target, or be_app_messenger when none was given.
	BMessenger Target() const;
	bool AllowsMultipleSelection() const { return fAllowMultiple; }
	uint32 NodeFlavors() const { return fNodeFlavors; }
	bool IsModal() const { return fModal; }
	bool HidesWhenDone() const;
	BRefFilter* RefFilter() const;
	std::string ButtonLabel(file_panel_button button) const;

	// The person's answers. Each sends the panel's message and hides the
	// panel when it hides when done. B_NOT_ALLOWED when the panel is not
	// showing or the answer does not fit its mode (or several refs for a
	// panel without multiple selection), B_BAD_VALUE for no refs or an empty
	// name; otherwise what sending answers.
	status_t Open(const std::vector<entry_ref>& refs);
	status_t Save(const entry_ref& directory, const char* name);
	// Closes without a choice: B_CANCEL, and the panel hides.
	status_t Cancel();

	// For BFilePanel, on its owner's thread.
	void Show(DisplayServer* server, const std::shared_ptr<FilePanelLink>& self);
	void Hide();
	void SetTarget(BMessenger target);
	void SetMessage(const BMessage* message);
	void SetDirectory(const entry_ref& directory);
	void SetSaveText(const char* text);
	void SetRefFilter(BRefFilter* filter);
	void SetHideWhenDone(bool on);
	void SetButtonLabel(file_panel_button button, const char* label);

private:
	status_t Send(BMessage& message);
	void HideAfterAnswer();

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
	BRefFilter* fFilter;
	bool fHideWhenDone;
	bool fShowing;
	DisplayServer* fServer; // the server showing the panel; null when hidden
	std::string fButtonLabels[2];
};

} // namespace BPrivate
