// SPDX-License-Identifier: MIT
// The application's resources: icons drawn in the system colour map and
// their PNG form, the desktop entry, the signature.

#include "app/program/QuillpixApp.h"
#include "resources/AppIcons.h"
#include "resources/AppResources.h"
#include "resources/PngFile.h"
#include "support/Files.h"

#include <Bitmap.h>
#include <HeadlessServer.h>
#include <ImageReaderList.h>
#include <ReadFormats.h>
#include <SystemColorMap.h>
#include <TranslationUtils.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <unistd.h>

using testsupport::ReadWhole;

namespace {

// The value of `key` in a group of a desktop entry; empty when absent.
std::string
EntryValue(
	const std::string& entry, const std::string& key, const std::string& group = "Desktop Entry")
{
	std::istringstream lines(entry);
	std::string line;
	bool inGroup = false;
	while (std::getline(lines, line)) {
		if (!line.empty() && line[0] == '[')
			inGroup = line == "[" + group + "]";
		else if (inGroup && line.rfind(key + "=", 0) == 0)
			return line.substr(key.size() + 1);
	}
	return "";
}

std::set<std::string>
Split(const std::string& list)
{
	std::set<std::string> items;
	std::istringstream stream(list);
	std::string item;
	while (std::getline(stream, item, ';')) {
		if (!item.empty())
			items.insert(item);
	}
	return items;
}

rgb_color
PixelAt(const BBitmap& bitmap, int32 x, int32 y)
{
	const uint8* pixel = static_cast<const uint8*>(bitmap.Bits()) + y * bitmap.BytesPerRow()
		+ x * 4;
	return rgb_color{pixel[2], pixel[1], pixel[0], pixel[3]};
}

// The icon as a PNG file, decoded again through the translation kit, shows
// the colour map's colour at every opaque pixel and a hole at index 255.
void
ExpectPngShowsIcon(const std::string& path, const uint8* indices, int32 side)
{
	std::unique_ptr<BBitmap> decoded(BTranslationUtils::GetBitmapFile(path.c_str(), nullptr));
	ASSERT_TRUE(decoded) << path;
	ASSERT_EQ(decoded->Width(), side);
	ASSERT_EQ(decoded->Height(), side);
	const BPrivate::ColorMap& map = BPrivate::SystemColorMap();
	int32 holes = 0;
	for (int32 y = 0; y < side; y++) {
		for (int32 x = 0; x < side; x++) {
			uint8 index = indices[y * side + x];
			if (decoded->ColorSpace() == B_CMAP8) {
				EXPECT_EQ(
					static_cast<const uint8*>(decoded->Bits())[y * decoded->BytesPerRow() + x],
					index);
				continue;
			}
			rgb_color pixel = PixelAt(*decoded, x, y);
			if (index == B_TRANSPARENT_MAGIC_CMAP8) {
				holes++;
				EXPECT_LT(pixel.alpha, 128) << x << "," << y;
				continue;
			}
			rgb_color expected = map.ColorAt(index);
			expected.alpha = 255;
			EXPECT_EQ(pixel, expected) << x << "," << y;
		}
	}
	if (decoded->ColorSpace() != B_CMAP8) {
		EXPECT_GT(holes, 0);
	}
}

} // namespace

TEST(ResourcesTest, BuiltPngIconsShowTheCmapIconsThroughTheColourMap)
{
	const std::string icons = std::string(QUILLPIX_BINARY_DIR) + "/resources/icons/";
	ExpectPngShowsIcon(icons + "16x16/quillpix.png", kMiniIcon, kMiniIconSide);
	ExpectPngShowsIcon(icons + "32x32/quillpix.png", kLargeIcon, kLargeIconSide);
}

// Stored blocks hold at most 65535 bytes: a larger image takes several.
TEST(ResourcesTest, PngWriterSplitsLargeImagesIntoSeveralBlocks)
{
	const int32 width = 200;
	const int32 height = 120; // 96120 bytes of rows
	std::vector<uint8> rgba;
	for (int32 y = 0; y < height; y++) {
		for (int32 x = 0; x < width; x++)
			rgba.insert(rgba.end(), {uint8(x), uint8(y), uint8(x ^ y), 255});
	}
	testsupport::ScratchDirectory scratch;
	const std::string file = scratch / "image";
	const char* path = file.c_str();
	ASSERT_EQ(WritePng(path, width, height, rgba), B_OK);
	std::unique_ptr<BBitmap> decoded(BTranslationUtils::GetBitmapFile(path, nullptr));
	ASSERT_TRUE(decoded);
	ASSERT_EQ(decoded->Width(), width);
	ASSERT_EQ(decoded->Height(), height);
	for (int32 y = 0; y < height; y += 7) {
		for (int32 x = 0; x < width; x += 5) {
			rgb_color pixel = PixelAt(*decoded, x, y);
			ASSERT_EQ(pixel, (rgb_color{uint8(x), uint8(y), uint8(x ^ y), 255})) << x << "," << y;
		}
	}
	EXPECT_EQ(WritePng(path, width, height + 1, rgba), B_BAD_VALUE);
	EXPECT_EQ(WritePng("/nonexistent/dir/x.png", width, height, rgba), B_FILE_ERROR);
}

