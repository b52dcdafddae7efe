// SPDX-License-Identifier: MIT
#pragma once

// How the build form (--embed) compresses an image's bytes: --compress
// zstd[:LEVEL] and --compress-threshold PERCENT, or the CMake function's
// COMPRESS and COMPRESS_THRESHOLD.

struct EmbedCompression {
	// zstd's levels without its large-window ones, so that one compression
	// never needs more than about 100 MB however large the image.
	static constexpr int kMinimumLevel = 1;
	static constexpr int kMaximumLevel = 19;
	// Smaller than the PNG files for icons and screenshots at about the
	// build time of the raw form; 19 saves 5 to 10 % more, at fifteen times
	// the compression time of an icon (bench/compress.sh).
	static constexpr int kDefaultLevel = 9;
	static constexpr int kDefaultThreshold = 10;

	// 0: not compressed, the build form as it always was.
	int level = 0;
	// An image is embedded compressed only when that makes its bytes at
	// least this share (in percent, 0 to 99) smaller; otherwise as it is,
	// and its header says so.
	int threshold = kDefaultThreshold;

	bool Enabled() const { return level > 0; }
};
