// SPDX-License-Identifier: MIT
#pragma once

// System calls that a signal may interrupt before they did anything answer
// -1 with errno EINTR; such a call is simply made again.

#include <cerrno>

namespace BPrivate {

// Calls `call` until it answers something other than -1 with errno EINTR,
// and answers that. errno is left as the last call left it.
template <typename Call>
auto
RetryOnInterrupt(Call&& call) -> decltype(call())
{
	decltype(call()) result;
	do {
		result = call();
	} while (result == -1 && errno == EINTR);
	return result;
}

} // namespace BPrivate
