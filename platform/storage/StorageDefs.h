// SPDX-License-Identifier: MIT
#pragma once

// Constants of the storage kit: open modes, seek modes and name lengths.
// The open-mode bits keep the platform's values; BFile maps them onto the
// POSIX open flags.

#include <SupportDefs.h>

#include <cstdio>

enum : uint32 {
	B_READ_ONLY = 0x0000,
	B_WRITE_ONLY = 0x0001,
	B_READ_WRITE = 0x0002,
	B_FAIL_IF_EXISTS = 0x0100,
	B_CREATE_FILE = 0x0200,
	B_ERASE_FILE = 0x0400,
	B_OPEN_AT_END = 0x0800,
};

// The access part of an open mode (B_READ_ONLY, B_WRITE_ONLY or B_READ_WRITE).
constexpr uint32 B_ACCESS_MODE_MASK = 0x0003;

enum : int32 {
	B_FILE_NAME_LENGTH = 256, // a leaf, with its terminating NUL
	B_PATH_NAME_LENGTH = 1024, // a whole path, with its terminating NUL
	B_ATTR_NAME_LENGTH = 256,
	B_MIME_TYPE_LENGTH = B_ATTR_NAME_LENGTH - 15,
};

// Seek modes are the C library's SEEK_SET, SEEK_CUR and SEEK_END (0, 1, 2),
// which are also the platform's values.
static_assert(SEEK_SET == 0 && SEEK_CUR == 1 && SEEK_END == 2);
