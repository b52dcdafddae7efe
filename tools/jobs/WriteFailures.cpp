// SPDX-License-Identifier: MIT
#include "WriteFailures.h"

#include "io/PlainBufferedFile.h"
#include "tools/options/PrintableName.h"

namespace WriteFailures {

namespace {

constexpr size_t kThroughLength = size_t(64) << 10;

} // namespace

BPrivate::Result<void>
WriteOut(PlainBufferedFile& file, const void* data, size_t length)
{
	// A formatted block of items goes straight to the file; copying it
	// into the buffer first would only cost time.
	if (length >= kThroughLength)
		return file.WriteThrough(data, length);
	ssize_t taken = file.BufferedWrite(data, length);
	if (taken >= 0 && static_cast<size_t>(taken) == length)
		return {};
	return file.WriteFailure();
}

BPrivate::Result<void>
FlushOut(PlainBufferedFile& file)
{
	return file.FlushOrFail();
}

BPrivate::Failure
CannotWrite(const std::string& output, const BPrivate::Failure& why)
{
	BPrivate::Failure failure = why;
	failure.detail = "cannot write " + PrintableName(output) + ": " + why.Reason();
	return failure;
}

} // namespace WriteFailures
