// SPDX-License-Identifier: MIT
#pragma once

// Reading an image file in a test and keeping why it failed, for tests that
// look at the refusal beside the bitmap. Needs the translation kit, which
// every test that includes it links.

#include <Result.h>
#include <TranslationUtils.h>

#include <string>
#include <utility>

namespace testsupport {

// Why an image file gave no bitmap: a Failure that describes itself as the
// program does, naming the file as `name`.
struct ReadFailure : BPrivate::Failure {
	ReadFailure() = default;
	ReadFailure(BPrivate::Failure failure) : Failure(std::move(failure)) { }
	ReadFailure(status_t failureStatus, std::string failureDetail)
		: Failure(failureStatus, std::move(failureDetail))
	{ }

	std::string Describe(const char* name) const
	{
		return BPrivate::DescribeReadFailure(*this, name);
	}
};

// The bitmap the kit reads from `path`, owned by the caller, or null with
// `failure` (when given) set to why; `failure` is untouched on success.
inline BBitmap*
GetBitmapFile(const char* path, ReadFailure* failure)
{
	BPrivate::Result<std::unique_ptr<BBitmap>> bitmap = BPrivate::ReadBitmapFile(path);
	if (!bitmap) {
		if (failure != nullptr)
			*failure = bitmap.TakeError();
		return nullptr;
	}
	return bitmap.Value().release();
}

} // namespace testsupport
