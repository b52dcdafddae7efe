// SPDX-License-Identifier: MIT
#include "LockChecks.h"

#include "Looper.h"

#include <cstdio>
#include <cstdlib>

namespace BPrivate {

void
CheckLocked(const BLooper* looper, const char* function)
{
	if (looper == nullptr || looper->Thread() < 0 || looper->IsLocked())
		return;
	fprintf(stderr,
		"%s: called on thread %d without the lock of looper \"%s\" "
		"(held by thread %d)\n",
		function, static_cast<int>(find_thread(nullptr)),
		looper->Name() != nullptr ? looper->Name() : "", static_cast<int>(looper->LockingThread()));
	abort();
}

} // namespace BPrivate
