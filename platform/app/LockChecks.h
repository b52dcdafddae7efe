// SPDX-License-Identifier: MIT
#pragma once

// Debug checks of the locking rules the headers state ("with the window
// locked"). ASSERT_LOCKED(looper) stops the program, naming the function
// that broke the rule, when the calling thread does not hold the looper's
// lock. Two cases pass unchecked: a null looper (a view in no window, say)
// and a looper whose thread has not started yet, which belongs to the thread
// that made it (a window before its first Show, an offscreen bitmap's
// looper).
//
// Published with the kits, so that code built on them asserts the rules its
// own headers state the same way. Compiled in when QUILLPIX_CHECK_LOCKS is 1
// (Debug builds and the sanitizer builds); otherwise the macro is nothing at
// all.

class BLooper;

namespace BPrivate {

// Aborts with a message on standard error when `looper` is running and the
// calling thread does not hold its lock.
void CheckLocked(const BLooper* looper, const char* function);

} // namespace BPrivate

#if defined(QUILLPIX_CHECK_LOCKS) && QUILLPIX_CHECK_LOCKS
#define ASSERT_LOCKED(looper) BPrivate::CheckLocked((looper), __PRETTY_FUNCTION__)
#else
#define ASSERT_LOCKED(looper) ((void)0)
#endif
