// SPDX-License-Identifier: MIT
#pragma once

// Looking up a value by the name a person types for it (a command-line
// option's word) in a small table.

#include <cstddef>
#include <cstring>
#include <utility>

namespace BPrivate {

template <typename Value, size_t Count>
bool
ValueNamed(const char* name, const std::pair<const char*, Value> (&table)[Count], Value& value)
{
	for (const auto& [entryName, entryValue] : table) {
		if (std::strcmp(name, entryName) == 0) {
			value = entryValue;
			return true;
		}
	}
	return false;
}

} // namespace BPrivate
