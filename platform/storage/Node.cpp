#include "Node.h"

#include "Entry.h"
#include "Path.h"

#include <RetryOnInterrupt.h>

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/xattr.h>
#include <unistd.h>
#include <utility>

namespace {

std::string
AttributeName(const char* name)
{
	return std::string("user.") + name;
}

status_t
AttributeStatus(int error)
{
	if (error == ENODATA)
		return B_ENTRY_NOT_FOUND;
	if (error == ENOTSUP)
		return B_UNSUPPORTED;
	if (error == ERANGE)
		return B_BAD_VALUE;
	return errno_to_status(error);
}

} // namespace

BNode::BNode()
{
}

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
	BPrivate::UniqueFd fd(BPrivate::RetryOnInterrupt([&] {
		return open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
	}));
	status_t status = fd.IsValid() ? B_OK : errno_to_status(errno);
	Adopt(std::move(fd), status);
	return fStatus;
}

status_t
BNode::SetTo(const entry_ref* ref)
{
	BPath path(ref);
	if (path.InitCheck() != B_OK) {
		Adopt(BPrivate::UniqueFd(), path.InitCheck());
		return fStatus;
	}
	return SetTo(path.Path());
}

status_t
BNode::SetTo(const BEntry* entry)
{
	BPath path(entry);
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
BNode::WriteAttr(const char* name, type_code /*type*/, off_t offset, const void* buffer,
	size_t size)
{
	if (!fFd.IsValid())
		return fStatus;
	if (name == nullptr || name[0] == '\0' || offset != 0 || (buffer == nullptr && size > 0))
		return B_BAD_VALUE;
	if (fsetxattr(fFd.Get(), AttributeName(name).c_str(), buffer, size, 0) != 0)
		return AttributeStatus(errno);
	return static_cast<ssize_t>(size);
}

ssize_t
BNode::ReadAttr(const char* name, type_code /*type*/, off_t offset, void* buffer,
	size_t size) const
{
	if (!fFd.IsValid())
		return fStatus;
	if (name == nullptr || name[0] == '\0' || offset != 0 || (buffer == nullptr && size > 0))
		return B_BAD_VALUE;
	ssize_t length = fgetxattr(fFd.Get(), AttributeName(name).c_str(), buffer, size);
	if (length < 0)
		return AttributeStatus(errno);
	return length;
}

status_t
BNode::RemoveAttr(const char* name)
{
	if (!fFd.IsValid())
		return fStatus;
	if (name == nullptr || name[0] == '\0')
		return B_BAD_VALUE;
	if (fremovexattr(fFd.Get(), AttributeName(name).c_str()) != 0)
		return AttributeStatus(errno);
	return B_OK;
}

status_t
BNode::Sync()
{
	if (!fFd.IsValid())
		return fStatus;
	if (fsync(fFd.Get()) != 0)
		return errno_to_status(errno);
	return B_OK;
}

status_t
BNode::GetStat(struct stat* info) const
{
	if (info == nullptr)
		return B_BAD_VALUE;
	if (!fFd.IsValid())
		return fStatus;
	if (fstat(fFd.Get(), info) != 0)
		return errno_to_status(errno);
	return B_OK;
}

status_t
BNode::GetPermissions(mode_t* permissions) const
{
	if (permissions == nullptr)
		return B_BAD_VALUE;
	struct stat info;
	status_t status = GetStat(&info);
	if (status != B_OK)
		return status;
	*permissions = info.st_mode & 07777;
	return B_OK;
}

status_t
BNode::SetPermissions(mode_t permissions)
{
	if (!fFd.IsValid())
		return fStatus;
	if (fchmod(fFd.Get(), permissions & 07777) != 0)
		return errno_to_status(errno);
	return B_OK;
}
