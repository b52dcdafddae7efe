#include "Errors.h"

#include <cerrno>

int32_t
errno_to_status(int error)
{
	switch (error) {
		case 0: return B_OK;
		case ENOMEM: return B_NO_MEMORY;
		case EIO: return B_IO_ERROR;
		case EACCES:
		case EPERM: return B_PERMISSION_DENIED;
		case EINVAL: return B_BAD_VALUE;
		case ENOENT: return B_ENTRY_NOT_FOUND;
		case EEXIST: return B_FILE_EXISTS;
		case ENAMETOOLONG: return B_NAME_TOO_LONG;
		case ENOTDIR: return B_NOT_A_DIRECTORY;
		case ENOTEMPTY: return B_DIRECTORY_NOT_EMPTY;
		case ENOSPC:
		case EFBIG:
		case EDQUOT: return B_DEVICE_FULL;
		case EROFS: return B_READ_ONLY_DEVICE;
		case EISDIR: return B_IS_A_DIRECTORY;
		case EMFILE:
		case ENFILE: return B_NO_MORE_FDS;
		case ELOOP: return B_LINK_LIMIT;
		case EBUSY: return B_BUSY;
		case EAGAIN: return B_WOULD_BLOCK;
		case EINTR: return B_INTERRUPTED;
		case ENOTSUP: return B_UNSUPPORTED;
		default: return B_ERROR;
	}
}
