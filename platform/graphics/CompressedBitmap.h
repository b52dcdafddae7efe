// SPDX-License-Identifier: MIT
#pragma once

// What a source generated for a build with compression (quillpix-export
// --embed --compress) needs to make its bitmap: the bytes are one zstd frame,
// decompressed once, straight into the new bitmap's own bits. Light, as
// EmbeddedBitmap.h: only the integer types and status codes.
//
// Like BuildEmbeddedBitmap, each function builds `bitmap` on its first
// successful call and answers it as it is later; call it after the
// BApplication object has been constructed, on one thread at a time (the
// pointer is the caller's). On a failure it answers null, leaves `bitmap`
// null and, when `error` is not null, sets it to the reason (B_OK on
// success):
//   B_NO_MEMORY          the bitmap could not be made (or the bitmap's own
//                        InitCheck() for bounds or a space it refuses)
//   B_MISMATCHED_VALUES  the frame, the size given or the bitmap disagree
//                        about how many bytes the bitmap holds
//   B_BAD_DATA           the frame is corrupt or cut short (zstd refused it
//                        or its checksum did not match)
// status_text() gives the words for each. No bitmap is kept after a failure:
// a failed call fails the same way when called again. Each thread that
// decompresses keeps one zstd context (about 100 KB) for its later calls.

#include <SupportDefs.h>

class PrefilledBitmap;

// `frame` is `frameSize` bytes: one zstd frame that holds `size` bytes, the
// pixels of the inclusive bounds (left, top, right, bottom) in `colorSpace`
// (a color_space value) with the bitmap's own row padding.
PrefilledBitmap* BuildCompressedBitmap(PrefilledBitmap*& bitmap, const void* frame,
	size_t frameSize, size_t size, float left, float top, float right, float bottom, int colorSpace,
	status_t* error);

// The same for `bits` as they are, `size` bytes: what a build with
// compression embeds for an image that would not have been much smaller,
// so that a program calls both kinds the same way.
PrefilledBitmap* BuildCheckedBitmap(PrefilledBitmap*& bitmap, const void* bits, size_t size,
	float left, float top, float right, float bottom, int colorSpace, status_t* error);