TEST(ResourcesTest, DesktopEntryLaunchesAProcessPerUseForTheImageTypesTheKitReads)
{
	std::string entry = ReadWhole(std::string(QUILLPIX_SOURCE_DIR) + "/resources/quillpix.desktop");
	ASSERT_FALSE(entry.empty());
	EXPECT_EQ(EntryValue(entry, "Type"), "Application");
	EXPECT_EQ(EntryValue(entry, "Exec"), "quillpix %F");
	EXPECT_EQ(EntryValue(entry, "Icon"), "quillpix");
	EXPECT_EQ(EntryValue(entry, "DBusActivatable"), "");
	EXPECT_EQ(EntryValue(entry, "X-Quillpix-Signature"), kAppSignature);

	// "BEOS:FILE_TYPES" names the supertype; the desktop wants each type,
	// and exactly the types some reader reads: each with a file of that type
	// the kit decodes.
	std::set<std::string> types = Split(EntryValue(entry, "MimeType"));
	for (const std::string& type : types)
		EXPECT_EQ(type.rfind(std::string(kSupportedTypes[0]) + "/", 0), 0u) << type;
	// The texts the program reads back are offered to open, never claimed.
	std::set<std::string> listed;
	for (const BPrivate::ReadFormat& format : BPrivate::ReadFormats()) {
		EXPECT_NE(BPrivate::ImageReaderList::Default().ReaderNamed(format.readerName), nullptr)
			<< format.readerName;
		if (format.kind == BPrivate::FormatKind::kImage)
			listed.insert(format.mimeTypes.begin(), format.mimeTypes.end());
	}
	EXPECT_EQ(types, listed);

	// A file of each type is read, by the reader that lists the type.
	const std::string images = std::string(QUILLPIX_SOURCE_DIR) + "/tests/data/images/";
	const std::string bitmap = testing::TempDir() + "/desktop-entry.pbm";
	ASSERT_TRUE(testsupport::WriteWhole(bitmap, "P1\n2 2\n1 0\n0 1\n"));
	const std::pair<std::string, std::string> samples[] = {
		{"image/png", images + "colour.png"},
		{"image/jpeg", images + "colour.jpg"},
		{"image/gif", images + "colour.gif"},
		{"image/bmp", images + "colour.bmp"},
		{"image/x-bmp", images + "colour.bmp"},
		{"image/webp", images + "colour.webp"},
		{"image/tiff", images + "colour.tiff"},
		{"image/x-tga", images + "colour.tga"},
		{"image/x-portable-pixmap", images + "colour.ppm"},
		{"image/x-portable-graymap", images + "grey.pgm"},
		{"image/x-portable-bitmap", bitmap},
		{"image/x-portable-anymap", images + "colour.ppm"},
		{"image/x-xpixmap", images + "colour.xpm"},
		{"image/vnd.microsoft.icon", images + "alpha.ico"},
		{"image/x-icon", images + "alpha.ico"},
		{"image/x-win-bitmap", images + "alpha.cur"},
	};
	std::set<std::string> read;
	for (const auto& [type, sample] : samples) {
		SCOPED_TRACE(type + ": " + sample);
		std::string bytes = ReadWhole(sample);
		BPrivate::ImageData data{reinterpret_cast<const uint8*>(bytes.data()), bytes.size()};
		const BPrivate::ImageReader* reader = BPrivate::ImageReaderList::Default().ReaderFor(data);
		ASSERT_NE(reader, nullptr);
		bool listsType = false;
		for (const BPrivate::ReadFormat& format : BPrivate::ReadFormats()) {
			if (std::string(format.readerName) == reader->FormatName()) {
				for (const char* listedType : format.mimeTypes)
					listsType = listsType || type == listedType;
			}
		}
		EXPECT_TRUE(listsType) << reader->FormatName();
		std::unique_ptr<BBitmap> decoded(BTranslationUtils::GetBitmapFile(sample.c_str()));
		EXPECT_TRUE(decoded);
		read.insert(type);
	}
	EXPECT_EQ(types, read);
	unlink(bitmap.c_str());
}

// The desktop's way in without a file: the entry's one action starts the
// program with its Open panel.
TEST(ResourcesTest, DesktopEntryOffersToOpenAnImage)
{
	std::string entry = ReadWhole(std::string(QUILLPIX_SOURCE_DIR) + "/resources/quillpix.desktop");
	EXPECT_EQ(EntryValue(entry, "Actions"), "open;");
	EXPECT_EQ(EntryValue(entry, "Name", "Desktop Action open"), "Open an image\xE2\x80\xA6");
	EXPECT_EQ(EntryValue(entry, "Exec", "Desktop Action open"), "quillpix --open");
}

TEST(ResourcesTest, ApplicationUsesTheResourceSignatureAndAnEmptyVersionRecord)
{
	HeadlessServer::InstallNew();
	auto* application = new QuillpixApp();
	EXPECT_STREQ(application->Signature(), kAppSignature);
	delete application;
	EXPECT_EQ(kAppFlags, 1u);

	const auto* bytes = reinterpret_cast<const uint8*>(&kAppVersion);
	for (size_t index = 0; index < sizeof(kAppVersion); index++)
		ASSERT_EQ(bytes[index], 0) << index;
}
