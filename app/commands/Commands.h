// SPDX-License-Identifier: MIT
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
// To an image window: convert its bitmap into B_RGBA32, B_RGB16, B_RGB15,
// B_RGBA15, B_GRAY8 or B_GRAY1.
constexpr uint32 kMsgRgba32 = 'CoA3';
constexpr uint32 kMsgRgb16 = 'Co16';
constexpr uint32 kMsgRgb15 = 'Co15';
constexpr uint32 kMsgRgba15 = 'CoA5';
constexpr uint32 kMsgGray8 = 'CoG8';
constexpr uint32 kMsgGray1 = 'CoG1';
// To an image window: convert its bitmap into B_RGB24, B_RGB24_BIG,
// B_RGB16_BIG, B_RGB15_BIG, B_RGBA15_BIG, B_RGB32_BIG or B_RGBA32_BIG.
constexpr uint32 kMsgRgb24 = 'Co24';
constexpr uint32 kMsgRgb24Big = 'CB24';
constexpr uint32 kMsgRgb16Big = 'CB16';
constexpr uint32 kMsgRgb15Big = 'CB15';
constexpr uint32 kMsgRgba15Big = 'CBA5';
constexpr uint32 kMsgRgb32Big = 'CB32';
constexpr uint32 kMsgRgba32Big = 'CBA3';
// To an image window: zoom in, zoom out, show the image at its actual size,
// fit it in the window. Zooming changes only what the window shows.
constexpr uint32 kMsgZoomIn = 'ZmIn';
constexpr uint32 kMsgZoomOut = 'ZmOu';
constexpr uint32 kMsgActualSize = 'ZmAc';
constexpr uint32 kMsgFitInWindow = 'ZmFt';
// To an image window: lay transparent pixels over a checkerboard, or show
// them in the magic colour again (the item is marked while they are).
constexpr uint32 kMsgShowTransparency = 'ZmTr';
// From an image window's view to its window: the scale the image is drawn
// at changed (the view's Scale() tells the new one).
constexpr uint32 kMsgScaleChanged = 'ZmCh';
// To an image window: how the next switch to a reduced colour space maps
// colours (the "Dithering" items of the "Image" menu).
constexpr uint32 kMsgDitherNone = 'DiNo';
constexpr uint32 kMsgDitherFloydSteinberg = 'DiFS';
constexpr uint32 kMsgDitherOrdered = 'DiOr';
// To an image window: read the image file again and show it as when opened.
constexpr uint32 kMsgRevertToFile = 'Rvrt';
// To an image window: put the text of its bitmap on the clipboard, or the
// bitmap as a picture (the "Edit" menu).
constexpr uint32 kMsgCopySource = 'CpSc';
constexpr uint32 kMsgCopyImage = 'CpIm';
// To the application: open the image on the clipboard in a new window named
// "Untitled %d".
constexpr uint32 kMsgPasteNewImage = 'PsNw';
