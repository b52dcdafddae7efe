// SPDX-License-Identifier: MIT
// Any bytes as an image file, down the road quillpix-export takes: the file
// is loaded through the translation kit, the bitmap brought into the colour
// space an image window holds (and into the other one), and the export text
// made and written. Every bitmap the loader gives must be whole and within
// its limits, the conversions must keep its bounds, and the text and the
// written file must be exactly the reference text.
//
// The first input byte picks the file's extension (which must change nothing:
// the content alone picks the reader); the rest is the file.

#include "ReferenceSourceText.h"
#include "export/BitmapConversion.h"
#include "export/BitmapSourceExport.h"
#include "export/FormatBitmapSource.h"

#include <Bitmap.h>
#include <TranslationUtils.h>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

namespace {

const char* const kExtensions[] = {"png", "jpg", "gif", "bmp", "tga", "webp", "tiff", "ico", "xpm",
	"ppm", "cur", "icb", "", "PNG", "Tga"};

// The loader's promise: no image above 8192 x 8192 pixels.
constexpr int64 kMaxPixels = int64(8192) * 8192;
// Bitmaps up to this size get their whole text compared and their file
// written; larger ones have their text cut off early to keep runs fast.
constexpr int32 kCompareLimit = 64 << 10;
constexpr size_t kPrefixLimit = 64 << 10;
// Run-length files of a few bytes may rightly decode to millions of pixels;
// converting those again into the other space costs seconds under the
// sanitizers and finds nothing the smaller ones do not.
constexpr int64 kSecondConversionLimit = int64(1) << 20;

std::string sDirectory;

[[noreturn]] void
Fail(const char* what)
{
	fprintf(stderr, "fuzz_image_export: %s\n", what);
	abort();
}

void
RemoveDirectory()
{
	if (sDirectory.empty())
		return;
	if (DIR* directory = opendir(sDirectory.c_str())) {
		while (dirent* entry = readdir(directory)) {
			if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0)
				unlink((sDirectory + "/" + entry->d_name).c_str());
		}
		closedir(directory);
	}
	rmdir(sDirectory.c_str());
}

// How many entries the scratch directory holds.
int
CountEntries()
{
	int count = 0;
	if (DIR* directory = opendir(sDirectory.c_str())) {
		while (dirent* entry = readdir(directory)) {
			if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0)
				count++;
		}
		closedir(directory);
	}
	return count;
}

void
CheckBitmap(const BBitmap& bitmap)
{
	if (!bitmap.IsValid() || bitmap.Bits() == nullptr)
		Fail("the loader gave a bitmap without bits");
	const int64 width = bitmap.Width();
	const int64 height = bitmap.Height();
	if (width <= 0 || height <= 0 || width * height > kMaxPixels)
		Fail("the loader gave a bitmap outside its limits");
	switch (bitmap.ColorSpace()) {
	case B_RGB32:
	case B_RGBA32:
	case B_GRAY8:
	case B_CMAP8:
		break;
	default:
		Fail("the loader gave an unexpected colour space");
	}
	if (bitmap.BytesPerRow() != bytes_per_row_for(bitmap.ColorSpace(), int32(width))
		|| int64(bitmap.BitsLength()) != int64(bitmap.BytesPerRow()) * height) {
		Fail("the bitmap's layout is not the platform's");
	}
}

std::unique_ptr<BBitmap>
Converted(const BBitmap& source, color_space space)
{
	BPrivate::Result<std::unique_ptr<BBitmap>> result = ConvertedBitmap(source, space);
	std::unique_ptr<BBitmap> converted = result ? std::move(result).Value() : nullptr;
	if (!converted || converted->ColorSpace() != space || converted->Bounds() != source.Bounds())
		Fail("a conversion lost the bitmap or its bounds");
	return converted;
}

// The export of `bitmap`: the whole text against the reference and the file
// the export writes, or for a large bitmap the text's beginning only.
void
CheckExport(const BBitmap& bitmap)
{
	const BRect bounds = bitmap.Bounds();
	const uint8* bits = static_cast<const uint8*>(bitmap.Bits());
	const char* name = "icon_h";
	std::string text;
	bool cutShort = bitmap.BitsLength() > kCompareLimit;
	bool complete = FormatBitmapSource(name, bounds.left, bounds.top, bounds.right, bounds.bottom,
		bitmap.ColorSpace(), bits, bitmap.BitsLength(),
		[&](const char* piece, size_t length) -> ssize_t {
			if (cutShort && text.size() >= kPrefixLimit)
				return 0;
			text.append(piece, length);
			return ssize_t(length);
		});
	if (complete == cutShort)
		Fail("the text maker's answer does not match what it was given");
	if (cutShort)
		return;
	const std::string expected = ReferenceSourceText(name, bounds.left, bounds.top, bounds.right,
		bounds.bottom, bitmap.ColorSpace(), bits, bitmap.BitsLength());
	if (text != expected)
		Fail("the export text differs from the reference");

	const std::string output = sDirectory + "/icon_h";
	if (!ExportBitmapSource(&bitmap, output.c_str()))
		Fail("the export failed");
	std::ifstream written(output, std::ios::binary);
	std::string content(
		(std::istreambuf_iterator<char>(written)), std::istreambuf_iterator<char>());
	if (content != expected)
		Fail("the written file differs from the text");
	// The output alone (the input is gone already): no temporary file left.
	if (CountEntries() != 1)
		Fail("the export left a file behind");
	unlink(output.c_str());
}

} // namespace

extern "C" int
LLVMFuzzerInitialize(int*, char***)
{
	const char* base = getenv("TMPDIR");
	std::string pattern = std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm"
								  : base != nullptr                 ? base
																	: "/tmp")
		+ "/quillpix-fuzz-XXXXXX";
	if (mkdtemp(pattern.data()) == nullptr)
		Fail("no scratch directory");
	sDirectory = pattern;
	atexit(RemoveDirectory);
	return 0;
}

extern "C" int
LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	if (size == 0)
		return 0;
	const char* extension = kExtensions[data[0] % std::size(kExtensions)];
	const std::string path = sDirectory + "/input" + (extension[0] != '\0' ? "." : "") + extension;
	int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
	if (file < 0 || write(file, data + 1, size - 1) != ssize_t(size - 1))
		Fail("cannot write the input file");
	close(file);

	std::unique_ptr<BBitmap> bitmap(BTranslationUtils::GetBitmapFile(path.c_str()));
	unlink(path.c_str());
	if (!bitmap)
		return 0;
	CheckBitmap(*bitmap);

	// What an image window holds, then the other space, as the exporter's
	// --color-space option asks for it.
	const color_space held = bitmap->ColorSpace() == B_CMAP8 ? B_CMAP8 : B_RGB32;
	std::unique_ptr<BBitmap> window = bitmap->ColorSpace() == held ? std::move(bitmap)
																   : Converted(*bitmap, held);
	CheckExport(*window);
	if (int64(window->Width()) * window->Height() > kSecondConversionLimit)
		return 0;
	std::unique_ptr<BBitmap> other = Converted(*window, held == B_CMAP8 ? B_RGB32 : B_CMAP8);
	CheckExport(*other);
	return 0;
}
