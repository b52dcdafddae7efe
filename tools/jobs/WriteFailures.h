// SPDX-License-Identifier: MIT
#pragma once

// The exporter's failures to write an output, and the one sentence that
// tells them: "cannot write OUTPUT: REASON", without the program's name or
// a newline (the job's Report adds those).

#include <Result.h>

#include <cstdio>
#include <string>

namespace WriteFailures {

// The failure of a stream write that left `error` in errno; 0 or a negative
// value when it left none. Its detail is the system's words for `error`, or
// "Write error".
BPrivate::Failure StreamFailure(int error);

// The stdio edge of the writes to standard output: all `length` bytes of
// `data` handed to `stream`, or its buffer pushed out, each answering the
// StreamFailure of what the call left in errno. Nothing else in the exporter
// reads errno after a stream call.
BPrivate::Result<void> StreamWrite(FILE* stream, const void* data, size_t length);
BPrivate::Result<void> StreamFlush(FILE* stream);

// `why` told about `output` (a file's path, made printable, or "standard
// output"): the same status, the whole sentence as the detail. The reason is `why`'s detail,
// or the words for its status when it has none.
BPrivate::Failure CannotWrite(const std::string& output, const BPrivate::Failure& why);

} // namespace WriteFailures
