// SPDX-License-Identifier: MIT
#pragma once

// Path text helpers shared by the storage kit's classes. They work on the
// text only; nothing here touches the file system except AbsolutePath, which
// asks for the working directory.

#include <SupportDefs.h>

#include <string>

namespace BPrivate {

// `path` made absolute against the working directory, with runs of '/'
// collapsed and a trailing '/' removed (the root stays "/"). "." and ".."
// components are kept as they are. B_BAD_VALUE for a null or empty path.
status_t AbsolutePath(const char* path, std::string* result);

// `directory` and `leaf` joined by one '/'; an empty directory gives `leaf`.
std::string JoinPath(const std::string& directory, const std::string& leaf);

// The offset of the last component of an absolute, cleaned path; for "/" the
// offset of its end (an empty leaf).
size_t LeafOffset(const std::string& path);

} // namespace BPrivate
