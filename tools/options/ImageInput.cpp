// SPDX-License-Identifier: MIT
#include "ImageInput.h"

#include "PrintableName.h"
#include "io/FileOperations.h"

#include <TranslationUtils.h>

#include <unistd.h>

using BPrivate::Failure;
using BPrivate::Result;

namespace ImageInput {

int
StreamOf(const std::string& image)
{
	if (image == "-")
		return STDIN_FILENO;
	return FileOperations::HeldDescriptor(image);
}

std::string
MessageName(const std::string& image)
{
	return image == "-" ? std::string("standard input") : PrintableName(image);
}

Result<std::unique_ptr<BBitmap>>
Read(const std::string& image, BPrivate::ReadFacts* facts)
{
	const int stream = StreamOf(image);
	if (stream < 0)
		return BPrivate::ReadBitmapFile(image.c_str(), nullptr, facts);
	// What a person would type is no image: refused instead of waited for.
	if (isatty(stream))
		return Failure(B_NO_TRANSLATOR, "is a terminal; pipe an image into it");
	return BPrivate::ReadBitmapStream(stream, facts);
}

} // namespace ImageInput
