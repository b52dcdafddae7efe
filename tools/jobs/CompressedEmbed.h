// SPDX-License-Identifier: MIT
#pragma once

// The build form with compression (quillpix-export --embed --compress): the
// image's bytes as one zstd frame, defined read-only by the assembler source
// as NAME_ZData with its length NAME_ZSize, and a header whose
// NAME_MakeBitmap() decompresses them into the bitmap (BuildCompressedBitmap).
// An image that would not get at least the threshold's share smaller is
// embedded as it is (NAME_MData, the assembler source of EmbedText), and its
// header says so: both headers give NAME_Size (the bitmap's bytes) and
// NAME_Compressed, and NAME_MakeBitmap(status_t* error = nullptr) in both
// answers null with the reason on a failure, so a program is written once for
// either.
//
// The frame is the same for the same bytes and options on every run: one
// thread, a fixed level, no dictionary, the content size and a checksum (so
// that a frame changed after the build is refused, not decoded into wrong
// pixels). The frame's length is in the assembler source, not the header,
// so that a new picture of the same size reassembles its object and compiles
// nothing that includes the header.
//
// How the frame is made depends on the image, by one rule: an image whose
// bytes zstd's fastest level cannot halve (a photograph, mostly noise to an
// LZ compressor) is compressed for speed of decoding, at the asked level but
// with its literals stored as they are, matches of at least 6 bytes and a
// window of 256 KB. Huffman-coded literals and many short matches far back
// are what make zstd decode such an image no faster than a PNG decoder;
// without them it decodes about twice as fast, in a frame about a fifth
// larger. Every other image (icons, screenshots: the fastest level already
// halves them) keeps the asked level's frame, the smallest, which decodes
// fast because there is little of it; so does an image whose frame made for
// speed would not pass the threshold.
//
// Plain code: each call on the calling thread (an exporter's worker), one
// compression context of its own.

#include "tools/options/EmbedCompression.h"
#include "EmbedText.h"

#include <Result.h>

#include <cstdint>
#include <string>
#include <vector>

namespace CompressedEmbed {

// The Be form (NAME_MakeBitmap() decompresses) or the standalone form
// (see StandaloneText; the program calls ZSTD_decompress() itself).
enum class Form {
	kBe,
	kStandalone
};

// Which frame the image of `length` bytes at `bits` is given (the rule
// above).
enum class Profile {
	kAsked,
	kForSpeed
};
BPrivate::Result<Profile> ChooseProfile(const void* bits, size_t length);

// The frame of `length` bytes at `bits` at `settings`' level, or empty when
// it would not be `settings.threshold` percent smaller than they are.
// Fails only when zstd cannot work (memory).
BPrivate::Result<std::vector<uint8_t>> Compress(
	const void* bits, size_t length, const EmbedCompression& settings);

// The header for `image` (whose length is the bitmap's BitsLength()):
// compressed or as it is.
std::string Header(const EmbeddedImage& image, bool compressed, Form form = Form::kBe);

// The assembler source that defines NAME_ZData from `image.dataFile`, which
// holds the frame: `frameSize` bytes of digest `frameDigest`.
std::string Assembly(
	const EmbeddedImage& image, int64_t frameSize, uint64_t frameDigest, Form form = Form::kBe);

// The name the Be form gives the linker for NAME followed by `suffix`
// ("_ZData"), in the image's scope.
std::string Symbol(const EmbeddedImage& image, const char* suffix);

} // namespace CompressedEmbed
