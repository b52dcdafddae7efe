// SPDX-License-Identifier: MIT
#include "WriteFailures.h"

#include "tools/options/PrintableName.h"

#include <Errors.h>

#include <cerrno>
#include <cstring>

namespace WriteFailures {

BPrivate::Failure
StreamFailure(int error)
{
	if (error <= 0)
		return BPrivate::Failure(B_ERROR, "Write error");
	return BPrivate::Failure::FromSystem(error, "write");
}

BPrivate::Result<void>
StreamWrite(FILE* stream, const void* data, size_t length)
{
	errno = 0;
	if (fwrite(data, 1, length, stream) == length)
		return {};
	return StreamFailure(errno);
}

BPrivate::Result<void>
StreamFlush(FILE* stream)
{
	errno = 0;
	if (fflush(stream) == 0)
		return {};
	return StreamFailure(errno);
}

BPrivate::Failure
CannotWrite(const std::string& output, const BPrivate::Failure& why)
{
	BPrivate::Failure failure = why;
	failure.detail = "cannot write " + PrintableName(output) + ": " + why.Reason();
	return failure;
}

} // namespace WriteFailures
