// SPDX-License-Identifier: MIT
#include "EmbedWriter.h"

#include "BuildFile.h"
#include "CompressedEmbed.h"
#include "EmbedText.h"
#include "StandaloneText.h"
#include "WriteFailures.h"
#include "export/LeafName.h"

#include <algorithm>
#include <zlib.h>

using BPrivate::Failure;
using BPrivate::Result;
using WriteFailures::CannotWrite;

namespace {

// zlib takes lengths as unsigned int.
constexpr size_t kDigestChunk = size_t(1) << 30;

} // namespace

EmbedWriter::EmbedWriter(
	const EmbedNames& names, const EmbedPaths& paths, const EmbedCompression& compression)
	: fNames(names), fPaths(paths), fCompression(compression)
{ }

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
	// The assembler opens the bytes beside its source, by their leaf name.
	EmbeddedImage image = {fNames.image, fNames.name, fNames.scope, LeafName(fPaths.data.c_str()),
		int64(length), Digest(bits, length), bounds.IntegerWidth() + 1, bounds.IntegerHeight() + 1,
		bitmap.BytesPerRow(), int32(bitmap.ColorSpace())};
	const CompressedEmbed::Form form = fNames.standalone ? CompressedEmbed::Form::kStandalone
														 : CompressedEmbed::Form::kBe;
	const std::string rawAssembly = fNames.standalone ? StandaloneText::Assembly(image)
													  : EmbedText::Assembly(image);
	if (fCompression.Enabled()) {
		Result<std::vector<uint8_t>> frame = CompressedEmbed::Compress(bits, length, fCompression);
		if (!frame)
			return CannotWrite(fPaths.data, frame.Error());
		const std::vector<uint8_t>& compressed = frame.Value();
		if (!compressed.empty()) {
			return WriteFiles(CompressedEmbed::Assembly(image, int64(compressed.size()),
								  Digest(compressed.data(), compressed.size()), form),
				compressed.data(), compressed.size(), CompressedEmbed::Header(image, true, form),
				cancel);
		}
		return WriteFiles(
			rawAssembly, bits, length, CompressedEmbed::Header(image, false, form), cancel);
	}
	return WriteFiles(rawAssembly, bits, length,
		fNames.standalone ? StandaloneText::Header(image) : EmbedText::Header(image), cancel);
}

Result<void>
EmbedWriter::WriteFiles(const std::string& assembly, const void* data, size_t length,
	const std::string& header, const std::atomic<bool>* cancel)
{
	// The assembly names the bytes' digest: when it is unchanged and the raw
	// file still has its size, so are the bytes.
	if (!BuildFile::Holds(fPaths.assembly, assembly)
		|| !BuildFile::HasSize(fPaths.data, int64(length))) {
		Result<void> written = BuildFile::Write(fPaths.data, data, length, cancel);
		if (!written)
			return CannotWrite(fPaths.data, written.Error());
		written = BuildFile::Write(fPaths.assembly, assembly.data(), assembly.size());
		if (!written)
			return CannotWrite(fPaths.assembly, written.Error());
	}
	if (cancel != nullptr && cancel->load(std::memory_order_relaxed))
		return CannotWrite(fPaths.header, Failure(B_INTERRUPTED));
	Result<void> written = BuildFile::Update(fPaths.header, header);
	if (!written)
		return CannotWrite(fPaths.header, written.Error());
	return {};
}
