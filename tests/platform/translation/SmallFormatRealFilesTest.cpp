#include "ReaderTestSupport.h"

#include <BmpReader.h>
#include <IcoReader.h>
#include <PnmReader.h>
#include <TgaReader.h>
#include <XpmReader.h>

#include <cstdio>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

// The image files of gdk-pixbuf's and SDL2_image's installed tests (Debian's
// gdk-pixbuf-tests and libsdl2-image-tests), read by our readers and
// compared pixel by pixel with ImageMagick's decoding of the file or of the
// reference picture beside it. Skipped where the packages are missing.

namespace readers {
namespace {

const char kPixbufImages[] = "/usr/libexec/installed-tests/gdk-pixbuf/test-images";
const char kSdlImages[] = "/usr/libexec/installed-tests/SDL2_image";
const char kConvert[] = "/usr/bin/convert";

bool Exists(const std::string& path)
{
	struct stat info;
	return stat(path.c_str(), &info) == 0;
}

std::vector<std::string> FilesIn(const std::string& directory)
{
	static const char* const kExtensions[] = {".bmp", ".ico", ".cur", ".pnm", ".ppm", ".pgm",
		".pbm", ".pam", ".tga", ".xpm"};
	std::vector<std::string> files;
	DIR* dir = opendir(directory.c_str());
	if (dir == nullptr)
		return files;
	while (dirent* entry = readdir(dir)) {
		std::string name = entry->d_name;
		for (const char* extension : kExtensions) {
			size_t length = std::strlen(extension);
			if (name.size() > length && name.compare(name.size() - length, length, extension) == 0)
				files.push_back(directory + "/" + name);
		}
	}
	closedir(dir);
	std::sort(files.begin(), files.end());
	return files;
}

std::vector<uint8> ReadFile(const std::string& path)
{
	std::ifstream stream(path, std::ios::binary);
	return std::vector<uint8>(std::istreambuf_iterator<char>(stream),
		std::istreambuf_iterator<char>());
}

std::string Output(const std::string& command)
{
	std::string output;
	FILE* pipe = popen(command.c_str(), "r");
	if (pipe == nullptr)
		return output;
	char buffer[65536];
	size_t count;
	while ((count = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0)
		output.append(buffer, count);
	pclose(pipe);
	return output;
}

// ImageMagick's pixels of every frame of `path` that is `width` by
// `height`, as straight colours with transparent pixels as 0.
std::vector<std::vector<uint32>> ReferenceFrames(const std::string& path, int32 width,
	int32 height)
{
	std::vector<std::vector<uint32>> frames;
	std::string sizes = Output(std::string(kConvert) + " '" + path
		+ "' -format '%w %h\\n' info: 2>/dev/null");
	size_t position = 0;
	for (int frame = 0; position < sizes.size(); frame++) {
		size_t end = sizes.find('\n', position);
		if (end == std::string::npos)
			break;
		int frameWidth = 0, frameHeight = 0;
		std::sscanf(sizes.c_str() + position, "%d %d", &frameWidth, &frameHeight);
		position = end + 1;
		if (frameWidth != width || frameHeight != height)
			continue;
		std::string rgba = Output(std::string(kConvert) + " '" + path + "[" + std::to_string(frame)
			+ "]' -depth 8 -alpha on rgba:- 2>/dev/null");
		if (rgba.size() != size_t(width) * size_t(height) * 4)
			continue;
		std::vector<uint32> pixels;
		for (size_t i = 0; i < rgba.size(); i += 4) {
			uint8 alpha = uint8(rgba[i + 3]);
			pixels.push_back(alpha == 0 ? 0
				: PackColor(uint8(rgba[i]), uint8(rgba[i + 1]), uint8(rgba[i + 2]), alpha));
		}
		frames.push_back(std::move(pixels));
	}
	return frames;
}

// Stands in for the PNG reader, which the icon files here do not need.
class NoPngReader : public ImageReader {
public:
	const char* FormatName() const override { return "PNG"; }
	bool Recognizes(const ImageData&) const override { return false; }
	BPrivate::BitmapResult Read(const ImageData&) const override
	{
		return BPrivate::Failure(B_NO_TRANSLATOR, "has a PNG entry");
	}
};

// The reader whose Recognizes takes the data, TGA last as in the kit.
std::unique_ptr<BBitmap> ReadAny(const std::vector<uint8>& bytes, BTranslationFailure& failure,
	bool& recognized)
{
	static const NoPngReader png;
	static const BPrivate::BmpReader bmp;
	static const BPrivate::IcoReader ico(png);
	static const BPrivate::PnmReader pnm;
	static const BPrivate::XpmReader xpm;
	static const BPrivate::TgaReader tga;
	const ImageReader* readers[] = {&bmp, &ico, &pnm, &xpm, &tga};
	ImageData data{bytes.data(), bytes.size()};
	recognized = false;
	for (const ImageReader* reader : readers) {
		if (reader->Recognizes(data)) {
			recognized = true;
			BPrivate::BitmapResult bitmap = reader->Read(data);
			if (!bitmap) {
				failure = bitmap.TakeError();
				return nullptr;
			}
			return std::move(bitmap.Value());
		}
	}
	return nullptr;
}

// Largest difference of one channel between two pixel lists of one size.
int MaxDifference(const std::vector<uint32>& a, const std::vector<uint32>& b)
{
	int largest = 0;
	for (size_t i = 0; i < a.size(); i++) {
		for (int shift = 0; shift < 32; shift += 8) {
			int difference = std::abs(int(a[i] >> shift & 0xff) - int(b[i] >> shift & 0xff));
			largest = std::max(largest, difference);
		}
	}
	return largest;
}

// `tolerance` allows for references that widened 5-bit channels by a shift
// where we round.
void ExpectSameAsReference(const std::string& path, const std::string& reference,
	int tolerance = 0)
{
	SCOPED_TRACE(path);
	BTranslationFailure failure;
	bool recognized;
	auto bitmap = ReadAny(ReadFile(path), failure, recognized);
	ASSERT_TRUE(recognized);
	if (bitmap == nullptr && failure.detail == "has a PNG entry")
		return;
	ASSERT_NE(bitmap, nullptr) << failure.detail;
	int32 width = bitmap->Bounds().IntegerWidth() + 1;
	int32 height = bitmap->Bounds().IntegerHeight() + 1;
	auto frames = ReferenceFrames(reference, width, height);
	ASSERT_FALSE(frames.empty()) << "no reference frame of " << width << "x" << height;
	std::vector<uint32> ours = Pixels(*bitmap);
	int best = 256;
	for (const auto& frame : frames)
		best = std::min(best, MaxDifference(ours, frame));
	EXPECT_LE(best, tolerance);
}

bool HaveFiles(const char* directory)
{
	return Exists(directory) && Exists(kConvert);
}

TEST(RealFiles, PixbufReferencePictures)
{
	if (!HaveFiles(kPixbufImages))
		GTEST_SKIP() << "gdk-pixbuf-tests or imagemagick is not installed";
	int compared = 0;
	for (const char* folder : {"/reftests", "/reftests/tga"}) {
		for (const std::string& path : FilesIn(kPixbufImages + std::string(folder))) {
			if (!Exists(path + ".ref.png"))
				continue;
			bool fiveBit = path.find("16bpp") != std::string::npos
				&& path.find("gray") == std::string::npos;
			ExpectSameAsReference(path, path + ".ref.png", fiveBit ? 1 : 0);
			compared++;
		}
	}
	EXPECT_GT(compared, 40);
}

TEST(RealFiles, SdlSamples)
{
	if (!HaveFiles(kSdlImages))
		GTEST_SKIP() << "libsdl2-image-tests or imagemagick is not installed";
	int compared = 0;
	// The samples are one picture, also given as PNG; ImageMagick misreads
	// the TGA one's run-length data.
	std::string picture = std::string(kSdlImages) + "/sample.png";
	for (const std::string& path : FilesIn(kSdlImages)) {
		bool sample = path.find("/sample.") != std::string::npos;
		ExpectSameAsReference(path, sample ? picture : path);
		compared++;
	}
	EXPECT_GE(compared, 10);
}

// Damaged and hostile files of gdk-pixbuf's suite: read or refused, in
// one line, without a fault (the sanitizer builds check the rest).
TEST(RealFiles, PixbufDamagedFiles)
{
	if (!Exists(kPixbufImages))
		GTEST_SKIP() << "gdk-pixbuf-tests is not installed";
	std::vector<std::string> files = FilesIn(std::string(kPixbufImages) + "/fail");
	for (const std::string& path : FilesIn(std::string(kPixbufImages) + "/randomly-modified"))
		files.push_back(path);
	files.push_back(std::string(kPixbufImages) + "/../cve-2015-4491.bmp");
	for (const std::string& path : files) {
		SCOPED_TRACE(path);
		BTranslationFailure failure;
		bool recognized;
		auto bitmap = ReadAny(ReadFile(path), failure, recognized);
		if (bitmap == nullptr && recognized) {
			EXPECT_NE(failure.status, B_OK);
			EXPECT_FALSE(failure.detail.empty());
			EXPECT_EQ(failure.detail.find('\n'), std::string::npos);
		}
		std::printf("%s: %s\n", path.c_str(), bitmap ? "read"
			: !recognized ? "not recognized" : failure.detail.c_str());
	}
}

} // namespace
} // namespace readers
