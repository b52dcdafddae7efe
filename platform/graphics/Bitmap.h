// SPDX-License-Identifier: MIT
#pragma once

// A bitmap: pixels in memory in one of the colour spaces of GraphicsDefs.h,
// laid out as on Be-API platforms, because the export writes these bytes for
// programs built on them. B_RGB32 and B_RGBA32 hold B, G, R, A per pixel;
// B_CMAP8 one index into the system colour map per pixel; every row is padded
// to a multiple of 4 bytes, and BitsLength() is bytes-per-row times rows.
//
// A bitmap made with `acceptsViews` can have views attached with AddChild;
// they draw straight into its pixels when their Draw runs or when they are
// asked to draw (DrawBitmap), with the bitmap's offscreen looper locked.
//
// Every generated image source includes this header, so it stays free of
// the standard library's containers and algorithms: the pixels and the view
// host are held by plain pointers that the bitmap alone owns and frees.

#include <GraphicsDefs.h>
#include <Rect.h>
#include <SupportDefs.h>

class BView;
class BWindow;

namespace BPrivate {

// The offscreen looper and view tree of a bitmap that accepts views. The
// interface kit makes one on the bitmap's first AddChild; the bitmap owns it.
class BitmapViewHost {
public:
	virtual ~BitmapViewHost() = default;
};

} // namespace BPrivate

class BBitmap {
public:
	// Bounds are inclusive pixel coordinates: (0, 0, 9, 4) is 10 by 5 pixels.
	// The pixels start zeroed. A bitmap whose bounds are invalid, whose colour
	// space is unknown or whose memory cannot be had reports it through
	// InitCheck() and has no bits.
	BBitmap(BRect bounds, color_space colorSpace, bool acceptsViews = false,
		bool needsContiguousMemory = false);
	virtual ~BBitmap();

	BBitmap(const BBitmap&) = delete;
	BBitmap& operator=(const BBitmap&) = delete;

	status_t InitCheck() const { return fInitStatus; }
	bool IsValid() const { return fInitStatus == B_OK; }

	BRect Bounds() const { return fBounds; }
	color_space ColorSpace() const { return fColorSpace; }
	void* Bits() const { return fBits; }
	int32 BitsLength() const { return fBitsLength; }
	int32 BytesPerRow() const { return fBytesPerRow; }
	int32 Width() const; // in pixels
	int32 Height() const; // in pixels

	// Copies `length` bytes of `data`, laid out in `colorSpace` with rows as
	// this bitmap's (the same width, each row padded to 4 bytes), into the
	// bitmap starting at byte `offset`, converting every pixel into the
	// bitmap's own colour space. Supported sources: every colour space of
	// GraphicsDefs.h. Data past the end of the bitmap is ignored.
	void SetBits(const void* data, int32 length, int32 offset, color_space colorSpace);

	bool AcceptsViews() const { return fAcceptsViews; }

	// Views drawing into the bitmap; only for a bitmap made with acceptsViews.
	// The bitmap owns attached views and deletes them with itself.
	// Defined by the interface kit's window side (BitmapViews.cpp).
	void AddChild(BView* view);
	bool RemoveChild(BView* view);
	int32 CountChildren() const;
	BView* ChildAt(int32 index) const;
	// The offscreen looper the attached views belong to; null before the
	// first AddChild.
	BWindow* OffscreenWindow() const;
	bool Lock();
	void Unlock();

	// Maximum number of pixels a bitmap may hold; a larger one fails
	// InitCheck with B_NO_MEMORY instead of exhausting memory.
	static constexpr int64 kMaxPixels = int64(16384) * 16384;

private:
	BRect fBounds;
	color_space fColorSpace;
	int32 fBytesPerRow = 0;
	int32 fBitsLength = 0;
	uint8* fBits = nullptr; // owned; from BPrivate::AllocatePageMemory
	size_t fBitsMapped = 0; // how fBits was had, for its deleter
	status_t fInitStatus = B_NO_INIT;
	bool fAcceptsViews;
	BPrivate::BitmapViewHost* fViewHost = nullptr; // owned
};

// Bytes per row of a bitmap `width` pixels wide in `colorSpace`, padded to 4;
// 0 for an unknown colour space.
int32 bytes_per_row_for(color_space colorSpace, int32 width);
// Bits per pixel of `colorSpace`; 0 when unknown.
int32 bits_per_pixel_for(color_space colorSpace);
