#include "Node.h"

#include "Entry.h"
#include "Path.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/xattr.h>
#include <unistd.h>

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
	:
	fFd(-1),
	fStatus(B_NO_INIT)
{
}

BNode::BNode(const char* path)
	:
	fFd(-1),
	fStatus(B_NO_INIT)
{
	SetTo(path);
}

BNode::BNode(const entry_ref* ref)
	:
	fFd(-1),
	fStatus(B_NO_INIT)
{
	SetTo(ref);
}

BNode::BNode(const BEntry* entry)
	:
	fFd(-1),
	fStatus(B_NO_INIT)
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
		Adopt(-1, B_BAD_VALUE);
		return fStatus;
	}
	// Non-blocking, so that opening a FIFO without a writer returns at once.
	int fd;
	do {
		fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
	} while (fd < 0 && errno == EINTR);
	Adopt(fd, fd < 0 ? errno_to_status(errno) : B_OK);
	return fStatus;
}

status_t
BNode::SetTo(const entry_ref* ref)
{
	BPath path(ref);
	if (path.InitCheck() != B_OK) {
		Adopt(-1, path.InitCheck());
		return fStatus;
	}
	return SetTo(path.Path());
}

status_t
BNode::SetTo(const BEntry* entry)
{
	BPath path(entry);
	if (path.InitCheck() != B_OK) {
		Adopt(-1, path.InitCheck());
		return fStatus;
	}
	return SetTo(path.Path());
}

void
BNode::Unset()
{
	Adopt(-1, B_NO_INIT);
}

void
BNode::Adopt(int fd, status_t status)
{
	if (fFd >= 0)
		close(fFd);
	fFd = fd;
	fStatus = fd >= 0 ? B_OK : status;
}

ssize_t
BNode::WriteAttr(const char* name, type_code /*type*/, off_t offset, const void* buffer,
	size_t size)
{
	if (fFd < 0)
		return fStatus;
	if (name == nullptr || name[0] == '\0' || offset != 0 || (buffer == nullptr && size > 0))
		return B_BAD_VALUE;
	if (fsetxattr(fFd, AttributeName(name).c_str(), buffer, size, 0) != 0)
		return AttributeStatus(errno);
	return static_cast<ssize_t>(size);
}

ssize_t
BNode::ReadAttr(const char* name, type_code /*type*/, off_t offset, void* buffer,
	size_t size) const
{
	if (fFd < 0)
		return fStatus;
	if (name == nullptr || name[0] == '\0' || offset != 0 || (buffer == nullptr && size > 0))
		return B_BAD_VALUE;
	ssize_t length = fgetxattr(fFd, AttributeName(name).c_str(), buffer, size);
	if (length < 0)
		return AttributeStatus(errno);
	return length;
}

status_t
BNode::RemoveAttr(const char* name)
{
	if (fFd < 0)
		return fStatus;
	if (name == nullptr || name[0] == '\0')
		return B_BAD_VALUE;
	if (fremovexattr(fFd, AttributeName(name).c_str()) != 0)
		return AttributeStatus(errno);
	return B_OK;
}

status_t
BNode::Sync()
{
	if (fFd < 0)
		return fStatus;
	if (fsync(fFd) != 0)
		return errno_to_status(errno);
	return B_OK;
}

status_t
BNode::GetStat(struct stat* info) const
{
	if (info == nullptr)
		return B_BAD_VALUE;
	if (fFd < 0)
		return fStatus;
	if (fstat(fFd, info) != 0)
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
	if (fFd < 0)
		return fStatus;
	if (fchmod(fFd, permissions & 07777) != 0)
		return errno_to_status(errno);
	return B_OK;
}
