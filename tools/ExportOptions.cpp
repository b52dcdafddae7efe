#include "ExportOptions.h"

#include "ImageIdentifier.h"

#include <SpaceConversion.h>

#include <cstdlib>
#include <cstring>

namespace {

// Matches `argument` against the option `name` taking a value: "--name V"
// (the value is the next argument) or "--name=V". True when it matched;
// `value` is then the value or null when it is missing.
bool
MatchValueOption(const char* argument, const char* name, int& index, int argc,
	const char* const* argv, const char*& value)
{
	size_t length = strlen(name);
	if (strncmp(argument, name, length) != 0)
		return false;
	if (argument[length] == '=') {
		value = argument + length + 1;
		return true;
	}
	if (argument[length] != '\0')
		return false;
	value = index + 1 < argc ? argv[++index] : nullptr;
	return true;
}

// `path` with `extension` in place of its leaf's last extension (or added).
std::string
WithExtension(const std::string& path, const char* extension)
{
	size_t leaf = path.rfind('/') + 1;
	size_t dot = path.rfind('.');
	if (dot == std::string::npos || dot <= leaf)
		return path + extension;
	return path.substr(0, dot) + extension;
}

// A colour written as six hexadecimal digits, red, green and blue.
bool
ParseColor(const char* text, rgb_color& color)
{
	if (text == nullptr || strlen(text) != 6 || strspn(text, "0123456789abcdefABCDEF") != 6)
		return false;
	const unsigned long value = strtoul(text, nullptr, 16);
	color = {uint8(value >> 16), uint8(value >> 8), uint8(value), 255};
	return true;
}

} // namespace

bool
ExportOptions::Parse(int argc, const char* const* argv)
{
	bool optionsEnded = false;
	for (int index = 1; index < argc; index++) {
		const char* argument = argv[index];
		if (optionsEnded || argument[0] != '-' || strcmp(argument, "-") == 0) {
			fImages.push_back(argument);
			continue;
		}
		if (strcmp(argument, "--") == 0) {
			optionsEnded = true;
			continue;
		}
		if (strcmp(argument, "--help") == 0 || strcmp(argument, "-h") == 0) {
			fAction = Action::kHelp;
			return true;
		}
		if (strcmp(argument, "--version") == 0) {
			fAction = Action::kVersion;
			return true;
		}
		if (strcmp(argument, "--identifiers") == 0) {
			fAction = Action::kIdentifiers;
			continue;
		}
		if (strcmp(argument, "--quiet") == 0 || strcmp(argument, "-q") == 0) {
			fQuiet = true;
			continue;
		}

		const char* value = nullptr;
		if (MatchValueOption(argument, "-o", index, argc, argv, value)
			|| MatchValueOption(argument, "--output", index, argc, argv, value)) {
			if (value == nullptr || value[0] == '\0')
				return Fail("option -o needs a file name");
			fOutput = value;
		} else if (MatchValueOption(argument, "--name", index, argc, argv, value)) {
			if (value == nullptr)
				return Fail("option --name needs an icon name");
			fIconName = value;
			fHasIconName = true;
		} else if (MatchValueOption(argument, "--embed", index, argc, argv, value)) {
			if (value == nullptr || value[0] == '\0')
				return Fail("option --embed needs a header name");
			fEmbedHeader = value;
		} else if (MatchValueOption(argument, "--namespace", index, argc, argv, value)) {
			if (value == nullptr || !ImageIdentifier::IsIdentifier(value))
				return Fail("option --namespace needs a C++ identifier");
			fEmbedScope = value;
		} else if (MatchValueOption(argument, "--image-name", index, argc, argv, value)) {
			if (value == nullptr)
				return Fail("option --image-name needs a text");
			fEmbedImageName = value;
			fHasEmbedImageName = true;
		} else if (MatchValueOption(argument, "--color-space", index, argc, argv, value)) {
			if (value == nullptr || !ColorSpaceNamed(value, fColorSpace))
				return Fail("option --color-space takes rgb32, cmap8, rgba32, rgb16, rgb15, "
					"rgba15, gray8 or gray1");
		} else if (MatchValueOption(argument, "--dither", index, argc, argv, value)) {
			if (value == nullptr || !DitherKindNamed(value, fDither))
				return Fail("option --dither takes none, floyd-steinberg or ordered");
			fHasDither = true;
		} else if (MatchValueOption(argument, "--background", index, argc, argv, value)) {
			if (!ParseColor(value, fBackground))
				return Fail("option --background takes a colour as RRGGBB, such as ffffff");
			fHasBackground = true;
		} else {
			return Fail(std::string("unknown option ") + argument);
		}
	}

	if (fImages.empty())
		return Fail("no image given");
	if (fHasDither && !SpaceDithers(fColorSpace))
		return Fail("option --dither needs --color-space cmap8, rgb16, rgb15, rgba15 or gray1");
	if (fHasBackground && !SpaceHasBackground(fColorSpace))
		return Fail("option --background needs --color-space rgb16, gray8 or gray1");
	if (fAction == Action::kIdentifiers)
		return true;
	if (fImages.size() > 1 && !fOutput.empty() && !ToStandardOutput())
		return Fail("-o names one output file, but several images were given");
	if (fEmbedHeader.empty() && (!fEmbedScope.empty() || fHasEmbedImageName))
		return Fail("options --namespace and --image-name go with --embed");
	if (!fEmbedHeader.empty() && !CheckEmbed())
		return false;
	// Texts one after another in one stream must not define the same names.
	if (fImages.size() > 1 && ToStandardOutput() && fHasIconName)
		return Fail("--name " + fIconName + " would give " + fImages[0] + " and " + fImages[1]
			+ " the same identifiers on standard output");
	return true;
}

