// SPDX-License-Identifier: MIT
#include "ExportOptions.h"

#include "export/ImageIdentifier.h"
#include "ImageInput.h"
#include "PrintableName.h"

#include <SpaceConversion.h>
#include <System.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <getopt.h>
#include <string_view>
#include <sys/stat.h>

namespace {

using BPrivate::Failure;
using BPrivate::Result;

// The values getopt_long answers for the options that have no short form.
enum LongOption {
	kColorSpace = 256,
	kName,
	kDither,
	kBackground,
	kEmbed,
	kNamespace,
	kImageName,
	kCompress,
	kCompressThreshold,
	kIdentifiers,
	kVersion,
	kStandalone,
};

const option kLongOptions[] = {
	{"output", required_argument, nullptr, 'o'},
	{"quiet", no_argument, nullptr, 'q'},
	{"help", no_argument, nullptr, 'h'},
	{"version", no_argument, nullptr, kVersion},
	{"identifiers", no_argument, nullptr, kIdentifiers},
	{"color-space", required_argument, nullptr, kColorSpace},
	{"name", required_argument, nullptr, kName},
	{"dither", required_argument, nullptr, kDither},
	{"background", required_argument, nullptr, kBackground},
	{"embed", required_argument, nullptr, kEmbed},
	{"namespace", required_argument, nullptr, kNamespace},
	{"image-name", required_argument, nullptr, kImageName},
	{"compress", required_argument, nullptr, kCompress},
	{"compress-threshold", required_argument, nullptr, kCompressThreshold},
	{"standalone", no_argument, nullptr, kStandalone},
	{nullptr, 0, nullptr, 0},
};

// "-": every argument that is no option comes back in its place, as option
// 1, whatever POSIXLY_CORRECT says, so that images keep their order and
// options may follow them. ":": a missing value answers ':', not '?', and
// getopt_long prints nothing itself.
const char* const kShortOptions = "-:qho:";

Failure
UsageError(std::string sentence)
{
	return Failure(B_BAD_VALUE, std::move(sentence));
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

// A whole decimal number from `minimum` to `maximum`, nothing around it.
bool
ParseNumber(const char* text, int minimum, int maximum, int& number)
{
	if (text == nullptr || text[0] < '0' || text[0] > '9' || strlen(text) > 3)
		return false;
	char* end = nullptr;
	const long value = strtol(text, &end, 10);
	if (*end != '\0' || value < minimum || value > maximum)
		return false;
	number = int(value);
	return true;
}

// zstd, or zstd:LEVEL.
bool
ParseCompression(const char* text, EmbedCompression& compression)
{
	if (text == nullptr || strncmp(text, "zstd", 4) != 0)
		return false;
	if (text[4] == '\0') {
		compression.level = EmbedCompression::kDefaultLevel;
		return true;
	}
	return text[4] == ':'
		&& ParseNumber(text + 5, EmbedCompression::kMinimumLevel, EmbedCompression::kMaximumLevel,
			compression.level);
}

// The refusal of the option getopt_long did not take at `argument` (the
// argument it was reading); `shortOption` is the letter of an unknown short
// option, or 0.
Failure
RefusedOption(const char* argument, int shortOption)
{
	if (argument == nullptr || strncmp(argument, "--", 2) != 0) {
		const char letter[] = {'-', char(shortOption), '\0'};
		return UsageError("unknown option " + PrintableName(letter));
	}
	const std::string_view given(argument + 2, strcspn(argument + 2, "="));
	int matches = 0;
	for (const option* known = kLongOptions; known->name != nullptr; known++) {
		if (given == known->name)
			return UsageError("unknown option " + PrintableName(argument));
		if (!given.empty() && strncmp(known->name, given.data(), given.size()) == 0)
			matches++;
	}
	if (matches > 1)
		return UsageError("option --" + PrintableName(given) + " is ambiguous");
	return UsageError("unknown option " + PrintableName(argument));
}

} // namespace

bool
ExportOptions::ToNullDevice() const
{
	if (fOutput.empty())
		return false;
	BPrivate::Result<struct stat> output = BPrivate::System::Stat(fOutput.c_str());
	BPrivate::Result<struct stat> null = BPrivate::System::Stat("/dev/null");
	return output && null && S_ISCHR(output.Value().st_mode)
		&& output.Value().st_rdev == null.Value().st_rdev;
}

Result<void>
ExportOptions::Parse(int argc, const char* const* argv)
{
	// In the order kept by the leading '-', getopt_long moves no argument:
	// the strings are only read.
	std::vector<char*> arguments;
	for (int index = 0; index < argc; index++)
		arguments.push_back(const_cast<char*>(argv[index]));
	arguments.push_back(nullptr);

	opterr = 0;
	optind = 0;
	for (;;) {
		// The argument getopt_long reads next (optind is 0 before the first
		// call).
		const int at = std::max(optind, 1);
		const char* current = at < argc ? arguments[at] : nullptr;
		const int option = getopt_long(
			argc, arguments.data(), kShortOptions, kLongOptions, nullptr);
		if (option == -1)
			break;
		switch (option) {
		case 1:
			fImages.push_back(optarg);
			break;
		case 'h':
			fAction = Action::kHelp;
			return {};
		case kVersion:
			fAction = Action::kVersion;
			return {};
		case '?':
			return RefusedOption(current, optopt);
		case ':':
			// The option's value is missing: refused as a wrong one.
			return TakeOption(optopt, nullptr);
		default:
			if (Result<void> taken = TakeOption(option, optarg); !taken)
				return taken;
		}
	}
	// After "--": images, whatever they look like.
	for (int index = optind; index < argc; index++)
		fImages.push_back(argv[index]);
	return CheckCombination();
}

Result<void>
ExportOptions::TakeOption(int option, const char* value)
{
	switch (option) {
	case 'q':
		fQuiet = true;
		return {};
	case kIdentifiers:
		fAction = Action::kIdentifiers;
		return {};
	case kStandalone:
		fStandalone = true;
		return {};
	case 'o':
		if (value == nullptr || value[0] == '\0')
			return UsageError("option -o needs a file name");
		fOutput = value;
		return {};
	case kName:
		if (value == nullptr)
			return UsageError("option --name needs an icon name");
		fIconName = value;
		fHasIconName = true;
		return {};
	case kEmbed:
		if (value == nullptr || value[0] == '\0')
			return UsageError("option --embed needs a header name");
		fEmbedHeader = value;
		return {};
	case kNamespace:
		if (value == nullptr || !ImageIdentifier::IsIdentifier(value))
			return UsageError("option --namespace needs a C++ identifier");
		fEmbedScope = value;
		return {};
	case kImageName:
		if (value == nullptr)
			return UsageError("option --image-name needs a text");
		fEmbedImageName = value;
		fHasEmbedImageName = true;
		return {};
	case kCompress:
		if (!ParseCompression(value, fCompression))
			return UsageError("option --compress takes zstd or zstd:LEVEL, LEVEL 1 to 19");
		return {};
	case kCompressThreshold:
		if (!ParseNumber(value, 0, 99, fCompression.threshold))
			return UsageError("option --compress-threshold takes a share in percent, 0 to 99");
		fHasCompressThreshold = true;
		return {};
	case kColorSpace:
		if (value == nullptr || !ColorSpaceNamed(value, fColorSpace))
			return UsageError(
				"option --color-space takes rgb32, cmap8, rgba32, rgb16, rgb15, "
				"rgba15, gray8, gray1, rgb24, rgb24-big, rgb16-big, rgb15-big, rgba15-big, "
				"rgb32-big or rgba32-big");
		return {};
	case kDither:
		if (value == nullptr || !DitherKindNamed(value, fDither))
			return UsageError("option --dither takes none, floyd-steinberg or ordered");
		fHasDither = true;
		return {};
	case kBackground:
		if (!ParseColor(value, fBackground))
			return UsageError("option --background takes a colour as RRGGBB, such as ffffff");
		fHasBackground = true;
		return {};
	}
	return UsageError("unknown option");
}

Result<void>
ExportOptions::CheckCombination()
{
	if (fImages.empty())
		return UsageError("no image given");
	if (fHasDither && !SpaceDithers(fColorSpace))
		return UsageError("option --dither needs --color-space cmap8, rgb16, rgb15, rgba15, gray1, "
						  "rgb16-big, rgb15-big or rgba15-big");
	if (fHasBackground && !SpaceHasBackground(fColorSpace))
		return UsageError("option --background needs --color-space rgb16, gray8, gray1, rgb24, "
						  "rgb24-big or rgb16-big");
	if (fAction == Action::kIdentifiers)
		return {};
	if (fImages.size() > 1 && !fOutput.empty() && !ToStandardOutput() && !ToNullDevice())
		return UsageError("-o names one output file, but several images were given");
	if (fEmbedHeader.empty() && (!fEmbedScope.empty() || fHasEmbedImageName))
		return UsageError("options --namespace and --image-name go with --embed");
	if (fEmbedHeader.empty() && fCompression.Enabled())
		return UsageError("option --compress goes with --embed");
	if (fHasCompressThreshold && !fCompression.Enabled())
		return UsageError("option --compress-threshold goes with --compress");
	if (!fEmbedHeader.empty()) {
		if (Result<void> embed = CheckEmbed(); !embed)
			return embed;
	}
	// Texts one after another in one stream must not define the same names.
	if (fImages.size() > 1 && ToStandardOutput() && fHasIconName) {
		return UsageError("--name " + PrintableName(fIconName) + " would give "
			+ PrintableName(fImages[0]) + " and " + PrintableName(fImages[1])
			+ " the same identifiers on standard output");
	}
	return CheckImages();
}

Result<void>
ExportOptions::CheckImages() const
{
	std::vector<int> streams;
	for (const std::string& image : fImages) {
		if (image.empty())
			return UsageError("an empty name is no file");
		const int stream = ImageInput::StreamOf(image);
		if (stream < 0)
			continue;
		// Read once to its end, a stream has nothing left for a second image.
		if (std::find(streams.begin(), streams.end(), stream) != streams.end()) {
			return UsageError(ImageInput::MessageName(image)
				+ " is read to its end once; it cannot give a second image");
		}
		streams.push_back(stream);
		if (fOutput.empty() && fEmbedHeader.empty()) {
			return UsageError(ImageInput::MessageName(image)
				+ " has no file name to write a text beside; give -o OUT or -o -");
		}
	}
	return {};
}

Result<void>
ExportOptions::CheckEmbed()
{
	if (fImages.size() > 1 || ToStandardOutput())
		return UsageError("--embed writes one source file: give one image and no -o -");
	// The name stands in directives and declarations: nothing else may.
	if (fHasIconName && !ImageIdentifier::IsIdentifier(fIconName.c_str())) {
		return UsageError("--embed needs an icon name that is a C++ identifier, not \""
			+ PrintableName(fIconName) + "\"");
	}
	fEmbedSource = fOutput.empty() ? WithExtension(fEmbedHeader, ".s") : fOutput;
	fEmbedData = WithExtension(fEmbedSource, ".bin");
	if (fEmbedSource == fEmbedHeader || fEmbedData == fEmbedHeader || fEmbedData == fEmbedSource) {
		return UsageError("--embed writes three files, but " + PrintableName(fEmbedHeader) + ", "
			+ PrintableName(fEmbedSource) + " and " + PrintableName(fEmbedData)
			+ " are not three names");
	}
	return {};
}

const char*
ExportOptions::UsageLine()
{
	return "usage: quillpix-export [-q] [-o OUT|-] "
		   "[--color-space SPACE] [--name NAME] "
		   "[--dither none|floyd-steinberg|ordered] [--background RRGGBB] "
		   "[--standalone] [--embed HEADER [--namespace NS] [--image-name TEXT] "
		   "[--compress zstd[:LEVEL] [--compress-threshold PERCENT]]] IMAGE...";
}

const char*
ExportOptions::Help()
{
	return "Writes each IMAGE as C++ source: its bitmap's bytes as a uint8 array and\n"
		   "the construction of a PrefilledBitmap from them.\n"
		   "\n"
		   "  -o, --output OUT       write to OUT (one image only, or any number to\n"
		   "                         /dev/null); default: IMAGE.h\n"
		   "  -o -                   write every text to standard output, in order\n"
		   "  --color-space rgb32    export the bitmap as B_RGB32 (4 bytes a pixel)\n"
		   "  --color-space cmap8    export the bitmap as B_CMAP8 (system colour map)\n"
		   "  --color-space rgba32   B_RGBA32: B, G, R, A, partial alpha kept\n"
		   "  --color-space rgb16    B_RGB16: 5-6-5, laid over the background\n"
		   "  --color-space rgb15    B_RGB15: x-5-5-5, alpha below 128 transparent\n"
		   "  --color-space rgba15   B_RGBA15: 1-5-5-5, the alpha bit set from 128\n"
		   "  --color-space gray8    B_GRAY8: one grey byte, laid over the background\n"
		   "  --color-space gray1    B_GRAY1: one bit (1 = black), over the background\n"
		   "  --color-space rgb24    B_RGB24: B, G, R, laid over the background\n"
		   "  --color-space rgb24-big\n"
		   "                         B_RGB24_BIG: R, G, B, over the background\n"
		   "  --color-space rgb16-big, rgb15-big, rgba15-big, rgb32-big or rgba32-big\n"
		   "                         B_RGB16_BIG and the other _BIG twins: the\n"
		   "                         twin's values, bytes in big-endian order (the\n"
		   "                         32-bit ones A, R, G, B)\n"
		   "                         default: B_CMAP8 images stay, others become B_RGB32\n"
		   "  --dither KIND          with cmap8, the 16-bit spaces or gray1, how\n"
		   "                         colours are reduced: none (the nearest, the\n"
		   "                         default), floyd-steinberg (error diffusion) or\n"
		   "                         ordered (an 8x8 Bayer pattern)\n"
		   "  --background RRGGBB    with rgb16, rgb16-big, rgb24, rgb24-big, gray8 or\n"
		   "                         gray1, the colour pixels are laid over (default\n"
		   "                         ffffff, white)\n"
		   "  --name NAME            name the icon NAME; default: the output file's leaf\n"
		   "                         (on standard output: IMAGE's name as an identifier)\n"
		   "  --embed HEADER         write for a build: HEADER with NAME_MData, its size\n"
		   "                         (NAME_Width, NAME_Height, NAME_BytesPerRow,\n"
		   "                         NAME_ColorSpace), NAME_MICN and NAME_MakeBitmap();\n"
		   "                         the assembler source OUT (default: HEADER with .s)\n"
		   "                         defining NAME_MData, and the bytes it takes in (OUT\n"
		   "                         with .bin); each only when it changes. NAME\n"
		   "                         defaults to IMAGE's name as an identifier\n"
		   "  --standalone           write for any C or C++ program, built on the Be API\n"
		   "                         or not: only <stdint.h> included, the bytes as\n"
		   "                         const uint8_t NAME_MData[N] (read-only, C linkage),\n"
		   "                         NAME_Width, NAME_Height, NAME_BytesPerRow and\n"
		   "                         NAME_ColorSpace as integer constants, the layout\n"
		   "                         in a comment; no PrefilledBitmap. With -o, the text\n"
		   "                         defines the array; with --embed, the header\n"
		   "                         declares it\n"
		   "  --namespace NS         with --embed, give the linker NS::NAME_MData and\n"
		   "                         keep the C++ names through using-declarations\n"
		   "                         (with --standalone: the linker's name NS.NAME_MData)\n"
		   "  --image-name TEXT      with --embed, name the image TEXT in the files\n"
		   "  --compress zstd[:LEVEL]\n"
		   "                         with --embed, compress the bytes with zstd at LEVEL\n"
		   "                         (1 to 19, default 9): NAME_ZData instead of\n"
		   "                         NAME_MData, decompressed by NAME_MakeBitmap(), and\n"
		   "                         NAME_Size, NAME_Compressed in the header\n"
		   "  --compress-threshold PERCENT\n"
		   "                         with --compress, embed an image as it is unless\n"
		   "                         compressing makes it PERCENT smaller (default 10)\n"
		   "  --identifiers          print the identifier each IMAGE's name gives\n"
		   "  -q, --quiet            no warnings and no progress line\n"
		   "  -h, --help             show this help\n"
		   "  --version              show the version\n"
		   "\n"
		   "The IMAGE - is standard input (with -o; ./- is a file named -), as are\n"
		   "/dev/stdin and /dev/fd/N: a pipe is read to its end. Options may be\n"
		   "clustered (-qo -), take their value attached (-o-, --output=OUT) and\n"
		   "come after the images; -- ends them.\n"
		   "\n"
		   "Several images are read and converted in parallel; messages and texts\n"
		   "come in the order of the arguments, names in them escaped (\\n, \\033,\n"
		   "\\xff). On a terminal, a run that takes longer than a second shows a\n"
		   "progress line: the image's count, its name and the share done.\n"
		   "\n"
		   "Exit status: 0 when every image was written, 1 when one failed, 2 on a\n"
		   "usage error.\n";
}
