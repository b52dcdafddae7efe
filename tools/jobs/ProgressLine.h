// SPDX-License-Identifier: MIT
#pragma once

// The progress line of a quillpix-export run on a terminal: once the run has
// lasted a second, one line on the message stream says which image of how
// many is being worked on, its name and how much of the run is done
// ("quillpix-export: 12/58 icons/save.png 20%"). The line is drawn again
// only when its text changes, at most ten times a second, never wider than
// the terminal (so that going back to its start erases it), and erased
// before anything else is printed and at the end.
//
// Thread rules: one thread, the one that prints the run's messages.

#include <chrono>
#include <cstdio>
#include <string>

class ProgressLine {
public:
	using Clock = std::chrono::steady_clock;

	static constexpr std::chrono::milliseconds kDelay{1000};
	static constexpr std::chrono::milliseconds kInterval{100};

	// Draws on `stream`, a terminal `columns` wide; 0 asks the terminal, and
	// takes 80 when it does not say. `start` is when the run began.
	ProgressLine(FILE* stream, Clock::time_point start, size_t columns = 0);
	~ProgressLine();

	ProgressLine(const ProgressLine&) = delete;
	ProgressLine& operator=(const ProgressLine&) = delete;

	// Image `current` of `total` (counted from 1), named `name` (printable
	// already), with `percent` of the run done, as it is at `now`.
	void Show(
		Clock::time_point now, size_t current, size_t total, const std::string& name, int percent);
	// Erases the line if it is there.
	void Erase();

	// The line's text, at most `columns` - 1 characters wide: a name too
	// long for it keeps its end, after "...".
	static std::string Text(
		size_t current, size_t total, const std::string& name, int percent, size_t columns);

private:
	FILE* fStream;
	const Clock::time_point fStart;
	Clock::time_point fDrawn;
	size_t fColumns;
	std::string fShown;
	bool fVisible = false;
};
