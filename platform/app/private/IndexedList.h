// SPDX-License-Identifier: MIT
#pragma once

// Private to the kits: reading the lists that objects keep of their parts
// (handlers, child views, menu items, windows) by the kits' int32 indexes.
// The lists hold raw or owning pointers; the answers are raw pointers.

#include <SupportDefs.h>

#include <memory>

namespace BPrivate {

template <typename List>
int32
CountOf(const List& list)
{
	return static_cast<int32>(list.size());
}

// The element at `index`, or null when `index` is out of range.
template <typename List>
auto
ElementAt(const List& list, int32 index) -> decltype(std::to_address(list[0]))
{
	if (index < 0 || static_cast<size_t>(index) >= list.size())
		return nullptr;
	return std::to_address(list[index]);
}

// The index of the element that points to `element`, or -1 when none does.
template <typename List, typename T>
int32
IndexIn(const List& list, const T* element)
{
	for (size_t index = 0; index < list.size(); index++) {
		if (std::to_address(list[index]) == element)
			return static_cast<int32>(index);
	}
	return -1;
}

} // namespace BPrivate
