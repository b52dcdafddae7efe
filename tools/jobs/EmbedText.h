// SPDX-License-Identifier: MIT
#pragma once

// The texts of the build form of an export (quillpix-export --embed): a
// header and an assembler source.
//
// The header holds all a program needs: the bitmap's size as constants, the
// array's declaration with its size, and the pointer and the function that
// builds the bitmap, as inline definitions (so no source of ours is
// compiled with it). The assembler source defines the array alone, taking
// its bytes from a raw file beside it (.incbin, by its leaf name: assemble
// it in its folder), so that the bytes never pass through a compiler, a
// compiler cache or a compile farm, and a build of any size stays as fast as
// copying them.
//
// With a scope (a namespace), what the linker sees is unique to that scope
// while the C++ names stay as documented (using-declarations): two images of
// one name in two libraries of one program each keep their own bytes. Two
// such headers included in one translation unit stop the compile with a
// message naming both images.
//
// Everything taken from outside (the image's name) reaches the texts quoted,
// with every byte that could end a comment, a string or a line escaped; the
// icon name and the scope must be identifiers. Plain code: no thread or lock
// of its own.

#include <cstdint>
#include <string>

struct EmbeddedImage {
	std::string image; // the image's name, as the generated files give it
	std::string name; // the icon name, an identifier
	std::string scope; // the namespace of the linker's names; empty for none
	std::string dataFile; // the raw bytes' file, as the assembler opens it
	int64_t length; // how many bytes it holds: the bitmap's BitsLength()
	uint64_t digest; // of those bytes, so that a change of them changes the source
	int32_t width;
	int32_t height;
	int32_t bytesPerRow;
	int32_t colorSpace;
};

namespace EmbedText {

std::string Header(const EmbeddedImage& image);
std::string Assembly(const EmbeddedImage& image);

// The start of a generated header: where it came from, the `includes`
// (whole lines), and the guard that stops two images of one name in one
// translation unit, left open for the header's #endif.
std::string HeaderStart(const EmbeddedImage& image, const std::string& includes);

// The Be form's constants of the image: NAME_Width, NAME_Height,
// NAME_BytesPerRow and NAME_ColorSpace, a line each.
std::string Constants(const EmbeddedImage& image);

// One object of an assembler source: `symbol` in a section of its own
// (`section`.`symbol`, with `flags`), aligned to `alignment` bytes when above
// 1, typed and sized as `size` bytes, followed by `body` (its directives).
std::string AssemblerObject(const std::string& symbol, const char* section, const char* flags,
	int alignment, int64_t size, const std::string& body);

// The directive that takes in the bytes of the file at `path`.
std::string IncludeBinary(const std::string& path);

// The array's name as the linker sees it: NAME_MData, or the C++ ABI's
// name of SCOPE::NAME_MData.
std::string DataSymbol(const EmbeddedImage& image);

// The C++ name of a colour space's constant ("B_RGB32"), or a cast of its
// code for one that has none.
std::string ColorSpaceConstant(int32_t colorSpace);

// `text` between double quotes, readable in a comment of either kind and
// valid as a C++ string literal: printable ASCII but '\\', '"', '?' and '*'
// as it is, every other byte as an octal escape.
std::string Quoted(const std::string& text);

// The path as the inside of an assembler string: only letters, digits and
// "/._+-" as they are, every other byte octal, which both GNU as and the
// integrated assemblers decode.
std::string AssemblerPath(const std::string& path);

} // namespace EmbedText
