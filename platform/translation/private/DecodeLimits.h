// SPDX-License-Identifier: MIT
#pragma once

// The bounds every reader keeps to, so that a hostile or forged file cannot
// make the kit reserve much more memory or time than the image it claims to
// hold is worth. Private to the translation kit.

#include <Result.h>
#include <SupportDefs.h>

#include <cstddef>

namespace BPrivate {

// Pixels of one image: 8192 x 8192, in any shape.
constexpr int64 kMaxImageSide = 8192;
constexpr int64 kMaxImagePixels = kMaxImageSide * kMaxImageSide;
// Bytes of an image file read into memory.
constexpr size_t kMaxImageFileSize = size_t(512) << 20;
// Bytes of one block of metadata (a text chunk, a profile, a comment), and
// the memory a decode may use beyond twice the bitmap it makes.
constexpr size_t kMaxMetadataBytes = size_t(8) << 20;
constexpr size_t kDecodeOverhead = size_t(16) << 20;

// Success when an image of `width` by `height` pixels may be decoded;
// otherwise the refusal that says what the file claims and what the limit
// is (B_NO_MEMORY), or that the size makes no sense (B_ILLEGAL_DATA for a
// width or height of 0 or less).
Result<void> CheckImageSize(int64 width, int64 height);

} // namespace BPrivate
