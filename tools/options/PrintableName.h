// SPDX-License-Identifier: MIT
#pragma once

// A name a person or a file system gave us, made safe to print in one line
// of a message: it may hold a newline, an escape sequence that recolours or
// retitles the terminal, or bytes that are not UTF-8. Every message of the
// exporter that shows a file name or an icon name shows it through here.

#include <string>
#include <string_view>

// `name` as printable text: valid UTF-8 and printable characters stay as
// they are; a backslash becomes "\\"; newline, tab and carriage return
// become "\n", "\t" and "\r"; any other control character (C0, DEL) becomes
// its octal escape ("\033"); the C1 controls, the line and paragraph
// separators and the bidirectional overrides, and every byte that is not
// part of valid UTF-8, become one "\xHH" per byte. The result holds no
// control character and reads back unambiguously.
std::string PrintableName(std::string_view name);
