// SPDX-License-Identifier: MIT
#include "Errors.h"

#include "Result.h"

#include <cerrno>
#include <cstring>

int32_t
errno_to_status(int error)
{
	switch (error) {
	case ENOMEM:
		return B_NO_MEMORY;
	case EIO:
		return B_IO_ERROR;
	case EACCES:
	case EPERM:
		return B_PERMISSION_DENIED;
	case EINVAL:
	case ERANGE:
		return B_BAD_VALUE;
	case EBADF:
		return B_FILE_ERROR;
	case EXDEV:
		return B_CROSS_DEVICE_LINK;
	case ENOENT:
	case ENODATA:
		return B_ENTRY_NOT_FOUND;
	case EEXIST:
		return B_FILE_EXISTS;
	case ENAMETOOLONG:
		return B_NAME_TOO_LONG;
	case ENOTDIR:
		return B_NOT_A_DIRECTORY;
	case ENOTEMPTY:
		return B_DIRECTORY_NOT_EMPTY;
	case ENOSPC:
	case EFBIG:
	case EDQUOT:
		return B_DEVICE_FULL;
	case EROFS:
		return B_READ_ONLY_DEVICE;
	case EISDIR:
		return B_IS_A_DIRECTORY;
	case EMFILE:
	case ENFILE:
		return B_NO_MORE_FDS;
	case ELOOP:
		return B_LINK_LIMIT;
	case EBUSY:
		return B_BUSY;
	case EAGAIN:
		return B_WOULD_BLOCK;
	case EINTR:
		return B_INTERRUPTED;
	case ENOTSUP:
		return B_UNSUPPORTED;
	default:
		return B_ERROR;
	}
}

int32_t
thread_error_to_status(int error)
{
	return error == ENOMEM ? B_NO_MEMORY : B_NO_MORE_THREADS;
}

const char*
status_text(int32_t status)
{
	switch (status) {
	case B_OK:
		return "No error";
	case B_NO_MEMORY:
		return "Out of memory";
	case B_IO_ERROR:
		return "Input/output error";
	case B_PERMISSION_DENIED:
		return "Permission denied";
	case B_BAD_VALUE:
		return "Invalid argument";
	case B_BAD_TYPE:
		return "Not a regular file";
	case B_TIMED_OUT:
		return "Timed out";
	case B_INTERRUPTED:
		return "Interrupted";
	case B_WOULD_BLOCK:
		return "Operation would block";
	case B_CANCELED:
		return "Cancelled";
	case B_NO_INIT:
		return "Not initialised";
	case B_NOT_ALLOWED:
		return "Operation not allowed";
	case B_BAD_DATA:
		return "Bad data";
	case B_UNSUPPORTED:
		return "Not supported";
	case B_NO_MORE_THREADS:
		return "No more threads";
	case B_FILE_ERROR:
		return "File error";
	case B_FILE_NOT_FOUND:
	case B_ENTRY_NOT_FOUND:
		return "No such file or directory";
	case B_FILE_EXISTS:
		return "File exists";
	case B_NAME_TOO_LONG:
		return "File name too long";
	case B_NOT_A_DIRECTORY:
		return "Not a directory";
	case B_DIRECTORY_NOT_EMPTY:
		return "Directory not empty";
	case B_DEVICE_FULL:
		return "No space left on device";
	case B_READ_ONLY_DEVICE:
		return "Read-only file system";
	case B_IS_A_DIRECTORY:
		return "Is a directory";
	case B_NO_MORE_FDS:
		return "Too many open files";
	case B_CROSS_DEVICE_LINK:
		return "Invalid cross-device link";
	case B_LINK_LIMIT:
		return "Too many levels of symbolic links";
	case B_BUSY:
		return "Device or resource busy";
	case B_NO_TRANSLATOR:
		return "Not an image that can be read";
	case B_ILLEGAL_DATA:
		return "Damaged image data";
	default:
		return "General error";
	}
}

namespace BPrivate {

Failure
Failure::FromSystem(int error, const char* call, const char* path)
{
	Failure failure(errno_to_status(error));
	failure.error = error;
	failure.call = call;
	if (path != nullptr)
		failure.path = path;
	return failure;
}

std::string
Failure::Reason() const
{
	if (!detail.empty())
		return detail;
	if (error > 0) {
		char buffer[128];
		// The GNU strerror_r: answers the words, in `buffer` or its own.
		return strerror_r(error, buffer, sizeof(buffer));
	}
	return status_text(status);
}

} // namespace BPrivate
