// SPDX-License-Identifier: MIT
#pragma once

// The source-code export text: a bitmap's bytes as a C++ array, a pointer to
// a PrefilledBitmap and the statement that builds it from the array. The
// text is produced piece by piece, each piece handed at once to a consumer
// that answers how many bytes it took; nothing holds the whole text.
//
// Plain code: no thread or lock of its own.

#include <SupportDefs.h>

#include <array>
#include <concepts>
#include <cstring>
#include <string_view>
#include <type_traits>

namespace SourceText {

// Room for any formatted piece, four bounds of the largest float included.
constexpr size_t kPieceCapacity = 256;

// "0xHH, \n\t" for every byte value HH. An item inside a line is its first
// six characters; the sixteenth item of a line is all eight.
constexpr std::array<std::array<char, 8>, 256>
MakeByteItems()
{
	constexpr char kDigits[] = "0123456789ABCDEF";
	std::array<std::array<char, 8>, 256> items{};
	for (int value = 0; value < 256; value++)
		items[value] = {'0', 'x', kDigits[value >> 4], kDigits[value & 15], ',', ' ', '\n', '\t'};
	return items;
}
inline constexpr auto kByteItems = MakeByteItems();

constexpr char kHead[] = "#include \"PrefilledBitmap.h\"\n\n//********Icon for '";
constexpr char kAfterComment[] = "'\nuint8 ";
constexpr char kAfterPointer[] =
	"_MICN;\n\n//Put this after your BApplication object has been constructed:\n\t";
constexpr char kConstruction[] = "_MICN = new PrefilledBitmap(BRect(";
constexpr char kTail[] = "_MData,false,false);\n";

// The pieces with conversions, formatted into `buffer` (kPieceCapacity
// bytes). Each returns the piece's length.
size_t FormatArrayHead(char* buffer, int32 count); // "_MData[%d] =\n{\n\t"
size_t FormatLastByte(char* buffer, uint8 value); // "0x%02X\n};\nPrefilledBitmap *"
size_t FormatBounds(char* buffer, float left, float top, float right, float bottom);
// The constant's name and a comma for the colour spaces the text names
// ("B_CMAP8,", "B_RGB32,", ...: the table of ColorSpaceNames.h, which the
// text's reader shares); "/*Other color space*/," for any other code.
const char* ColorSpaceText(int32 colorSpace);
// The constant's name alone for those spaces ("B_CMAP8"); empty for
// any other code.
std::string_view ColorSpaceName(int32 colorSpace);

// A consumer that also offers room to format into, as a buffered file does:
// `char* Room(size_t& length)` answers where the next bytes go and sets
// `length` to how many may be put there (null and 0 when none may), and
// `Take(size_t length)` accepts the first `length` of them, exactly as if
// they had come as pieces and been taken whole. Room is asked for only
// between pieces, and what it offers stays valid until the next piece or
// Take.
template <typename Consumer>
concept FormatsInPlace = requires(Consumer& consumer, size_t& length)
{
	{
		consumer.Room(length)
		} -> std::convertible_to<char*>;
	consumer.Take(length);
};

// Puts the items of bytes[index] onwards, short of bytes[last], into the
// consumer's room, as many as it holds with eight bytes to spare for each
// copy; returns the index of the first item not put.
template <typename Consumer>
int32
PutItemsInPlace(Consumer& consume, const uint8* bytes, int32 index, int32 last)
{
	size_t room = 0;
	char* const start = consume.Room(room);
	if (start == nullptr || room < 8)
		return index;
	char* out = start;
	// Every item is copied as eight bytes, the next item overwriting the two
	// that an item inside a line does not use.
	char* const end = start + room - 8;
	while (index < last && out <= end) {
		std::memcpy(out, kByteItems[bytes[index]].data(), 8);
		out += (index & 15) == 15 ? 8 : 6;
		index++;
	}
	consume.Take(static_cast<size_t>(out - start));
	return index;
}

// Puts the items of bytes[0] to bytes[last - 1], one piece each, through
// `put` (see PutHead); a consumer with room gets them formatted straight
// into it, and what the room cannot hold as a piece.
template <typename Consumer, typename Put>
bool
PutItems(Consumer& consume, Put& put, const uint8* bytes, int32 last)
{
	for (int32 index = 0; index < last; index++) {
		if constexpr (FormatsInPlace<std::remove_reference_t<Consumer>>) {
			index = PutItemsInPlace(consume, bytes, index, last);
			if (index == last)
				break;
		}
		if (!put(kByteItems[bytes[index]].data(), (index & 15) == 15 ? 8 : 6))
			return false;
	}
	return true;
}

// The text before the first item and the text from the last byte on, each
// handed in pieces to `put(const char* piece, size_t length)`, which answers
// true when it took the piece whole; false at the first piece not taken. A
// text is the head, the items of bytes[0] to bytes[count - 2] (see
// PutItemsInPlace), and the tail; the items of any stretch may be formatted
// apart from the others, their text being the same wherever they are made.
template <typename Put>
bool
PutHead(const char* name, int32 count, Put&& put)
{
	const size_t nameLength = strlen(name);
	char buffer[kPieceCapacity];
	return put(kHead, sizeof(kHead) - 1) && put(name, nameLength)
		&& put(kAfterComment, sizeof(kAfterComment) - 1) && put(name, nameLength)
		&& put(buffer, FormatArrayHead(buffer, count));
}

template <typename Put>
bool
PutTail(const char* name, float left, float top, float right, float bottom, int32 colorSpace,
	uint8 lastByte, Put&& put)
{
	const size_t nameLength = strlen(name);
	char buffer[kPieceCapacity];
	if (!put(buffer, FormatLastByte(buffer, lastByte)) || !put(name, nameLength)
		|| !put(kAfterPointer, sizeof(kAfterPointer) - 1) || !put(name, nameLength)
		|| !put(kConstruction, sizeof(kConstruction) - 1)
		|| !put(buffer, FormatBounds(buffer, left, top, right, bottom))) {
		return false;
	}
	const char* colorSpaceText = ColorSpaceText(colorSpace);
	return put(colorSpaceText, strlen(colorSpaceText)) && put(name, nameLength)
		&& put(kTail, sizeof(kTail) - 1);
}

} // namespace SourceText

