// SPDX-License-Identifier: MIT
#pragma once

// A messenger names a target, a looper (and optionally one of its handlers),
// by the looper's token in the registry of live loopers, never by a pointer
// that could dangle. Sending through a messenger whose looper is gone fails
// with B_BAD_PORT_ID; LockTarget on it answers false. Both are safe at any
// time, from any thread, even while the looper is being deleted.
//
// A BMessenger is a small value; copy it freely. One object is used by one
// thread at a time; copies are independent.

#include <Message.h>
#include <OS.h>
#include <SupportDefs.h>

class BHandler;
class BLooper;

class BMessenger {
public:
	// Invalid: aims at nothing.
	BMessenger();
	// Aims at `handler` (in its looper) or, when `handler` is null, at the
	// preferred handler of `looper`. Both null gives an invalid messenger
	// and B_BAD_VALUE; a handler that belongs to no looper B_BAD_HANDLER; a
	// handler of another looper than `looper` B_MISMATCHED_VALUES.
	BMessenger(
		const BHandler* handler, const BLooper* looper = nullptr, status_t* result = nullptr);
	BMessenger(const BMessenger& other) = default;
	BMessenger& operator=(const BMessenger& other) = default;
	~BMessenger() = default;

	// True while the target looper lives.
	bool IsValid() const;
	bool IsTargetLocal() const { return true; }

	// Locks the target looper for the calling thread and answers true, or
	// answers false when the looper is gone (or goes while waiting). On true
	// the caller unlocks the looper (BLooper::Unlock) or quits it.
	bool LockTarget() const;
	// B_OK when locked, B_TIMED_OUT, or B_BAD_PORT_ID when the looper is gone.
	status_t LockTargetWithTimeout(bigtime_t timeout) const;

	// The target handler (null for "the preferred handler") and, through
	// `looper`, the target looper; both null when the looper is gone. The
	// pointers are only safe to use while the target is locked.
	BHandler* Target(BLooper** looper) const;

	// Queue a message (a copy) for the target. B_OK, B_BAD_PORT_ID when the
	// looper is gone, B_BAD_VALUE for a null message or invalid messenger.
	status_t SendMessage(uint32 command, BHandler* replyTo = nullptr) const;
	status_t SendMessage(const BMessage* message, BHandler* replyTo = nullptr,
		bigtime_t timeout = B_INFINITE_TIMEOUT) const;

	// Same target (same looper token and handler).
	bool operator==(const BMessenger& other) const;
	bool operator!=(const BMessenger& other) const { return !(*this == other); }

	// The token of the target looper in the registry; -1 when invalid.
	int32 Token() const { return fToken; }

private:
	int32 fToken;
	// Compared with the looper's handlers before use, never dereferenced
	// while it could be gone.
	const BHandler* fHandler;
};

// Aims at the application object; valid once a BApplication exists.
extern BMessenger be_app_messenger;
