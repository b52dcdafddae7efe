#include "ExportOptions.h"

#include "ImageIdentifier.h"

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
			if (value != nullptr && strcmp(value, "rgb32") == 0)
				fColorSpace = ColorSpace::kRgb32;
			else if (value != nullptr && strcmp(value, "cmap8") == 0)
				fColorSpace = ColorSpace::kCmap8;
			else
				return Fail("option --color-space takes rgb32 or cmap8");
		} else if (MatchValueOption(argument, "--dither", index, argc, argv, value)) {
			if (value == nullptr || !DitherKindNamed(value, fDither))
				return Fail("option --dither takes none, floyd-steinberg or ordered");
			fHasDither = true;
		} else {
			return Fail(std::string("unknown option ") + argument);
		}
	}

	if (fImages.empty())
		return Fail("no image given");
	if (fHasDither && fColorSpace != ColorSpace::kCmap8)
		return Fail("option --dither needs --color-space cmap8");
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
	return "usage: quillpix-export [-q] [-o OUT|-] [--color-space rgb32|cmap8] [--name NAME] "
		"[--dither none|floyd-steinberg|ordered] [--embed HEADER [--namespace NS] "
		"[--image-name TEXT]] IMAGE...";
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
		"                         default: B_CMAP8 images stay, others become B_RGB32\n"
		"  --dither KIND          with cmap8, how colours become map indices: none\n"
		"                         (the nearest, the default), floyd-steinberg (error\n"
		"                         diffusion) or ordered (an 8x8 Bayer pattern)\n"
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
