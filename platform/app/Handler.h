// SPDX-License-Identifier: MIT
#pragma once

// A handler receives messages from a looper. It belongs to at most one
// looper at a time (BLooper::AddHandler), and its MessageReceived runs on
// that looper's thread with the looper locked.

#include <SupportDefs.h>

#include <string>

class BLooper;
class BMessage;

class BHandler {
public:
	explicit BHandler(const char* name = nullptr);
	virtual ~BHandler();

	BHandler(const BHandler&) = delete;
	BHandler& operator=(const BHandler&) = delete;

	// Runs on the looper's thread with the looper locked. The base handles
	// nothing and drops the message.
	virtual void MessageReceived(BMessage* message);

	// The looper the handler belongs to; null when it belongs to none.
	BLooper* Looper() const { return fLooper; }
	// Locks the handler's looper; false when there is none or it is gone.
	bool LockLooper();
	void UnlockLooper();

	void SetName(const char* name);
	// Null when the handler has no name.
	const char* Name() const;

private:
	friend class BLooper;

	std::string fName;
	bool fHasName;
	BLooper* fLooper;
};
