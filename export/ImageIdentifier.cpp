// SPDX-License-Identifier: MIT
#include "ImageIdentifier.h"

#include <cstdio>

namespace ImageIdentifier {

namespace {

bool
IsLetter(char c)
{
	return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool
IsDigit(char c)
{
	return c >= '0' && c <= '9';
}

} // namespace

bool
IsIdentifier(const char* name)
{
	if (!IsLetter(name[0]) && name[0] != '_')
		return false;
	for (const char* c = name + 1; *c != '\0'; c++) {
		if (!IsLetter(*c) && !IsDigit(*c) && *c != '_')
			return false;
	}
	return true;
}

std::string
For(const std::string& image)
{
	std::string stem = image.substr(image.rfind('/') + 1);
	size_t dot = stem.rfind('.');
	if (dot != std::string::npos)
		stem.erase(dot);
	std::string name;
	for (char c : stem) {
		if (IsLetter(c) || IsDigit(c))
			name += c;
		else if (!name.empty() && name.back() != '_')
			name += '_';
	}
	if (name.empty())
		return "image";
	if (IsDigit(name[0]))
		return "image_" + name;
	return name;
}

bool
Print(int count, const char* const* images)
{
	for (int i = 0; i < count; i++) {
		if (fputs(For(images[i]).c_str(), stdout) < 0 || fputc('\n', stdout) < 0)
			return false;
	}
	return fflush(stdout) == 0;
}

} // namespace ImageIdentifier
