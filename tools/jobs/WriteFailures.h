// SPDX-License-Identifier: MIT
#pragma once

// The exporter's failures to write an output, and the one sentence that
// tells them: "cannot write OUTPUT: REASON", without the program's name or
// a newline (the job's Report adds those).

#include <Result.h>

#include <string>

class PlainBufferedFile;

namespace WriteFailures {

// The writes of a text into the buffered file it goes out through (standard
// output's as a file's): all `length` bytes of `data` taken, or the buffer
// pushed out, each answering the file's WriteFailure otherwise.
BPrivate::Result<void> WriteOut(PlainBufferedFile& file, const void* data, size_t length);
BPrivate::Result<void> FlushOut(PlainBufferedFile& file);

// `why` told about `output` (a file's path, made printable, or "standard
// output"): the same status, the whole sentence as the detail. The reason is `why`'s detail,
// or the words for its status when it has none.
BPrivate::Failure CannotWrite(const std::string& output, const BPrivate::Failure& why);

} // namespace WriteFailures
