#pragma once

// The texts of the build form of an export (quillpix-export --embed): a
// header that declares the bitmap's array with its size, its pointer and the
// function that builds it, and a source that defines them, whose bytes the
// assembler takes from a raw file beside it (.incbin), so that a compiler
// reads an image of any size at once. The source includes only
// EmbeddedBitmap.h, which includes nothing.
//
// Everything taken from outside (file names) reaches the texts quoted, with
// every byte that could end a comment, a string or a line escaped; the icon
// name must be an identifier. Plain code: no thread or lock of its own.

#include <cstdint>
#include <string>

struct EmbeddedImage {
	std::string image;     // the image file, as named on the command line
	std::string name;      // the icon name, an identifier
	std::string dataPath;  // the raw bytes' file, as the assembler opens it
	int64_t length;        // how many bytes it holds: the bitmap's BitsLength()
	uint64_t digest;       // of those bytes, so that a change of them changes the source
	float left, top, right, bottom;
	int32_t colorSpace;
};

namespace EmbedText {

std::string Header(const EmbeddedImage& image);
std::string Source(const EmbeddedImage& image);

// `text` between double quotes, readable in a comment: printable ASCII but
// '\\', '"' and '?' as it is, every other byte as an octal escape.
std::string Quoted(const std::string& text);

} // namespace EmbedText
