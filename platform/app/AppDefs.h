// SPDX-License-Identifier: MIT
#pragma once

// Message codes of the application and interface kits and the type codes of
// message fields, with the platform's four-character values (the first
// character in the most significant byte: 'Open' is 0x4F70656E).

#include <SupportDefs.h>

// System message codes.
enum : uint32 {
	B_ABOUT_REQUESTED = '_ABR',
	B_APP_ACTIVATED = '_ACT',
	B_WINDOW_ACTIVATED = '_ACT',
	B_ARGV_RECEIVED = '_ARG',
	B_QUIT_REQUESTED = '_QRQ',
	B_CLOSE_REQUESTED = '_QRQ',
	B_CANCEL = '_CNC',
	B_KEY_DOWN = '_KYD',
	B_KEY_UP = '_KYU',
	B_UNMAPPED_KEY_DOWN = '_UKD',
	B_UNMAPPED_KEY_UP = '_UKU',
	B_MODIFIERS_CHANGED = '_MCH',
	B_MINIMIZE = '_WMN',
	B_MOUSE_DOWN = '_MDN',
	B_MOUSE_MOVED = '_MMV',
	B_MOUSE_UP = '_MUP',
	B_MOUSE_WHEEL_CHANGED = '_MWC',
	B_PULSE = '_PUL',
	B_READY_TO_RUN = '_RTR',
	// The refs-received message: entry_refs in its field "refs" (B_REF_TYPE).
	B_REFS_RECEIVED = '_RRC',
	B_SCREEN_CHANGED = '_SCH',
	B_VALUE_CHANGED = '_VAL',
	B_VIEW_MOVED = '_VMV',
	B_VIEW_RESIZED = '_VRS',
	B_WINDOW_MOVED = '_WMV',
	B_WINDOW_RESIZED = '_WRS',
	B_WORKSPACES_CHANGED = '_WCG',
	B_WORKSPACE_ACTIVATED = '_WAC',
	B_ZOOM = '_WZM',
	B_MESSAGE_NOT_UNDERSTOOD = '_MNU',
	B_NO_REPLY = '_NRP',
	B_REPLY = '_RPY',
	B_SILENT_RELAUNCH = 'AREL',
	// Sent by a save panel with "directory" (B_REF_TYPE) and "name" (string).
	B_SAVE_REQUESTED = 'SAVE',
	B_SIMPLE_DATA = 'DATA',
	B_CUT = 'CCUT',
	B_COPY = 'COPY',
	B_PASTE = 'PSTE',
	B_SELECT_ALL = 'SALL',
	B_UNDO = 'UNDO',
	B_REDO = 'REDO',
};

// Type codes of message fields.
enum : type_code {
	B_ANY_TYPE = 'ANYT',
	B_BOOL_TYPE = 'BOOL',
	B_CHAR_TYPE = 'CHAR',
	B_DOUBLE_TYPE = 'DBLE',
	B_FLOAT_TYPE = 'FLOT',
	B_INT8_TYPE = 'BYTE',
	B_INT16_TYPE = 'SHRT',
	B_INT32_TYPE = 'LONG',
	B_INT64_TYPE = 'LLNG',
	B_UINT8_TYPE = 'UBYT',
	B_UINT16_TYPE = 'USHT',
	B_UINT32_TYPE = 'ULNG',
	B_UINT64_TYPE = 'ULLG',
	B_MESSAGE_TYPE = 'MSGG',
	B_MESSENGER_TYPE = 'MSNG',
	B_POINTER_TYPE = 'PNTR',
	B_POINT_TYPE = 'BPNT',
	B_RECT_TYPE = 'RECT',
	B_REF_TYPE = 'RREF',
	B_RGB_COLOR_TYPE = 'RGBC',
	B_STRING_TYPE = 'CSTR',
	B_RAW_TYPE = 'RAWT',
	B_MIME_TYPE = 'MIME',
};

// Looper queues are unbounded here; the constant exists for source
// compatibility with BLooper's constructor.
constexpr int32 B_LOOPER_PORT_DEFAULT_CAPACITY = 200;
