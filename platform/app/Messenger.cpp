// SPDX-License-Identifier: MIT
#include "Messenger.h"

#include "LooperState.h"

#include <Handler.h>
#include <Looper.h>

using BPrivate::LooperRegistry;
using BPrivate::LooperState;

BMessenger be_app_messenger;

BMessenger::BMessenger() : fToken(-1), fHandler(nullptr)
{ }

BMessenger::BMessenger(const BHandler* handler, const BLooper* looper, status_t* result)
	: fToken(-1), fHandler(nullptr)
{
	status_t status = B_OK;
	if (handler != nullptr) {
		BLooper* owner = handler->Looper();
		if (owner == nullptr) {
			status = B_BAD_HANDLER;
		} else if (looper != nullptr && looper != owner) {
			status = B_MISMATCHED_VALUES;
		} else {
			fToken = owner->fState->token;
			fHandler = handler;
		}
	} else if (looper != nullptr) {
		fToken = looper->fState->token;
	} else {
		status = B_BAD_VALUE;
	}
	if (result != nullptr)
		*result = status;
}

bool
BMessenger::IsValid() const
{
	std::shared_ptr<LooperState> state = LooperRegistry::Find(fToken);
	if (!state)
		return false;
	std::lock_guard<std::mutex> lock(state->mutex);
	return state->alive;
}

bool
BMessenger::LockTarget() const
{
	return LockTargetWithTimeout(B_INFINITE_TIMEOUT) == B_OK;
}

status_t
BMessenger::LockTargetWithTimeout(bigtime_t timeout) const
{
	std::shared_ptr<LooperState> state = LooperRegistry::Find(fToken);
	if (!state)
		return B_BAD_PORT_ID;
	status_t status = state->Acquire(timeout);
	return status == B_BAD_VALUE ? B_BAD_PORT_ID : status;
}

BHandler*
BMessenger::Target(BLooper** looper) const
{
	BLooper* target = nullptr;
	if (std::shared_ptr<LooperState> state = LooperRegistry::Find(fToken)) {
		std::lock_guard<std::mutex> lock(state->mutex);
		if (state->alive)
			target = state->looper;
	}
	if (looper != nullptr)
		*looper = target;
	return target != nullptr ? const_cast<BHandler*>(fHandler) : nullptr;
}

status_t
BMessenger::SendMessage(uint32 command, BHandler* replyTo) const
{
	BMessage message(command);
	return SendMessage(&message, replyTo);
}

status_t
BMessenger::SendMessage(const BMessage* message, BHandler*, bigtime_t) const
{
	if (message == nullptr || fToken < 0)
		return B_BAD_VALUE;
	std::shared_ptr<LooperState> state = LooperRegistry::Find(fToken);
	if (!state)
		return B_BAD_PORT_ID;
	return state->Post(
		std::make_unique<BMessage>(*message), const_cast<BHandler*>(fHandler), false);
}

bool
BMessenger::operator==(const BMessenger& other) const
{
	return fToken == other.fToken && fHandler == other.fHandler;
}
