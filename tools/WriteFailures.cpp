#include "WriteFailures.h"

#include "PrintableName.h"

#include <Errors.h>

#include <cstring>

namespace WriteFailures {

BPrivate::Failure
StreamFailure(int error)
{
	if (error <= 0)
		return BPrivate::Failure(B_ERROR, "Write error");
	return BPrivate::Failure(errno_to_status(error), strerror(error));
}

BPrivate::Failure
CannotWrite(const std::string& output, const BPrivate::Failure& why)
{
	return BPrivate::Failure(why.status, "cannot write " + PrintableName(output) + ": "
		+ (why.detail.empty() ? std::string(status_text(why.status)) : why.detail));
}

} // namespace WriteFailures
