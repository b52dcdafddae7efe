// SPDX-License-Identifier: MIT
#pragma once

// A file panel: the dialog in which a person picks files to open, or a
// directory and a name to save under. The display server shows it; the
// panel answers its target with messages:
// * an open panel sends its message (by default B_REFS_RECEIVED) with one
//   entry_ref per chosen entry in "refs";
// * a save panel sends its message (by default B_SAVE_REQUESTED) with the
//   chosen directory in "directory" (entry_ref) and the name in "name";
// * either sends B_CANCEL when it closes without a choice.
// With hideWhenDone the panel hides after an answer.
//
// The panel's functions run on the thread that owns it (as a rule its
// target's looper, locked). The server gets a description of the panel and
// answers a looper of the panel's own (BPrivate::FilePanelLooper), which
// sends the reply to the target from its thread.

#include <Entry.h>
#include <Message.h>
#include <Messenger.h>

class BNode;
struct stat;

enum file_panel_mode : int32 {
	B_OPEN_PANEL = 0,
	B_SAVE_PANEL = 1,
};

enum file_panel_button : int32 {
	B_CANCEL_BUTTON = 0,
	B_DEFAULT_BUTTON = 1,
};

// Node flavours an open panel lets a person pick; 0 means files.
enum : uint32 {
	B_FILE_NODE = 0x01,
	B_SYMLINK_NODE = 0x02,
	B_DIRECTORY_NODE = 0x04,
	B_ANY_NODE = 0x07,
};

// Decides which entries a panel lists.
class BRefFilter {
public:
	virtual ~BRefFilter() = default;
	virtual bool Filter(
		const entry_ref* ref, BNode* node, struct stat* stat, const char* mimeType) = 0;
};

namespace BPrivate {
class FilePanelLooper;
} // namespace BPrivate

class BFilePanel {
public:
	// `target` null: the application (be_app_messenger when the panel
	// answers). `directory` null: the current working directory. The panel
	// keeps copies of `target`, `directory` and `message`; it does not own
	// `filter`.
	BFilePanel(file_panel_mode mode = B_OPEN_PANEL, BMessenger* target = nullptr,
		const entry_ref* directory = nullptr, uint32 nodeFlavors = 0,
		bool allowMultipleSelection = true, BMessage* message = nullptr,
		BRefFilter* filter = nullptr, bool modal = false, bool hideWhenDone = true);
	// Hides the panel (without sending B_CANCEL).
	virtual ~BFilePanel();

	BFilePanel(const BFilePanel&) = delete;
	BFilePanel& operator=(const BFilePanel&) = delete;

	// Showing an already shown panel only brings it to the front.
	void Show();
	// Closing this way sends nothing.
	void Hide();
	bool IsShowing() const;

	void SetTarget(BMessenger target);
	BMessenger Messenger() const;
	// A copy of `message` replaces the default message; null restores it.
	void SetMessage(BMessage* message);
	file_panel_mode PanelMode() const;
	void SetPanelDirectory(const entry_ref* directory);
	void SetPanelDirectory(const char* path);
	void GetPanelDirectory(entry_ref* directory) const;
	// The name a save panel proposes.
	void SetSaveText(const char* text);
	void SetRefFilter(BRefFilter* filter);
	BRefFilter* RefFilter() const;
	void SetHideWhenDone(bool on);
	bool HidesWhenDone() const;
	void SetButtonLabel(file_panel_button button, const char* label);

private:
	// Owned: a looper, so it goes through Quit in the destructor.
	BPrivate::FilePanelLooper* fLooper;
};
