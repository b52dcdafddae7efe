// SPDX-License-Identifier: MIT
#include "export/FormatBitmapSource.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Inputs {
	const char* name = "Dot";
	float left = 0;
	float top = 0;
	float right = 1;
	float bottom = 0;
	int32 colorSpace = 8;
	std::vector<uint8> bytes;
};

// Collects the whole text and counts the pieces it came in.
struct Collected {
	bool result = false;
	std::string text;
	size_t pieces = 0;
};

Collected
Format(const Inputs& in)
{
	Collected out;
	out.result = FormatBitmapSource(in.name, in.left, in.top, in.right, in.bottom, in.colorSpace,
		in.bytes.empty() ? nullptr : in.bytes.data(), static_cast<int32>(in.bytes.size()),
		[&out](const char* piece, size_t length) {
			out.pieces++;
			out.text.append(piece, length);
			return static_cast<ssize_t>(length);
		});
	return out;
}

// The array's items as the format describes them, one printf per byte.
std::string
ReferenceItems(const std::vector<uint8>& bytes)
{
	std::string text;
	char item[16];
	for (size_t i = 0; i < bytes.size(); i++) {
		if (i + 1 == bytes.size())
			snprintf(item, sizeof(item), "0x%02X\n};\n", bytes[i]);
		else if (i % 16 == 15)
			snprintf(item, sizeof(item), "0x%02X, \n\t", bytes[i]);
		else
			snprintf(item, sizeof(item), "0x%02X, ", bytes[i]);
		text += item;
	}
	return text;
}

std::vector<uint8>
Counting(size_t count)
{
	std::vector<uint8> bytes(count);
	for (size_t i = 0; i < count; i++)
		bytes[i] = static_cast<uint8>(i * 7 + 3);
	return bytes;
}

} // namespace

TEST(FormatBitmapSource, TheDotExampleIsExact)
{
	Inputs in;
	in.bytes = {0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xFF};
	Collected out = Format(in);
	EXPECT_TRUE(out.result);
	EXPECT_EQ(out.text,
		"#include \"PrefilledBitmap.h\"\n"
		"\n"
		"//********Icon for 'Dot'\n"
		"uint8 Dot_MData[8] =\n"
		"{\n"
		"\t0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xFF\n"
		"};\n"
		"PrefilledBitmap *Dot_MICN;\n"
		"\n"
		"//Put this after your BApplication object has been constructed:\n"
		"\tDot_MICN = new "
		"PrefilledBitmap(BRect(0.0,0.0,1.0,0.0),B_RGB32,Dot_MData,false,false);\n");
}

TEST(FormatBitmapSource, ArraysOfEveryLineShape)
{
	struct Row {
		size_t count;
		const char* expectedStart; // of the array body, after "{\n\t"
	};
	const Row rows[] = {
		{1, "0x03\n};\n"},
		{16,
			"0x03, 0x0A, 0x11, 0x18, 0x1F, 0x26, 0x2D, 0x34, 0x3B, 0x42, 0x49, 0x50, "
			"0x57, 0x5E, 0x65, 0x6C\n};\n"},
		{17,
			"0x03, 0x0A, 0x11, 0x18, 0x1F, 0x26, 0x2D, 0x34, 0x3B, 0x42, 0x49, 0x50, "
			"0x57, 0x5E, 0x65, 0x6C, \n\t0x73\n};\n"},
		{18,
			"0x03, 0x0A, 0x11, 0x18, 0x1F, 0x26, 0x2D, 0x34, 0x3B, 0x42, 0x49, 0x50, "
			"0x57, 0x5E, 0x65, 0x6C, \n\t0x73, 0x7A\n};\n"},
		{256, nullptr},
		{1000, nullptr},
	};
	for (const Row& row : rows) {
		Inputs in;
		in.name = "icon";
		in.colorSpace = 4;
		in.bytes = Counting(row.count);
		Collected out = Format(in);
		ASSERT_TRUE(out.result) << row.count;
		const std::string head = "#include \"PrefilledBitmap.h\"\n\n//********Icon for 'icon'\n"
								 "uint8 icon_MData["
			+ std::to_string(row.count) + "] =\n{\n\t";
		const std::string tail =
			"PrefilledBitmap *icon_MICN;\n\n"
			"//Put this after your BApplication object has been constructed:\n"
			"\ticon_MICN = new PrefilledBitmap(BRect(0.0,0.0,1.0,0.0),B_CMAP8,icon_MData,"
			"false,false);\n";
		EXPECT_EQ(out.text, head + ReferenceItems(in.bytes) + tail) << row.count;
		if (row.expectedStart != nullptr) {
			EXPECT_EQ(out.text.substr(head.size(), strlen(row.expectedStart)), row.expectedStart);
		}
	}
}

