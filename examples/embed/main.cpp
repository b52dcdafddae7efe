// SPDX-License-Identifier: MIT
// Builds the bitmaps of the images compiled into this program and describes
// them: size, colour space, byte count and a checksum of the bytes.

#include "quillpix-images/quill.h"
#include "quillpix-images/save_file.h"

#include <cstdio>

namespace {

const char*
ColorSpaceName(color_space space)
{
	switch (space) {
	case B_CMAP8:
		return "B_CMAP8";
	case B_RGB32:
		return "B_RGB32";
	default:
		return "other";
	}
}

// FNV-1a over the bitmap's bytes.
uint32
Checksum(const BBitmap* bitmap)
{
	uint32 hash = 2166136261u;
	const uint8* bytes = static_cast<const uint8*>(bitmap->Bits());
	for (int32 i = 0; i < bitmap->BitsLength(); i++)
		hash = (hash ^ bytes[i]) * 16777619u;
	return hash;
}

bool
Describe(const char* name, const BBitmap* bitmap)
{
	if (bitmap == nullptr || bitmap->InitCheck() != B_OK) {
		fprintf(stderr, "%s: no bitmap\n", name);
		return false;
	}
	BRect bounds = bitmap->Bounds();
	printf("%s: %d x %d %s, %d bytes, checksum %08x\n", name, static_cast<int>(bounds.Width()) + 1,
		static_cast<int>(bounds.Height()) + 1, ColorSpaceName(bitmap->ColorSpace()),
		static_cast<int>(bitmap->BitsLength()), static_cast<unsigned>(Checksum(bitmap)));
	return true;
}

} // namespace

int
main()
{
	// A real program makes its BApplication first; the bitmaps come after.
	bool ok = Describe("quill", quill_MakeBitmap());
	ok = Describe("save_file", save_file_MakeBitmap()) && ok;
	delete quill_MICN;
	delete save_file_MICN;
	return ok ? 0 : 1;
}
