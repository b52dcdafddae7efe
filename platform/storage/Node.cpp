// SPDX-License-Identifier: MIT
#include "Node.h"

#include "Entry.h"
#include "Path.h"
#include "StorageChecks.h"

#include <System.h>

#include <fcntl.h>
#include <string>
#include <utility>

namespace {

std::string
AttributeName(const char* name)
{
	return std::string("user.") + name;
}

// Whether a read or write names an attribute and moves its bytes whole:
// from offset 0, with a buffer unless there is nothing to move.
bool
IsWholeAttributeCall(const char* name, off_t offset, const void* buffer, size_t size)
{
	return name != nullptr && name[0] != '\0' && offset == 0 && (buffer != nullptr || size == 0);
}

} // namespace

BNode::BNode()
{ }

BNode::BNode(const char* path)
{
	SetTo(path);
}

BNode::BNode(const entry_ref* ref)
{
	SetTo(ref);
}

BNode::BNode(const BEntry* entry)
{
	SetTo(entry);
}

BNode::~BNode()
{
	BNode::Unset();
}

status_t
BNode::SetTo(const char* path)
{
	Unset();
	if (path == nullptr || path[0] == '\0') {
		Adopt(BPrivate::UniqueFd(), B_BAD_VALUE);
		return fStatus;
	}
	// Non-blocking, so that opening a FIFO without a writer returns at once.
	BPrivate::Result<BPrivate::UniqueFd> fd = BPrivate::System::Open(
		path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
	if (!fd)
		Adopt(BPrivate::UniqueFd(), fd.Status());
	else
		Adopt(std::move(fd).Value(), B_OK);
	return fStatus;
}

status_t
BNode::SetTo(const entry_ref* ref)
{
	return SetToPath(BPath(ref));
}

status_t
BNode::SetTo(const BEntry* entry)
{
	return SetToPath(BPath(entry));
}

// Opens the node `path` names, or holds nothing with the reason the path
// could not be made.
status_t
BNode::SetToPath(const BPath& path)
{
	if (path.InitCheck() != B_OK) {
		Adopt(BPrivate::UniqueFd(), path.InitCheck());
		return fStatus;
	}
	return SetTo(path.Path());
}

void
BNode::Unset()
{
	Adopt(BPrivate::UniqueFd(), B_NO_INIT);
}

void
BNode::Adopt(BPrivate::UniqueFd fd, status_t status)
{
	fFd = std::move(fd);
	fStatus = fFd.IsValid() ? B_OK : status;
}

ssize_t
BNode::WriteAttr(
	const char* name, type_code /*type*/, off_t offset, const void* buffer, size_t size)
{
	if (!fFd.IsValid())
		return fStatus;
	if (!IsWholeAttributeCall(name, offset, buffer, size))
		return B_BAD_VALUE;
	BPrivate::Result<void> written = BPrivate::System::SetAttribute(
		fFd.Get(), AttributeName(name).c_str(), buffer, size);
	if (!written)
		return written.Status();
	return static_cast<ssize_t>(size);
}

ssize_t
BNode::ReadAttr(const char* name, type_code /*type*/, off_t offset, void* buffer, size_t size) const
{
	if (!fFd.IsValid())
		return fStatus;
	if (!IsWholeAttributeCall(name, offset, buffer, size))
		return B_BAD_VALUE;
	BPrivate::Result<size_t> length = BPrivate::System::GetAttribute(
		fFd.Get(), AttributeName(name).c_str(), buffer, size);
	if (!length)
		return length.Status();
	return static_cast<ssize_t>(length.Value());
}

status_t
BNode::RemoveAttr(const char* name)
{
	if (!fFd.IsValid())
		return fStatus;
	if (name == nullptr || name[0] == '\0')
		return B_BAD_VALUE;
	return BPrivate::System::RemoveAttribute(fFd.Get(), AttributeName(name).c_str()).Status();
}

status_t
BNode::Sync()
{
	if (!fFd.IsValid())
		return fStatus;
	return BPrivate::System::Sync(fFd.Get()).Status();
}

status_t
BNode::GetStat(struct stat* info) const
{
	if (info == nullptr)
		return B_BAD_VALUE;
	if (!fFd.IsValid())
		return fStatus;
	BPrivate::Result<struct stat> got = BPrivate::System::Stat(fFd.Get());
	if (!got)
		return got.Status();
	*info = got.Value();
	return B_OK;
}

status_t
BNode::GetPermissions(mode_t* permissions) const
{
	return BPrivate::GetStatField(
		*this, permissions, [](const struct stat& info) { return mode_t(info.st_mode & 07777); });
}

status_t
BNode::SetPermissions(mode_t permissions)
{
	if (!fFd.IsValid())
		return fStatus;
	return BPrivate::System::SetMode(fFd.Get(), permissions & 07777).Status();
}
