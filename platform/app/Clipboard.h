// SPDX-License-Identifier: MIT
#pragma once

// The clipboard: what a person copied, in one or more types, shared with
// every other program on the desktop through the display server. Its data
// is a BMessage whose fields are named by MIME type and hold B_MIME_TYPE
// bytes: "text/plain" (UTF-8 text), "image/png", "text/uri-list" (copied
// files), and whatever image types other programs offer.
//
// Use it locked:
//   be_clipboard->Lock();
//   be_clipboard->Clear();
//   be_clipboard->Data()->AddData("text/plain", B_MIME_TYPE, text, length);
//   be_clipboard->Commit();
//   be_clipboard->Unlock();
// Data() holds what the desktop's clipboard held when it was first asked
// for under the lock, unless Clear came first; Commit hands the data to the
// desktop, Revert takes the desktop's back. Reading may wait for the program
// that owns the clipboard; writing never waits.
//
// Any thread; the lock is recursive and belongs to the thread that took it.
// be_clipboard lives as long as the process, and needs a display server
// installed once it is read or committed.

#include <Message.h>
#include <SupportDefs.h>

#include <mutex>
#include <string>
#include <thread>

class BClipboard {
public:
	explicit BClipboard(const char* name);
	~BClipboard();

	BClipboard(const BClipboard&) = delete;
	BClipboard& operator=(const BClipboard&) = delete;

	const char* Name() const { return fName.c_str(); }

	// Waits for the lock; true once the calling thread holds it.
	bool Lock();
	void Unlock();
	bool IsLocked() const;

	// The following need the lock held by the calling thread; without it
	// they answer B_NOT_ALLOWED (Data: null).

	// Empties the data, without touching the desktop's clipboard.
	status_t Clear();
	// Puts the data on the desktop's clipboard, in place of what it held.
	status_t Commit();
	// Throws away the changes: the data is the desktop's clipboard again.
	status_t Revert();
	// The data, valid while the lock is held.
	BMessage* Data();

private:
	bool HeldByCaller() const;
	void Download();

	std::string fName;
	mutable std::recursive_mutex fLock;
	std::thread::id fOwner; // guarded by fLock; the holder's id
	int32 fDepth = 0; // guarded by fLock
	bool fStale = true; // the data is not yet read under this lock
	BMessage fData;
};

// The system clipboard.
extern BClipboard* be_clipboard;