TEST(FormatBitmapSource, EveryByteValueIsTwoUpperCaseDigits)
{
	Inputs in;
	for (int value = 0; value < 256; value++)
		in.bytes.push_back(static_cast<uint8>(value));
	Collected out = Format(in);
	ASSERT_TRUE(out.result);
	std::string items;
	for (int value = 0; value < 256; value++) {
		char expected[16];
		snprintf(expected, sizeof(expected),
			value == 255           ? "0x%02X\n};\n"
				: value % 16 == 15 ? "0x%02X, \n\t"
								   : "0x%02X, ",
			value);
		items += expected;
	}
	EXPECT_NE(out.text.find("uint8 Dot_MData[256] =\n{\n\t" + items), std::string::npos);
}

TEST(FormatBitmapSource, ColourSpacesAndBoundsAsWritten)
{
	struct Row {
		int32 colorSpace;
		float left, top, right, bottom;
		const char* expected;
	};
	const Row rows[] = {
		{4, 0, 0, 15, 15, "BRect(0.0,0.0,15.0,15.0),B_CMAP8,"},
		{8, -1, -2.5f, 0.25f, 3, "BRect(-1.0,-2.5,0.2,3.0),B_RGB32,"},
		{0, 0, 0, 1, 1, "BRect(0.0,0.0,1.0,1.0),/*Other color space*/,"},
		{0x2008, 0, 0, 1, 1, "BRect(0.0,0.0,1.0,1.0),B_RGBA32,"},
		{0x0005, 0, 0, 1, 1, "BRect(0.0,0.0,1.0,1.0),B_RGB16,"},
		{0x0010, 0, 0, 1, 1, "BRect(0.0,0.0,1.0,1.0),B_RGB15,"},
		{0x2010, 0, 0, 1, 1, "BRect(0.0,0.0,1.0,1.0),B_RGBA15,"},
		{0x0002, 0, 0, 1, 1, "BRect(0.0,0.0,1.0,1.0),B_GRAY8,"},
		{0x0001, 0, 0, 1, 1, "BRect(0.0,0.0,1.0,1.0),B_GRAY1,"},
		{0x0003, 0, 0, 1, 1, "BRect(0.0,0.0,1.0,1.0),B_RGB24,"},
		{0x1003, 0, 0, 1, 1, "BRect(0.0,0.0,1.0,1.0),B_RGB24_BIG,"},
		{0x1005, 0, 0, 1, 1, "BRect(0.0,0.0,1.0,1.0),B_RGB16_BIG,"},
		{0x1010, 0, 0, 1, 1, "BRect(0.0,0.0,1.0,1.0),B_RGB15_BIG,"},
		{0x3010, 0, 0, 1, 1, "BRect(0.0,0.0,1.0,1.0),B_RGBA15_BIG,"},
		{0x1008, 0, 0, 1, 1, "BRect(0.0,0.0,1.0,1.0),B_RGB32_BIG,"},
		{0x3008, 0, 0, 1, 1, "BRect(0.0,0.0,1.0,1.0),B_RGBA32_BIG,"},
		// Spaces the export never writes keep the comment.
		{0x2009, 0, 0, 1, 1, "BRect(0.0,0.0,1.0,1.0),/*Other color space*/,"},
		{0x2003, 0, 0, 1, 1, "BRect(0.0,0.0,1.0,1.0),/*Other color space*/,"},
		{-1, 0, 0, 1, 1, "BRect(0.0,0.0,1.0,1.0),/*Other color space*/,"},
		{8, 0, 0, 1e30f, 0, "BRect(0.0,0.0,1000000015047466219876688855040.0,0.0),B_RGB32,"},
		{8, -FLT_MAX, 0, FLT_MAX, 0,
			"BRect(-340282346638528859811704183484516925440.0,0.0,"
			"340282346638528859811704183484516925440.0,0.0),B_RGB32,"},
	};
	for (const Row& row : rows) {
		Inputs in;
		in.name = "N";
		in.colorSpace = row.colorSpace;
		in.left = row.left;
		in.top = row.top;
		in.right = row.right;
		in.bottom = row.bottom;
		in.bytes = {1, 2};
		Collected out = Format(in);
		ASSERT_TRUE(out.result);
		EXPECT_NE(out.text.find(std::string("new PrefilledBitmap(") + row.expected + "N_MData"),
			std::string::npos)
			<< row.expected << "\n"
			<< out.text;
	}
}

