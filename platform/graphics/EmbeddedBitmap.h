// SPDX-License-Identifier: MIT
#pragma once

// What a source generated for a build needs to make its bitmap, declared
// without the bitmap headers: such a source holds little more than the
// bytes, so that a program with hundreds of images compiles each one fast.
// It includes nothing, and so says int for the colour space (a color_space
// value) and plain types for the bounds.

class PrefilledBitmap;

// Builds `bitmap` on the first call, a PrefilledBitmap of the inclusive
// bounds (left, top, right, bottom) and colour space `colorSpace` filled
// from `bits`, and answers it; later calls answer it as it is. Call it after
// the BApplication object has been constructed.
PrefilledBitmap* BuildEmbeddedBitmap(PrefilledBitmap*& bitmap, const void* bits, float left,
	float top, float right, float bottom, int colorSpace);
