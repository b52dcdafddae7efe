// SPDX-License-Identifier: MIT
#pragma once

// The command line of quillpix-export:
//   quillpix-export [-q] [-o OUT|-] [--color-space SPACE] [--name NAME]
//                   [--dither none|floyd-steinberg|ordered] [--background RRGGBB]
//                   [--standalone]
//                   [--embed HEADER [--namespace NS] [--image-name TEXT]
//                    [--compress zstd[:LEVEL] [--compress-threshold PERCENT]]] IMAGE...
// where SPACE is rgb32, cmap8, rgba32, rgb16, rgb15, rgba15, gray8 or gray1.
//   quillpix-export --identifiers IMAGE...
// The options are read as GNU tools read them (getopt_long): short ones may
// be clustered and take their value attached (-qo -, -o-), long ones as
// --output OUT or --output=OUT (or any unambiguous abbreviation), options
// and images may come in any order, and "--" ends the options. The output
// "-" is standard output, which takes the texts of several images one after
// another; the image "-" is standard input.

#include "EmbedCompression.h"

#include <ColorMapDither.h>
#include <GraphicsDefs.h>
#include <Result.h>

#include <string>
#include <vector>

class ExportOptions {
public:
	enum class Action {
		kExport,
		kHelp,
		kVersion,
		kIdentifiers
	};

	// Fails on a usage error, with the sentence that tells it (without the
	// program's name). Call it once per ExportOptions, on one thread at a
	// time: getopt_long keeps its place in the C library's globals, which
	// this resets before it starts.
	BPrivate::Result<void> Parse(int argc, const char* const* argv);

	Action WhatToDo() const { return fAction; }
	// The output file, or null: each image's path with ".h" appended.
	const char* Output() const { return fOutput.empty() ? nullptr : fOutput.c_str(); }
	// True for the output "-": every text goes to standard output.
	bool ToStandardOutput() const { return fOutput == "-"; }
	// True when the output is the null device, which takes any number of
	// texts and keeps none.
	bool ToNullDevice() const;
	// No warnings and no progress line; errors are still reported.
	bool Quiet() const { return fQuiet; }
	// The icon name, or null: the leaf of each output file (for standard
	// output, the image's name made an identifier).
	const char* IconName() const { return fHasIconName ? fIconName.c_str() : nullptr; }
	// The colour space asked for; B_NO_COLOR_SPACE for none: B_CMAP8 images
	// stay as they are, others become B_RGB32.
	color_space TargetColorSpace() const { return fColorSpace; }
	// How pixels are reduced; only for the spaces that SpaceDithers.
	DitherKind Dither() const { return fDither; }
	// What pixels are laid over where the space has no transparency
	// (SpaceHasBackground): white unless --background names a colour.
	rgb_color Background() const { return fBackground; }
	// The header of the build form (see EmbedText), or null for the text as
	// the window saves it. With it, one image goes into three files: this
	// header, the assembler source (Output(), by default the header's path
	// with ".s" for its extension) and the raw bytes (the source's path with
	// ".bin").
	const char* EmbedHeader() const
	{
		return fEmbedHeader.empty() ? nullptr : fEmbedHeader.c_str();
	}
	const std::string& EmbedSource() const { return fEmbedSource; }
	const std::string& EmbedData() const { return fEmbedData; }
	// The namespace of the build form's linker names (an identifier), or
	// empty for none.
	const std::string& EmbedScope() const { return fEmbedScope; }
	// The image's name as the build form's files give it, or null: as given.
	const char* EmbedImageName() const
	{
		return fHasEmbedImageName ? fEmbedImageName.c_str() : nullptr;
	}
	// How the build form compresses the bytes; not Enabled() without
	// --compress.
	const EmbedCompression& Compression() const { return fCompression; }
	// The standalone form (see StandaloneText) of the text or the build
	// form, for programs not built on the Be API.
	bool Standalone() const { return fStandalone; }
	const std::vector<std::string>& Images() const { return fImages; }

	static const char* UsageLine();
	static const char* Help();

private:
	BPrivate::Result<void> TakeOption(int option, const char* value);
	BPrivate::Result<void> CheckCombination();
	BPrivate::Result<void> CheckImages() const;
	BPrivate::Result<void> CheckEmbed();

	Action fAction = Action::kExport;
	color_space fColorSpace = B_NO_COLOR_SPACE;
	DitherKind fDither = DitherKind::kNone;
	bool fHasDither = false;
	rgb_color fBackground = {255, 255, 255, 255};
	bool fHasBackground = false;
	std::string fOutput;
	std::string fIconName;
	std::string fEmbedHeader;
	std::string fEmbedSource;
	std::string fEmbedData;
	std::string fEmbedScope;
	std::string fEmbedImageName;
	bool fHasEmbedImageName = false;
	EmbedCompression fCompression;
	bool fHasCompressThreshold = false;
	bool fHasIconName = false;
	bool fQuiet = false;
	bool fStandalone = false;
	std::vector<std::string> fImages;
};
