// SPDX-License-Identifier: MIT
#pragma once

// The image formats the kit reads, as the desktop names them: for each
// reader its MIME types and the file name extensions its files usually
// carry. The kit itself picks readers by content alone; this is for what a
// person is offered (a file dialog's filter, the types a desktop entry
// claims). Any thread.

#include <vector>

namespace BPrivate {

// What a format's files are to the desktop.
enum class FormatKind {
	kImage, // an image format, whose types the desktop entry claims
	kSourceText, // a text the export wrote: offered to open, never claimed
};

struct ReadFormat {
	const char* readerName; // the reader's FormatName()
	std::vector<const char*> mimeTypes;
	std::vector<const char*> extensions; // lower case, without the dot
	FormatKind kind = FormatKind::kImage;
};

// In the order the kit's readers are listed.
const std::vector<ReadFormat>& ReadFormats();

} // namespace BPrivate
