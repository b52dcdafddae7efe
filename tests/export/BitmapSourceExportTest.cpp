// SPDX-License-Identifier: MIT
#include "export/BitmapSourceExport.h"
#include "export/FormatBitmapSource.h"
#include "support/Files.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using testsupport::ReadWhole;
using testsupport::ScratchDirectory;
using testsupport::WriteWhole;

namespace {

std::unique_ptr<BBitmap>
MakeBitmap(float right, float bottom, color_space space)
{
	auto bitmap = std::make_unique<BBitmap>(BRect(0, 0, right, bottom), space);
	auto* bits = static_cast<uint8*>(bitmap->Bits());
	for (int32 i = 0; i < bitmap->BitsLength(); i++)
		bits[i] = static_cast<uint8>(i * 13 + 1);
	return bitmap;
}

std::string
ExpectedText(const BBitmap& bitmap, const char* name)
{
	std::string text;
	BRect bounds = bitmap.Bounds();
	FormatBitmapSource(name, bounds.left, bounds.top, bounds.right, bounds.bottom,
		bitmap.ColorSpace(), static_cast<const uint8*>(bitmap.Bits()), bitmap.BitsLength(),
		[&text](const char* piece, size_t length) {
			text.append(piece, length);
			return static_cast<ssize_t>(length);
		});
	return text;
}

std::string
MimeType(const std::string& path)
{
	char type[256];
	ssize_t length = getxattr(path.c_str(), "user.mime_type", type, sizeof(type));
	return length < 0 ? std::string("(none)") : std::string(type, length);
}

bool
AttributesWork(const std::string& directory)
{
	std::string probe = directory + "/.probe";
	WriteWhole(probe, "");
	bool works = setxattr(probe.c_str(), "user.probe", "x", 1, 0) == 0;
	unlink(probe.c_str());
	return works;
}

mode_t
Permissions(const std::string& path)
{
	struct stat info;
	return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

} // namespace

TEST(BitmapSourceExport, WritesTheTextUnderTheDocumentName)
{
	ScratchDirectory scratch;
	auto bitmap = MakeBitmap(19, 9, B_RGB32); // 800 bytes: more text than one buffer
	const std::string path = scratch / "dot.png.h";
	mode_t previous = umask(022);
	BPrivate::Result<void> saved = ExportBitmapSource(bitmap.get(), path.c_str());
	umask(previous);
	ASSERT_TRUE(saved.Ok());
	EXPECT_EQ(saved.Status(), B_OK);
	EXPECT_EQ(ReadWhole(path), ExpectedText(*bitmap, "dot.png.h"));
	EXPECT_GT(ReadWhole(path).size(), 4095u);
	EXPECT_EQ(scratch.Listing(), "dot.png.h");
	EXPECT_EQ(Permissions(path), 0644u);
	if (AttributesWork(scratch.Path())) {
		EXPECT_EQ(MimeType(path), "text/x-source-code");
	}
}

TEST(BitmapSourceExport, RelativeNamesAndExplicitIconNames)
{
	ScratchDirectory scratch;
	auto bitmap = MakeBitmap(3, 3, B_CMAP8);
	char previous[4096];
	ASSERT_NE(getcwd(previous, sizeof(previous)), nullptr);
	ASSERT_EQ(chdir(scratch.Path().c_str()), 0);
	bool relative = ExportBitmapSource(bitmap.get(), "icon.h").Ok();
	bool named = ExportBitmapSource(bitmap.get(), "named.h", {.iconName = "kIcon"}).Ok();
	ASSERT_EQ(chdir(previous), 0);
	ASSERT_TRUE(relative);
	ASSERT_TRUE(named);
	EXPECT_EQ(ReadWhole(scratch / "icon.h"), ExpectedText(*bitmap, "icon.h"));
	EXPECT_EQ(ReadWhole(scratch / "named.h"), ExpectedText(*bitmap, "kIcon"));
}

TEST(BitmapSourceExport, AReplacedFileKeepsItsPermissions)
{
	ScratchDirectory scratch;
	const std::string path = scratch / "out.h";
	WriteWhole(path, std::string(100000, 'o'));
	ASSERT_EQ(chmod(path.c_str(), 0604), 0);
	auto bitmap = MakeBitmap(1, 0, B_RGB32);
	ASSERT_TRUE(ExportBitmapSource(bitmap.get(), path.c_str()));
	EXPECT_EQ(ReadWhole(path), ExpectedText(*bitmap, "out.h"));
	EXPECT_EQ(Permissions(path), 0604u);
	EXPECT_EQ(scratch.Listing(), "out.h");
}

TEST(BitmapSourceExport, ALinkHasItsTargetReplaced)
{
	ScratchDirectory scratch;
	ASSERT_EQ(mkdir((scratch / "real").c_str(), 0755), 0);
	WriteWhole(scratch / "real/target.h", "old");
	ASSERT_EQ(symlink("real/target.h", (scratch / "link.h").c_str()), 0);
	auto bitmap = MakeBitmap(1, 1, B_CMAP8);
	ASSERT_TRUE(ExportBitmapSource(bitmap.get(), (scratch / "link.h").c_str()));

	struct stat info;
	ASSERT_EQ(lstat((scratch / "link.h").c_str(), &info), 0);
	EXPECT_TRUE(S_ISLNK(info.st_mode));
	// The icon name is the document name's leaf, the link's own name.
	EXPECT_EQ(ReadWhole(scratch / "real/target.h"), ExpectedText(*bitmap, "link.h"));
	EXPECT_EQ(scratch.Listing(), "link.h real");

	// A dangling link gets its target made.
	ASSERT_EQ(symlink("real/new.h", (scratch / "dangling.h").c_str()), 0);
	ASSERT_TRUE(ExportBitmapSource(bitmap.get(), (scratch / "dangling.h").c_str()));
	EXPECT_EQ(ReadWhole(scratch / "real/new.h"), ExpectedText(*bitmap, "dangling.h"));
}

TEST(BitmapSourceExport, AFifoIsWrittenStraightInto)
{
	ScratchDirectory scratch;
	const std::string path = scratch / "pipe";
	ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
	// Held open for reading (and writing, so it never sees an end) while the
	// export writes a text smaller than the pipe's capacity.
	int reader = open(path.c_str(), O_RDWR | O_NONBLOCK);
	ASSERT_GE(reader, 0);
	auto bitmap = MakeBitmap(1, 1, B_CMAP8);
	const std::string expected = ExpectedText(*bitmap, "pipe");
	EXPECT_TRUE(ExportBitmapSource(bitmap.get(), path.c_str()));
	std::string received(expected.size() + 16, '\0');
	ssize_t length = read(reader, received.data(), received.size());
	close(reader);
	EXPECT_EQ(received.substr(0, length > 0 ? length : 0), expected);
	EXPECT_EQ(scratch.Listing(), "pipe");
}

TEST(BitmapSourceExport, FailuresTouchNoFile)
{
	ScratchDirectory scratch;
	ASSERT_EQ(mkdir((scratch / "dir").c_str(), 0755), 0);
	auto bitmap = MakeBitmap(1, 1, B_CMAP8);
	BBitmap invalid(BRect(0, 0, -1, -1), B_RGB32);
	struct Row {
		const char* what;
		const BBitmap* bitmap;
		std::string name;
		status_t status;
	};
	const Row rows[] = {
		{"a directory", bitmap.get(), scratch / "dir", B_IS_A_DIRECTORY},
		{"a name ending in '/'", bitmap.get(), scratch / "new/", B_IS_A_DIRECTORY},
		{"no bitmap", nullptr, scratch / "out.h", B_BAD_VALUE},
		{"a bitmap without bits", &invalid, scratch / "out.h", B_BAD_VALUE},
		{"an empty name", bitmap.get(), "", B_BAD_VALUE},
	};
	for (const Row& row : rows) {
		BPrivate::Result<void> saved = ExportBitmapSource(row.bitmap, row.name.c_str());
		EXPECT_FALSE(saved.Ok()) << row.what;
		EXPECT_EQ(saved.Status(), row.status) << row.what;
		EXPECT_EQ(scratch.Listing(), "dir") << row.what;
	}
	EXPECT_EQ(ExportBitmapSource(bitmap.get(), nullptr).Status(), B_BAD_VALUE);
}

TEST(BitmapSourceExport, LongLeavesStillGetATemporaryName)
{
	ScratchDirectory scratch;
	const std::string leaf = std::string(250, 'l') + ".h";
	auto bitmap = MakeBitmap(0, 0, B_RGB32);
	ASSERT_TRUE(ExportBitmapSource(bitmap.get(), (scratch / leaf).c_str()));
	EXPECT_EQ(ReadWhole(scratch / leaf), ExpectedText(*bitmap, leaf.c_str()));
	EXPECT_EQ(scratch.Listing(), leaf);
}
