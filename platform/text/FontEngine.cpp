// SPDX-License-Identifier: MIT
#include "FontEngine.h"

#include <Bitmap.h>
#include <BitmapPainter.h>
#include <Utf8.h>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <string_view>

namespace BPrivate {

namespace {

// The code point that starts at `text[at]`, moving `at` past it. A byte that
// starts no well-formed sequence gives U+FFFD and moves one byte.
uint32
NextCodePoint(std::string_view text, size_t& at)
{
	char32_t codePoint;
	const size_t length = DecodeUtf8(text, at, codePoint);
	at += length == 0 ? 1 : length;
	return length == 0 ? 0xFFFD : uint32(codePoint);
}

} // namespace

// The faces opened so far, by family and style; a family that fontconfig
// could not resolve to a file is remembered as null, so it is asked once.
//
// fontconfig is asked through a configuration of our own rather than the
// process's current one, so that the engine releases all it took when it
// goes and leaves the current one to whoever else uses fontconfig (Qt).
struct FontEngine::Faces {
	FT_Library library = nullptr;
	FcConfig* config = nullptr;
	std::map<std::string, FT_Face> byName;

	~Faces()
	{
		for (auto& [name, face] : byName) {
			if (face != nullptr)
				FT_Done_Face(face);
		}
		if (library != nullptr)
			FT_Done_FreeType(library);
		if (config != nullptr)
			FcConfigDestroy(config);
	}

	// The face for `font` at its size; null without a usable font file.
	FT_Face FaceFor(const BFont& font)
	{
		if (library == nullptr && FT_Init_FreeType(&library) != 0) {
			library = nullptr;
			return nullptr;
		}
		std::string name = std::string(font.Family()) + "\n" + font.Style();
		auto found = byName.find(name);
		FT_Face face = found != byName.end() ? found->second : Open(font);
		if (found == byName.end())
			byName[name] = face;
		if (face == nullptr)
			return nullptr;
		FT_UInt pixels = static_cast<FT_UInt>(std::max(1.0f, std::round(font.Size())));
		if (FT_Set_Pixel_Sizes(face, 0, pixels) != 0)
			return nullptr;
		return face;
	}

	// Asks fontconfig for the file closest to the family and style; it falls
	// back to another family rather than to nothing.
	FT_Face Open(const BFont& font)
	{
		if (config == nullptr)
			config = FcInitLoadConfigAndFonts();
		if (config == nullptr)
			return nullptr;
		FcPattern* pattern = FcPatternCreate();
		if (pattern == nullptr)
			return nullptr;
		FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(font.Family()));
		FcPatternAddString(pattern, FC_STYLE, reinterpret_cast<const FcChar8*>(font.Style()));
		FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
		FcConfigSubstitute(config, pattern, FcMatchPattern);
		FcDefaultSubstitute(pattern);
		FcResult result = FcResultNoMatch;
		FcPattern* match = FcFontMatch(config, pattern, &result);
		FcPatternDestroy(pattern);
		if (match == nullptr)
			return nullptr;

		FT_Face face = nullptr;
		FcChar8* file = nullptr;
		int index = 0;
		if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
			FcPatternGetInteger(match, FC_INDEX, 0, &index);
			if (FT_New_Face(library, reinterpret_cast<const char*>(file), index, &face) != 0)
				face = nullptr;
		}
		FcPatternDestroy(match);
		return face;
	}
};

namespace {

int32
Round26Dot6(FT_Pos value)
{
	return static_cast<int32>((value + 32) >> 6);
}

// Blends `color` over the pixel at `pixel` (bytes B, G, R, A) by `coverage`.
void
BlendPixel(uint8* pixel, rgb_color color, uint8 coverage)
{
	auto mix = [coverage](uint8 over, uint8 under) {
		return static_cast<uint8>((over * coverage + under * (255 - coverage) + 127) / 255);
	};
	pixel[0] = mix(color.blue, pixel[0]);
	pixel[1] = mix(color.green, pixel[1]);
	pixel[2] = mix(color.red, pixel[2]);
	pixel[3] = 255;
}

} // namespace

