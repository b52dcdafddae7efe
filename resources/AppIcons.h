// SPDX-License-Identifier: MIT
#pragma once

// The application's icons, as the platform keeps them: B_CMAP8 indices into
// the system colour map, row by row, index 255 transparent. The mini icon
// ("BEOS:M:STD_ICON") is 16 by 16, the large one ("BEOS:L:STD_ICON") 32 by
// 32. The build turns both into PNG files for the desktop.

#include <SupportDefs.h>

#include <vector>

constexpr int32 kMiniIconSide = 16;
constexpr int32 kLargeIconSide = 32;

// kMiniIconSide * kMiniIconSide = 256 bytes.
extern const uint8* const kMiniIcon;
// kLargeIconSide * kLargeIconSide = 1024 bytes.
extern const uint8* const kLargeIcon;

// An icon's pixels as R, G, B, A bytes, row by row: each index looked up in
// the system colour map, index 255 fully transparent. What the desktop's
// PNG icons and the windows' icons show.
std::vector<uint8> IconRgba(const uint8* indices, int32 side);
