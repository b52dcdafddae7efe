// SPDX-License-Identifier: MIT
#include "Handler.h"

#include <Looper.h>

BHandler::BHandler(const char* name)
	: fName(name != nullptr ? name : ""), fHasName(name != nullptr), fLooper(nullptr)
{ }

BHandler::~BHandler()
{
	if (fLooper != nullptr)
		fLooper->RemoveHandler(this);
}

void
BHandler::MessageReceived(BMessage*)
{ }

bool
BHandler::LockLooper()
{
	BLooper* looper = fLooper;
	if (looper == nullptr || !looper->Lock())
		return false;
	// The handler may have moved while the caller waited.
	if (fLooper != looper) {
		looper->Unlock();
		return false;
	}
	return true;
}

void
BHandler::UnlockLooper()
{
	if (fLooper != nullptr)
		fLooper->Unlock();
}

void
BHandler::SetName(const char* name)
{
	fHasName = name != nullptr;
	fName = name != nullptr ? name : "";
}

const char*
BHandler::Name() const
{
	return fHasName ? fName.c_str() : nullptr;
}