// The length in bytes of the whole text FormatBitmapSource produces for these
// inputs; -1 when it produces none.
int64 BitmapSourceLength(const char* name, float left, float top, float right, float bottom,
	int32 colorSpace, int32 count);

// Produces the text for the bitmap with icon name `name`, inclusive bounds
// (left, top, right, bottom), colour-space code `colorSpace` and `count`
// bytes at `bytes`, handing the pieces in order to
// `consume(const char* piece, size_t length)`, which answers the number of
// bytes it took (ssize_t). Production stops at the first piece not taken
// whole, and the result is then false; true when every piece was taken.
//
// A bitmap without bytes (count 0 or less, or no bytes) yields no text and
// false: C++ has no array of zero elements, so there is nothing sound to
// write for it. A null name yields no text and false as well.
template <typename Consumer>
bool
FormatBitmapSource(const char* name, float left, float top, float right, float bottom,
	int32 colorSpace, const uint8* bytes, int32 count, Consumer&& consume)
{
	if (name == nullptr || bytes == nullptr || count <= 0)
		return false;

	auto put = [&consume](const char* piece, size_t length) {
		ssize_t taken = consume(piece, length);
		return taken >= 0 && static_cast<size_t>(taken) == length;
	};
	if (!SourceText::PutHead(name, count, put))
		return false;
	const int32 last = count - 1;
	return SourceText::PutItems(consume, put, bytes, last)
		&& SourceText::PutTail(name, left, top, right, bottom, colorSpace, bytes[last], put);
}
