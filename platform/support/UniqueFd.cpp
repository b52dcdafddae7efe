// SPDX-License-Identifier: MIT
#include "UniqueFd.h"

#include <cerrno>
#include <unistd.h>

namespace BPrivate {

UniqueFd&
UniqueFd::operator=(UniqueFd&& other) noexcept
{
	if (this != &other)
		Reset(other.Release());
	return *this;
}

int
UniqueFd::Release()
{
	int fd = fFd;
	fFd = -1;
	return fd;
}

void
UniqueFd::Reset(int fd)
{
	if (fFd >= 0 && fFd != fd) {
		int error = errno;
		close(fFd);
		errno = error;
	}
	fFd = fd;
}

} // namespace BPrivate
