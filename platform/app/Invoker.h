// SPDX-License-Identifier: MIT
#pragma once

// An invoker holds a message and a target and sends the one to the other on
// Invoke(). Menu items are invokers. Use one invoker from one thread at a
// time (for a menu item: its window's thread, with the window locked).

#include <Message.h>
#include <Messenger.h>

#include <memory>

class BHandler;
class BLooper;

class BInvoker {
public:
	BInvoker();
	// Takes ownership of `message`.
	BInvoker(BMessage* message, const BHandler* handler, const BLooper* looper = nullptr);
	BInvoker(BMessage* message, BMessenger target);
	virtual ~BInvoker();

	BInvoker(const BInvoker&) = delete;
	BInvoker& operator=(const BInvoker&) = delete;

	// Replaces (and deletes) the current message; takes ownership.
	virtual status_t SetMessage(BMessage* message);
	BMessage* Message() const { return fMessage.get(); }
	// The message's code, 0 without a message.
	uint32 Command() const;

	// As BMessenger's constructor; a null handler and looper clear the
	// target. Answers the messenger's status.
	virtual status_t SetTarget(const BHandler* handler, const BLooper* looper = nullptr);
	virtual status_t SetTarget(BMessenger messenger);
	bool IsTargetLocal() const { return true; }
	// The target handler and looper, as BMessenger::Target.
	BHandler* Target(BLooper** looper = nullptr) const;
	BMessenger Messenger() const { return fMessenger; }
	// True once a target was set (even one that has gone since).
	bool HasTarget() const { return fHasTarget; }

	// Sends `message`, or a copy of the invoker's own message when null, to
	// the target. B_BAD_VALUE when there is no message, otherwise what
	// BMessenger::SendMessage answers.
	virtual status_t Invoke(BMessage* message = nullptr);

private:
	std::unique_ptr<BMessage> fMessage;
	BMessenger fMessenger;
	bool fHasTarget;
};