FontEngine&
FontEngine::Default()
{
	static FontEngine engine;
	return engine;
}

FontEngine::FontEngine() : fFaces(std::make_unique<Faces>())
{ }

FontEngine::~FontEngine() = default;

float
FontEngine::StringWidth(const BFont& font, const char* string)
{
	if (string == nullptr)
		return 0.0f;
	std::lock_guard<std::mutex> lock(fLock);
	FT_Face face = fFaces->FaceFor(font);
	if (face == nullptr)
		return 0.0f;
	FT_Pos width = 0;
	const std::string_view text(string);
	for (size_t at = 0; at < text.size();) {
		uint32 codePoint = NextCodePoint(text, at);
		if (FT_Load_Char(face, codePoint, FT_LOAD_DEFAULT) == 0)
			width += face->glyph->advance.x;
	}
	return static_cast<float>(Round26Dot6(width));
}

void
FontEngine::GetHeight(const BFont& font, font_height* height)
{
	if (height == nullptr)
		return;
	*height = font_height{0.0f, 0.0f, 0.0f};
	std::lock_guard<std::mutex> lock(fLock);
	FT_Face face = fFaces->FaceFor(font);
	if (face == nullptr)
		return;
	const FT_Size_Metrics& metrics = face->size->metrics;
	height->ascent = static_cast<float>(Round26Dot6(metrics.ascender));
	height->descent = static_cast<float>(Round26Dot6(-metrics.descender));
	height->leading = static_cast<float>(
		Round26Dot6(metrics.height - metrics.ascender + metrics.descender));
}

BRect
FontEngine::DrawString(BBitmap* target, const BFont& font, const char* string, BPoint origin,
	rgb_color color, BRect clip)
{
	BRect touched;
	if (target == nullptr || string == nullptr || !target->IsValid())
		return touched;
	BRect area = clip & target->Bounds();
	if (!area.IsValid())
		return touched;
	bool blends = target->ColorSpace() == B_RGB32 || target->ColorSpace() == B_RGBA32;
	auto* bits = static_cast<uint8*>(target->Bits());
	int32 bytesPerRow = target->BytesPerRow();

	std::lock_guard<std::mutex> lock(fLock);
	FT_Face face = fFaces->FaceFor(font);
	if (face == nullptr)
		return touched;

	FT_Pos pen = static_cast<FT_Pos>(std::lround(origin.x * 64.0f));
	int32 baseline = static_cast<int32>(std::lround(origin.y));
	const std::string_view text(string);
	for (size_t at = 0; at < text.size();) {
		uint32 codePoint = NextCodePoint(text, at);
		if (FT_Load_Char(face, codePoint, FT_LOAD_RENDER) != 0)
			continue;
		FT_GlyphSlot glyph = face->glyph;
		const FT_Bitmap& coverage = glyph->bitmap;
		int32 left = Round26Dot6(pen) + glyph->bitmap_left;
		int32 top = baseline - glyph->bitmap_top;
		pen += glyph->advance.x;
		if (coverage.pixel_mode != FT_PIXEL_MODE_GRAY || coverage.width == 0)
			continue;

		BRect glyphRect(
			left, top, left + int32(coverage.width) - 1, top + int32(coverage.rows) - 1);
		BRect drawn = glyphRect & area;
		if (!drawn.IsValid())
			continue;
		touched = touched.IsValid() ? (touched | drawn) : drawn;
		for (int32 y = int32(drawn.top); y <= int32(drawn.bottom); y++) {
			const uint8* row = coverage.buffer + (y - top) * coverage.pitch;
			for (int32 x = int32(drawn.left); x <= int32(drawn.right); x++) {
				uint8 amount = row[x - left];
				if (amount == 0)
					continue;
				if (blends) {
					BlendPixel(bits + y * bytesPerRow + x * 4, color, amount);
				} else if (amount >= 128) {
					BRect pixel(x, y, x, y);
					FillRect(target, pixel, color, pixel);
				}
			}
		}
	}
	return touched;
}

} // namespace BPrivate
