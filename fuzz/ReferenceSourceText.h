// SPDX-License-Identifier: MIT
#pragma once

// The export text built the plain way, as one string, for the fuzz targets
// to hold FormatBitmapSource's pieces against. Deliberately naive: one
// snprintf per item, no tables, nothing shared with the code under test.

#include <SupportDefs.h>

#include <string>

std::string ReferenceSourceText(const char* name, float left, float top, float right, float bottom,
	int32 colorSpace, const uint8* bytes, int32 count);
