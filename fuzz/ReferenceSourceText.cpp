// SPDX-License-Identifier: MIT
#include "ReferenceSourceText.h"

#include <cstdio>

namespace {

std::string
Printed(const char* format, double value)
{
	char buffer[512];
	snprintf(buffer, sizeof(buffer), format, value);
	return buffer;
}

std::string
Byte(uint8 value)
{
	char buffer[8];
	snprintf(buffer, sizeof(buffer), "0x%02X", unsigned(value));
	return buffer;
}

} // namespace

std::string
ReferenceSourceText(const char* name, float left, float top, float right, float bottom,
	int32 colorSpace, const uint8* bytes, int32 count)
{
	std::string text = "#include \"PrefilledBitmap.h\"\n\n//********Icon for '";
	text += name;
	text += "'\nuint8 ";
	text += name;
	text += "_MData[" + std::to_string(count) + "] =\n{\n\t";
	for (int32 index = 0; index < count; index++) {
		text += Byte(bytes[index]);
		if (index == count - 1)
			text += "\n};\nPrefilledBitmap *";
		else if (index % 16 == 15)
			text += ", \n\t";
		else
			text += ", ";
	}
	text += name;
	text += "_MICN;\n\n//Put this after your BApplication object has been constructed:\n\t";
	text += name;
	text += "_MICN = new PrefilledBitmap(BRect(";
	text += Printed("%.1f", left) + "," + Printed("%.1f", top) + "," + Printed("%.1f", right) + ","
		+ Printed("%.1f", bottom) + "),";
	switch (colorSpace) {
	case 0x0004:
		text += "B_CMAP8,";
		break;
	case 0x0008:
		text += "B_RGB32,";
		break;
	case 0x2008:
		text += "B_RGBA32,";
		break;
	case 0x0005:
		text += "B_RGB16,";
		break;
	case 0x0010:
		text += "B_RGB15,";
		break;
	case 0x2010:
		text += "B_RGBA15,";
		break;
	case 0x0002:
		text += "B_GRAY8,";
		break;
	case 0x0001:
		text += "B_GRAY1,";
		break;
	case 0x0003:
		text += "B_RGB24,";
		break;
	case 0x1003:
		text += "B_RGB24_BIG,";
		break;
	case 0x1005:
		text += "B_RGB16_BIG,";
		break;
	case 0x1010:
		text += "B_RGB15_BIG,";
		break;
	case 0x3010:
		text += "B_RGBA15_BIG,";
		break;
	case 0x1008:
		text += "B_RGB32_BIG,";
		break;
	case 0x3008:
		text += "B_RGBA32_BIG,";
		break;
	default:
		text += "/*Other color space*/,";
		break;
	}
	text += name;
	text += "_MData,false,false);\n";
	return text;
}
