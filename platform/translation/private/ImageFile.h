#pragma once

// Reading an image file into memory before any decoder sees it, so that a
// decoder never waits on a FIFO, a device or a directory. Private to the
// translation kit.

#include <PageMemory.h>
#include <SupportDefs.h>

#include <cstddef>

namespace BPrivate {

// Reads the whole regular file at `path` into `data`, its length into
// `size` (the block may be longer). Fails without
// blocking for anything but a regular file (B_IS_A_DIRECTORY, B_BAD_TYPE),
// with B_NO_MEMORY for a file longer than `limit`, and with the system's
// error for a missing or unreadable one. Runs on the caller's thread.
status_t ReadImageFile(const char* path, size_t limit, PageMemory& data, size_t& size);

} // namespace BPrivate
