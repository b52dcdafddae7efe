#include "EmbedWriter.h"

#include "BuildFile.h"
#include "EmbedText.h"
#include "WriteFailures.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <zlib.h>

using BPrivate::Failure;
using BPrivate::Result;
using WriteFailures::CannotWrite;

namespace {

// zlib takes lengths as unsigned int.
constexpr size_t kDigestChunk = size_t(1) << 30;

// The path as the assembler should open it: absolute, so that neither the
// compiler's working directory nor a link-time optimiser's matters.
std::string
AbsolutePath(const std::string& path)
{
	std::error_code error;
	std::filesystem::path absolute = std::filesystem::absolute(path, error);
	if (error)
		return path;
	return absolute.lexically_normal().string();
}

} // namespace

EmbedWriter::EmbedWriter(const std::string& image, const std::string& name,
	const EmbedPaths& paths)
	:
	fImage(image),
	fName(name),
	fPaths(paths)
{
}

uint64
EmbedWriter::Digest(const void* data, size_t size)
{
	const Bytef* bytes = static_cast<const Bytef*>(data);
	uLong crc = crc32(0L, Z_NULL, 0);
	uLong adler = adler32(0L, Z_NULL, 0);
	for (size_t done = 0; done < size; done += kDigestChunk) {
		uInt length = uInt(std::min(kDigestChunk, size - done));
		crc = crc32(crc, bytes + done, length);
		adler = adler32(adler, bytes + done, length);
	}
	return (uint64(crc & 0xFFFFFFFFu) << 32) | uint64(adler & 0xFFFFFFFFu);
}

Result<void>
EmbedWriter::Write(const BBitmap& bitmap, const std::atomic<bool>* cancel)
{
	const void* bits = bitmap.Bits();
	const size_t length = size_t(bitmap.BitsLength());
	BRect bounds = bitmap.Bounds();
	EmbeddedImage image = {fImage, fName, AbsolutePath(fPaths.data), int64(length),
		Digest(bits, length), bounds.left, bounds.top, bounds.right, bounds.bottom,
		int32(bitmap.ColorSpace())};
	const std::string source = EmbedText::Source(image);

	// The source names the bytes' digest: when it is unchanged and the raw
	// file still has its size, so are the bytes.
	if (!BuildFile::Holds(fPaths.source, source) || !BuildFile::HasSize(fPaths.data, int64(length))) {
		Result<void> written = BuildFile::Write(fPaths.data, bits, length, cancel);
		if (!written)
			return CannotWrite(fPaths.data, written.Error());
		written = BuildFile::Write(fPaths.source, source.data(), source.size());
		if (!written)
			return CannotWrite(fPaths.source, written.Error());
	}
	if (cancel != nullptr && cancel->load(std::memory_order_relaxed))
		return CannotWrite(fPaths.header, Failure(B_INTERRUPTED));
	Result<void> written = BuildFile::Update(fPaths.header, EmbedText::Header(image));
	if (!written)
		return CannotWrite(fPaths.header, written.Error());
	return {};
}
