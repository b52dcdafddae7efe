// SPDX-License-Identifier: MIT
#include "CompressedEmbed.h"

#include "StandaloneText.h"

#include <cinttypes>
#include <cstdio>
#include <memory>
// For ZSTD_c_literalCompressionMode, which libzstd 1.5 has but calls
// experimental.
#define ZSTD_STATIC_LINKING_ONLY
#include <zstd.h>
#include <zstd_errors.h>

using BPrivate::Failure;
using BPrivate::Result;

namespace CompressedEmbed {

namespace {

struct ContextDeleter {
	void operator()(ZSTD_CCtx* context) const { ZSTD_freeCCtx(context); }
};

std::string
Number(int64_t value)
{
	return std::to_string(value);
}

using Context = std::unique_ptr<ZSTD_CCtx, ContextDeleter>;

Failure
CompressionFailure(size_t code)
{
	const ZSTD_ErrorCode error = ZSTD_getErrorCode(code);
	return Failure(error == ZSTD_error_memory_allocation ? B_NO_MEMORY
			: error == ZSTD_error_parameter_unsupported || error == ZSTD_error_parameter_outOfBound
			? B_BAD_VALUE
			: B_ERROR,
		std::string("cannot compress: ") + ZSTD_getErrorName(code));
}

// Sets every parameter that could vary the frame: one thread, no
// dictionary, the checksum and the content size in the frame; for the
// profile made for speed, also the literals as they are, matches of at
// least 6 bytes and a window of 256 KB.
Result<void>
Configure(ZSTD_CCtx* context, int level, Profile profile)
{
	const size_t reset = ZSTD_CCtx_reset(context, ZSTD_reset_session_and_parameters);
	if (ZSTD_isError(reset))
		return CompressionFailure(reset);
	std::vector<std::pair<ZSTD_cParameter, int>> parameters = {
		{ZSTD_c_compressionLevel, level},
		{ZSTD_c_checksumFlag, 1},
		{ZSTD_c_contentSizeFlag, 1},
		{ZSTD_c_dictIDFlag, 0},
		{ZSTD_c_nbWorkers, 0},
	};
	if (profile == Profile::kForSpeed) {
		parameters.insert(parameters.end(),
			{{ZSTD_c_literalCompressionMode, ZSTD_ps_disable}, {ZSTD_c_minMatch, 6},
				{ZSTD_c_windowLog, 18}});
	}
	for (const auto& [parameter, value] : parameters) {
		const size_t set = ZSTD_CCtx_setParameter(context, parameter, value);
		if (ZSTD_isError(set))
			return CompressionFailure(set);
	}
	return {};
}

// The frame in at most `room` bytes; empty when it does not fit.
Result<std::vector<uint8_t>>
Frame(ZSTD_CCtx* context, const void* bits, size_t length, size_t room)
{
	std::vector<uint8_t> frame(room);
	const size_t written = ZSTD_compress2(context, frame.data(), frame.size(), bits, length);
	if (ZSTD_isError(written)) {
		if (ZSTD_getErrorCode(written) == ZSTD_error_dstSize_tooSmall)
			return std::vector<uint8_t>();
		return CompressionFailure(written);
	}
	frame.resize(written);
	frame.shrink_to_fit();
	return frame;
}

Result<Profile>
ChooseProfile(ZSTD_CCtx* context, const void* bits, size_t length)
{
	if (Result<void> set = Configure(context, 1, Profile::kAsked); !set)
		return set.Error();
	Result<std::vector<uint8_t>> trial = Frame(context, bits, length, length / 2);
	if (!trial)
		return trial.Error();
	return trial.Value().empty() ? Profile::kForSpeed : Profile::kAsked;
}

Context
NewContext()
{
	return Context(ZSTD_createCCtx());
}

} // namespace

Result<Profile>
ChooseProfile(const void* bits, size_t length)
{
	Context context = NewContext();
	if (!context)
		return Failure(B_NO_MEMORY, "cannot compress: out of memory");
	return ChooseProfile(context.get(), bits, length);
}

Result<std::vector<uint8_t>>
Compress(const void* bits, size_t length, const EmbedCompression& settings)
{
	Context context = NewContext();
	if (!context)
		return Failure(B_NO_MEMORY, "cannot compress: out of memory");
	Result<Profile> profile = ChooseProfile(context.get(), bits, length);
	if (!profile)
		return profile.Error();
	if (Result<void> set = Configure(context.get(), settings.level, profile.Value()); !set)
		return set.Error();
	// Room for no more than the threshold allows: a frame that does not fit
	// is one that would not have been small enough.
	const size_t keep = size_t(100 - settings.threshold);
	const size_t room = length / 100 * keep + length % 100 * keep / 100;
	Result<std::vector<uint8_t>> frame = Frame(context.get(), bits, length, room);
	if (!frame || !frame.Value().empty() || profile.Value() == Profile::kAsked)
		return frame;
	// Made for speed it is not small enough; with Huffman-coded literals it
	// may be, and a smaller program is what was asked for.
	if (Result<void> set = Configure(context.get(), settings.level, Profile::kAsked); !set)
		return set.Error();
	return Frame(context.get(), bits, length, room);
}

std::string
Symbol(const EmbeddedImage& image, const char* suffix)
{
	const std::string name = image.name + suffix;
	if (image.scope.empty())
		return name;
	return "_ZN" + Number(int64_t(image.scope.size())) + image.scope + Number(int64_t(name.size()))
		+ name + "E";
}

std::string
Header(const EmbeddedImage& image, bool compressed, Form form)
{
	if (form == Form::kStandalone)
		return StandaloneText::CompressedHeader(image, compressed);
	const std::string& name = image.name;
	const std::string space = EmbedText::ColorSpaceConstant(image.colorSpace);
	std::string text = EmbedText::HeaderStart(
						   image, "#include <CompressedBitmap.h>\n#include <PrefilledBitmap.h>\n")
		+ "// 1 when the bytes are embedded compressed (" + name
		+ "_ZData), 0 when as they\n"
		  "// are ("
		+ name
		+ "_MData): a macro, so that #if can tell the two forms apart.\n"
		  "#define "
		+ name + "_Compressed " + (compressed ? "1" : "0") + "\n\n";
	if (!image.scope.empty())
		text += "namespace " + image.scope + " {\n\n";
	text += "// The bitmap: " + Number(image.width) + " x " + Number(image.height) + " pixels, "
		+ space + ", " + Number(image.bytesPerRow) + " bytes a row, " + Number(image.length)
		+ " bytes in all.\n" + EmbedText::Constants(image) + "constexpr size_t " + name
		+ "_Size = " + Number(image.length) + ";\n\n";
	std::vector<const char*> names = {"_Width", "_Height", "_BytesPerRow", "_ColorSpace", "_Size"};
	if (compressed) {
		text += "// Its bytes compressed: " + name + "_ZData is one zstd frame of " + name
			+ "_ZSize\n// bytes that holds " + name
			+ "_Size, with its checksum.\n"
			  "extern const uint8 "
			+ name
			+ "_ZData[];\n"
			  "extern const uint32 "
			+ name + "_ZSize;\n\n";
		names.insert(names.end(), {"_ZData", "_ZSize"});
	} else {
		text += "// Its bytes as the bitmap holds them, row after row: compressed they would\n"
				"// not have been enough smaller.\n"
				"extern uint8 "
			+ name + "_MData[" + Number(image.length) + "];\n\n";
		names.push_back("_MData");
	}
	text += "// Null until " + name
		+ "_MakeBitmap() has built it.\n"
		  "inline PrefilledBitmap* "
		+ name + "_MICN = nullptr;\n\n";
	if (compressed) {
		text += "// Builds " + name + "_MICN on the first call, decompressing " + name
			+ "_ZData\n"
			  "// into its bits, and answers it; null when that fails, with the reason in\n";
	} else {
		text += "// Builds " + name + "_MICN from " + name
			+ "_MData on the first call and\n"
			  "// answers it; null when it cannot be built, with the reason in\n";
	}
	text += "// *error (B_OK on success; see CompressedBitmap.h). Call it after your\n"
			"// BApplication object has been constructed.\n"
			"inline PrefilledBitmap*\n"
		+ name + "_MakeBitmap(status_t* error = nullptr)\n{\n";
	if (compressed) {
		text += "\treturn BuildCompressedBitmap(" + name + "_MICN, " + name + "_ZData, " + name
			+ "_ZSize,\n\t\t" + name + "_Size, ";
	} else {
		text += "\treturn BuildCheckedBitmap(" + name + "_MICN, " + name + "_MData, " + name
			+ "_Size, ";
	}
	text += "0.0f, 0.0f,\n\t\tfloat(" + name + "_Width - 1), float(" + name + "_Height - 1), "
		+ name + "_ColorSpace, error);\n}\n";
	names.insert(names.end(), {"_MICN", "_MakeBitmap"});
	if (!image.scope.empty()) {
		text += "\n} // namespace " + image.scope + "\n\n";
		for (const char* suffix : names)
			text += "using " + image.scope + "::" + name + suffix + ";\n";
	}
	return text + "\n#endif\n";
}

std::string
Assembly(const EmbeddedImage& image, int64_t frameSize, uint64_t frameDigest, Form form)
{
	const bool be = form == Form::kBe;
	const std::string data = be ? Symbol(image, "_ZData") : StandaloneText::Symbol(image, "_ZData");
	const std::string size = be ? Symbol(image, "_ZSize") : StandaloneText::Symbol(image, "_ZSize");
	char digest[17];
	snprintf(digest, sizeof(digest), "%016" PRIx64, frameDigest);
	// Read-only, each in a section of its own; the frame unaligned (zstd
	// reads it byte by byte, and 200 icons would lose kilobytes to padding).
	// The digest of the frame makes the text change with it.
	return "/* Generated by quillpix-export from " + EmbedText::Quoted(image.image)
		+ "; do not edit. */\n"
		  "/* "
		+ image.name + "_ZData: a zstd frame of " + Number(frameSize) + " bytes (digest " + digest
		+ ") that holds " + Number(image.length) + ", from " + EmbedText::Quoted(image.dataFile)
		+ ". Assemble this file in its folder. */\n"
		+ EmbedText::AssemblerObject(
			data, ".rodata", "a", 1, frameSize, EmbedText::IncludeBinary(image.dataFile))
		+ EmbedText::AssemblerObject(
			size, ".rodata", "a", 4, 4, "\t.4byte " + Number(frameSize) + "\n")
		+ "\t.section .note.GNU-stack,\"\",%progbits\n";
}

} // namespace CompressedEmbed
