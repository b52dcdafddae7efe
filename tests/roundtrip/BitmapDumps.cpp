// SPDX-License-Identifier: MIT
#include "BitmapDumps.h"

#include "export/BitmapConversion.h"

#include <Bitmap.h>
#include <TranslationUtils.h>

#include <cstdio>
#include <memory>

namespace embedtest {

const char* const kDumpFunctions =
	"static int\nDumpBytes(const char* name, const uint8* bytes, size_t size)\n{\n"
	"\tFILE* file = fopen(name, \"wb\");\n"
	"\tfwrite(bytes, 1, size, file);\n"
	"\treturn fclose(file) == 0 ? 0 : 4;\n}\n"
	"\nstatic int\nDump(const char* name, PrefilledBitmap* bitmap, size_t size)\n{\n"
	"\tif (bitmap == nullptr || bitmap->InitCheck() != B_OK)\n\t\treturn 1;\n"
	"\tif (size_t(bitmap->BitsLength()) != size)\n\t\treturn 2;\n"
	"\tFILE* file = fopen(name, \"wb\");\n"
	"\tBRect r = bitmap->Bounds();\n"
	"\tfprintf(file, \"%g %g %g %g %d\\n\", r.left, r.top, r.right, r.bottom,\n"
	"\t\tint(bitmap->ColorSpace()));\n"
	"\tfwrite(bitmap->Bits(), 1, size, file);\n"
	"\treturn fclose(file) == 0 ? 0 : 4;\n}\n";

std::string
ExpectedDump(const std::string& imageFile, color_space space, bool bytesOnly)
{
	std::unique_ptr<BBitmap> bitmap(BTranslationUtils::GetBitmapFile(imageFile.c_str()));
	if (bitmap && bitmap->ColorSpace() != space)
		bitmap = ConvertedBitmap(*bitmap, space).Value();
	if (!bitmap)
		return std::string();
	const std::string bytes(static_cast<const char*>(bitmap->Bits()), size_t(bitmap->BitsLength()));
	if (bytesOnly)
		return bytes;
	BRect bounds = bitmap->Bounds();
	char head[128];
	snprintf(head, sizeof(head), "%g %g %g %g %d\n", bounds.left, bounds.top, bounds.right,
		bounds.bottom, int(space));
	return head + bytes;
}

} // namespace embedtest
