// SPDX-License-Identifier: MIT
#pragma once

// Where an image argument of quillpix-export is read from: a file opened by
// its name, or a stream the process already holds, read to its end. "-" is
// standard input; /dev/stdin, /dev/fd/N and /proc/self/fd/N are the
// descriptors they name, so that a pipe or a shell's process substitution
// works as well as a regular file ("./-" is a file called "-"). The bytes of
// a stream are read whole into memory and decoded from there, with the same
// readers and limits as a file's.

#include <Bitmap.h>
#include <Result.h>
#include <TranslationUtils.h>

#include <memory>
#include <string>

namespace ImageInput {

// The descriptor `image` is read from, or -1 for a file opened by its name.
int StreamOf(const std::string& image);

// `image` as messages name it: "standard input" for "-", otherwise the name
// as given, made printable (PrintableName).
std::string MessageName(const std::string& image);

// The image as a new bitmap, or why there is none, as the translation kit
// tells it (DescribeReadFailure). A terminal is refused without waiting for
// what a person might type. Runs on the calling thread.
// `facts`, when given, learns what the read found besides the bitmap.
BPrivate::Result<std::unique_ptr<BBitmap>> Read(
	const std::string& image, BPrivate::ReadFacts* facts = nullptr);

} // namespace ImageInput
