#pragma once

// The program's command codes: the `what` of every message the program's
// own menus and windows send. They carry no fields.

#include <SupportDefs.h>

// To the application: open a window named "Untitled %d".
constexpr uint32 kMsgNewUntitled = 'NewD';
// To the application: show the Open panel.
constexpr uint32 kMsgOpen = 'Open';
// To a document window: show its save panel.
constexpr uint32 kMsgSaveAs = 'fdSA';
// To an image window: switch its bitmap to B_CMAP8 or to B_RGB32.
constexpr uint32 kMsgCmap8 = 'CoM8';
constexpr uint32 kMsgRgb32 = 'Co32';
