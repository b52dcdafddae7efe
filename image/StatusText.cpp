// SPDX-License-Identifier: MIT
#include "StatusText.h"

#include "export/FormatBitmapSource.h"
#include "export/ImageIdentifier.h"

#include <Bitmap.h>

#include <cmath>
#include <cstdio>

ImageFacts
ImageFacts::Of(const BBitmap* bitmap, const char* fileName, const char* documentLeaf, float scale)
{
	ImageFacts facts;
	facts.fileName = fileName;
	facts.documentLeaf = documentLeaf;
	facts.scale = scale;
	if (bitmap == nullptr)
		return facts;
	BRect bounds = bitmap->Bounds();
	facts.hasImage = true;
	facts.width = bitmap->Width();
	facts.height = bitmap->Height();
	facts.space = bitmap->ColorSpace();
	facts.textBytes = BitmapSourceLength(documentLeaf, bounds.left, bounds.top, bounds.right,
		bounds.bottom, facts.space, bitmap->BitsLength());
	return facts;
}

namespace StatusText {

namespace {

const std::string kSeparator = " \xC2\xB7 "; // a middle dot

// A name as drawn: control characters, which no font draws, become '?'.
std::string
Printable(const std::string& name)
{
	std::string printable = name;
	for (char& c : printable) {
		if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
			c = '?';
	}
	return printable;
}

} // namespace

std::string
Describe(const ImageFacts& facts)
{
	std::string line = Printable(facts.fileName);
	if (!facts.hasImage)
		return line + kSeparator + "no image";
	line += kSeparator + std::to_string(facts.width) + " \xC3\x97 " + std::to_string(facts.height);
	line += kSeparator;
	line += SpaceName(facts.space);
	// The zoom before the longer parts, so that a narrow window shows it.
	line += kSeparator + Zoom(facts.scale);
	if (facts.textBytes >= 0)
		line += kSeparator + Grouped(facts.textBytes) + " bytes of text";
	if (!ImageIdentifier::IsIdentifier(facts.documentLeaf.c_str())) {
		line += kSeparator + "\"" + Printable(facts.documentLeaf)
			+ "\" is not a C++ identifier: save under one for the text to compile";
	}
	return line;
}

std::string
Saving(int32 percent)
{
	return "Saving\xE2\x80\xA6 " + std::to_string(percent) + " %";
}

std::string
SpaceName(color_space space)
{
	std::string_view name = SourceText::ColorSpaceName(space);
	return name.empty() ? "unknown" : std::string(name);
}

std::string
Grouped(int64 value)
{
	std::string digits = std::to_string(value < 0 ? -value : value);
	std::string grouped;
	for (size_t index = 0; index < digits.size(); index++) {
		if (index > 0 && (digits.size() - index) % 3 == 0)
			grouped += ',';
		grouped += digits[index];
	}
	return value < 0 ? "-" + grouped : grouped;
}

std::string
Zoom(float scale)
{
	long percent = std::lround(double(scale) * 100.0);
	return std::to_string(percent < 1 ? 1 : percent) + " %";
}

} // namespace StatusText
