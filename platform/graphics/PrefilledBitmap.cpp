// SPDX-License-Identifier: MIT
#include "PrefilledBitmap.h"

#include <cstring>

PrefilledBitmap::PrefilledBitmap(BRect bounds, color_space colorSpace, const void* data,
	bool acceptsViews, bool needsContiguousMemory)
	: BBitmap(bounds, colorSpace, acceptsViews, needsContiguousMemory)
{
	if (IsValid() && data != nullptr)
		std::memcpy(Bits(), data, size_t(BitsLength()));
}

PrefilledBitmap::~PrefilledBitmap() = default;
