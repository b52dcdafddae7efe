// SPDX-License-Identifier: MIT
#pragma once

// Writes the build form of one image's export (see EmbedText): the bitmap's
// bytes as they are into a raw file, the assembler source that takes them in
// and the header that declares them. Each file is written only when its
// content changes (see BuildFile), the header in particular only when the
// names, the image's size or its colour space do, so that a new picture of
// the same size reassembles its own object and nothing that includes the
// header is compiled again.
//
// Memory: the bytes go to the file straight from the bitmap; only the two
// small texts are held besides. With compression (see CompressedEmbed) the
// frame is held too, at most the threshold's share of the bytes smaller.
//
// Runs on the calling thread (an exporter's worker); the caller keeps the
// bitmap unchanged meanwhile.

#include "tools/options/EmbedCompression.h"

#include <Bitmap.h>
#include <Result.h>
#include <SupportDefs.h>

#include <atomic>
#include <string>

struct EmbedPaths {
	std::string header;
	std::string assembly;
	std::string data;
};

struct EmbedNames {
	std::string image; // the image's name as the files give it
	std::string name; // the icon name, an identifier
	std::string scope; // the namespace of the linker's names, or empty
	bool standalone = false; // the standalone form (see StandaloneText)
};

class EmbedWriter {
public:
	EmbedWriter(
		const EmbedNames& names, const EmbedPaths& paths, const EmbedCompression& compression = {});

	// Succeeds when all three files hold what `bitmap` gives. A failure
	// names the file it was about in its sentence ("cannot write FILE:
	// REASON"); B_INTERRUPTED when `cancel` became true meanwhile, other
	// files left as they were.
	BPrivate::Result<void> Write(const BBitmap& bitmap, const std::atomic<bool>* cancel);

	// A 64-bit digest of `size` bytes at `data` (zlib's CRC-32 and Adler-32).
	static uint64 Digest(const void* data, size_t size);

private:
	// Writes the raw file and the assembly unless the assembly is as it was
	// and the raw file still has its size, then the header if it changed.
	BPrivate::Result<void> WriteFiles(const std::string& assembly, const void* data, size_t length,
		const std::string& header, const std::atomic<bool>* cancel);

	const EmbedNames fNames;
	const EmbedPaths fPaths;
	const EmbedCompression fCompression;
};
