// SPDX-License-Identifier: MIT
// What ThreadSanitizer leaves out of its check in the Qt server's tests.

#include "support/QtThreadSuppressions.h"

#if defined(__SANITIZE_THREAD__)
extern "C" const char*
__tsan_default_suppressions()
{
	return QUILLPIX_QT_THREAD_SUPPRESSIONS;
}
#endif
