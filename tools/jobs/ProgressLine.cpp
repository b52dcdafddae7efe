// SPDX-License-Identifier: MIT
#include "ProgressLine.h"

#include <sys/ioctl.h>

namespace {

const char* const kProgram = "quillpix-export: ";
const size_t kDefaultColumns = 80;

// Characters, not bytes: every byte but a UTF-8 continuation starts one.
size_t
Width(const std::string& text)
{
	size_t width = 0;
	for (char c : text) {
		if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
			width++;
	}
	return width;
}

// The last `width` characters of `text`.
std::string
Tail(const std::string& text, size_t width)
{
	size_t at = text.size();
	for (size_t kept = 0; at > 0 && kept < width;) {
		at--;
		if ((static_cast<unsigned char>(text[at]) & 0xC0) != 0x80)
			kept++;
	}
	return text.substr(at);
}

size_t
TerminalColumns(FILE* stream)
{
	struct winsize size = {};
	if (ioctl(fileno(stream), TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
		return size.ws_col;
	return kDefaultColumns;
}

} // namespace

ProgressLine::ProgressLine(FILE* stream, Clock::time_point start, size_t columns)
	: fStream(stream), fStart(start), fColumns(columns != 0 ? columns : TerminalColumns(stream))
{ }

ProgressLine::~ProgressLine()
{
	Erase();
}

std::string
ProgressLine::Text(
	size_t current, size_t total, const std::string& name, int percent, size_t columns)
{
	const std::string count = std::to_string(current) + "/" + std::to_string(total) + " ";
	const std::string done = " " + std::to_string(percent) + "%";
	const std::string ellipsis = "...";
	const size_t fixed = Width(kProgram) + count.size() + done.size();
	const size_t room = columns > fixed + 1 ? columns - 1 - fixed : 0;
	if (Width(name) <= room)
		return kProgram + count + name + done;
	if (room <= ellipsis.size())
		return kProgram + count.substr(0, count.size() - 1) + done;
	return kProgram + count + ellipsis + Tail(name, room - ellipsis.size()) + done;
}

void
ProgressLine::Show(
	Clock::time_point now, size_t current, size_t total, const std::string& name, int percent)
{
	if (now - fStart < kDelay || (fDrawn != Clock::time_point() && now - fDrawn < kInterval))
		return;
	std::string text = Text(current, total, name, percent, fColumns);
	if (fVisible && text == fShown)
		return;
	// Back to the line's start, the text, and the rest of the line wiped.
	fprintf(fStream, "\r%s\033[K", text.c_str());
	fflush(fStream);
	fShown = std::move(text);
	fDrawn = now;
	fVisible = true;
}

void
ProgressLine::Erase()
{
	if (!fVisible)
		return;
	fputs("\r\033[K", fStream);
	fflush(fStream);
	fVisible = false;
}
