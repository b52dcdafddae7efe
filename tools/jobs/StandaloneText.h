// SPDX-License-Identifier: MIT
#pragma once

// The texts of the standalone form of an export (quillpix-export
// --standalone): bytes any C or C++ program takes with nothing but its
// compiler. What they include is <stdint.h> alone; the bytes are const
// uint8_t, in a read-only section; the size and the colour space are integer
// constants a switch can use (an enum in C, constexpr int32_t in C++, under
// the names of the Be form: NAME_Width, NAME_Height, NAME_BytesPerRow,
// NAME_ColorSpace), and a comment says in words how the bytes hold a pixel.
// The array has C linkage, so that C and C++ files of one program share one
// header and one array.
//
// Two forms, as for the Be API:
//  * the text (-o): one file that declares the constants and defines the
//    array, to be compiled in one source file of a program;
//  * the build form (--embed): a header that declares them and an
//    assembler source that defines the array in a read-only section from
//    the raw bytes beside it. With a scope, the linker's name is
//    SCOPE.NAME_MData (an assembler label, as GCC and Clang give one), so
//    that images of one name in two targets keep their own bytes.
//
// Plain code: no thread or lock of its own.

#include "EmbedText.h"

#include <cstdint>
#include <string>

namespace StandaloneText {

// How one colour space lays out a pixel.
struct Layout {
	int32_t colorSpace; // the Be code
	const char* name; // the Be name, "B_RGB32"
	const char* words; // the layout in words, one sentence or more
};

// The layout of `colorSpace`, or null for a space the form does not know.
const Layout* LayoutOf(int32_t colorSpace);

// The build form.
std::string Header(const EmbeddedImage& image);
std::string Assembly(const EmbeddedImage& image);
// The array's name as the linker sees it: NAME_MData, or SCOPE.NAME_MData.
std::string DataSymbol(const EmbeddedImage& image);
// The linker's name of NAME followed by `suffix`, as DataSymbol's.
std::string Symbol(const EmbeddedImage& image, const char* suffix);

// The build form with compression (see CompressedEmbed): the header of the
// zstd frame NAME_ZData with its length NAME_ZSize, or with `compressed`
// false of the bytes as they are, NAME_MData; both give NAME_Size and the
// macro NAME_Compressed.
std::string CompressedHeader(const EmbeddedImage& image, bool compressed);

// The text around the bytes' items (the items themselves are the Be text's,
// "0xHH, " sixteen to a line): everything before the first item, and
// everything after the last byte's "0xHH\n};\n". `image.length` is the
// array's size; scope, data file and digest are not used.
std::string TextHead(const EmbeddedImage& image);
std::string TextTail(const EmbeddedImage& image);

} // namespace StandaloneText
