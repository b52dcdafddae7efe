#pragma once

// Reading image files into bitmaps through the installed translators.

#include <Bitmap.h>

class BTranslatorRoster;

class BTranslationUtils {
public:
	// Reads the image file at `path` with whatever translator understands it
	// and returns a new bitmap that the caller owns, in the closest colour
	// space (B_RGB32 for opaque colour, B_RGBA32 with alpha, B_GRAY8 for grey,
	// B_CMAP8 when every colour of a palette image is a system-map colour).
	// Returns null for a missing, unreadable, corrupt or unsupported file, or
	// one larger than the loader's size limit. `roster` null: the default one.
	static BBitmap* GetBitmapFile(const char* path, BTranslatorRoster* roster = nullptr);
};
