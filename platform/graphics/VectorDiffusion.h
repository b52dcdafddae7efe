// SPDX-License-Identifier: MIT
#pragma once

// Floyd-Steinberg error diffusion into the system colour map with SSSE3 and
// SSE4.1: the same bands, order, shares and integer arithmetic as the plain
// loop in ColorMapDither.cpp, so the same bytes, with a shorter chain of
// steps from one pixel's answer to the next one's.

#include <Bitmap.h>

class CellCandidateTable;

// Whether this build has the vector loop and the processor it runs on can
// run it.
bool VectorDiffusionUsable();

// Diffuses `source` (B_RGB32, or B_RGBA32 when `alpha`) into `target`
// (B_CMAP8, the same bounds). Only when VectorDiffusionUsable().
void DiffuseIntoMapWithVectors(
	const BBitmap& source, BBitmap& target, const CellCandidateTable& table, bool alpha);
