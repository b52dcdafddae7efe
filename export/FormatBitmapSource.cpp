// SPDX-License-Identifier: MIT
#include "FormatBitmapSource.h"

#include <ColorSpaceNames.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

namespace SourceText {

namespace {

// snprintf into a piece buffer. Every piece fits (the widest, four bounds of
// the largest float, takes well under kPieceCapacity bytes), so the clamp
// only guards the arithmetic.
template <typename... Arguments>
size_t
FormatPiece(char* buffer, const char* format, Arguments... arguments)
{
	int length = snprintf(buffer, kPieceCapacity, format, arguments...);
	if (length < 0)
		return 0;
	return std::min(static_cast<size_t>(length), kPieceCapacity - 1);
}

} // namespace

size_t
FormatArrayHead(char* buffer, int32 count)
{
	return FormatPiece(buffer, "_MData[%d] =\n{\n\t", static_cast<int>(count));
}

size_t
FormatLastByte(char* buffer, uint8 value)
{
	return FormatPiece(buffer, "0x%02X\n};\nPrefilledBitmap *", static_cast<unsigned>(value));
}

size_t
FormatBounds(char* buffer, float left, float top, float right, float bottom)
{
	return FormatPiece(buffer, "%.1f,%.1f,%.1f,%.1f),", static_cast<double>(left),
		static_cast<double>(top), static_cast<double>(right), static_cast<double>(bottom));
}

const char*
ColorSpaceText(int32 colorSpace)
{
	const char* argument = SourceColorSpaceArgument(static_cast<color_space>(colorSpace));
	return argument != nullptr ? argument : "/*Other color space*/,";
}

std::string_view
ColorSpaceName(int32 colorSpace)
{
	const char* text = ColorSpaceText(colorSpace);
	if (text[0] != 'B')
		return {};
	return std::string_view(text, strlen(text) - 1);
}

} // namespace SourceText

int64
BitmapSourceLength(const char* name, float left, float top, float right, float bottom,
	int32 colorSpace, int32 count)
{
	using namespace SourceText;
	if (name == nullptr || count <= 0)
		return -1;

	char buffer[kPieceCapacity];
	int64 length = 5 * static_cast<int64>(strlen(name));
	length += sizeof(kHead) - 1 + sizeof(kAfterComment) - 1 + sizeof(kAfterPointer) - 1
		+ sizeof(kConstruction) - 1 + sizeof(kTail) - 1;
	length += FormatArrayHead(buffer, count);
	// Every item but the last takes six characters, the sixteenth of a line
	// two more; the last one comes with the array's close.
	int64 items = count - 1;
	length += 6 * items + 2 * (items / 16);
	length += FormatLastByte(buffer, 0);
	length += FormatBounds(buffer, left, top, right, bottom);
	length += strlen(ColorSpaceText(colorSpace));
	return length;
}