bool
ExportOptions::CheckEmbed()
{
	if (fImages.size() > 1 || ToStandardOutput())
		return Fail("--embed writes one source file: give one image and no -o -");
	// The name stands in directives and declarations: nothing else may.
	if (fHasIconName && !ImageIdentifier::IsIdentifier(fIconName.c_str()))
		return Fail("--embed needs an icon name that is a C++ identifier, not \"" + fIconName
			+ "\"");
	fEmbedSource = fOutput.empty() ? WithExtension(fEmbedHeader, ".s") : fOutput;
	fEmbedData = WithExtension(fEmbedSource, ".bin");
	if (fEmbedSource == fEmbedHeader || fEmbedData == fEmbedHeader || fEmbedData == fEmbedSource)
		return Fail("--embed writes three files, but " + fEmbedHeader + ", " + fEmbedSource
			+ " and " + fEmbedData + " are not three names");
	return true;
}

bool
ExportOptions::Fail(const std::string& message)
{
	fError = message;
	return false;
}

const char*
ExportOptions::UsageLine()
{
	return "usage: quillpix-export [-q] [-o OUT|-] "
		"[--color-space rgb32|cmap8|rgba32|rgb16|rgb15|rgba15|gray8|gray1] [--name NAME] "
		"[--dither none|floyd-steinberg|ordered] [--background RRGGBB] "
		"[--embed HEADER [--namespace NS] [--image-name TEXT]] IMAGE...";
}

const char*
ExportOptions::Help()
{
	return "Writes each IMAGE as C++ source: its bitmap's bytes as a uint8 array and\n"
		"the construction of a PrefilledBitmap from them.\n"
		"\n"
		"  -o, --output OUT       write to OUT (one image only); default: IMAGE.h\n"
		"  -o -                   write every text to standard output, in order\n"
		"  --color-space rgb32    export the bitmap as B_RGB32 (4 bytes a pixel)\n"
		"  --color-space cmap8    export the bitmap as B_CMAP8 (system colour map)\n"
		"  --color-space rgba32   B_RGBA32: B, G, R, A, partial alpha kept\n"
		"  --color-space rgb16    B_RGB16: 5-6-5, laid over the background\n"
		"  --color-space rgb15    B_RGB15: x-5-5-5, alpha below 128 transparent\n"
		"  --color-space rgba15   B_RGBA15: 1-5-5-5, the alpha bit set from 128\n"
		"  --color-space gray8    B_GRAY8: one grey byte, laid over the background\n"
		"  --color-space gray1    B_GRAY1: one bit (1 = black), over the background\n"
		"                         default: B_CMAP8 images stay, others become B_RGB32\n"
		"  --dither KIND          with cmap8, rgb16, rgb15, rgba15 or gray1, how\n"
		"                         colours are reduced: none (the nearest, the\n"
		"                         default), floyd-steinberg (error diffusion) or\n"
		"                         ordered (an 8x8 Bayer pattern)\n"
		"  --background RRGGBB    with rgb16, gray8 or gray1, the colour pixels are\n"
		"                         laid over (default ffffff, white)\n"
		"  --name NAME            name the icon NAME; default: the output file's leaf\n"
		"                         (on standard output: IMAGE's name as an identifier)\n"
		"  --embed HEADER         write for a build: HEADER with NAME_MData, its size\n"
		"                         (NAME_Width, NAME_Height, NAME_BytesPerRow,\n"
		"                         NAME_ColorSpace), NAME_MICN and NAME_MakeBitmap();\n"
		"                         the assembler source OUT (default: HEADER with .s)\n"
		"                         defining NAME_MData, and the bytes it takes in (OUT\n"
		"                         with .bin); each only when it changes. NAME\n"
		"                         defaults to IMAGE's name as an identifier\n"
		"  --namespace NS         with --embed, give the linker NS::NAME_MData and\n"
		"                         keep the C++ names through using-declarations\n"
		"  --image-name TEXT      with --embed, name the image TEXT in the files\n"
		"  --identifiers          print the identifier each IMAGE's name gives\n"
		"  -q, --quiet            no warnings and no progress line\n"
		"  -h, --help             show this help\n"
		"  --version              show the version\n"
		"\n"
		"Several images are read and converted in parallel; messages and texts\n"
		"come in the order of the arguments. On a terminal, an image that takes\n"
		"longer than a second shows a progress line.\n"
		"\n"
		"Exit status: 0 when every image was written, 1 when one failed, 2 on a\n"
		"usage error.\n";
}
