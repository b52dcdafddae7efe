// SPDX-License-Identifier: MIT
#include "MessageLines.h"

std::vector<std::string>
MessageLines(
	const std::string& text, float width, const std::function<float(const std::string&)>& measure)
{
	if (text.empty())
		return {};
	if (measure(text) <= width)
		return {text};

	// The last space whose text before it still fits; a space after a ';'
	// or a ':' is better still, since the message's parts meet there.
	size_t breakAt = std::string::npos;
	size_t partsMeet = std::string::npos;
	for (size_t space = text.find(' '); space != std::string::npos;
		 space = text.find(' ', space + 1)) {
		if (space == 0)
			continue;
		if (breakAt != std::string::npos && measure(text.substr(0, space)) > width)
			break;
		breakAt = space;
		if (text[space - 1] == ';' || text[space - 1] == ':')
			partsMeet = space;
	}
	if (partsMeet != std::string::npos)
		breakAt = partsMeet;
	if (breakAt == std::string::npos)
		return {text};

	size_t firstEnd = text.find_last_not_of(' ', breakAt);
	size_t restStart = text.find_first_not_of(' ', breakAt);
	std::string first = text.substr(0, firstEnd + 1);
	if (restStart == std::string::npos)
		return {first};
	return {first, text.substr(restStart)};
}