TEST(FormatBitmapSource, TheIconNameIsUsedUnchanged)
{
	Inputs in;
	in.name = "dot.png.h";
	in.bytes = {0xAB};
	Collected out = Format(in);
	ASSERT_TRUE(out.result);
	size_t uses = 0;
	for (size_t at = out.text.find("dot.png.h"); at != std::string::npos;
		 at = out.text.find("dot.png.h", at + 1)) {
		uses++;
	}
	EXPECT_EQ(uses, 5u);
	EXPECT_NE(out.text.find("uint8 dot.png.h_MData[1] =\n{\n\t0xAB\n};\n"), std::string::npos);
}

TEST(FormatBitmapSource, ProductionStopsAtTheFirstPieceNotTakenWhole)
{
	Inputs in;
	in.bytes = Counting(40);
	const size_t total = Format(in).pieces;
	for (size_t stopAt = 0; stopAt < total; stopAt++) {
		for (ssize_t answer : {ssize_t(-1), ssize_t(0), ssize_t(1)}) {
			size_t calls = 0;
			bool result = FormatBitmapSource(
				in.name, 0, 0, 1, 0, 8, in.bytes.data(), 40, [&](const char*, size_t length) {
					return calls++ == stopAt ? std::min<ssize_t>(answer, length - 1)
											 : static_cast<ssize_t>(length);
				});
			EXPECT_FALSE(result) << stopAt;
			EXPECT_EQ(calls, stopAt + 1) << "a piece was produced after the refused one";
		}
	}
	// A consumer claiming more than it was given did not take the piece whole.
	size_t calls = 0;
	EXPECT_FALSE(FormatBitmapSource(
		"x", 0, 0, 0, 0, 8, in.bytes.data(), 40, [&](const char*, size_t length) {
			calls++;
			return static_cast<ssize_t>(length + 1);
		}));
	EXPECT_EQ(calls, 1u);
}

TEST(FormatBitmapSource, NoBytesGiveNoText)
{
	uint8 byte = 0;
	size_t calls = 0;
	auto count = [&calls](const char*, size_t length) {
		calls++;
		return static_cast<ssize_t>(length);
	};
	EXPECT_FALSE(FormatBitmapSource("x", 0, 0, 0, 0, 8, &byte, 0, count));
	EXPECT_FALSE(FormatBitmapSource("x", 0, 0, 0, 0, 8, &byte, -4, count));
	EXPECT_FALSE(FormatBitmapSource("x", 0, 0, 0, 0, 8, nullptr, 4, count));
	EXPECT_FALSE(FormatBitmapSource(nullptr, 0, 0, 0, 0, 8, &byte, 1, count));
	EXPECT_EQ(calls, 0u);
	EXPECT_EQ(BitmapSourceLength("x", 0, 0, 0, 0, 8, 0), -1);
}

TEST(FormatBitmapSource, TheLengthIsKnownBeforehand)
{
	for (size_t count : {1, 2, 15, 16, 17, 31, 32, 33, 256, 4095, 4096}) {
		for (const char* name : {"", "a", "dot.png.h"}) {
			for (int32 colorSpace : {4, 8, 3}) {
				Inputs in;
				in.name = name;
				in.colorSpace = colorSpace;
				in.left = -1;
				in.right = 1e20f;
				in.bytes = Counting(count);
				Collected out = Format(in);
				EXPECT_EQ(BitmapSourceLength(name, in.left, in.top, in.right, in.bottom, colorSpace,
							  static_cast<int32>(count)),
					static_cast<int64>(out.text.size()))
					<< count << " " << name;
			}
		}
	}
}
