// SPDX-License-Identifier: MIT
#pragma once

// Status codes: B_OK for success, negative values for failure.

#include <cstdint>

enum : int32_t {
	B_OK = 0,
	B_ERROR = -1,
	B_NO_ERROR = 0,

	B_GENERAL_ERROR_BASE = INT32_MIN,
	B_NO_MEMORY = B_GENERAL_ERROR_BASE + 0,
	B_IO_ERROR = B_GENERAL_ERROR_BASE + 1,
	B_PERMISSION_DENIED = B_GENERAL_ERROR_BASE + 2,
	B_BAD_INDEX = B_GENERAL_ERROR_BASE + 3,
	B_BAD_TYPE = B_GENERAL_ERROR_BASE + 4,
	B_BAD_VALUE = B_GENERAL_ERROR_BASE + 5,
	B_MISMATCHED_VALUES = B_GENERAL_ERROR_BASE + 6,
	B_NAME_NOT_FOUND = B_GENERAL_ERROR_BASE + 7,
	B_NAME_IN_USE = B_GENERAL_ERROR_BASE + 8,
	B_TIMED_OUT = B_GENERAL_ERROR_BASE + 9,
	B_INTERRUPTED = B_GENERAL_ERROR_BASE + 10,
	B_WOULD_BLOCK = B_GENERAL_ERROR_BASE + 11,
	B_CANCELED = B_GENERAL_ERROR_BASE + 12,
	B_NO_INIT = B_GENERAL_ERROR_BASE + 13,
	B_NOT_ALLOWED = B_GENERAL_ERROR_BASE + 15,
	B_BAD_DATA = B_GENERAL_ERROR_BASE + 16,
	B_UNSUPPORTED = B_GENERAL_ERROR_BASE + 17,
	B_BAD_THREAD_ID = B_GENERAL_ERROR_BASE + 0x1000 + 0x100,
	B_NO_MORE_THREADS = B_GENERAL_ERROR_BASE + 0x1000 + 0x101,

	B_STORAGE_ERROR_BASE = B_GENERAL_ERROR_BASE + 0x6000,
	B_FILE_ERROR = B_STORAGE_ERROR_BASE + 0,
	B_FILE_NOT_FOUND = B_STORAGE_ERROR_BASE + 1,
	B_FILE_EXISTS = B_STORAGE_ERROR_BASE + 2,
	B_ENTRY_NOT_FOUND = B_STORAGE_ERROR_BASE + 3,
	B_NAME_TOO_LONG = B_STORAGE_ERROR_BASE + 4,
	B_NOT_A_DIRECTORY = B_STORAGE_ERROR_BASE + 5,
	B_DIRECTORY_NOT_EMPTY = B_STORAGE_ERROR_BASE + 6,
	B_DEVICE_FULL = B_STORAGE_ERROR_BASE + 7,
	B_READ_ONLY_DEVICE = B_STORAGE_ERROR_BASE + 8,
	B_IS_A_DIRECTORY = B_STORAGE_ERROR_BASE + 9,
	B_NO_MORE_FDS = B_STORAGE_ERROR_BASE + 10,
	B_CROSS_DEVICE_LINK = B_STORAGE_ERROR_BASE + 11,
	B_LINK_LIMIT = B_STORAGE_ERROR_BASE + 12,
	B_BUSY = B_STORAGE_ERROR_BASE + 14,

	B_TRANSLATION_ERROR_BASE = B_GENERAL_ERROR_BASE + 0x4800,
	B_NO_TRANSLATOR = B_TRANSLATION_ERROR_BASE + 1,
	B_ILLEGAL_DATA = B_TRANSLATION_ERROR_BASE + 2,

	B_APP_ERROR_BASE = B_GENERAL_ERROR_BASE + 0x2000,
	B_BAD_HANDLER = B_APP_ERROR_BASE + 4,
	B_BAD_PORT_ID = B_GENERAL_ERROR_BASE + 0x1000 + 0x20,
};

static_assert(B_FILE_ERROR == static_cast<int32_t>(0x80006000));
static_assert(B_NO_MEMORY == static_cast<int32_t>(0x80000000));
static_assert(B_NO_MORE_THREADS == static_cast<int32_t>(0x80001101));

// The closest status code for the errno value a failed call left; the one
// place errno values are mapped. 0 (a failure that gave no reason) is
// B_ERROR, so that a failure is never answered as B_OK.
int32_t errno_to_status(int error);
// The status a thread that could not be made answers for the error the
// system's thread creation gave: B_NO_MEMORY for ENOMEM, B_NO_MORE_THREADS
// for anything else (EAGAIN: the limit of threads, or a resource short).
int32_t thread_error_to_status(int error);

// The platform's words for a status code, as strerror gives them for errno
// values ("No such file or directory" for B_ENTRY_NOT_FOUND). Never null.
const char* status_text(int32_t status);
