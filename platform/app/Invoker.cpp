// SPDX-License-Identifier: MIT
#include "Invoker.h"

BInvoker::BInvoker() : fHasTarget(false)
{ }

BInvoker::BInvoker(BMessage* message, const BHandler* handler, const BLooper* looper)
	: fMessage(message), fHasTarget(false)
{
	SetTarget(handler, looper);
}

BInvoker::BInvoker(BMessage* message, BMessenger target)
	: fMessage(message), fMessenger(target), fHasTarget(true)
{ }

BInvoker::~BInvoker() = default;

status_t
BInvoker::SetMessage(BMessage* message)
{
	if (message != fMessage.get())
		fMessage.reset(message);
	return B_OK;
}

uint32
BInvoker::Command() const
{
	return fMessage ? fMessage->what : 0;
}

status_t
BInvoker::SetTarget(const BHandler* handler, const BLooper* looper)
{
	if (handler == nullptr && looper == nullptr) {
		fMessenger = BMessenger();
		fHasTarget = false;
		return B_OK;
	}
	status_t status = B_OK;
	fMessenger = BMessenger(handler, looper, &status);
	fHasTarget = status == B_OK;
	return status;
}

status_t
BInvoker::SetTarget(BMessenger messenger)
{
	fMessenger = messenger;
	fHasTarget = true;
	return B_OK;
}

BHandler*
BInvoker::Target(BLooper** looper) const
{
	return fMessenger.Target(looper);
}

status_t
BInvoker::Invoke(BMessage* message)
{
	if (message == nullptr)
		message = fMessage.get();
	if (message == nullptr)
		return B_BAD_VALUE;
	return fMessenger.SendMessage(message);
}
