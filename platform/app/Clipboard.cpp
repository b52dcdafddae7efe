// SPDX-License-Identifier: MIT
#include "Clipboard.h"

#include <AppDefs.h>
#include <DisplayServer.h>

namespace {

BClipboard sSystemClipboard("system");

} // namespace

BClipboard* be_clipboard = &sSystemClipboard;

BClipboard::BClipboard(const char* name) : fName(name != nullptr ? name : "")
{ }

BClipboard::~BClipboard() = default;

bool
BClipboard::Lock()
{
	fLock.lock();
	if (fDepth++ == 0) {
		fOwner = std::this_thread::get_id();
		// Another program may have copied since the last holder looked.
		fStale = true;
	}
	return true;
}

void
BClipboard::Unlock()
{
	if (!HeldByCaller())
		return;
	if (--fDepth == 0)
		fOwner = std::thread::id();
	fLock.unlock();
}

bool
BClipboard::IsLocked() const
{
	return HeldByCaller();
}

// fOwner changes only under fLock, so the thread that holds it reads its own
// id there; any other thread cannot hold it and must not read fOwner
// unlocked: try the lock instead, which a recursive mutex grants the owner.
bool
BClipboard::HeldByCaller() const
{
	if (!fLock.try_lock())
		return false;
	bool held = fDepth > 0 && fOwner == std::this_thread::get_id();
	fLock.unlock();
	return held;
}

status_t
BClipboard::Clear()
{
	if (!HeldByCaller())
		return B_NOT_ALLOWED;
	fData.MakeEmpty();
	fStale = false;
	return B_OK;
}

status_t
BClipboard::Commit()
{
	if (!HeldByCaller())
		return B_NOT_ALLOWED;
	// The bytes move to the server rather than being copied (a text may be
	// tens of mebibytes); the data is read back from it when asked for again.
	ClipboardInfo contents;
	const char* name = nullptr;
	type_code type = 0;
	for (int32 index = 0; fData.GetInfo(B_MIME_TYPE, index, &name, &type) == B_OK; index++) {
		ClipboardInfo::Item item{name, {}};
		if (fData.TakeData(name, B_MIME_TYPE, &item.bytes) == B_OK)
			contents.items.push_back(std::move(item));
	}
	fData.MakeEmpty();
	DisplayServer::Required("the clipboard")->WriteClipboard(std::move(contents));
	fStale = true;
	return B_OK;
}

status_t
BClipboard::Revert()
{
	if (!HeldByCaller())
		return B_NOT_ALLOWED;
	Download();
	return B_OK;
}

BMessage*
BClipboard::Data()
{
	if (!HeldByCaller())
		return nullptr;
	if (fStale)
		Download();
	return &fData;
}

void
BClipboard::Download()
{
	ClipboardInfo contents = DisplayServer::Required("the clipboard")->ReadClipboard();
	fData.MakeEmpty();
	for (ClipboardInfo::Item& item : contents.items)
		fData.AddData(item.type.c_str(), B_MIME_TYPE, std::move(item.bytes));
	fStale = false;
}
