// SPDX-License-Identifier: MIT
#pragma once

// A window whose document is stored in one file. It owns the document's name
// (a path once the document is bound to a file; until then a name beginning
// with "Untitled"), keeps the window title equal to that name's leaf, counts
// itself in the application's DocumentApp for exactly as long as it exists,
// and carries the save machinery: Save As shows a save panel aimed at the
// window, a save request binds the document to a file and calls SaveDocument,
// and closing a modified document asks the user from a thread of its own.
//
// Unless said otherwise, every operation runs on the window's own thread with
// the window locked.

#include <Entry.h>
#include <FilePanel.h>
#include <Messenger.h>
#include <Result.h>
#include <Window.h>

#include <memory>
#include <string>

class FileDocumentWindow : public BWindow {
public:
	// Runs on the creating thread; leaves the window hidden.
	FileDocumentWindow(BRect frame, const char* documentName, window_type type, uint32 flags,
		uint32 workspace = B_CURRENT_WORKSPACE);
	~FileDocumentWindow() override;

	void MessageReceived(BMessage* message) override;
	// Runs with the window locked, on whichever thread asks the window to close.
	bool QuitRequested() override;

	// Writes the document into the file named by DocumentName(); true on
	// success. The base writes nothing. An override answers through
	// SaveOutcome, so that a failure's reason reaches the alert that tells
	// the person.
	virtual bool SaveDocument();
	// Makes (does not show) a save panel aimed at `target`, opening in
	// `startDirectory` (null: the platform's default). The caller owns it.
	virtual BFilePanel* CreateSavePanel(BMessenger* target, entry_ref* startDirectory);
	// Takes a copy of `name` as the document name and its leaf as the title.
	virtual void SetDocumentName(const char* name);

	// Valid until the next SetDocumentName or the window's destruction.
	const char* DocumentName() const { return fDocumentName.get(); }
	// A pointer into `path` (the document name when null) at its leaf.
	const char* LeafName(const char* path = nullptr) const;
	// True when the document has never been saved: its name begins with the
	// eight characters "Untitled" (so "Untitled 3" and "Untitledness.h" do, a
	// path from the root never does), however the window was made.
	bool IsUntitled() const;

	// Called by the close prompt's thread while it holds the window's lock.
	void SetQuitAfterSave();

	bool IsModified() const { return fModified; }

protected:
	// For derived windows whose documents can change: a modified document
	// asks before it closes.
	void SetModified(bool modified) { fModified = modified; }

	bool HandleSaveRequest(BMessage* message);
	void PrepareSavePanel();
	// Shows the Save panel, made first when there is none yet; nothing
	// shows when it cannot be made.
	void ShowSavePanel();

	// What a SaveDocument override answers: true when `saved` succeeded;
	// otherwise false, with the failure kept for the save request that
	// called it.
	bool SaveOutcome(BPrivate::Result<void> saved);
	// Tells the person that the document could not be saved under `leaf`
	// and why (the failure's detail, or the words for its status), in an
	// alert that does not hold up the window's thread.
	void ShowSaveFailure(const char* leaf, const BPrivate::Failure& why);

private:
	struct SavePrompt;
	static int32 SavePromptThread(void* data);

	// Runs SaveDocument: success, or the failure it answered through
	// SaveOutcome (a plain B_ERROR when it gave none).
	BPrivate::Result<void> Save();

	std::unique_ptr<BFilePanel> fSavePanel;
	std::unique_ptr<char[]> fDocumentName;
	bool fQuitAfterSave;
	bool fModified;
	// What the SaveDocument running answered through SaveOutcome, while it
	// runs.
	BPrivate::Result<void> fSaveOutcome;
};
