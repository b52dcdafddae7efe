// SPDX-License-Identifier: MIT
#include "LeafName.h"

const char*
LeafName(const char* path)
{
	if (path == nullptr)
		return nullptr;
	const char* leaf = path;
	for (const char* c = path; *c != '\0'; c++) {
		if (*c == '/' && c[1] != '\0')
			leaf = c + 1;
	}
	return leaf;
}
