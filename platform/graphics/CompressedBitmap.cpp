// SPDX-License-Identifier: MIT
#include "CompressedBitmap.h"

#include "PrefilledBitmap.h"

#include <cstring>
#include <memory>
#include <new>
#include <zstd.h>

namespace {

struct ContextDeleter {
	void operator()(ZSTD_DCtx* context) const { ZSTD_freeDCtx(context); }
};

// One decompression context for each thread that makes bitmaps, kept for
// the next: a program makes hundreds of icons at its start, and a context
// of its own for each would cost about as much as decompressing an icon.
ZSTD_DCtx*
ThreadContext()
{
	thread_local std::unique_ptr<ZSTD_DCtx, ContextDeleter> context(ZSTD_createDCtx());
	return context.get();
}

PrefilledBitmap*
Answer(status_t status, status_t* error)
{
	if (error != nullptr)
		*error = status;
	return nullptr;
}

// An empty bitmap of the bounds, when it can be had and holds `size` bytes.
std::unique_ptr<PrefilledBitmap>
EmptyBitmap(
	size_t size, float left, float top, float right, float bottom, int colorSpace, status_t& status)
{
	std::unique_ptr<PrefilledBitmap> made(new (std::nothrow) PrefilledBitmap(
		BRect(left, top, right, bottom), static_cast<color_space>(colorSpace), nullptr));
	if (!made) {
		status = B_NO_MEMORY;
		return nullptr;
	}
	if (!made->IsValid()) {
		status = made->InitCheck();
		return nullptr;
	}
	if (size_t(made->BitsLength()) != size) {
		status = B_MISMATCHED_VALUES;
		return nullptr;
	}
	status = B_OK;
	return made;
}

} // namespace

PrefilledBitmap*
BuildCompressedBitmap(PrefilledBitmap*& bitmap, const void* frame, size_t frameSize, size_t size,
	float left, float top, float right, float bottom, int colorSpace, status_t* error)
{
	if (bitmap != nullptr) {
		if (error != nullptr)
			*error = B_OK;
		return bitmap;
	}
	// The frame says what it holds before anything is allocated for it.
	const unsigned long long holds = ZSTD_getFrameContentSize(frame, frameSize);
	if (holds == ZSTD_CONTENTSIZE_ERROR || holds == ZSTD_CONTENTSIZE_UNKNOWN)
		return Answer(B_BAD_DATA, error);
	if (holds != size)
		return Answer(B_MISMATCHED_VALUES, error);
	status_t status;
	std::unique_ptr<PrefilledBitmap> made = EmptyBitmap(
		size, left, top, right, bottom, colorSpace, status);
	if (!made)
		return Answer(status, error);
	// Into the bitmap's own bits, with no room for more than it holds: a
	// frame that would give more fails here instead of writing past them.
	ZSTD_DCtx* context = ThreadContext();
	if (context == nullptr)
		return Answer(B_NO_MEMORY, error);
	const size_t written = ZSTD_decompressDCtx(context, made->Bits(), size, frame, frameSize);
	if (ZSTD_isError(written))
		return Answer(B_BAD_DATA, error);
	if (written != size)
		return Answer(B_MISMATCHED_VALUES, error);
	if (error != nullptr)
		*error = B_OK;
	bitmap = made.release();
	return bitmap;
}

PrefilledBitmap*
BuildCheckedBitmap(PrefilledBitmap*& bitmap, const void* bits, size_t size, float left, float top,
	float right, float bottom, int colorSpace, status_t* error)
{
	if (bitmap == nullptr) {
		status_t status;
		std::unique_ptr<PrefilledBitmap> made = EmptyBitmap(
			size, left, top, right, bottom, colorSpace, status);
		if (!made)
			return Answer(status, error);
		std::memcpy(made->Bits(), bits, size);
		bitmap = made.release();
	}
	if (error != nullptr)
		*error = B_OK;
	return bitmap;
}
