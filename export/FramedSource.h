// SPDX-License-Identifier: MIT
#pragma once

// A text of another form around the items of the Be text: `head` before
// the first item, the items of bytes[0] to bytes[count - 2] as
// FormatBitmapSource writes them ("0xHH, " sixteen to a line), the last byte
// as "0xHH\n};\n", then `tail`. quillpix-export's standalone form is one.
//
// Plain code: no thread or lock of its own.

#include "FormatBitmapSource.h"

#include <string>

struct SourceFrame {
	std::string head;
	std::string tail;
};

namespace SourceText {

// "0xHH\n};\n": the last byte, which closes the array.
constexpr size_t kClosingByteLength = 8;
inline void
FormatClosingByte(char* buffer, uint8 value)
{
	std::memcpy(buffer, kByteItems[value].data(), 4);
	std::memcpy(buffer + 4, "\n};\n", 4);
}

} // namespace SourceText

// The length of the whole framed text of `count` bytes; -1 when there is
// none.
inline int64
FramedSourceLength(const SourceFrame& frame, int32 count)
{
	if (count <= 0)
		return -1;
	const int64 items = count - 1;
	return int64(frame.head.size()) + 6 * items + 2 * (items / 16)
		+ int64(SourceText::kClosingByteLength) + int64(frame.tail.size());
}

// As FormatBitmapSource, with the frame's head and tail around the items.
template <typename Consumer>
bool
FormatFramedSource(const SourceFrame& frame, const uint8* bytes, int32 count, Consumer&& consume)
{
	if (bytes == nullptr || count <= 0)
		return false;
	auto put = [&consume](const char* piece, size_t length) {
		ssize_t taken = consume(piece, length);
		return taken >= 0 && static_cast<size_t>(taken) == length;
	};
	const int32 last = count - 1;
	char closing[SourceText::kClosingByteLength];
	SourceText::FormatClosingByte(closing, bytes[last]);
	return put(frame.head.data(), frame.head.size())
		&& SourceText::PutItems(consume, put, bytes, last) && put(closing, sizeof(closing))
		&& put(frame.tail.data(), frame.tail.size());
}
