// SPDX-License-Identifier: MIT
#pragma once

// Constants of the interface kit: window types and flags, view resizing
// modes and flags, menu layouts, alert kinds, modifier keys, screens.

#include <GraphicsDefs.h>
#include <SupportDefs.h>

enum window_type : int32 {
	B_UNTYPED_WINDOW = 0,
	B_TITLED_WINDOW = 1,
	B_MODAL_WINDOW = 3,
	B_DOCUMENT_WINDOW = 11,
	B_BORDERED_WINDOW = 20,
	B_FLOATING_WINDOW = 21,
};

// Window flags.
enum : uint32 {
	B_NOT_MOVABLE = 0x00000001,
	B_NOT_CLOSABLE = 0x00000020,
	B_NOT_ZOOMABLE = 0x00000040,
	B_NOT_MINIMIZABLE = 0x00004000,
	B_NOT_RESIZABLE = 0x00000002,
	B_NOT_H_RESIZABLE = 0x00000004,
	B_NOT_V_RESIZABLE = 0x00000008,
	B_AVOID_FRONT = 0x00000080,
	B_AVOID_FOCUS = 0x00002000,
	B_WILL_ACCEPT_FIRST_CLICK = 0x00000010,
	B_OUTLINE_RESIZE = 0x00001000,
	B_NO_WORKSPACE_ACTIVATION = 0x00000100,
	B_NOT_ANCHORED_ON_ACTIVATE = 0x00020000,
	B_ASYNCHRONOUS_CONTROLS = 0x00080000,
	B_QUIT_ON_WINDOW_CLOSE = 0x00100000,
};

// Workspaces.
enum : uint32 {
	B_CURRENT_WORKSPACE = 0,
	B_ALL_WORKSPACES = 0xffffffff,
};

// How a view follows its parent when the parent is resized. The high byte
// rules the horizontal edges, the low byte the vertical ones; combine one of
// each with |. The values are chosen so that B_FOLLOW_LEFT_RIGHT |
// B_FOLLOW_TOP is 0x1214 and B_FOLLOW_ALL 0x1234. B_FOLLOW_NONE (and any
// unknown byte) behaves as B_FOLLOW_LEFT | B_FOLLOW_TOP.
enum : uint32 {
	B_FOLLOW_NONE = 0,
	B_FOLLOW_LEFT = 0x1100,
	B_FOLLOW_RIGHT = 0x2200,
	B_FOLLOW_LEFT_RIGHT = 0x1200,
	B_FOLLOW_H_CENTER = 0x5500,
	B_FOLLOW_TOP = 0x0014,
	B_FOLLOW_BOTTOM = 0x0033,
	B_FOLLOW_TOP_BOTTOM = 0x0034,
	B_FOLLOW_V_CENTER = 0x0055,
	B_FOLLOW_ALL_SIDES = 0x1234,
	B_FOLLOW_ALL = B_FOLLOW_ALL_SIDES,
};
static_assert((B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP) == 0x1214);
static_assert(B_FOLLOW_ALL == 0x1234);

// Masks of the two halves of a resizing mode.
constexpr uint32 B_FOLLOW_HORIZONTAL_MASK = 0xff00;
constexpr uint32 B_FOLLOW_VERTICAL_MASK = 0x00ff;

// View flags.
enum : uint32 {
	B_FULL_UPDATE_ON_RESIZE = 0x80000000,
	B_WILL_DRAW = 0x20000000,
	B_PULSE_NEEDED = 0x10000000,
	B_NAVIGABLE_JUMP = 0x08000000,
	B_FRAME_EVENTS = 0x04000000,
	B_NAVIGABLE = 0x02000000,
	B_SUBPIXEL_PRECISE = 0x01000000,
	B_DRAW_ON_CHILDREN = 0x00800000,
};

enum menu_layout : int32 {
	B_ITEMS_IN_ROW = 0,
	B_ITEMS_IN_COLUMN = 1,
	B_ITEMS_IN_MATRIX = 2,
};

enum button_width : int32 {
	B_WIDTH_AS_USUAL = 0,
	B_WIDTH_FROM_WIDEST = 1,
	B_WIDTH_FROM_LABEL = 2,
};

enum alert_type : int32 {
	B_EMPTY_ALERT = 0,
	B_INFO_ALERT = 1,
	B_IDEA_ALERT = 2,
	B_WARNING_ALERT = 3,
	B_STOP_ALERT = 4,
};

// Modifier keys, as carried by key messages ("modifiers") and menu items.
enum : uint32 {
	B_SHIFT_KEY = 0x00000001,
	B_COMMAND_KEY = 0x00000002,
	B_CONTROL_KEY = 0x00000004,
	B_CAPS_LOCK = 0x00000008,
	B_SCROLL_LOCK = 0x00000010,
	B_NUM_LOCK = 0x00000020,
	B_OPTION_KEY = 0x00000040,
	B_MENU_KEY = 0x00000080,
	B_LEFT_SHIFT_KEY = 0x00000100,
	B_RIGHT_SHIFT_KEY = 0x00000200,
	B_LEFT_COMMAND_KEY = 0x00000400,
	B_RIGHT_COMMAND_KEY = 0x00000800,
	B_LEFT_CONTROL_KEY = 0x00001000,
	B_RIGHT_CONTROL_KEY = 0x00002000,
	B_LEFT_OPTION_KEY = 0x00004000,
	B_RIGHT_OPTION_KEY = 0x00008000,
};

// The bytes of the keys that carry no character, as key messages ("bytes")
// and KeyDown hand them on.
enum : uint8 {
	B_BACKSPACE = 0x08,
	B_RETURN = 0x0a,
	B_ENTER = 0x0a,
	B_SPACE = 0x20,
	B_TAB = 0x09,
	B_ESCAPE = 0x1b,
	B_LEFT_ARROW = 0x1c,
	B_RIGHT_ARROW = 0x1d,
	B_UP_ARROW = 0x1e,
	B_DOWN_ARROW = 0x1f,
	B_INSERT = 0x05,
	B_DELETE = 0x7f,
	B_HOME = 0x01,
	B_END = 0x04,
	B_PAGE_UP = 0x0b,
	B_PAGE_DOWN = 0x0c,
	B_FUNCTION_KEY = 0x10,
};

enum orientation : int32 {
	B_HORIZONTAL = 0,
	B_VERTICAL = 1,
};

// The thickness of scroll bars.
constexpr float B_V_SCROLL_BAR_WIDTH = 14.0f;
constexpr float B_H_SCROLL_BAR_HEIGHT = 14.0f;

struct screen_id {
	int32 id;
	constexpr bool operator==(const screen_id&) const = default;
};
constexpr screen_id B_MAIN_SCREEN_ID = {0};

// The grey of windows and menu bars.
constexpr rgb_color B_PANEL_BACKGROUND_GREY = {216, 216, 216, 255};
constexpr rgb_color B_MENU_BACKGROUND_GREY = {219, 219, 219, 255};
