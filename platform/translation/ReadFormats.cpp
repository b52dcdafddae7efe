// SPDX-License-Identifier: MIT
#include "ReadFormats.h"

namespace BPrivate {

const std::vector<ReadFormat>&
ReadFormats()
{
	static const std::vector<ReadFormat> formats = {
		{"PNG", {"image/png"}, {"png"}},
		{"JPEG", {"image/jpeg"}, {"jpg", "jpeg", "jpe", "jfif"}},
		{"GIF", {"image/gif"}, {"gif"}},
		{"WebP", {"image/webp"}, {"webp"}},
		{"TIFF", {"image/tiff"}, {"tif", "tiff"}},
		{"BMP", {"image/bmp", "image/x-bmp"}, {"bmp", "dib"}},
		{"ICO", {"image/vnd.microsoft.icon", "image/x-icon", "image/x-win-bitmap"}, {"ico", "cur"}},
		{"PNM",
			{"image/x-portable-pixmap", "image/x-portable-graymap", "image/x-portable-bitmap",
				"image/x-portable-anymap"},
			{"ppm", "pgm", "pbm", "pnm"}},
		{"XPM", {"image/x-xpixmap"}, {"xpm"}},
		{"TGA", {"image/x-tga"}, {"tga", "icb", "vda", "vst"}},
		// The export records its type where the file system keeps it; the
		// desktop knows these files as C and C++ headers, which the program
		// does not claim.
		{"Quillpix source", {"text/x-source-code"}, {"h"}, FormatKind::kSourceText},
		{"Quillpix embed header", {"text/x-source-code"}, {"h"}, FormatKind::kSourceText},
	};
	return formats;
}

} // namespace BPrivate
