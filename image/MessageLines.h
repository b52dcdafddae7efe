// SPDX-License-Identifier: MIT
#pragma once

// Breaking a one-line message into at most two lines that fit a width, at
// spaces. Plain code: the width of a piece of text comes from `measure`.

#include <functional>
#include <string>
#include <vector>

// The first line is the longest run of whole words that fits `width`, or,
// when one fits, the longest that ends in ';' or ':'; the second the rest (which may still be too wide; its end is then cut off
// where it is drawn). A single word wider than `width` stands alone on the
// first line. Text that fits is one line; empty text is none.
std::vector<std::string> MessageLines(
	const std::string& text, float width, const std::function<float(const std::string&)>& measure);
