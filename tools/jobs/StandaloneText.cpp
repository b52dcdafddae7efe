// SPDX-License-Identifier: MIT
#include "StandaloneText.h"

#include <cinttypes>
#include <cstdio>

namespace StandaloneText {

namespace {

const char* const kPadding = "Each row is padded to a multiple of 4 bytes (NAME_BytesPerRow).";

// One row per colour space the exporter writes. A 16-bit value's bits are
// counted from its least significant (bit 0).
const Layout kLayouts[] = {
	{0x0008, "B_RGB32",
		"4 bytes a pixel: blue, green, red, then 255 (a transparent pixel is "
		"0x77, 0x74, 0x77, 0x00), so that a 32-bit value read little-endian is 0xAARRGGBB."},
	{0x2008, "B_RGBA32",
		"4 bytes a pixel: blue, green, red, alpha (straight, not "
		"premultiplied), so that a 32-bit value read little-endian is 0xAARRGGBB."},
	{0x1008, "B_RGB32_BIG",
		"4 bytes a pixel: 255 (0 in a transparent pixel, which is 0x00, "
		"0x77, 0x74, 0x77), red, green, blue, so that a 32-bit value read big-endian is "
		"0xAARRGGBB."},
	{0x3008, "B_RGBA32_BIG",
		"4 bytes a pixel: alpha (straight, not premultiplied), red, green, "
		"blue, so that a 32-bit value read big-endian is 0xAARRGGBB."},
	{0x0003, "B_RGB24",
		"3 bytes a pixel: blue, green, red; no transparency (laid over the "
		"background)."},
	{0x1003, "B_RGB24_BIG",
		"3 bytes a pixel: red, green, blue; no transparency (laid over the "
		"background)."},
	{0x0005, "B_RGB16",
		"2 bytes a pixel, a 16-bit value low byte first (little-endian): red "
		"in bits 15-11, green in 10-5, blue in 4-0; no transparency (laid over the background)."},
	{0x1005, "B_RGB16_BIG",
		"2 bytes a pixel, a 16-bit value high byte first (big-endian): red "
		"in bits 15-11, green in 10-5, blue in 4-0; no transparency (laid over the background)."},
	{0x0010, "B_RGB15",
		"2 bytes a pixel, a 16-bit value low byte first (little-endian): bit 15 "
		"is 0, red in bits 14-10, green in 9-5, blue in 4-0; a transparent pixel is 0x39CE."},
	{0x1010, "B_RGB15_BIG",
		"2 bytes a pixel, a 16-bit value high byte first (big-endian): bit "
		"15 is 0, red in bits 14-10, green in 9-5, blue in 4-0; a transparent pixel is 0x39CE."},
	{0x2010, "B_RGBA15",
		"2 bytes a pixel, a 16-bit value low byte first (little-endian): "
		"alpha in bit 15 (1 opaque, 0 transparent), red in bits 14-10, green in 9-5, blue in "
		"4-0."},
	{0x3010, "B_RGBA15_BIG",
		"2 bytes a pixel, a 16-bit value high byte first (big-endian): "
		"alpha in bit 15 (1 opaque, 0 transparent), red in bits 14-10, green in 9-5, blue in "
		"4-0."},
	{0x0004, "B_CMAP8",
		"1 byte a pixel: an index into the system colour map of 256 colours; "
		"index 255 is a transparent pixel."},
	{0x0002, "B_GRAY8",
		"1 byte a pixel: grey from 0 (black) to 255 (white); no transparency "
		"(laid over the background)."},
	{0x0001, "B_GRAY1",
		"1 bit a pixel, 8 pixels a byte, the leftmost in the most significant "
		"bit: 1 is black, 0 is white; no transparency (laid over the background)."},
};

std::string
Number(int64_t value)
{
	return std::to_string(value);
}

std::string
Hex(int32_t colorSpace)
{
	char text[16];
	snprintf(text, sizeof(text), "0x%04" PRIX32, uint32_t(colorSpace));
	return text;
}

// The name of the colour space's macro, or its code for a space without one.
std::string
SpaceConstant(int32_t colorSpace)
{
	const Layout* layout = LayoutOf(colorSpace);
	return layout != nullptr ? std::string("QUILLPIX_") + layout->name : Hex(colorSpace);
}

// Words wrapped into lines of a block comment, each starting " * ".
std::string
CommentLines(const std::string& words)
{
	constexpr size_t kWidth = 76;
	std::string text;
	std::string line;
	size_t at = 0;
	while (at < words.size()) {
		size_t end = words.find(' ', at);
		if (end == std::string::npos)
			end = words.size();
		const std::string word = words.substr(at, end - at);
		if (!line.empty() && line.size() + 1 + word.size() > kWidth) {
			text += " * " + line + "\n";
			line.clear();
		}
		line += (line.empty() ? "" : " ") + word;
		at = end + 1;
	}
	if (!line.empty())
		text += " * " + line + "\n";
	return text;
}

// What the header holds: the bytes as they are (the form without
// compression, or with it for an image that would not have been smaller
// enough), or compressed.
enum class Bytes {
	kRaw,
	kRawOfCompressed,
	kCompressed
};

// The comment that says what the bytes are, and the constants; with
// compression also NAME_Size and the macro NAME_Compressed.
std::string
Declarations(const EmbeddedImage& image, Bytes bytes = Bytes::kRaw)
{
	const std::string& name = image.name;
	const Layout* layout = LayoutOf(image.colorSpace);
	const std::string spaceName = layout != nullptr ? layout->name : "colour space";
	const std::string pixels = Number(image.width) + " x " + Number(image.height) + " pixels in "
		+ spaceName + " (" + Hex(image.colorSpace) + "), " + Number(image.bytesPerRow)
		+ " bytes a row, " + Number(image.length) + " bytes";
	const std::string facts = bytes == Bytes::kCompressed
		? name + "_ZData: one zstd frame of " + name
			+ "_ZSize bytes that ZSTD_decompress() makes "
			  "into the "
			+ name + "_Size bytes of " + pixels + "."
		: name + "_MData: " + pixels + ".";
	std::string padding = kPadding;
	padding.replace(padding.find("NAME"), 4, name);
	std::string text = "/*\n" + CommentLines(facts);
	if (layout != nullptr)
		text += CommentLines(layout->words);
	text += CommentLines(padding) + " */\n\n";

	text += "#include <stdint.h>\n\n";
	const std::string space = SpaceConstant(image.colorSpace);
	if (layout != nullptr)
		text += "#define " + space + " " + Hex(image.colorSpace) + "\n\n";
	const struct {
		const char* suffix;
		std::string value;
	} constants[] = {
		{"_Width", Number(image.width)},
		{"_Height", Number(image.height)},
		{"_BytesPerRow", Number(image.bytesPerRow)},
		{"_ColorSpace", space},
		{"_Size", Number(image.length)},
	};
	const size_t count = bytes == Bytes::kRaw ? 4 : 5;
	// C++ gets typed constants (an enumerator would warn when mixed with a
	// float or another enumeration); C, whose const objects are no
	// constants, an enumeration.
	if (bytes != Bytes::kRaw) {
		text += "/* 1 when the bytes are compressed (" + name
			+ "_ZData), 0 when they are as they\n"
			  "   are ("
			+ name
			+ "_MData): a macro, so that #if can tell the forms apart. */\n"
			  "#define "
			+ name + "_Compressed " + (bytes == Bytes::kCompressed ? "1" : "0") + "\n\n";
	}
	text += "#ifdef __cplusplus\n";
	for (size_t i = 0; i < count; i++) {
		text += "constexpr int32_t " + name + constants[i].suffix + " = " + constants[i].value
			+ ";\n";
	}
	text += "extern \"C\" {\n#else\nenum {\n";
	for (size_t i = 0; i < count; i++) {
		text += "\t" + name + constants[i].suffix + " = " + constants[i].value
			+ (i + 1 == count ? "\n" : ",\n");
	}
	return text + "};\n#endif\n\n";
}

const char* const kCloseLinkage = "#ifdef __cplusplus\n}\n#endif\n";

} // namespace

const Layout*
LayoutOf(int32_t colorSpace)
{
	for (const Layout& layout : kLayouts) {
		if (layout.colorSpace == colorSpace)
			return &layout;
	}
	return nullptr;
}

std::string
DataSymbol(const EmbeddedImage& image)
{
	return Symbol(image, "_MData");
}

namespace {

// The header's opening, the guard and the declarations of `bytes`.
std::string
Opening(const EmbeddedImage& image, Bytes bytes)
{
	const std::string& name = image.name;
	const std::string quoted = EmbedText::Quoted(image.image);
	const std::string guard = "QUILLPIX_IMAGE_" + name;
	const std::string clash = "\"two images named " + name + " in one translation unit: \" " + guard
		+ " \" and \" " + quoted + " \"; include one of them only\"";
	std::string text = "/* Generated by quillpix-export from " + quoted
		+ "; do not edit. */\n"
		  "#pragma once\n\n"
		  // The same guard as the Be form's header, so that a clash between
		  // the two forms is told too.
		  "/* Two images of this name would be two meanings of one name here. */\n"
		  "#ifdef "
		+ guard
		+ "\n"
		  "#if defined(__cplusplus)\n"
		  "static_assert(false, "
		+ clash
		+ ");\n"
		  "#elif defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L\n"
		  "_Static_assert(0, "
		+ clash
		+ ");\n"
		  "#else\n"
		  "#error \"two images named "
		+ name
		+ " in one translation unit; include one of them "
		  "only\"\n"
		  "#endif\n"
		  "#else\n"
		  "#define "
		+ guard + " " + quoted + "\n\n" + Declarations(image, bytes);
	return text;
}

// The declaration of the array NAME`suffix` ("_ZData[]"): `type`, and its
// linker's name in a scope.
std::string
Declared(const EmbeddedImage& image, const char* type, const std::string& suffix)
{
	const std::string declared = std::string("extern const ") + type + " " + image.name + suffix;
	if (image.scope.empty())
		return declared + ";\n";
	const std::string plain = suffix.substr(0, suffix.find('['));
	return declared + " __asm__(\"" + Symbol(image, plain.c_str()) + "\");\n";
}

} // namespace

std::string
Symbol(const EmbeddedImage& image, const char* suffix)
{
	const std::string data = image.name + suffix;
	// A dot stands in no identifier, so SCOPE.NAME is one scope's name only.
	return image.scope.empty() ? data : image.scope + "." + data;
}

std::string
Header(const EmbeddedImage& image)
{
	return Opening(image, Bytes::kRaw)
		+ Declared(image, "uint8_t", "_MData[" + Number(image.length) + "]") + "\n" + kCloseLinkage
		+ "\n#endif\n";
}

std::string
CompressedHeader(const EmbeddedImage& image, bool compressed)
{
	if (!compressed) {
		return Opening(image, Bytes::kRawOfCompressed)
			+ Declared(image, "uint8_t", "_MData[" + Number(image.length) + "]") + "\n"
			+ kCloseLinkage + "\n#endif\n";
	}
	return Opening(image, Bytes::kCompressed) + Declared(image, "uint8_t", "_ZData[]")
		+ Declared(image, "uint32_t", "_ZSize") + "\n" + kCloseLinkage + "\n#endif\n";
}

std::string
Assembly(const EmbeddedImage& image)
{
	const std::string symbol = DataSymbol(image);
	char digest[17];
	snprintf(digest, sizeof(digest), "%016" PRIx64, image.digest);
	// As the Be form's, but read-only: in a section of its own that no
	// write reaches, so that every process running the program shares its
	// pages.
	return "/* Generated by quillpix-export from " + EmbedText::Quoted(image.image)
		+ "; do not edit. */\n"
		  "/* "
		+ image.name + "_MData: " + Number(image.length) + " bytes (digest " + digest + ") from "
		+ EmbedText::Quoted(image.dataFile) + ". Assemble this file in its folder. */\n"
		+ EmbedText::AssemblerObject(
			symbol, ".rodata", "a", 64, image.length, EmbedText::IncludeBinary(image.dataFile))
		+ "\t.section .note.GNU-stack,\"\",%progbits\n";
}

std::string
TextHead(const EmbeddedImage& image)
{
	const std::string array = "const uint8_t " + image.name + "_MData[" + Number(image.length)
		+ "]";
	return "/* Generated by quillpix-export from " + EmbedText::Quoted(image.image)
		+ "; do not edit.\n   Compile it in one source file of a program. */\n"
		+ Declarations(image) + "extern " + array + ";\n" + array + " =\n{\n\t";
}

std::string
TextTail(const EmbeddedImage&)
{
	return kCloseLinkage;
}

} // namespace StandaloneText
