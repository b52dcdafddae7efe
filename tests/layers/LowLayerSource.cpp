// SPDX-License-Identifier: MIT
// Compiled with quillpix_io's include paths by IncludeReach.cmake.
#include "io/FileReplacer.h"

#ifdef QUILLPIX_INCLUDE_HIGHER
#include "image/AImageView.h"
#endif
