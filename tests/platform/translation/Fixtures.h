// SPDX-License-Identifier: MIT
#pragma once

// The pictures of tests/data/images (see make-fixtures.sh there): 10 x 7,
// pixel (x, y) as the functions below say.

#include "support/Files.h"
#include "support/ReadFailure.h"

#include <Bitmap.h>
#include <TranslationUtils.h>

#include <memory>
#include <string>

namespace fixture {

constexpr int32 kWidth = 10;
constexpr int32 kHeight = 7;

inline std::string
Path(const std::string& name)
{
	return std::string(QUILLPIX_SOURCE_DIR "/tests/data/images/") + name;
}

inline std::unique_ptr<BBitmap>
Load(const std::string& path)
{
	return std::unique_ptr<BBitmap>(BTranslationUtils::GetBitmapFile(path.c_str()));
}

// `bytes` written to a scratch file and read from there, saying in
// `failure` why when no bitmap comes back.
inline std::unique_ptr<BBitmap>
LoadBytes(const std::string& bytes, testsupport::ReadFailure& failure)
{
	testsupport::ScratchDirectory scratch;
	const std::string path = scratch / "image";
	if (!testsupport::WriteWhole(path, bytes))
		return nullptr;
	return std::unique_ptr<BBitmap>(testsupport::GetBitmapFile(path.c_str(), &failure));
}

inline uint8
Red(int32 x, int32)
{
	return uint8(20 * x + 5);
}
inline uint8
Green(int32, int32 y)
{
	return uint8(30 * y + 7);
}
inline uint8
Blue(int32 x, int32 y)
{
	return uint8((7 * x * y) % 256);
}
inline uint8
Alpha(int32 x, int32 y)
{
	return uint8(40 + 20 * x + y);
}
inline uint8
Grey(int32 x, int32 y)
{
	return uint8(20 * x + 9 * y);
}

// System colour map indices of the palette pictures, in turn.
inline uint8
SystemIndex(int32 x, int32 y)
{
	static const uint8 kIndices[8] = {0, 5, 62, 63, 42, 98, 206, 229};
	return kIndices[(x + 2 * y) % 8];
}

} // namespace fixture
